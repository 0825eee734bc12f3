#pragma once
// The simple undirected picture of a graph's links that clustering and cores
// work on: direction ignored, parallel connections merged, self-loops left
// out, and only the first node of each label taking part.
#include <cstdint>
#include <vector>

#include "graph_core/snapshot.hpp"

namespace mivora {

struct SimpleRows {
  std::vector<std::uint64_t> offsets;  // node_count + 1 entries
  std::vector<std::uint32_t> neighbours;

  std::size_t degree(std::size_t node) const { return offsets[node + 1] - offsets[node]; }
};

SimpleRows simple_undirected_rows(const LinkList& links);

}  // namespace mivora
