#include "measures/paths.hpp"

#include <algorithm>
#include <bit>

#include "measures/measure_error.hpp"
#include "measures/measured_graph.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

ShortestPaths<double> shortest_path_tree(const GraphStore& graph, const LinkList& links, const AdjacencyRows& out,
                                         std::uint32_t source, bool weighted, std::uint32_t target) {
  ShortestPaths<double> paths(links.node_count, ShortestPaths<double>::kParents);
  if (weighted) {
    require_non_negative_weights(graph, links, "weighted shortest paths");
    paths.dijkstra(out, source, target);
  } else {
    paths.breadth_first(out, source, target);
  }
  return paths;
}

// Up to 64 breadth-first walks at once, one bit per source: a node's mask
// holds the walks that have reached it. Each round pushes the masks of the
// nodes that were newly reached in the last round, so a node is expanded at
// most once per distinct distance among the batch's walks: never more work
// than the 64 walks one by one, and far less when distances bunch up, as
// they do in small-world graphs.
std::vector<std::uint32_t> eccentricities(const LinkList& links, const AdjacencyRows& out) {
  const std::size_t n = links.node_count;
  std::vector<std::uint32_t> members;
  for (std::uint32_t node = 0; node < n; ++node) {
    if (links.canonical[node]) members.push_back(node);
  }
  if (members.empty()) throw MeasureError("eccentricity is undefined for a graph without nodes");

  std::vector<std::uint32_t> result(n, kNoNode);
  std::vector<std::uint64_t> seen(n), fresh(n), next(n);
  std::vector<std::uint32_t> frontier, reached;
  const ProgressScope progress(members.size());
  for (std::size_t first = 0; first < members.size(); first += 64) {
    const std::size_t batch = std::min<std::size_t>(64, members.size() - first);
    progress.set_done(first);
    const std::uint64_t all = batch == 64 ? ~0ull : (1ull << batch) - 1;
    std::fill(seen.begin(), seen.end(), 0);
    frontier.clear();
    for (std::size_t bit = 0; bit < batch; ++bit) {
      const std::uint32_t source = members[first + bit];
      seen[source] = fresh[source] = 1ull << bit;
      result[source] = 0;
      frontier.push_back(source);
    }
    for (std::uint32_t level = 1; !frontier.empty(); ++level) {
      reached.clear();
      for (const std::uint32_t node : frontier) {
        const std::uint64_t mask = fresh[node];
        const auto neighbours = out.neighbours_of(node);
        poll_cancellation(static_cast<std::uint32_t>(neighbours.size()) + 1);
        for (const std::uint32_t neighbour : neighbours) {
          const std::uint64_t gained = mask & ~seen[neighbour] & ~next[neighbour];
          if (gained == 0) continue;
          if (next[neighbour] == 0) reached.push_back(neighbour);
          next[neighbour] |= gained;
        }
      }
      for (const std::uint32_t node : frontier) fresh[node] = 0;
      std::uint64_t grew = 0;
      for (const std::uint32_t node : reached) {
        seen[node] |= next[node];
        fresh[node] = next[node];
        grew |= next[node];
        next[node] = 0;
      }
      for (std::uint64_t bits = grew; bits != 0; bits &= bits - 1) {
        result[members[first + static_cast<std::size_t>(std::countr_zero(bits))]] = level;
      }
      frontier.swap(reached);
    }
    for (const std::uint32_t node : members) {
      if (seen[node] != all) {
        throw MeasureError("eccentricity needs a connected graph: some node cannot reach every other one");
      }
    }
  }
  return result;
}

}  // namespace mivora
