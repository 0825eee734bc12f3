#pragma once
// Questions about single nodes and pairs of nodes, answered on the links of
// a snapshot (links to nodes outside the graph left out, repeated labels counted on
// their first node), and degrees of every node as flat arrays.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graph_core/snapshot.hpp"

namespace mivora {

// Which links of a node count: those leaving it, those reaching it, or
// both. An undirected link leaves and reaches both its ends.
enum class LinkDirection { Out, In, All };

// Both kinds of rows of a graph's links, each row sorted by neighbour (ties
// in link order), without weights, and the unweighted degrees: what the
// questions about single nodes read (kept with the graph's other views).
struct LinkRows {
  AdjacencyRows out;
  AdjacencyRows in;  // empty when symmetric: see incoming()
  std::vector<std::int64_t> out_degree;
  std::vector<std::int64_t> in_degree;   // empty when symmetric
  std::vector<std::int64_t> all_degree;  // empty when symmetric
  // No link is an arc: each link lies in the rows of both its ends either
  // way, so the in-rows and the in and all degrees would repeat the out
  // ones, and are not kept.
  bool symmetric = false;

  const AdjacencyRows& incoming() const { return symmetric ? out : in; }
  std::size_t memory_bytes() const {
    std::size_t bytes = 0;
    for (const AdjacencyRows* rows : {&out, &in}) {
      bytes += rows->offsets.capacity() * sizeof(std::uint64_t) + rows->neighbours.capacity() * sizeof(std::uint32_t) +
               rows->links.capacity() * sizeof(std::uint32_t);
    }
    return bytes + (out_degree.capacity() + in_degree.capacity() + all_degree.capacity()) * sizeof(std::int64_t);
  }
  const std::vector<std::int64_t>& degree(LinkDirection direction) const {
    if (symmetric) return out_degree;
    return direction == LinkDirection::Out ? out_degree : direction == LinkDirection::In ? in_degree : all_degree;
  }
};
LinkRows link_rows_of(const LinkList& links);

// The nodes joined to `node` by a link in `direction`, each once, by
// increasing position (the node itself when it has a self-loop).
std::vector<std::uint32_t> neighbours_of(const LinkRows& rows, NodeIndex node, LinkDirection direction);

// The number of links between `a` and `b`: with `follow_direction`, those
// leading from a to b (arcs a -> b and undirected links); otherwise every
// link joining them, whatever its kind and way.
std::size_t links_between(const LinkRows& rows, NodeIndex a, NodeIndex b, bool follow_direction);

// Degree of every node position: the link ends at the node in `direction`,
// a self-loop counting at both its ends (twice in All, and twice in Out and
// In when undirected). Strength: the same ends, each with its link's weight.
std::vector<std::int64_t> degree_counts(const LinkList& links, LinkDirection direction);
std::vector<double> strengths(const LinkList& links, LinkDirection direction);

}  // namespace mivora
