#pragma once
// Walks from a start node: breadth-first and depth-first traversals over the
// stored connections, and single-source shortest distances by weight.
#include <string_view>
#include <vector>

#include "graph_core/graph.hpp"

namespace mivora {

inline constexpr const char* kInitialNodeNotFound = "Error: Initial node not found";

// Nodes in visiting order: positions[k] is the position of the k-th node in
// the graph, or kOutside with nodes[k] the node itself when it lies outside
// the graph (nodes[k] is null otherwise; `nodes` may be left empty by a walk
// that never leaves the graph). A walk leaves the graph through
// connections added to foreign nodes; those are held here while in use.
struct TraversalOrder {
  static constexpr NodeIndex kOutside = static_cast<NodeIndex>(-1);

  std::vector<NodeIndex> positions;
  std::vector<const NodeRecord*> nodes;
  std::vector<NodeHandle> foreign;

  std::size_t size() const { return positions.size(); }
  const NodeRecord& node(const GraphStore& graph, std::size_t k) const {
    return positions[k] == kOutside ? *nodes[k] : graph.node(positions[k]);
  }
};

// Both follow a connection from the node storing it to its target, whatever
// its direction, wherever the target lives; lapsed targets are skipped and
// nodes are recognised by label.
TraversalOrder bfs(const GraphStore& graph, std::string_view start_label);
TraversalOrder dfs(const GraphStore& graph, std::string_view start_label);

// Distance of every node (by position; nodes sharing a label share their
// label's distance), +inf where unreached. Weights are summed in single
// precision; a 0 weight is no connection; negative weights are taken as they
// are. Fails with "Node not found" for an unknown start, then with "no entry
// found for key" when a connection leads to a label outside the graph.
std::vector<double> dijkstra(const GraphStore& graph, std::string_view start_label);

}  // namespace mivora
