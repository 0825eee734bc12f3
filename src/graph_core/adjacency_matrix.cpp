#include "graph_core/adjacency_matrix.hpp"
#include "text_io/number_text.hpp"

#include <algorithm>

namespace mivora {

AdjacencyMatrix generate_adjacency_matrix(const GraphStore& graph) {
  struct Write {
    std::uint32_t row, column;
    float weight;
  };
  const std::size_t n = graph.node_count();
  std::vector<Write> writes;
  writes.reserve(graph.get_edge_count());
  for_each_matrix_write(graph, [&](NodeIndex row, NodeIndex column, float weight) {
    writes.push_back({static_cast<NodeId>(row), static_cast<NodeId>(column), weight});
  });
  // Bucket the writes by row, keeping their order within a row.
  std::vector<std::size_t> bucket(n + 1, 0);
  for (const Write& write : writes) ++bucket[write.row + 1];
  for (std::size_t r = 0; r < n; ++r) bucket[r + 1] += bucket[r];
  std::vector<std::size_t> next(bucket.begin(), bucket.end() - 1);
  std::vector<std::uint32_t> ordered(writes.size());
  for (std::size_t k = 0; k < writes.size(); ++k) ordered[next[writes[k].row]++] = static_cast<std::uint32_t>(k);

  AdjacencyMatrix matrix;
  matrix.size = n;
  matrix.start.assign(n + 1, 0);
  matrix.column.reserve(writes.size());
  matrix.weight.reserve(writes.size());
  // slot_of[c] is the entry of column c in the row being built, valid while
  // row_of[c] names that row.
  std::vector<std::size_t> slot_of(n);
  std::vector<std::uint32_t> row_of(n, UINT32_MAX);
  for (std::size_t r = 0; r < n; ++r) {
    for (std::size_t k = bucket[r]; k < bucket[r + 1]; ++k) {
      const Write& write = writes[ordered[k]];
      if (row_of[write.column] == r) {
        matrix.weight[slot_of[write.column]] = write.weight;  // the later write wins
      } else {
        row_of[write.column] = static_cast<std::uint32_t>(r);
        slot_of[write.column] = matrix.column.size();
        matrix.column.push_back(write.column);
        matrix.weight.push_back(write.weight);
      }
    }
    matrix.start[r + 1] = matrix.column.size();
  }
  return matrix;
}

GraphStore from_adjacency_matrix(const std::vector<std::vector<float>>& matrix, bool directed,
                                 const std::optional<std::vector<std::string>>& labels) {
  const std::size_t n = matrix.size();
  std::vector<std::string> names;
  if (labels) {
    names = *labels;
  } else {
    names.reserve(n);
    for (std::size_t k = 0; k < n; ++k) names.push_back(integer_text(k));
  }
  GraphStore graph;
  graph.reserve(names.size());
  for (const std::string& name : names) graph.append_node_unchecked(name);

  for (std::size_t i = 0; i < n; ++i) {
    const std::vector<float>& row = matrix[i];
    for (std::size_t j = 0; j < n; ++j) {
      if (row.size() <= j) {
        fail("index out of bounds: the len is " + integer_text(row.size()) + " but the index is " + integer_text(j));
      }
      const float weight = row[j];
      if (weight == 0.0f) continue;  // NaN is a connection
      if (i >= names.size() || j >= names.size()) fail(kNodeNotFound);
      graph.create_connection(names[i], names[j], directed, weight);
    }
  }
  return graph;
}

}  // namespace mivora
