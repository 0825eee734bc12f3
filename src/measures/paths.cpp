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

std::vector<std::uint32_t> eccentricities(const LinkList& links, const AdjacencyRows& out) {
  const std::size_t n = links.node_count;
  std::vector<std::uint32_t> members;
  for (std::uint32_t node = 0; node < n; ++node) {
    if (links.canonical[node]) members.push_back(node);
  }
  if (members.empty()) throw MeasureError("eccentricity is undefined for a graph without nodes");

  std::vector<std::uint32_t> result(n, kNoNode);
  BreadthFirstBatch searches(n);
  const ProgressScope progress(members.size());
  for (std::size_t first = 0; first < members.size(); first += BreadthFirstBatch::kWidth) {
    const std::size_t batch = std::min(BreadthFirstBatch::kWidth, members.size() - first);
    progress.set_done(first);
    const std::span<const std::uint32_t> sources(members.data() + first, batch);
    for (const std::uint32_t source : sources) result[source] = 0;
    // A search's eccentricity is the last level at which it found a node.
    searches.run(out, sources, [&](std::uint64_t grew, std::uint32_t level, std::span<const std::uint32_t>) {
      for (std::uint64_t bits = grew; bits != 0; bits &= bits - 1) {
        result[sources[static_cast<std::size_t>(std::countr_zero(bits))]] = level;
      }
    });
    const std::uint64_t all = batch == BreadthFirstBatch::kWidth ? ~0ull : (1ull << batch) - 1;
    for (const std::uint32_t node : members) {
      if (searches.reached_by(node) != all) {
        throw MeasureError("eccentricity needs a connected graph: some node cannot reach every other one");
      }
    }
  }
  return result;
}

}  // namespace mivora
