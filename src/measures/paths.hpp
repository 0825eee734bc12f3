#pragma once
// Shortest paths over out-rows: arcs followed forward, edges both ways.
// Unweighted paths count hops; weighted ones sum the connection weights
// (single precision each, summed in double precision) with Dijkstra's
// algorithm, which needs weights that are not negative.
#include <cstdint>
#include <optional>
#include <vector>

#include "graph_core/snapshot.hpp"

namespace mivora {

// Distances from one source (infinity where unreached) and the node each
// reached node was reached from (kNoNode for the source and unreached ones).
struct PathTree {
  std::vector<double> distance;
  std::vector<std::uint32_t> parent;
  // The reached nodes in the order they were settled, source first.
  std::vector<std::uint32_t> settled;
};

// The walk from `source`; it may stop once `target` is settled.
// Weighted, it needs weights finite and not negative everywhere in the links
// (require_non_negative_weights; `graph` names the offending link).
PathTree shortest_path_tree(const GraphStore& graph, const LinkList& links, const AdjacencyRows& out,
                            std::uint32_t source, bool weighted, std::uint32_t target = kNoNode);

// The nodes from the tree's source to `target`, both included; empty when
// `target` was not reached.
std::vector<std::uint32_t> path_to(const PathTree& tree, std::uint32_t target);

// Eccentricity (greatest hop count to another node) of every taking-part
// node, following arcs forward; kNoNode for nodes that take no part.
// MeasureError when some node cannot reach every other one, or when there
// are no nodes.
std::vector<std::uint32_t> eccentricities(const LinkList& links, const AdjacencyRows& out);

}  // namespace mivora
