#include "measures/cores.hpp"

#include "text_io/cancellation.hpp"

namespace mivora {

// Batagelj and Zaversnik's O(E) peeling: nodes kept sorted by current degree
// in buckets; taking the lowest node lowers its higher neighbours by one,
// each moved to the front of its bucket in O(1).
std::vector<std::uint32_t> core_numbers(const SimpleRows& rows) {
  const std::size_t n = rows.offsets.size() - 1;
  std::vector<std::uint32_t> degree(n);
  std::uint32_t max_degree = 0;
  for (std::size_t u = 0; u < n; ++u) {
    degree[u] = static_cast<std::uint32_t>(rows.degree(u));
    max_degree = std::max(max_degree, degree[u]);
  }
  std::vector<std::uint32_t> bucket_start(max_degree + 2, 0);
  for (std::size_t u = 0; u < n; ++u) ++bucket_start[degree[u] + 1];
  for (std::uint32_t d = 0; d <= max_degree; ++d) bucket_start[d + 1] += bucket_start[d];
  std::vector<std::uint32_t> order(n), place(n);
  {
    std::vector<std::uint32_t> cursor(bucket_start.begin(), bucket_start.end() - 1);
    for (std::uint32_t u = 0; u < n; ++u) {
      place[u] = cursor[degree[u]]++;
      order[place[u]] = u;
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t u = order[i];
    poll_cancellation(static_cast<std::uint32_t>(rows.degree(u)) + 1);
    for (std::uint64_t k = rows.offsets[u]; k < rows.offsets[u + 1]; ++k) {
      const std::uint32_t v = rows.neighbours[k];
      if (degree[v] <= degree[u]) continue;
      // Swap v with the first node of its bucket, then shrink the bucket by one.
      const std::uint32_t d = degree[v];
      const std::uint32_t first_place = bucket_start[d];
      const std::uint32_t first = order[first_place];
      if (first != v) {
        order[place[v]] = first;
        place[first] = place[v];
        order[first_place] = v;
        place[v] = first_place;
      }
      ++bucket_start[d];
      --degree[v];
    }
  }
  return degree;
}

}  // namespace mivora
