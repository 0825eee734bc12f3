#pragma once
// Conversion between a graph and a square matrix of single-precision weights.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "graph_core/graph.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/prefetch.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

inline constexpr const char* kNodeNotFound = "Node not found";

// An n x n matrix held as its assigned cells: row r lists each column it
// assigned once, with the weight written last (0 and NaN included); every
// other cell is 0. [i][j] is the weight from node i to node j.
struct AdjacencyMatrix {
  std::size_t size = 0;
  std::vector<std::size_t> start;  // row r spans [start[r], start[r + 1])
  std::vector<std::uint32_t> column;
  std::vector<float> weight;
};

// Calls write(row, column, weight) for every cell assignment the matrix gets,
// in order: each record writes [from][to], an undirected one then [to][from];
// a later write to a cell replaces an earlier one. Rows and columns are
// canonical positions (the first node carrying a label). A record whose "to"
// names no node of the graph calls `missing_target` (which throws), by
// default failing with "no entry found for key".
template <typename Write, typename MissingTarget>
void for_each_matrix_write(const GraphStore& graph, Write&& write, MissingTarget&& missing_target) {
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    prefetch_connections(graph, position);
    const NodeRecord& node = graph.node(position);
    poll_cancellation(static_cast<std::uint32_t>(node.connections.size()) + 1);
    if (node.connections.empty()) continue;
    const NodeIndex from = graph.canonical_position(position);
    for (const StoredConnection& connection : node.connections) {
      NodeIndex to;
      if (connection.is_local()) {
        to = graph.canonical_position(connection.target);
      } else {
        const auto target = graph.record_target_position(connection, node.outside_target(connection).get());
        if (!target) {
          missing_target();
          fail(kNoEntryForKey);
        }
        to = *target;
      }
      write(from, to, connection.weight);
      if (!connection.directed) write(to, from, connection.weight);
    }
  }
}

template <typename Write>
void for_each_matrix_write(const GraphStore& graph, Write&& write) {
  for_each_matrix_write(graph, std::forward<Write>(write), [] {});
}

AdjacencyMatrix generate_adjacency_matrix(const GraphStore& graph);

// A new graph with one node per label (default labels "0" .. "n-1") and one
// connection per non-zero cell, created row by row. Rows must hold at least
// as many cells as there are rows.
GraphStore from_adjacency_matrix(const std::vector<std::vector<float>>& matrix, bool directed,
                                 const std::optional<std::vector<std::string>>& labels);

}  // namespace mivora
