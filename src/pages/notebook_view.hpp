#pragma once
// How a graph shows itself in a notebook cell (Graph._repr_html_): a small
// graph as the WebGL viewer inline, a large one as a table of counts that
// needs no layout.
#include <cstddef>
#include <string>

#include "graph_core/graph.hpp"

namespace mivora {

// Graphs up to this many nodes are shown as an inline viewer.
inline constexpr std::size_t kInlineViewLimit = 2000;

// The viewer page in an iframe (srcdoc) for a graph of at most
// kInlineViewLimit nodes, laid out first if some node has no position (the
// positions stay in the graph, as with every drawing); otherwise
// summary_html.
std::string notebook_html(GraphStore& graph);

// A table of node and link counts, density and weakly connected components.
std::string summary_html(const GraphStore& graph);

}  // namespace mivora
