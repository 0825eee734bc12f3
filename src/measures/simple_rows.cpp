#include "measures/simple_rows.hpp"

#include "text_io/cancellation.hpp"

namespace mivora {

SimpleRows simple_undirected_rows(const Snapshot& snapshot) {
  const std::size_t n = snapshot.node_count;
  SimpleRows rows;
  rows.offsets.assign(n + 1, 0);
  rows.neighbours.reserve(snapshot.out.neighbours.size() + snapshot.in.neighbours.size());
  // last_seen[v] == u + 1 once v has been taken into u's row.
  std::vector<std::uint32_t> last_seen(n, 0);
  for (std::uint32_t u = 0; u < n; ++u) {
    const std::uint32_t stamp = u + 1;
    for (const AdjacencyRows* side : {&snapshot.out, &snapshot.in}) {
      const auto neighbours = side->neighbours_of(u);
      poll_cancellation(static_cast<std::uint32_t>(neighbours.size()) + 1);
      for (const std::uint32_t v : neighbours) {
        if (v == u || last_seen[v] == stamp) continue;
        last_seen[v] = stamp;
        rows.neighbours.push_back(v);
      }
    }
    rows.offsets[u + 1] = rows.neighbours.size();
  }
  return rows;
}

}  // namespace mivora
