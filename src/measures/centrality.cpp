#include "measures/centrality.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <queue>

#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

constexpr double kUnreached = std::numeric_limits<double>::infinity();
constexpr std::int32_t kNoHops = -1;

// ---- searches from one source -------------------------------------------------
// Each search keeps its arrays between sources and resets only what it touched.

// Breadth-first search counting shortest paths (sigma) by hops.
struct HopSearch {
  std::vector<std::int32_t> hops;
  std::vector<double> sigma;
  std::vector<std::uint32_t> order;  // settled nodes, source first

  explicit HopSearch(std::size_t n) : hops(n, kNoHops), sigma(n, 0.0) { order.reserve(n); }

  void reset() {
    for (const std::uint32_t node : order) {
      hops[node] = kNoHops;
      sigma[node] = 0.0;
    }
    order.clear();
  }

  void run(const NeighbourRows& rows, std::uint32_t source, bool count_paths) {
    reset();
    hops[source] = 0;
    sigma[source] = 1.0;
    order.push_back(source);
    for (std::size_t head = 0; head < order.size(); ++head) {
      const std::uint32_t v = order[head];
      const std::int32_t next = hops[v] + 1;
      const double paths = sigma[v];
      for (const std::uint32_t w : rows.neighbours_of(v)) {
        if (hops[w] == kNoHops) {
          hops[w] = next;
          order.push_back(w);
        }
        if (count_paths && hops[w] == next) sigma[w] += paths;
      }
    }
    poll_cancellation(static_cast<std::uint32_t>(order.size()) + 1);
  }
};

// Dijkstra's search counting shortest paths. Ties between equal tentative
// distances are broken by the order entries were queued, and path counts
// move exactly as in the classic dictionary formulation (counted when a
// node is settled from the entry's predecessor, and again for every equal
// path found later), so zero weights give the same counts as networkx.
struct WeightedSearch {
  struct Entry {
    double distance;
    std::uint64_t sequence;
    std::uint32_t predecessor;
    std::uint32_t node;
    bool operator>(const Entry& other) const {
      return distance != other.distance ? distance > other.distance : sequence > other.sequence;
    }
  };

  std::vector<double> distance;  // tentative, then final
  std::vector<std::uint8_t> settled;
  std::vector<double> sigma;
  std::vector<std::uint32_t> order;    // settled nodes, in settling order
  std::vector<std::uint32_t> touched;  // nodes given a tentative distance
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;

  explicit WeightedSearch(std::size_t n) : distance(n, kUnreached), settled(n, 0), sigma(n, 0.0) {
    order.reserve(n);
    touched.reserve(n);
  }

  void reset() {
    for (const std::uint32_t node : touched) {
      distance[node] = kUnreached;
      settled[node] = 0;
      sigma[node] = 0.0;
    }
    touched.clear();
    order.clear();
  }

  void run(const NeighbourRows& rows, std::uint32_t source, bool count_paths) {
    reset();
    std::uint64_t sequence = 0;
    distance[source] = 0.0;
    sigma[source] = 1.0;
    touched.push_back(source);
    queue.push({0.0, sequence++, source, source});
    while (!queue.empty()) {
      const Entry entry = queue.top();
      queue.pop();
      const std::uint32_t v = entry.node;
      if (settled[v]) continue;
      sigma[v] += sigma[entry.predecessor];
      settled[v] = 1;
      order.push_back(v);
      const auto neighbours = rows.neighbours_of(v);
      const auto weights = rows.weights_of(v);
      poll_cancellation(static_cast<std::uint32_t>(neighbours.size()) + 1);
      for (std::size_t k = 0; k < neighbours.size(); ++k) {
        const std::uint32_t w = neighbours[k];
        const double through_v = entry.distance + weights[k];
        if (!settled[w] && through_v < distance[w]) {
          if (distance[w] == kUnreached) touched.push_back(w);
          distance[w] = through_v;
          queue.push({through_v, sequence++, v, w});
          sigma[w] = 0.0;
        } else if (count_paths && through_v == distance[w]) {
          sigma[w] += sigma[v];
        }
      }
    }
  }
};

// Whether v lies just before w on a shortest path.
inline bool precedes(const HopSearch& search, std::uint32_t v, std::uint32_t w, double) {
  return search.hops[v] != kNoHops && search.hops[v] + 1 == search.hops[w];
}
inline bool precedes(const WeightedSearch& search, std::uint32_t v, std::uint32_t w, double weight) {
  return search.settled[v] && search.distance[v] + weight == search.distance[w];
}

// Brandes' dependency accumulation, from the last settled node back: each
// node hands its dependency to its predecessors (read from the in-rows).
template <typename Search>
void accumulate(const Search& search, const NeighbourRows& in_rows, std::uint32_t source, bool endpoints,
                std::vector<double>& delta, std::vector<double>& betweenness) {
  if (endpoints) betweenness[source] += static_cast<double>(search.order.size() - 1);
  for (const std::uint32_t node : search.order) delta[node] = 0.0;
  for (auto it = search.order.rbegin(); it != search.order.rend(); ++it) {
    const std::uint32_t w = *it;
    const double coefficient = (1.0 + delta[w]) / search.sigma[w];
    const auto predecessors = in_rows.neighbours_of(w);
    const auto weights = in_rows.weights_of(w);
    for (std::size_t k = 0; k < predecessors.size(); ++k) {
      const std::uint32_t v = predecessors[k];
      if (precedes(search, v, w, weights[k])) delta[v] += search.sigma[v] * coefficient;
    }
    if (w != source) betweenness[w] += endpoints ? delta[w] + 1.0 : delta[w];
  }
}

template <typename Search>
std::vector<double> brandes(const NeighbourRows& out_rows, const NeighbourRows& in_rows, bool endpoints) {
  const std::size_t n = out_rows.size();
  std::vector<double> betweenness(n, 0.0);
  std::vector<double> delta(n, 0.0);
  Search search(n);
  const ProgressScope progress(n);
  for (std::uint32_t source = 0; source < n; ++source) {
    search.run(out_rows, source, true);
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
template <typename Visit>
void for_each_incoming_search(const Snapshot& snapshot, const MeasuredNodes& nodes, bool weighted, Visit&& visit) {
  const NeighbourRows rows = incoming_rows(snapshot, nodes, weighted);
  const ProgressScope progress(nodes.size());
  if (weighted) {
    WeightedSearch search(nodes.size());
    for (std::uint32_t u = 0; u < nodes.size(); ++u) {
      search.run(rows, u, false);
      for (const std::uint32_t v : search.order) visit(u, search.distance[v]);
      progress.advance();
    }
  } else {
    HopSearch search(nodes.size());
    for (std::uint32_t u = 0; u < nodes.size(); ++u) {
      search.run(rows, u, false);
      for (const std::uint32_t v : search.order) visit(u, static_cast<double>(search.hops[v]));
      progress.advance();
    }
  }
}

}  // namespace

std::vector<double> betweenness_centrality(const GraphStore& graph, const Snapshot& snapshot,
                                           const MeasuredNodes& nodes, BetweennessOptions options) {
  if (options.weighted) require_non_negative_weights(graph, snapshot, "weighted betweenness");
  const NeighbourRows out_rows = neighbour_rows(snapshot.out, nodes, Parallel::Least, options.weighted);
  const NeighbourRows in_rows = incoming_rows(snapshot, nodes, options.weighted);
  std::vector<double> betweenness = options.weighted ? brandes<WeightedSearch>(out_rows, in_rows, options.endpoints)
                                                     : brandes<HopSearch>(out_rows, in_rows, options.endpoints);
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
