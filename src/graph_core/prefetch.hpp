#pragma once
// Whole-graph passes stall on each node's connection list (the lists lie
// where they grew, not in node order); asking for the list of a node a few
// positions ahead hides most of that wait.
#include <algorithm>
#include <vector>

#include "graph_core/graph.hpp"

namespace mivora {

inline constexpr NodeIndex kPrefetchDistance = 8;

// The first cache line of a connection list: its counts and first
// connections. Asked for before prefetch_list_lines, which reads the counts.
inline void prefetch_list_start(const ConnectionList& connections) {
  if (const void* line = connections.first_line()) __builtin_prefetch(line);
}

// The cache lines of a connection list, up to its first `max_bytes`.
inline void prefetch_list_lines(const ConnectionList& connections, std::size_t max_bytes) {
  const auto* bytes = reinterpret_cast<const char*>(connections.data());
  const std::size_t size = std::min(connections.size() * sizeof(StoredConnection), max_bytes);
  for (std::size_t line = 0; line < size; line += 64) __builtin_prefetch(bytes + line);
}

inline void prefetch_connections(const GraphStore& graph, NodeIndex position) {
  // The list's first line, which holds its counts and first seven
  // connections; a longer list is then read in order, which the hardware
  // follows by itself.
  position += kPrefetchDistance;
  if (position < graph.node_count()) prefetch_list_start(graph.node(position).connections);
}

}  // namespace mivora
