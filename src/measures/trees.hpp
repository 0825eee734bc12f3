#pragma once
// Spanning trees.
#include "graph_core/graph.hpp"
#include "graph_core/snapshot.hpp"

namespace mivora {

// A minimum spanning forest of `graph` (whose links `links` are), with
// direction ignored, by Kruskal's algorithm: a new graph holding the first
// node of each label of `graph` (label and position, in order) and, as
// undirected connections, the chosen links in the order they were chosen
// (lightest first; among equal weights, the earlier link). Self-loops are
// never chosen. MeasureError for a NaN weight.
GraphStore minimum_spanning_tree(const GraphStore& graph, const LinkList& links);

}  // namespace mivora
