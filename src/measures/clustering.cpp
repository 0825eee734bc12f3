#include "measures/clustering.hpp"

#include <algorithm>
#include <numeric>

#include "text_io/cancellation.hpp"

namespace mivora {

// Each triangle is found once, from its lowest-ranked corner, by orienting
// every edge from the lower to the higher (degree, position) rank: every
// node then keeps at most about sqrt(2E) higher neighbours, so the work is
// O(E sqrt(E)) whatever the degree spread.
TriangleCounts count_triangles(const SimpleRows& rows) {
  const std::size_t n = rows.offsets.size() - 1;
  TriangleCounts counts;
  counts.triangles.assign(n, 0);
  counts.degree.resize(n);
  for (std::size_t u = 0; u < n; ++u) counts.degree[u] = rows.degree(u);
  auto lower = [&](std::uint32_t a, std::uint32_t b) {
    return counts.degree[a] != counts.degree[b] ? counts.degree[a] < counts.degree[b] : a < b;
  };
  std::vector<std::uint64_t> offsets(n + 1, 0);
  std::vector<std::uint32_t> higher;
  higher.reserve(rows.neighbours.size() / 2);
  for (std::uint32_t u = 0; u < n; ++u) {
    for (std::uint64_t k = rows.offsets[u]; k < rows.offsets[u + 1]; ++k) {
      if (lower(u, rows.neighbours[k])) higher.push_back(rows.neighbours[k]);
    }
    offsets[u + 1] = higher.size();
  }
  std::vector<std::uint32_t> mark(n, 0);  // mark[w] == u + 1: w is a higher neighbour of u
  for (std::uint32_t u = 0; u < n; ++u) {
    const std::uint32_t stamp = u + 1;
    for (std::uint64_t k = offsets[u]; k < offsets[u + 1]; ++k) mark[higher[k]] = stamp;
    for (std::uint64_t k = offsets[u]; k < offsets[u + 1]; ++k) {
      const std::uint32_t v = higher[k];
      poll_cancellation(static_cast<std::uint32_t>(offsets[v + 1] - offsets[v]) + 1);
      for (std::uint64_t j = offsets[v]; j < offsets[v + 1]; ++j) {
        const std::uint32_t w = higher[j];
        if (mark[w] != stamp) continue;
        ++counts.triangles[u];
        ++counts.triangles[v];
        ++counts.triangles[w];
      }
    }
  }
  return counts;
}

std::vector<double> local_clustering(const TriangleCounts& counts) {
  std::vector<double> result(counts.triangles.size(), 0.0);
  for (std::size_t u = 0; u < result.size(); ++u) {
    const std::uint64_t d = counts.degree[u];
    if (d < 2 || counts.triangles[u] == 0) continue;
    result[u] = static_cast<double>(2 * counts.triangles[u]) / static_cast<double>(d * (d - 1));
  }
  return result;
}

double transitivity(const TriangleCounts& counts, const std::vector<std::uint8_t>& taking_part) {
  std::uint64_t closed = 0, triples = 0;
  for (std::size_t u = 0; u < counts.triangles.size(); ++u) {
    if (!taking_part[u]) continue;
    const std::uint64_t d = counts.degree[u];
    closed += 2 * counts.triangles[u];
    triples += d * (d - 1);
  }
  return closed == 0 ? 0.0 : static_cast<double>(closed) / static_cast<double>(triples);
}

}  // namespace mivora
