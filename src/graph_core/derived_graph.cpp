#include "graph_core/derived_graph.hpp"

#include <vector>

#include "graph_core/internal_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

GraphStore derive_graph(const GraphStore& graph, std::span<const std::uint32_t> nodes,
                        std::span<const DerivedLink> links) {
  constexpr std::uint32_t kLeftOut = UINT32_MAX;
  std::vector<std::uint32_t> new_position(graph.node_count(), kLeftOut);
  GraphStore derived;
  derived.reserve(nodes.size());
  for (const std::uint32_t position : nodes) {
    poll_cancellation();
    const NodeRecord& node = graph.node(position);
    // Unchecked: a copy keeps the repeated labels of a matrix graph as they are.
    const NodeIndex made = (node.has_x || node.has_y) ? derived.append_node_unchecked(node.label, node.x, node.y)
                                                      : derived.append_node_unchecked(node.label);
    NodeRecord& copy = derived.node(made);
    copy.has_x = node.has_x;
    copy.has_y = node.has_y;
    new_position[position] = static_cast<std::uint32_t>(made);
  }
  std::vector<GraphStore::PositionedConnection> connections;
  connections.reserve(links.size());
  for (const DerivedLink& link : links) {
    const std::uint32_t from = new_position[link.from];
    const std::uint32_t to = new_position[link.to];
    if (from == kLeftOut || to == kLeftOut) fail("a derived link leads to a node left out");
    connections.push_back({from, to, link.weight, link.directed});
  }
  derived.add_connections(connections);
  return derived;
}

}  // namespace mivora
