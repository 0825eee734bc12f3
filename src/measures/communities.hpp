#pragma once
// Communities of the measured graph and the modularity of a partition.
// Weighted throughout; parallel connections add up. A directed graph (one
// with some arc) is measured with directed modularity
//   Q = sum_c [ L_c / m - resolution * out_c * in_c / m^2 ],
// each edge as two opposite arcs and a self-loop edge as one; an undirected
// one with the undirected form, a self-loop adding its weight twice to its
// node's degree. Weights must be finite and not negative (MeasureError).
#include <cstdint>
#include <vector>

#include "graph_core/snapshot.hpp"
#include "measures/measured_graph.hpp"

namespace mivora {

// Groups of measured ids: largest first, equal sizes by their first member,
// members in ascending order.
using Communities = std::vector<std::vector<std::uint32_t>>;

// Louvain's method: local moving of nodes to the neighbouring community
// with the best modularity gain (in an order shuffled by `seed`), then the
// communities become the nodes of the next level, while a level raises
// modularity by more than 1e-7. The same seed gives the same communities.
Communities louvain_communities(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                                double resolution, std::uint64_t seed);

// Modularity of `groups`, which must hold every measured id exactly once
// (empty groups allowed); MeasureError otherwise, or when the connections
// weigh 0 in total.
double modularity(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                  const Communities& groups, double resolution);

}  // namespace mivora
