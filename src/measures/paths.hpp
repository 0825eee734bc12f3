#pragma once
// Shortest paths over out-rows: arcs followed forward, edges both ways.
// Unweighted paths count hops; weighted ones sum the connection weights
// (single precision each, summed in double precision) with Dijkstra's
// algorithm, which needs weights that are not negative.
#include <cstdint>
#include <vector>

#include "graph_core/searches.hpp"
#include "graph_core/snapshot.hpp"

namespace mivora {

// The search from `source` (graph_core/searches.hpp); it may stop once
// `target` is settled. Weighted, it needs weights finite and not negative
// everywhere in the links (require_non_negative_weights; `graph` names the
// offending link).
ShortestPaths<double> shortest_path_tree(const GraphStore& graph, const LinkList& links, const AdjacencyRows& out,
                                         std::uint32_t source, bool weighted, std::uint32_t target = kNoNode);

// Eccentricity (greatest hop count to another node) of every taking-part
// node, following arcs forward; kNoNode for nodes that take no part.
// MeasureError when some node cannot reach every other one, or when there
// are no nodes.
std::vector<std::uint32_t> eccentricities(const LinkList& links, const AdjacencyRows& out);

}  // namespace mivora
