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

namespace {

// Sorts every row by neighbour, keeping link order among equal ones.
void sort_rows(AdjacencyRows& rows) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> row;
  for (std::size_t node = 0; node + 1 < rows.offsets.size(); ++node) {
    const std::uint64_t begin = rows.offsets[node], end = rows.offsets[node + 1];
    poll_cancellation(static_cast<std::uint32_t>(end - begin) + 1);
    if (end - begin < 2) continue;
    if (std::is_sorted(rows.neighbours.begin() + static_cast<std::ptrdiff_t>(begin),
                       rows.neighbours.begin() + static_cast<std::ptrdiff_t>(end))) {
      continue;
    }
    row.clear();
    for (std::uint64_t k = begin; k < end; ++k) row.emplace_back(rows.neighbours[k], rows.links[k]);
    std::sort(row.begin(), row.end());  // links grow within a row: the pair order keeps link order
    for (std::uint64_t k = begin; k < end; ++k) {
      rows.neighbours[k] = row[k - begin].first;
      rows.links[k] = row[k - begin].second;
    }
  }
}

// Appends the distinct entries of a sorted row.
void append_distinct(std::vector<std::uint32_t>& found, std::span<const std::uint32_t> row) {
  for (std::size_t k = 0; k < row.size(); ++k) {
    if (k == 0 || row[k] != row[k - 1]) found.push_back(row[k]);
  }
}

// The entries of a sorted row equal to `node`: their links.
std::span<const std::uint32_t> links_to(const AdjacencyRows& rows, NodeIndex from, std::uint32_t node) {
  const auto row = rows.neighbours_of(from);
  const auto first = std::lower_bound(row.begin(), row.end(), node);
  const auto last = std::upper_bound(first, row.end(), node);
  return rows.links_of(from).subspan(static_cast<std::size_t>(first - row.begin()),
                                     static_cast<std::size_t>(last - first));
}

}  // namespace

LinkRows link_rows_of(const LinkList& links) {
  LinkRows rows;
  rows.symmetric = std::none_of(links.link_directed.begin(), links.link_directed.end(),
                                [](std::uint8_t directed) { return directed != 0; });
  rows.out = out_rows(links);
  rows.out_degree = degree_counts(links, LinkDirection::Out);
  // Kept between calls: what no question reads is let go.
  rows.out.weights = {};
  sort_rows(rows.out);
  if (!rows.symmetric) {
    rows.in = in_rows(links);
    rows.in_degree = degree_counts(links, LinkDirection::In);
    rows.all_degree = degree_counts(links, LinkDirection::All);
    rows.in.weights = {};
    sort_rows(rows.in);
  }
  return rows;
}

std::vector<std::uint32_t> neighbours_of(const LinkRows& rows, NodeIndex node, LinkDirection direction) {
  std::vector<std::uint32_t> found;
  if (direction == LinkDirection::Out || rows.symmetric) {
    append_distinct(found, rows.out.neighbours_of(node));
  } else if (direction == LinkDirection::In) {
    append_distinct(found, rows.in.neighbours_of(node));
  } else {
    const auto out = rows.out.neighbours_of(node);
    const auto in = rows.in.neighbours_of(node);
    found.reserve(out.size() + in.size());
    std::merge(out.begin(), out.end(), in.begin(), in.end(), std::back_inserter(found));
    found.erase(std::unique(found.begin(), found.end()), found.end());
  }
  return found;
}

std::size_t links_between(const LinkRows& rows, NodeIndex a, NodeIndex b, bool follow_direction) {
  // Out-rows hold arcs a -> b and undirected links at a; in-rows of a add
  // the arcs b -> a. A link seen in both (an undirected or self-loop one)
  // is counted once, by its number.
  const auto out = links_to(rows.out, a, static_cast<std::uint32_t>(b));
  if (follow_direction) return out.size();
  const auto in = links_to(rows.incoming(), a, static_cast<std::uint32_t>(b));
  // Both lists grow in link order: count their union.
  std::size_t i = 0, j = 0, count = 0;
  while (i < out.size() || j < in.size()) {
    if (j == in.size() || (i < out.size() && out[i] < in[j])) {
      ++i;
    } else if (i == out.size() || in[j] < out[i]) {
      ++j;
    } else {
      ++i;
      ++j;
    }
    ++count;
  }
  return count;
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
