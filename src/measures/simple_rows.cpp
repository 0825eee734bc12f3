#include "measures/simple_rows.hpp"

#include "text_io/cancellation.hpp"

namespace mivora {

SimpleRows simple_undirected_rows(const LinkList& links) {
  const std::size_t n = links.node_count;
  SimpleRows rows;
  rows.offsets.assign(n + 1, 0);
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    if (links.link_source[link] == links.link_target[link]) continue;
    ++rows.offsets[links.link_source[link] + 1];
    ++rows.offsets[links.link_target[link] + 1];
  }
  for (std::size_t u = 0; u < n; ++u) rows.offsets[u + 1] += rows.offsets[u];
  rows.neighbours.resize(rows.offsets[n]);
  {
    std::vector<std::uint64_t> cursor(rows.offsets.begin(), rows.offsets.end() - 1);
    for (std::size_t link = 0; link < links.link_count(); ++link) {
      const std::uint32_t a = links.link_source[link], b = links.link_target[link];
      if (a == b) continue;
      rows.neighbours[cursor[a]++] = b;
      rows.neighbours[cursor[b]++] = a;
    }
  }
  poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(links.link_count(), UINT32_MAX)));
  // Repeated neighbours (parallel links, both directions of a pair) are
  // dropped row by row, compacting in place.
  std::vector<std::uint32_t> last_seen(n, 0);  // == u + 1 once taken into u's row
  std::uint64_t write = 0;
  for (std::uint32_t u = 0; u < n; ++u) {
    const std::uint64_t begin = rows.offsets[u], end = rows.offsets[u + 1];
    rows.offsets[u] = write;
    poll_cancellation(static_cast<std::uint32_t>(end - begin) + 1);
    for (std::uint64_t k = begin; k < end; ++k) {
      const std::uint32_t v = rows.neighbours[k];
      if (last_seen[v] == u + 1) continue;
      last_seen[v] = u + 1;
      rows.neighbours[write++] = v;
    }
  }
  rows.offsets[n] = write;
  rows.neighbours.resize(write);
  return rows;
}

}  // namespace mivora
