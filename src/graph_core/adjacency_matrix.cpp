#include "graph_core/adjacency_matrix.hpp"

namespace mivora {

AdjacencyMatrix generate_adjacency_matrix(const _Graph& graph) {
  AdjacencyMatrix matrix;
  matrix.size = graph.node_count();
  matrix.cells.assign(matrix.size * matrix.size, 0.0f);
  for_each_matrix_write(graph, [&](NodeIndex row, NodeIndex column, float weight) {
    matrix.cells[row * matrix.size + column] = weight;
  });
  return matrix;
}

_Graph from_adjacency_matrix(const std::vector<std::vector<float>>& matrix, bool directed,
                             const std::optional<std::vector<std::string>>& labels) {
  const std::size_t n = matrix.size();
  std::vector<std::string> names;
  if (labels) {
    names = *labels;
  } else {
    names.reserve(n);
    for (std::size_t k = 0; k < n; ++k) names.push_back(std::to_string(k));
  }
  _Graph graph;
  graph.reserve(names.size());
  for (const std::string& name : names) graph.append_node_unchecked(name);

  for (std::size_t i = 0; i < n; ++i) {
    const std::vector<float>& row = matrix[i];
    for (std::size_t j = 0; j < n; ++j) {
      if (row.size() <= j) {
        fail("index out of bounds: the len is " + std::to_string(row.size()) + " but the index is " +
             std::to_string(j));
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
