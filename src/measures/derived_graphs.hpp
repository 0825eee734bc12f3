#pragma once
// Graphs made from a graph's links (as take_link_list sees them: links to
// nodes outside the graph left out, repeated labels counted on their first
// node): subgraphs, the largest component, the k-core and other versions.
// Each is a new store made by derive_graph; except for the copy, only the
// first node of each label is kept.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "graph_core/derived_graph.hpp"
#include "graph_core/snapshot.hpp"

namespace mivora {

// The nodes whose `keep` entry (by position) is set, and every link between two of them.
GraphStore induced_subgraph(const GraphStore& graph, const LinkList& links, std::span<const std::uint8_t> keep);

// The links whose `selected` entry (by link, as take_link_list numbers them)
// is set, with their ends, or with every node when `keep_all_nodes`.
GraphStore link_subgraph(const GraphStore& graph, const LinkList& links, std::span<const std::uint8_t> selected,
                         bool keep_all_nodes);

// The largest weakly (direction ignored) or strongly connected component; of
// equal sizes the one whose first node came first. Empty for an empty graph.
GraphStore largest_component(const GraphStore& graph, const LinkList& links, bool strong);

// The nodes whose core number (on the simple undirected picture) is at
// least k, and the links between them; k absent: the largest core number.
GraphStore k_core(const GraphStore& graph, const LinkList& links, std::optional<std::uint32_t> k);

// Every node (repeated labels too) and every link.
GraphStore copy_graph(const GraphStore& graph, const LinkList& links);

// How parallel links become one in the undirected version.
enum class ParallelLinks {
  Keep,   // not at all: every link stays, made undirected
  Sum,    // one link per pair of nodes, weighing the sum
  Least,  // ... the least weight (NaN only when all are)
  Most,   // ... the greatest weight (NaN only when all are)
  First,  // ... the weight of the earliest link
};

// Every link undirected; a merged link keeps the ends and place of the
// earliest link between its two nodes.
GraphStore undirected_graph(const GraphStore& graph, const LinkList& links, ParallelLinks parallel);

// Every directed link turned round; undirected ones as they are.
GraphStore reversed_graph(const GraphStore& graph, const LinkList& links);

}  // namespace mivora
