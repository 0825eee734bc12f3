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
// connections. Asked for before prefetch_list_end, which reads the counts.
inline void prefetch_list_start(const ConnectionList& connections) {
  if (const void* line = connections.first_line()) __builtin_prefetch(line);
}

// The line of a short connection list's last connection, or the one after
// its first for a longer list: one line without a loop over the lines, whose
// varying count the processor mispredicts. A longer list is then read in
// order, which the hardware follows by itself.
inline void prefetch_list_end(const ConnectionList& connections) {
  const auto* start = static_cast<const char*>(connections.first_line());
  const std::size_t bytes = connections.size() * sizeof(StoredConnection);
  __builtin_prefetch(start + std::min<std::size_t>(bytes, 64));
}

inline void prefetch_connections(const GraphStore& graph, NodeIndex position) {
  // The list's first line, which holds its counts and first seven
  // connections; a longer list is then read in order, which the hardware
  // follows by itself.
  position += kPrefetchDistance;
  if (position < graph.node_count()) prefetch_list_start(graph.node(position).connections);
}

}  // namespace mivora
