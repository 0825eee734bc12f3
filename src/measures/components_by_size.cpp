#include "graph_core/types.hpp"
#include "measures/components_by_size.hpp"

#include <algorithm>
#include <numeric>

#include "graph_core/disjoint_sets.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
ComponentsBySize components_by_size(const LinkList& links) {
  const std::size_t n = links.node_count;
  DisjointSets sets(n);
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    poll_cancellation();
    sets.join(links.link_source[link], links.link_target[link]);
  }

  // Roots in order of first node, then stably sorted by size.
  std::vector<std::uint32_t> first_order(n, kNoNode);  // root -> order of first appearance
  std::vector<std::uint32_t> roots;
  std::vector<std::uint32_t> sizes;
  std::vector<std::uint32_t> root_of(n);
  for (std::uint32_t node = 0; node < n; ++node) {
    const std::uint32_t root = sets.find(node);
    root_of[node] = root;
    if (first_order[root] == kNoNode) {
      first_order[root] = static_cast<std::uint32_t>(roots.size());
      roots.push_back(root);
      sizes.push_back(0);
    }
    ++sizes[first_order[root]];
  }
  std::vector<std::uint32_t> rank(roots.size());
  std::iota(rank.begin(), rank.end(), 0u);
  std::stable_sort(rank.begin(), rank.end(), [&](std::uint32_t a, std::uint32_t b) { return sizes[a] > sizes[b]; });
  std::vector<std::uint32_t> number_of(roots.size());
  ComponentsBySize result;
  result.sizes.reserve(roots.size());
  for (std::uint32_t r = 0; r < rank.size(); ++r) {
    number_of[rank[r]] = r;
    result.sizes.push_back(sizes[rank[r]]);
  }
  result.of_node.resize(n);
  for (std::uint32_t node = 0; node < n; ++node) result.of_node[node] = number_of[first_order[root_of[node]]];
  return result;
}

}  // namespace mivora
