#include "measures/measured_graph.hpp"

#include <cmath>
#include <string>

#include "text_io/number_text.hpp"
#include "measures/measure_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

MeasuredNodes measured_nodes(const Snapshot& snapshot) {
  MeasuredNodes nodes;
  nodes.id_of.assign(snapshot.node_count, kNoNode);
  for (NodeIndex position = 0; position < snapshot.node_count; ++position) {
    if (!snapshot.canonical[position]) continue;
    nodes.id_of[position] = static_cast<NodeId>(nodes.positions.size());
    nodes.positions.push_back(position);
  }
  for (const std::uint8_t directed : snapshot.link_directed) nodes.directed = nodes.directed || directed != 0;
  return nodes;
}

NeighbourRows neighbour_rows(const AdjacencyRows& rows, const MeasuredNodes& nodes, Parallel parallel, bool weighted) {
  const std::size_t n = nodes.size();
  NeighbourRows result;
  result.offsets.assign(n + 1, 0);
  result.neighbours.reserve(rows.neighbours.size());
  result.weights.reserve(rows.neighbours.size());
  // Where each neighbour sits in the row being built, valid while
  // row_of[neighbour] names that row.
  std::vector<std::uint32_t> row_of(n, kNoNode);
  std::vector<std::uint64_t> slot_of(n, 0);
  for (std::uint32_t id = 0; id < n; ++id) {
    const NodeIndex position = nodes.positions[id];
    const auto neighbours = rows.neighbours_of(position);
    const auto weights = rows.weights_of(position);
    poll_cancellation(static_cast<std::uint32_t>(neighbours.size()) + 1);
    for (std::size_t k = 0; k < neighbours.size(); ++k) {
      const std::uint32_t neighbour = nodes.id_of[neighbours[k]];
      const double weight = weighted ? static_cast<double>(weights[k]) : 1.0;
      if (row_of[neighbour] != id) {
        row_of[neighbour] = id;
        slot_of[neighbour] = result.neighbours.size();
        result.neighbours.push_back(neighbour);
        result.weights.push_back(weight);
      } else if (parallel == Parallel::Sum) {
        result.weights[slot_of[neighbour]] += weight;
      } else if (weight < result.weights[slot_of[neighbour]]) {
        result.weights[slot_of[neighbour]] = weight;
      }
    }
    result.offsets[id + 1] = result.neighbours.size();
  }
  return result;
}

void require_non_negative_weights(const GraphStore& graph, const LinkList& links, const char* measure) {
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    const Weight weight = links.link_weight[link];
    if (weight >= 0.0f && std::isfinite(weight)) continue;
    throw MeasureError(std::string(measure) + " needs finite weights that are not negative; the connection from '" +
                       graph.node(links.link_source[link]).label.text() + "' to '" +
                       graph.node(links.link_target[link]).label.text() + "' weighs " + shortest_text(weight));
  }
}

}  // namespace mivora
