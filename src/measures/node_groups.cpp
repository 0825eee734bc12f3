#include "measures/node_groups.hpp"

#include <algorithm>

namespace mivora {

NodeGroups ordered_groups(const std::vector<std::uint32_t>& group_of, std::uint32_t group_count) {
  NodeGroups groups(group_count);
  std::vector<std::uint32_t> sizes(group_count, 0);
  for (const std::uint32_t group : group_of) {
    if (group < group_count) ++sizes[group];
  }
  for (std::uint32_t g = 0; g < group_count; ++g) groups[g].reserve(sizes[g]);
  for (std::uint32_t node = 0; node < group_of.size(); ++node) {
    if (group_of[node] < group_count) groups[group_of[node]].push_back(node);
  }
  std::erase_if(groups, [](const std::vector<std::uint32_t>& group) { return group.empty(); });
  std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
    if (a.size() != b.size()) return a.size() > b.size();
    return a.front() < b.front();
  });
  return groups;
}

}  // namespace mivora
