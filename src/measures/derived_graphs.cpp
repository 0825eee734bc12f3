#include "measures/derived_graphs.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "measures/components.hpp"
#include "measures/cores.hpp"
#include "measures/simple_rows.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

DerivedLink same_link(const LinkList& links, std::size_t link) {
  return {link, links.link_source[link], links.link_target[link], links.link_weight[link],
          links.link_directed[link] != 0};
}

// The positions whose flag is set, in order, first nodes of a label only.
std::vector<std::uint32_t> flagged_nodes(const LinkList& links, std::span<const std::uint8_t> flags) {
  std::vector<std::uint32_t> nodes;
  for (std::uint32_t position = 0; position < links.node_count; ++position) {
    if (flags[position] && links.canonical[position]) nodes.push_back(position);
  }
  return nodes;
}

std::vector<DerivedLink> links_within(const LinkList& links, std::span<const std::uint8_t> keep) {
  std::vector<DerivedLink> kept;
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    poll_cancellation();
    if (keep[links.link_source[link]] && keep[links.link_target[link]]) kept.push_back(same_link(links, link));
  }
  return kept;
}

GraphStore induced_by_flags(const GraphStore& graph, const LinkList& links, std::span<const std::uint8_t> keep) {
  const std::vector<std::uint32_t> nodes = flagged_nodes(links, keep);
  const std::vector<DerivedLink> kept = links_within(links, keep);
  return derive_graph(graph, nodes, kept);
}

}  // namespace

GraphStore induced_subgraph(const GraphStore& graph, const LinkList& links, std::span<const std::uint8_t> keep) {
  return induced_by_flags(graph, links, keep);
}

GraphStore link_subgraph(const GraphStore& graph, const LinkList& links, std::span<const std::uint8_t> selected,
                         bool keep_all_nodes) {
  std::vector<std::uint8_t> ends(links.node_count, keep_all_nodes ? 1 : 0);
  std::vector<DerivedLink> kept;
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    poll_cancellation();
    if (!selected[link]) continue;
    ends[links.link_source[link]] = ends[links.link_target[link]] = 1;
    kept.push_back(same_link(links, link));
  }
  return derive_graph(graph, flagged_nodes(links, ends), kept);
}

GraphStore largest_component(const GraphStore& graph, const LinkList& links, bool strong) {
  const NodeGroups groups = strong ? strong_components(links, out_rows(links)) : weak_components(links);
  std::vector<std::uint8_t> keep(links.node_count, 0);
  if (groups.size() > 0) {
    for (const std::uint32_t member : groups[0]) keep[member] = 1;
  }
  return induced_by_flags(graph, links, keep);
}

GraphStore k_core(const GraphStore& graph, const LinkList& links, std::optional<std::uint32_t> k) {
  const std::vector<std::uint32_t> core = core_numbers(simple_undirected_rows(links));
  std::uint32_t least = 0;
  if (k) {
    least = *k;
  } else {
    for (std::uint32_t position = 0; position < links.node_count; ++position) {
      if (links.canonical[position]) least = std::max(least, core[position]);
    }
  }
  std::vector<std::uint8_t> keep(links.node_count, 0);
  for (std::uint32_t position = 0; position < links.node_count; ++position) keep[position] = core[position] >= least;
  return induced_by_flags(graph, links, keep);
}

GraphStore copy_graph(const GraphStore& graph, const LinkList& links) {
  std::vector<std::uint32_t> nodes(links.node_count);
  for (std::uint32_t position = 0; position < links.node_count; ++position) nodes[position] = position;
  std::vector<DerivedLink> all(links.link_count());
  for (std::size_t link = 0; link < links.link_count(); ++link) all[link] = same_link(links, link);
  return derive_graph(graph, nodes, all);
}

GraphStore undirected_graph(const GraphStore& graph, const LinkList& links, ParallelLinks parallel) {
  std::vector<DerivedLink> made;
  if (parallel == ParallelLinks::Keep) {
    made.reserve(links.link_count());
    for (std::size_t link = 0; link < links.link_count(); ++link) {
      DerivedLink undirected = same_link(links, link);
      undirected.directed = false;
      made.push_back(undirected);
    }
    return derive_graph(graph, flagged_nodes(links, links.canonical), made);
  }
  // One link per unordered pair, at the place of the pair's first link.
  std::unordered_map<std::uint64_t, std::size_t> pair_slot;
  pair_slot.reserve(links.link_count());
  std::vector<double> sums;
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    poll_cancellation();
    const std::uint32_t a = links.link_source[link];
    const std::uint32_t b = links.link_target[link];
    const std::uint64_t pair = static_cast<std::uint64_t>(std::min(a, b)) << 32 | std::max(a, b);
    const Weight weight = links.link_weight[link];
    const auto [slot, first] = pair_slot.try_emplace(pair, made.size());
    if (first) {
      DerivedLink undirected = same_link(links, link);
      undirected.directed = false;
      made.push_back(undirected);
      sums.push_back(weight);
      continue;
    }
    DerivedLink& merged = made[slot->second];
    switch (parallel) {
      case ParallelLinks::Sum:
        sums[slot->second] += weight;
        break;
      case ParallelLinks::Least:
        merged.weight = std::fmin(merged.weight, weight);
        break;
      case ParallelLinks::Most:
        merged.weight = std::fmax(merged.weight, weight);
        break;
      case ParallelLinks::First:
      case ParallelLinks::Keep:
        break;
    }
  }
  if (parallel == ParallelLinks::Sum) {
    for (std::size_t k = 0; k < made.size(); ++k) made[k].weight = static_cast<Weight>(sums[k]);
  }
  return derive_graph(graph, flagged_nodes(links, links.canonical), made);
}

GraphStore reversed_graph(const GraphStore& graph, const LinkList& links) {
  std::vector<DerivedLink> made;
  made.reserve(links.link_count());
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    DerivedLink turned = same_link(links, link);
    if (turned.directed) std::swap(turned.from, turned.to);
    made.push_back(turned);
  }
  return derive_graph(graph, flagged_nodes(links, links.canonical), made);
}

}  // namespace mivora
