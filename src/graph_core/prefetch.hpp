#pragma once
// Whole-graph passes stall on each node's connection list (the lists lie
// where they grew, not in node order); asking for the list of a node a few
// positions ahead hides most of that wait.
#include "graph_core/graph.hpp"

namespace mivora {

inline constexpr NodeIndex kPrefetchDistance = 8;

inline void prefetch_connections(const GraphStore& graph, NodeIndex position) {
  position += kPrefetchDistance;
  if (position >= graph.node_count()) return;
  // A list of three or more connections spans a second cache line.
  const auto& connections = graph.node(position).connections;
  __builtin_prefetch(connections.data());
  if (connections.size() > 2) __builtin_prefetch(reinterpret_cast<const char*>(connections.data()) + 64);
}

}  // namespace mivora
