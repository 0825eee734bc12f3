#pragma once
// k-cores on the simple undirected picture of a snapshot.
#include <cstdint>
#include <vector>

#include "measures/simple_rows.hpp"

namespace mivora {

// The core number of every node: the largest k such that the node belongs
// to a subgraph where every node has at least k neighbours.
std::vector<std::uint32_t> core_numbers(const SimpleRows& rows);

}  // namespace mivora
