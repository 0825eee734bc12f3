#include "measures/trees.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>

#include "measures/measure_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

std::uint32_t find_root(std::vector<std::uint32_t>& parent, std::uint32_t x) {
  while (parent[x] != x) {
    parent[x] = parent[parent[x]];
    x = parent[x];
  }
  return x;
}

// An unsigned key that orders like the weight (-0 as +0, so the two tie).
std::uint32_t weight_order(Weight weight) {
  const auto bits = std::bit_cast<std::uint32_t>(weight == 0.0f ? 0.0f : weight);
  return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

// The links that are not self-loops, lightest first, ties in link order: a
// stable two-pass radix sort (16 bits a pass) of (weight key, link) pairs.
std::vector<std::uint32_t> links_by_weight(const LinkList& links) {
  std::vector<std::uint64_t> keyed;
  keyed.reserve(links.link_count());
  for (std::uint32_t link = 0; link < links.link_count(); ++link) {
    if (std::isnan(links.link_weight[link])) {
      throw MeasureError("a minimum spanning tree needs weights that are numbers; found NaN");
    }
    if (links.link_source[link] == links.link_target[link]) continue;
    keyed.push_back(static_cast<std::uint64_t>(weight_order(links.link_weight[link])) << 32 | link);
  }
  std::vector<std::uint64_t> sorted(keyed.size());
  for (const int shift : {32, 48}) {
    std::vector<std::uint64_t> count(65537, 0);
    for (const std::uint64_t key : keyed) ++count[((key >> shift) & 0xffff) + 1];
    for (std::size_t d = 0; d < 65536; ++d) count[d + 1] += count[d];
    for (const std::uint64_t key : keyed) sorted[count[(key >> shift) & 0xffff]++] = key;
    keyed.swap(sorted);
    poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(keyed.size(), UINT32_MAX)));
  }
  std::vector<std::uint32_t> order(keyed.size());
  for (std::size_t k = 0; k < keyed.size(); ++k) order[k] = static_cast<std::uint32_t>(keyed[k]);
  return order;
}

}  // namespace

GraphStore minimum_spanning_tree(const GraphStore& graph, const LinkList& links) {
  const std::vector<std::uint32_t> candidates = links_by_weight(links);

  const std::size_t n = links.node_count;
  std::vector<std::uint32_t> parent(n);
  std::iota(parent.begin(), parent.end(), 0u);
  // New positions: the first node of each label, in order.
  std::vector<std::uint32_t> new_position(n, 0);
  GraphStore tree;
  std::size_t members = 0;
  for (NodeIndex position = 0; position < n; ++position) {
    if (links.canonical[position]) new_position[position] = static_cast<NodeId>(members++);
  }
  tree.reserve(members);
  for (NodeIndex position = 0; position < n; ++position) {
    if (!links.canonical[position]) continue;
    const NodeRecord& node = graph.node(position);
    if (node.has_position()) {
      const GraphStore::Coordinates at = graph.coordinates(position);
      tree.add_node_with_pos(node.label, at.x, at.y);
    } else {
      tree.add_node(node.label);
    }
  }

  std::vector<GraphStore::PositionedConnection> chosen;
  chosen.reserve(members > 0 ? members - 1 : 0);
  for (const std::uint32_t link : candidates) {
    poll_cancellation();
    const std::uint32_t a = find_root(parent, links.link_source[link]);
    const std::uint32_t b = find_root(parent, links.link_target[link]);
    if (a == b) continue;
    parent[std::max(a, b)] = std::min(a, b);
    chosen.push_back(
        {new_position[links.link_source[link]], new_position[links.link_target[link]], links.link_weight[link], false});
    if (chosen.size() + 1 == members) break;
  }
  tree.add_connections(chosen);
  return tree;
}

}  // namespace mivora
