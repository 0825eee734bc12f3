#pragma once
// Node groups (components, communities) by position, in one fixed order:
// largest first; groups of equal size by their first member; members in
// position (insertion) order.
#include <cstdint>
#include <vector>

namespace mivora {

using NodeGroups = std::vector<std::vector<std::uint32_t>>;

// Groups the nodes whose `group_of` entry is below `group_count`; others
// (nodes that take no part) are left out.
NodeGroups ordered_groups(const std::vector<std::uint32_t>& group_of, std::uint32_t group_count);

}  // namespace mivora
