#pragma once
// Weakly connected components (directions ignored) of a link list, numbered
// from the largest: the drawing colours nodes by this number and the
// notebook summary counts them.
#include <cstdint>
#include <vector>

#include "graph_core/snapshot.hpp"

namespace mivora {

struct ComponentsBySize {
  std::vector<std::uint32_t> of_node;  // component number of each node position
  std::vector<std::uint32_t> sizes;    // node count of each component, largest first
};

// Components numbered by size, larger first; equal sizes in the order of
// their first node.
ComponentsBySize components_by_size(const LinkList& links);

}  // namespace mivora
