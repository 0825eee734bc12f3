#include "graph_core/derived_graph.hpp"

#include <vector>

#include "graph_core/internal_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

// The columns of `graph` travel with the nodes and links kept: a node's row
// is its position; a link's row is found through the rows to_edges lists,
// the order DerivedLink::link counts in. `stored` are the links as
// derive_graph appended them to `derived`.
void carry_attributes(const GraphStore& graph, std::span<const std::uint32_t> nodes, std::span<const DerivedLink> links,
                      const std::vector<GraphStore::PositionedConnection>& stored, GraphStore& derived) {
  const GraphAttributes& from = graph.attributes();
  for (const NamedColumns::Entry& entry : from.nodes().entries()) {
    AttributeColumn column(entry.column.type());
    for (std::size_t made = 0; made < nodes.size(); ++made) {
      if (entry.column.has_value(nodes[made])) column.copy_row(entry.column, nodes[made], made);
    }
    derived.attributes().nodes().put(entry.name, std::move(column));
  }
  if (from.connections().empty()) return;
  const GraphAttributes::ListedRows listed = from.listed_connection_rows(graph);
  std::vector<std::uint32_t> sources;
  sources.reserve(stored.size());
  for (const GraphStore::PositionedConnection& link : stored) sources.push_back(link.from);
  const std::vector<std::size_t> rows = derived.attributes().rows_of_appended(derived, sources);
  for (const NamedColumns::Entry& entry : from.connections().entries()) {
    AttributeColumn column(entry.column.type());
    for (std::size_t i = 0; i < links.size(); ++i) {
      const std::size_t row = listed.identity ? links[i].link : listed.rows[links[i].link];
      if (row != GraphAttributes::kNoRow && entry.column.has_value(row)) column.copy_row(entry.column, row, rows[i]);
    }
    derived.attributes().connections().put(entry.name, std::move(column));
  }
}

}  // namespace

GraphStore derive_graph(const GraphStore& graph, std::span<const std::uint32_t> nodes,
                        std::span<const DerivedLink> links) {
  std::vector<NodeId> new_position(graph.node_count(), kNoNode);  // kNoNode: left out
  GraphStore derived;
  derived.reserve(nodes.size());
  for (const std::uint32_t position : nodes) {
    poll_cancellation();
    const NodeRecord& node = graph.node(position);
    // Unchecked: a copy keeps the repeated labels of a matrix graph as they are.
    NodeIndex made;
    if (node.has_x || node.has_y) {
      const GraphStore::Coordinates at = graph.coordinates(position);
      made = derived.append_node_unchecked(node.label, at.x, at.y);
    } else {
      made = derived.append_node_unchecked(node.label);
    }
    NodeRecord& copy = derived.node(made);
    copy.has_x = node.has_x;
    copy.has_y = node.has_y;
    new_position[position] = static_cast<NodeId>(made);
  }
  std::vector<GraphStore::PositionedConnection> connections;
  connections.reserve(links.size());
  for (const DerivedLink& link : links) {
    const NodeId from = new_position[link.from];
    const NodeId to = new_position[link.to];
    if (from == kNoNode || to == kNoNode) fail("a derived link leads to a node left out");
    connections.push_back({from, to, link.weight, link.directed});
  }
  derived.add_connections(connections);
  carry_attributes(graph, nodes, links, connections, derived);
  return derived;
}

}  // namespace mivora
