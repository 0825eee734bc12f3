#pragma once
// Whole-graph passes stall on each node's connection list (the lists lie
// where they grew, not in node order); asking for the list of a node a few
// positions ahead hides most of that wait.
#include <algorithm>
#include <vector>

#include "graph_core/graph.hpp"

namespace mivora {

inline constexpr NodeIndex kPrefetchDistance = 8;

// The cache lines of a connection list, up to its first `max_bytes`.
inline void prefetch_list_lines(const ConnectionList& connections, std::size_t max_bytes) {
  const auto* bytes = reinterpret_cast<const char*>(connections.data());
  const std::size_t size = std::min(connections.size() * sizeof(StoredConnection), max_bytes);
  for (std::size_t line = 0; line < size; line += 64) __builtin_prefetch(bytes + line);
}

inline void prefetch_connections(const GraphStore& graph, NodeIndex position) {
  position += kPrefetchDistance;
  if (position >= graph.node_count()) return;
  // A list of three or more connections spans a second cache line.
  prefetch_list_lines(graph.node(position).connections, 128);
}

}  // namespace mivora
