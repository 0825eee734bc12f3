#include "graph_core/degrees.hpp"

#include "graph_core/internal_error.hpp"
#include "graph_core/prefetch.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

// Calls visit(from_matches, to_matches, connection) for every record, where
// the flags say whether its "from" / "to" text equals `label`.
template <typename Visit>
void for_each_record_match(const GraphStore& graph, std::string_view label, Visit&& visit) {
  const std::optional<NodeIndex> wanted = graph.find_by_label(label);
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    prefetch_connections(graph, position);
    const NodeRecord& from = graph.node(position);
    poll_cancellation(static_cast<std::uint32_t>(from.connections.size()) + 1);
    if (from.connections.empty()) continue;
    const bool from_matches = wanted && graph.canonical_position(position) == *wanted;
    for (const StoredConnection& connection : from.connections) {
      bool to_matches;
      if (connection.is_local()) {
        to_matches = wanted && graph.canonical_position(connection.target) == *wanted;
      } else {
        const auto target = from.outside_target(connection);
        to_matches = target && target->label == label;  // a target that is gone is no node
      }
      visit(from_matches, to_matches, connection);
    }
  }
}

}  // namespace

DegreeRecord compute_degrees(const GraphStore& graph, std::string_view label) {
  DegreeRecord record;
  for_each_record_match(graph, label, [&](bool from, bool to, const StoredConnection& connection) {
    if (connection.directed) {
      record.out += from;
      record.in += to;
      record.total += static_cast<int>(from) + static_cast<int>(to);
    } else if (from || to) {
      ++record.undirected;
    }
  });
  return record;
}

std::vector<DegreeRecord> compute_all_degrees(const GraphStore& graph) {
  std::vector<DegreeRecord> records(graph.node_count());
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    prefetch_connections(graph, position);
    const NodeRecord& node = graph.node(position);
    poll_cancellation(static_cast<std::uint32_t>(node.connections.size()) + 1);
    if (node.connections.empty()) continue;
    DegreeRecord& from = records[graph.canonical_position(position)];
    for (const StoredConnection& connection : node.connections) {
      std::optional<NodeIndex> to;
      if (connection.is_local()) {
        to = graph.canonical_position(connection.target);
      } else {
        to = graph.record_target_position(connection, node.outside_target(connection).get());
      }
      if (connection.directed) {
        ++from.out;
        ++from.total;
        if (to) {
          ++records[*to].in;
          ++records[*to].total;
        }
      } else {
        ++from.undirected;
        if (to && &records[*to] != &from) ++records[*to].undirected;
      }
    }
  }
  return records;
}

StrengthRecord get_node_strength(const GraphStore& graph, std::string_view label) {
  StrengthRecord record;
  for_each_record_match(graph, label, [&](bool from, bool to, const StoredConnection& connection) {
    const float weight = connection.weight;
    if (from) {
      record.out += weight;
      if (!connection.directed) record.in += weight;
    }
    if (to) {
      record.in += weight;
      if (!connection.directed) record.out += weight;
    }
  });
  record.total = record.out + record.in;
  return record;
}

std::optional<CentralityRecord> get_centrality_degrees(const GraphStore& graph, std::string_view label) {
  const DegreeRecord degrees = compute_degrees(graph, label);
  if (graph.node_count() <= 1) return std::nullopt;
  const float divisor = static_cast<float>(graph.node_count() - 1);
  return CentralityRecord{static_cast<float>(degrees.out) / divisor, static_cast<float>(degrees.in) / divisor,
                          static_cast<float>(degrees.total) / divisor,
                          static_cast<float>(degrees.undirected) / divisor};
}

float get_average_degree(const GraphStore& graph, bool directed) {
  const float factor = directed ? 1.0f : 2.0f;
  return factor * static_cast<float>(graph.get_edge_count()) / static_cast<float>(graph.node_count());
}

}  // namespace mivora
