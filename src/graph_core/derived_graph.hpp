#pragma once
// Derived graphs (subgraphs, components, copies, other versions) are new
// stores: the graph they come from never loses anything. Every one of them
// is made here, by one copy of the chosen nodes and links, so that what a
// node or link carries travels with it in one place.
#include <cstddef>
#include <cstdint>
#include <span>

#include "graph_core/graph.hpp"

namespace mivora {

// One link of a derived graph. `link` is the link of the source graph it
// comes from (its place in take_link_list's record order); `from` and `to`
// are positions in the source graph (a reversed or merged link may differ
// from its origin in ends, weight and kind).
struct DerivedLink {
  std::size_t link;
  std::uint32_t from;
  std::uint32_t to;
  Weight weight;
  bool directed;
};

// A new graph holding the nodes at `nodes` (increasing positions of
// `graph`) with their labels and coordinates, in that order, and the links,
// each stored on the node it leaves, in the order given. Every link's ends
// must be among `nodes`.
GraphStore derive_graph(const GraphStore& graph, std::span<const std::uint32_t> nodes,
                        std::span<const DerivedLink> links);

}  // namespace mivora
