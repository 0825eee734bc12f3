#pragma once
// The WebGL viewer page: one offline HTML file that draws the graph with
// WebGL, fluid at hundreds of thousands of nodes. The page template and
// script (webgl_page.html, webgl_page.js) are embedded at build time; the
// graph travels in one JSON block of base64 typed arrays and a label list.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "pages/html_writer.hpp"
#include "graph_core/graph.hpp"
#include "layout/layout.hpp"

namespace mivora {

// The layout used when none is named: the multilevel force layout, which
// draws small and large graphs alike as networks in O((N + E) log N) steps.
inline constexpr LayoutKind kViewerLayout = LayoutKind::Force;

// Lays the graph out with `layout` (or kViewerLayout) when asked
// to or when some node has no position; otherwise keeps the stored positions.
void place_for_viewer(GraphStore& graph, std::optional<LayoutKind> layout, bool override_positions);

// The page's data block, as JSON:
//   labels     node labels by position
//   positions  x, y of each node, float64 little-endian, base64
//   links      source, target position of each link, uint32, base64
//   weights    each link's weight, float32, base64
//   directed   one byte per link, 1 for an arc, base64
//   components each node's weakly connected component, numbered from the
//              largest, uint32, base64
// Links are the snapshot's (record order, targets by label); every node
// must have a position. '<' is escaped everywhere, so no text of the block
// can end its <script> element.
std::string webgl_page_data(const GraphStore& graph);

// The whole page for a graph whose nodes all have positions.
std::string build_webgl_page(const GraphStore& graph);

// Lays the graph out as place_for_viewer does, builds the page, then writes
// it to `file_name`: a layout or build failure leaves an existing file as
// it was. A failed write throws FileError.
void output_webgl(GraphStore& graph, std::string_view file_name, std::optional<LayoutKind> layout,
                  bool override_positions);

}  // namespace mivora
