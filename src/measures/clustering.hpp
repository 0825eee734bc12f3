#pragma once
// Triangles and clustering on the simple undirected picture of a snapshot
// (direction ignored, parallel connections merged, self-loops left out).
#include <cstdint>
#include <vector>

#include "graph_core/snapshot.hpp"
#include "measures/simple_rows.hpp"

namespace mivora {

struct TriangleCounts {
  std::vector<std::uint64_t> triangles;  // per node: triangles it belongs to
  std::vector<std::uint64_t> degree;     // per node: distinct neighbours other than itself
};

TriangleCounts count_triangles(const SimpleRows& rows);

// Local clustering: 2 T / (d (d - 1)), 0 where d < 2.
std::vector<double> local_clustering(const TriangleCounts& counts);

// Share of connected triples that are closed: sum 2 T / sum d (d - 1), 0
// without triangles.
double transitivity(const TriangleCounts& counts, const std::vector<std::uint8_t>& taking_part);

}  // namespace mivora
