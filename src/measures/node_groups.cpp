#include "measures/node_groups.hpp"

#include <algorithm>
#include <numeric>

namespace mivora {

NodeGroups ordered_groups(const std::vector<std::uint32_t>& group_of, std::uint32_t group_count) {
  // Counting sort by group keeps members in position order within each group.
  std::vector<std::uint64_t> start(group_count + 1, 0);
  for (const std::uint32_t group : group_of) {
    if (group < group_count) ++start[group + 1];
  }
  for (std::uint32_t g = 0; g < group_count; ++g) start[g + 1] += start[g];
  std::vector<std::uint32_t> by_group(start[group_count]);
  {
    std::vector<std::uint64_t> cursor(start.begin(), start.end() - 1);
    for (std::uint32_t node = 0; node < group_of.size(); ++node) {
      if (group_of[node] < group_count) by_group[cursor[group_of[node]]++] = node;
    }
  }
  std::vector<std::uint32_t> order;
  order.reserve(group_count);
  for (std::uint32_t g = 0; g < group_count; ++g) {
    if (start[g + 1] > start[g]) order.push_back(g);
  }
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const std::uint64_t size_a = start[a + 1] - start[a], size_b = start[b + 1] - start[b];
    if (size_a != size_b) return size_a > size_b;
    return by_group[start[a]] < by_group[start[b]];
  });
  NodeGroups groups;
  groups.members.reserve(by_group.size());
  groups.starts.reserve(order.size() + 1);
  groups.starts.push_back(0);
  for (const std::uint32_t g : order) {
    groups.members.insert(groups.members.end(), by_group.begin() + static_cast<std::ptrdiff_t>(start[g]),
                          by_group.begin() + static_cast<std::ptrdiff_t>(start[g + 1]));
    groups.starts.push_back(groups.members.size());
  }
  return groups;
}

}  // namespace mivora
