#include "measures/centrality.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>

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

// Whether v lies just before w (at distance `to`, over a link of `weight`)
// on a shortest path; never for an unreached v, whose distance is +inf.
inline bool precedes(const WeightedPaths& paths, std::uint32_t v, double to, double weight) {
  return paths.distance[v] + weight == to;
}

// Brandes' dependency accumulation, from the last settled node back: each
// node hands its dependency to its predecessors (read from the in-rows).
// Zero weights can put a node and its predecessor at one distance, so a
// node's dependency is only complete in this order (networkx's).
void accumulate(const WeightedPaths& search, const NeighbourRows& in_rows, std::uint32_t source, bool endpoints,
                std::vector<double>& delta, std::vector<double>& betweenness) {
  if (endpoints) betweenness[source] += static_cast<double>(search.settled.size() - 1);
  for (const std::uint32_t node : search.settled) delta[node] = 0.0;
  for (auto it = search.settled.rbegin(); it != search.settled.rend(); ++it) {
    const std::uint32_t w = *it;
    const double coefficient = (1.0 + delta[w]) / search.sigma[w];
    const double distance = search.distance[w];
    const auto predecessors = in_rows.neighbours_of(w);
    const auto weights = in_rows.weights_of(w);
    for (std::size_t k = 0; k < predecessors.size(); ++k) {
      const std::uint32_t v = predecessors[k];
      if (precedes(search, v, distance, weights[k])) delta[v] += search.sigma[v] * coefficient;
    }
    if (w != source) betweenness[w] += endpoints ? delta[w] + 1.0 : delta[w];
  }
}

// The same for hop counts, pulled instead of pushed: every node one hop
// further was settled later, so a node's dependency is complete when it is
// reached going back, summed from its out-row (no in-rows needed) in a
// register. `coefficient[v]` is (1 + dependency of v) / paths to v.
void accumulate(const HopPaths& search, const NeighbourRows& out_rows, std::uint32_t source, bool endpoints,
                std::vector<double>& coefficient, std::vector<double>& betweenness) {
  if (endpoints) betweenness[source] += static_cast<double>(search.settled.size() - 1);
  for (auto it = search.settled.rbegin(); it != search.settled.rend(); ++it) {
    const std::uint32_t w = *it;
    const std::uint32_t further = search.distance[w] + 1;
    double sum = 0.0;
    // An unreached neighbour (kNotReached) never lies one hop further.
    for (const std::uint32_t v : out_rows.neighbours_of(w)) {
      sum += pick(search.distance[v] == further, coefficient[v], 0.0);
    }
    const double dependency = search.sigma[w] * sum;
    coefficient[w] = (1.0 + dependency) / search.sigma[w];
    if (w != source) betweenness[w] += endpoints ? dependency + 1.0 : dependency;
  }
}

// `back_rows` are the rows the accumulation reads: the in-rows for weights,
// the out-rows for hops; `scratch` holds its value per node (dependencies
// for weights, coefficients for hops).
template <typename Paths>
std::vector<double> brandes(const NeighbourRows& out_rows, const NeighbourRows& back_rows, bool endpoints) {
  const std::size_t n = out_rows.size();
  std::vector<double> betweenness(n, 0.0);
  std::vector<double> scratch(n, 0.0);
  Paths search(n, Paths::kPathCounts);
  const ProgressScope progress(n);
  for (std::uint32_t source = 0; source < n; ++source) {
    search_from(out_rows, source, search);
    accumulate(search, back_rows, source, endpoints, scratch, betweenness);
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

// Runs visit(u, distance, count) for the `count` nodes at each distance
// from which u is reached, u itself (at 0) included: searches from each
// node u along the in-rows. Hop distances come from 64 searches at a time.
template <typename Visit>
void hop_searches_to_each(const NeighbourRows& rows, Visit&& visit) {
  constexpr std::size_t width = BreadthFirstBatch::kWidth;
  const std::size_t n = rows.size();
  BreadthFirstBatch searches(n);
  std::vector<std::uint32_t> sources;
  std::array<std::uint32_t, width> found{};
  const ProgressScope progress(n);
  for (std::size_t first = 0; first < n; first += width) {
    progress.set_done(first);
    sources.clear();
    for (std::size_t u = first; u < std::min(n, first + width); ++u) {
      sources.push_back(static_cast<std::uint32_t>(u));
      visit(static_cast<std::uint32_t>(u), 0.0, 1u);
    }
    searches.run(rows, sources, [&](std::uint64_t grew, std::uint32_t level, std::span<const std::uint32_t> nodes) {
      for (const std::uint32_t node : nodes) {
        for (std::uint64_t bits = searches.newly_reached_by(node); bits != 0; bits &= bits - 1) {
          ++found[static_cast<std::size_t>(std::countr_zero(bits))];
        }
      }
      for (std::uint64_t bits = grew; bits != 0; bits &= bits - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(bits));
        visit(sources[k], static_cast<double>(level), found[k]);
        found[k] = 0;
      }
    });
  }
}

template <typename Visit>
void weighted_searches_to_each(const NeighbourRows& rows, Visit&& visit) {
  const std::size_t n = rows.size();
  const ProgressScope progress(n);
  WeightedPaths search(n, WeightedPaths::kDistances);
  for (std::uint32_t u = 0; u < n; ++u) {
    search.dijkstra(rows, u);
    for (const std::uint32_t v : search.settled) visit(u, search.distance[v], 1u);
    progress.advance();
  }
}

template <typename Visit>
void for_each_incoming_search(const Snapshot& snapshot, const MeasuredNodes& nodes, bool weighted, Visit&& visit) {
  const NeighbourRows rows = incoming_rows(snapshot, nodes, weighted);
  if (weighted) {
    weighted_searches_to_each(rows, visit);
  } else {
    hop_searches_to_each(rows, visit);
  }
}

}  // namespace

std::vector<double> betweenness_centrality(const GraphStore& graph, const Snapshot& snapshot,
                                           const MeasuredNodes& nodes, BetweennessOptions options) {
  if (options.weighted) require_non_negative_weights(graph, snapshot, "weighted betweenness");
  const NeighbourRows out_rows = neighbour_rows(snapshot.out, nodes, Parallel::Least, options.weighted);
  std::vector<double> betweenness =
      options.weighted
          ? brandes<WeightedPaths>(out_rows, incoming_rows(snapshot, nodes, true), options.endpoints)
          : brandes<HopPaths>(out_rows, out_rows, options.endpoints);
  rescale(betweenness, nodes.directed, options);
  return betweenness;
}

std::vector<double> closeness_centrality(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                                         bool weighted) {
  if (weighted) require_non_negative_weights(graph, snapshot, "weighted closeness");
  const std::size_t n = nodes.size();
  std::vector<double> total(n, 0.0);
  std::vector<double> reached(n, 0.0);
  for_each_incoming_search(snapshot, nodes, weighted, [&](std::uint32_t u, double distance, std::uint32_t count) {
    total[u] += distance * count;
    reached[u] += count;
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
  for_each_incoming_search(snapshot, nodes, weighted, [&](std::uint32_t u, double distance, std::uint32_t count) {
    if (distance != 0.0) harmonic[u] += count / distance;
  });
  return harmonic;
}

}  // namespace mivora
