#pragma once
// The graph as centralities, PageRank and communities see it: one node per
// label (the first node carrying it), numbered 0..n-1 in node order, with
// the snapshot's rows renumbered to match. Connections to nodes outside the
// graph or gone are already left out by the snapshot.
#include <cstdint>
#include <span>
#include <vector>

#include "graph_core/snapshot.hpp"

namespace mivora {

struct MeasuredNodes {
  std::vector<NodeIndex> positions;  // measured id -> node position
  std::vector<std::uint32_t> id_of;  // node position -> measured id (repeats: kNoNode)
  // Whether some kept link is an arc: the graph is then measured as a
  // directed multigraph (each edge as two opposite arcs, a self-loop edge as
  // one); otherwise as an undirected multigraph.
  bool directed = false;

  std::size_t size() const { return positions.size(); }
};

MeasuredNodes measured_nodes(const Snapshot& snapshot);

// Rows by measured id with double weights.
struct NeighbourRows {
  std::vector<std::uint64_t> offsets;  // size() + 1 entries
  std::vector<std::uint32_t> neighbours;
  std::vector<double> weights;

  std::size_t size() const { return offsets.size() - 1; }
  std::span<const std::uint32_t> neighbours_of(std::uint32_t node) const {
    return {neighbours.data() + offsets[node], static_cast<std::size_t>(offsets[node + 1] - offsets[node])};
  }
  std::span<const double> weights_of(std::uint32_t node) const {
    return {weights.data() + offsets[node], static_cast<std::size_t>(offsets[node + 1] - offsets[node])};
  }
};

// How the entries for one neighbour are joined.
enum class Parallel {
  Least,  // once, with the least weight (shortest paths through a multigraph)
  Sum,    // once, with the summed weight (matrices of a multigraph)
};

// The rows renumbered, each neighbour once, in the order it is first met.
// Unweighted rows count each entry as weight 1.
NeighbourRows neighbour_rows(const AdjacencyRows& rows, const MeasuredNodes& nodes, Parallel parallel, bool weighted);

// The one weight rule of every weighted walk (paths, centralities, PageRank,
// communities): weights finite and not negative. MeasureError naming the
// first kept link whose weight is negative, infinite or NaN.
void require_non_negative_weights(const GraphStore& graph, const LinkList& links, const char* measure);

}  // namespace mivora
