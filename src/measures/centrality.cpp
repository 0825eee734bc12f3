#include "measures/centrality.hpp"

#include <algorithm>
#include <cstdint>

#include "graph_core/searches.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

// Searches count hops in 32 bits (half the memory of the weighted ones'
// doubles, which repeated searches feel) and weights in double precision.
using HopPaths = ShortestPaths<std::uint32_t>;
using WeightedPaths = ShortestPaths<double>;

void search_from(const NeighbourRows& rows, std::uint32_t source, HopPaths& paths) {
  paths.breadth_first(rows, source);
}
void search_from(const NeighbourRows& rows, std::uint32_t source, WeightedPaths& paths) {
  paths.dijkstra(rows, source);
}

// Whether v lies just before w (at distance `to`) on a shortest path.
inline bool precedes(const HopPaths& paths, std::uint32_t v, std::uint32_t to, double) {
  return paths.distance[v] != HopPaths::kNotReached && paths.distance[v] + 1 == to;
}
inline bool precedes(const WeightedPaths& paths, std::uint32_t v, double to, double weight) {
  return paths.distance[v] + weight == to;  // never for an unreached v: its distance is +inf
}

// Brandes' dependency accumulation, from the last settled node back: each
// node hands its dependency to its predecessors (read from the in-rows).
template <typename Paths>
void accumulate(const Paths& search, const NeighbourRows& in_rows, std::uint32_t source, bool endpoints,
                std::vector<double>& delta, std::vector<double>& betweenness) {
  if (endpoints) betweenness[source] += static_cast<double>(search.settled.size() - 1);
  for (const std::uint32_t node : search.settled) delta[node] = 0.0;
  for (auto it = search.settled.rbegin(); it != search.settled.rend(); ++it) {
    const std::uint32_t w = *it;
    const double coefficient = (1.0 + delta[w]) / search.sigma[w];
    const auto distance = search.distance[w];
    const auto predecessors = in_rows.neighbours_of(w);
    const auto weights = in_rows.weights_of(w);
    for (std::size_t k = 0; k < predecessors.size(); ++k) {
      const std::uint32_t v = predecessors[k];
      if (precedes(search, v, distance, weights[k])) delta[v] += search.sigma[v] * coefficient;
    }
    if (w != source) betweenness[w] += endpoints ? delta[w] + 1.0 : delta[w];
  }
}

template <typename Paths>
std::vector<double> brandes(const NeighbourRows& out_rows, const NeighbourRows& in_rows, bool endpoints) {
  const std::size_t n = out_rows.size();
  std::vector<double> betweenness(n, 0.0);
  std::vector<double> delta(n, 0.0);
  Paths search(n, Paths::kPathCounts);
  const ProgressScope progress(n);
  for (std::uint32_t source = 0; source < n; ++source) {
    search_from(out_rows, source, search);
    accumulate(search, in_rows, source, endpoints, delta, betweenness);
    progress.advance();
  }
  return betweenness;
}

// Unnormalised sums count ordered pairs; normalised ones divide by the
// number of pairs a node can lie between.
void rescale(std::vector<double>& betweenness, bool directed, BetweennessOptions options) {
  const std::size_t n = betweenness.size();
  const double pairs_end = options.endpoints ? static_cast<double>(n) : static_cast<double>(n) - 1.0;
  if (pairs_end < 2.0) return;
  double scale = 1.0;
  if (options.normalized) {
    scale = 1.0 / (pairs_end * (pairs_end - 1.0));
  } else if (!directed) {
    scale = 0.5;
  }
  if (scale == 1.0) return;
  for (double& value : betweenness) value *= scale;
}

// The rows that lead into each node: a search along them from u finds the
// distances from every other node to u.
NeighbourRows incoming_rows(const Snapshot& snapshot, const MeasuredNodes& nodes, bool weighted) {
  return neighbour_rows(snapshot.in, nodes, Parallel::Least, weighted);
}

// Runs `visit(u, search)` after a search from each node u along the in-rows.
template <typename Paths, typename Visit>
void searches_to_each(const NeighbourRows& rows, std::size_t n, Visit&& visit) {
  const ProgressScope progress(n);
  Paths search(n, Paths::kDistances);
  for (std::uint32_t u = 0; u < n; ++u) {
    search_from(rows, u, search);
    for (const std::uint32_t v : search.settled) visit(u, static_cast<double>(search.distance[v]));
    progress.advance();
  }
}

template <typename Visit>
void for_each_incoming_search(const Snapshot& snapshot, const MeasuredNodes& nodes, bool weighted, Visit&& visit) {
  const NeighbourRows rows = incoming_rows(snapshot, nodes, weighted);
  if (weighted) {
    searches_to_each<WeightedPaths>(rows, nodes.size(), visit);
  } else {
    searches_to_each<HopPaths>(rows, nodes.size(), visit);
  }
}

}  // namespace

std::vector<double> betweenness_centrality(const GraphStore& graph, const Snapshot& snapshot,
                                           const MeasuredNodes& nodes, BetweennessOptions options) {
  if (options.weighted) require_non_negative_weights(graph, snapshot, "weighted betweenness");
  const NeighbourRows out_rows = neighbour_rows(snapshot.out, nodes, Parallel::Least, options.weighted);
  const NeighbourRows in_rows = incoming_rows(snapshot, nodes, options.weighted);
  std::vector<double> betweenness = options.weighted ? brandes<WeightedPaths>(out_rows, in_rows, options.endpoints)
                                                     : brandes<HopPaths>(out_rows, in_rows, options.endpoints);
  rescale(betweenness, nodes.directed, options);
  return betweenness;
}

std::vector<double> closeness_centrality(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                                         bool weighted) {
  if (weighted) require_non_negative_weights(graph, snapshot, "weighted closeness");
  const std::size_t n = nodes.size();
  std::vector<double> total(n, 0.0);
  std::vector<double> reached(n, 0.0);
  for_each_incoming_search(snapshot, nodes, weighted, [&](std::uint32_t u, double distance) {
    total[u] += distance;
    reached[u] += 1.0;
  });
  std::vector<double> closeness(n, 0.0);
  for (std::uint32_t u = 0; u < n; ++u) {
    if (!(total[u] > 0.0) || n < 2) continue;
    const double others = reached[u] - 1.0;
    closeness[u] = others / total[u] * (others / static_cast<double>(n - 1));
  }
  return closeness;
}

std::vector<double> harmonic_centrality(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                                        bool weighted) {
  if (weighted) require_non_negative_weights(graph, snapshot, "weighted harmonic centrality");
  std::vector<double> harmonic(nodes.size(), 0.0);
  for_each_incoming_search(snapshot, nodes, weighted, [&](std::uint32_t u, double distance) {
    if (distance != 0.0) harmonic[u] += 1.0 / distance;
  });
  return harmonic;
}

}  // namespace mivora
