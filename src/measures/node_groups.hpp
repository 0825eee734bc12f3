#pragma once
// Node groups (components, communities) by position, in one fixed order:
// largest first; groups of equal size by their first member; members in
// position (insertion) order. Kept flat: a graph of many small groups costs
// no allocation per group.
#include <cstdint>
#include <span>
#include <vector>

namespace mivora {

struct NodeGroups {
  std::vector<std::uint32_t> members;  // group after group
  std::vector<std::uint64_t> starts;   // group k spans starts[k] .. starts[k + 1]

  std::size_t size() const { return starts.empty() ? 0 : starts.size() - 1; }
  std::span<const std::uint32_t> operator[](std::size_t k) const {
    return {members.data() + starts[k], static_cast<std::size_t>(starts[k + 1] - starts[k])};
  }
};

// Groups the nodes whose `group_of` entry is below `group_count`; others
// (nodes that take no part) are left out.
NodeGroups ordered_groups(const std::vector<std::uint32_t>& group_of, std::uint32_t group_count);

}  // namespace mivora
