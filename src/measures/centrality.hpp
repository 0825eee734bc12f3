#pragma once
// Shortest-path centralities of the measured graph (see measured_graph.hpp):
// arcs followed forward, edges both ways, parallel connections as one with
// the least weight. Weighted variants sum single-precision weights in double
// precision and need weights that are not negative (MeasureError otherwise).
// Results are indexed by measured id.
#include <vector>

#include "graph_core/snapshot.hpp"
#include "measures/measured_graph.hpp"

namespace mivora {

struct BetweennessOptions {
  bool normalized = true;
  bool weighted = false;
  bool endpoints = false;
};

// Brandes' algorithm: for every node, the share of shortest paths between
// other pairs that pass through it. Normalised by the number of ordered
// pairs; unnormalised values of an undirected graph count each pair once.
std::vector<double> betweenness_centrality(const GraphStore& graph, const Snapshot& snapshot,
                                           const MeasuredNodes& nodes, BetweennessOptions options);

// (r - 1) / (sum of distances from the r - 1 nodes that reach a node),
// scaled by (r - 1) / (n - 1) (Wasserman and Faust); 0 when nothing reaches it.
std::vector<double> closeness_centrality(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                                         bool weighted);

// Sum of 1 / distance over the nodes that reach a node at a distance above 0.
std::vector<double> harmonic_centrality(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                                        bool weighted);

}  // namespace mivora
