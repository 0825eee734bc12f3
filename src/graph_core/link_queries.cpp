#include "graph_core/link_queries.hpp"

#include <algorithm>

#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

// Calls count(node, weight) for every link end `direction` counts.
template <typename Count>
void for_each_counted_end(const LinkList& links, LinkDirection direction, Count&& count) {
  const bool out = direction != LinkDirection::In;
  const bool in = direction != LinkDirection::Out;
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    poll_cancellation();
    const std::uint32_t source = links.link_source[link];
    const std::uint32_t target = links.link_target[link];
    const Weight weight = links.link_weight[link];
    if (!links.link_directed[link]) {
      // Both ends of an undirected link count in every direction.
      count(source, weight);
      count(target, weight);
      continue;
    }
    if (out) count(source, weight);
    if (in) count(target, weight);
  }
}

}  // namespace

LinkRows take_link_rows(const GraphStore& graph) {
  LinkRows rows;
  {
    const LinkList links = take_link_list(graph, OutsideTargets::Skip);
    rows.out = out_rows(links);
    rows.in = in_rows(links);
  }
  // Kept between calls: what no question reads is let go.
  rows.out.weights = {};
  rows.in.weights = {};
  return rows;
}

std::vector<std::uint32_t> neighbours_of(const LinkRows& rows, NodeIndex node, LinkDirection direction) {
  std::vector<std::uint32_t> found;
  if (direction != LinkDirection::In) {
    const auto out = rows.out.neighbours_of(node);
    found.insert(found.end(), out.begin(), out.end());
  }
  if (direction != LinkDirection::Out) {
    const auto in = rows.in.neighbours_of(node);
    found.insert(found.end(), in.begin(), in.end());
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

std::size_t links_between(const LinkRows& rows, NodeIndex a, NodeIndex b, bool follow_direction) {
  // Out-rows hold arcs a -> b and undirected links at a; in-rows of a add
  // the arcs b -> a. A link seen in both (an undirected or self-loop one)
  // is counted once, by its number.
  std::vector<std::uint32_t> found;
  const auto out = rows.out.neighbours_of(a);
  const auto out_links = rows.out.links_of(a);
  for (std::size_t k = 0; k < out.size(); ++k) {
    if (out[k] == b) found.push_back(out_links[k]);
  }
  if (!follow_direction) {
    const auto in = rows.in.neighbours_of(a);
    const auto in_links = rows.in.links_of(a);
    for (std::size_t k = 0; k < in.size(); ++k) {
      if (in[k] == b) found.push_back(in_links[k]);
    }
  }
  std::sort(found.begin(), found.end());
  return static_cast<std::size_t>(std::unique(found.begin(), found.end()) - found.begin());
}

std::vector<std::int64_t> degree_counts(const LinkList& links, LinkDirection direction) {
  std::vector<std::int64_t> degree(links.node_count, 0);
  for_each_counted_end(links, direction, [&](std::uint32_t node, Weight) { ++degree[node]; });
  return degree;
}

std::vector<double> strengths(const LinkList& links, LinkDirection direction) {
  std::vector<double> strength(links.node_count, 0.0);
  for_each_counted_end(links, direction, [&](std::uint32_t node, Weight weight) { strength[node] += weight; });
  return strength;
}

}  // namespace mivora
