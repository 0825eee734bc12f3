#pragma once
// What the GML, GraphML, GEXF and edge-list writers share: the walk over
// the links (where each leads: written_target, the one rule), and escaping.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/formats.hpp"
#include "graph_core/graph.hpp"
#include "text_io/number_text.hpp"

namespace mivora {

struct LinkView {
  std::uint32_t from;
  std::uint32_t to;
  Weight weight;
  bool directed;
  std::uint32_t slot = 0;  // the connection's place in its source's list
};

// Calls visit(LinkView) for every link in record order; a connection whose
// target is gone has nothing to write.
template <typename Visit>
void for_each_link(const GraphStore& graph, Visit&& visit) {
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    std::uint32_t slot = 0;
    for (const StoredConnection& connection : graph.node(position).connections) {
      const std::optional<NodeIndex> target = written_target(graph, graph.node(position), connection);
      if (target) {
        visit(LinkView{static_cast<NodeId>(position), static_cast<NodeId>(*target), connection.weight,
                       connection.directed != 0, slot});
      }
      ++slot;
    }
  }
}

// How the links go: all directed, all undirected, or both (no links: undirected).
enum class LinkDirections { Undirected, Directed, Mixed };
LinkDirections link_directions(const GraphStore& graph);

bool any_position(const GraphStore& graph);

// Whether `text` holds a CR or LF, which no line-based format can hold. A
// byte loop: find_first_of() calls memchr() once per byte of the text.
inline bool has_line_break(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; });
}

// Text for XML attribute values and element content: & < > " escaped, and
// CR, LF and tab as character references so a parser gives them back.
// Characters XML 1.0 cannot hold (C0 controls, U+FFFE, U+FFFF, bytes that
// are not UTF-8) make the label unwritable.
void append_xml_escaped(std::string& out, std::string_view text);

}  // namespace mivora
