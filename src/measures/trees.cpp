#include "measures/trees.hpp"

#include <algorithm>
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

}  // namespace

_Graph minimum_spanning_tree(const _Graph& graph, const LinkList& links) {
  std::vector<std::uint32_t> candidates;
  candidates.reserve(links.link_count());
  for (std::uint32_t link = 0; link < links.link_count(); ++link) {
    if (std::isnan(links.link_weight[link])) {
      throw MeasureError("a minimum spanning tree needs weights that are numbers; found NaN");
    }
    if (links.link_source[link] != links.link_target[link]) candidates.push_back(link);
  }
  std::stable_sort(candidates.begin(), candidates.end(), [&](std::uint32_t a, std::uint32_t b) {
    return links.link_weight[a] < links.link_weight[b];
  });

  const std::size_t n = links.node_count;
  std::vector<std::uint32_t> parent(n);
  std::iota(parent.begin(), parent.end(), 0u);
  // New positions: the first node of each label, in order.
  std::vector<std::uint32_t> new_position(n, 0);
  _Graph tree;
  std::size_t members = 0;
  for (NodeIndex position = 0; position < n; ++position) {
    if (links.canonical[position]) new_position[position] = static_cast<std::uint32_t>(members++);
  }
  tree.reserve(members);
  for (NodeIndex position = 0; position < n; ++position) {
    if (!links.canonical[position]) continue;
    const _Node& node = graph.node(position);
    if (node.has_position()) {
      tree.add_node_with_pos(node.label, node.x, node.y);
    } else {
      tree.add_node(node.label);
    }
  }

  std::vector<_Graph::PositionedConnection> chosen;
  chosen.reserve(members > 0 ? members - 1 : 0);
  for (const std::uint32_t link : candidates) {
    poll_cancellation();
    const std::uint32_t a = find_root(parent, links.link_source[link]);
    const std::uint32_t b = find_root(parent, links.link_target[link]);
    if (a == b) continue;
    parent[std::max(a, b)] = std::min(a, b);
    chosen.push_back({new_position[links.link_source[link]], new_position[links.link_target[link]],
                      links.link_weight[link], false});
    if (chosen.size() + 1 == members) break;
  }
  tree.add_connections(chosen);
  return tree;
}

}  // namespace mivora
