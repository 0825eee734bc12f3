#include "graph_core/types.hpp"
#include "measures/communities.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <utility>

#include "graph_core/random_generator.hpp"
#include "measures/measure_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

constexpr double kLevelThreshold = 1e-7;
// A bound on local moving, in visits per node of a level: rounding could
// otherwise let two nearly equal moves alternate for ever.
constexpr int kMaxPasses = 1000;
constexpr int kMaxRounds = 20;
// Independent runs per call: Louvain is a randomised heuristic, and the best
// of a few runs is reliably more modular than one.
constexpr int kRuns = 2;

// One level of the method: a weighted graph whose entries join distinct
// nodes (each pair in both rows, weight = arcs both ways added), and per node
// its out- and in-weight and the weight of the arcs that stay inside it.
struct Level {
  std::vector<std::uint64_t> offsets;
  std::vector<std::uint32_t> neighbours;
  std::vector<double> weights;
  std::vector<double> out_weight;
  std::vector<double> in_weight;
  std::vector<double> inside;

  std::size_t size() const { return out_weight.size(); }
};

struct Arc {
  std::uint32_t from;
  std::uint32_t to;
  double weight;
};

// Builds a level from arcs between distinct nodes, adding up repeated pairs.
void set_rows(Level& level, const std::vector<Arc>& arcs) {
  const std::size_t n = level.size();
  level.offsets.assign(n + 1, 0);
  for (const Arc& arc : arcs) {
    ++level.offsets[arc.from + 1];
    ++level.offsets[arc.to + 1];
  }
  for (std::size_t i = 0; i < n; ++i) level.offsets[i + 1] += level.offsets[i];
  std::vector<std::uint32_t> neighbours(level.offsets[n]);
  std::vector<double> weights(level.offsets[n]);
  std::vector<std::uint64_t> cursor(level.offsets.begin(), level.offsets.end() - 1);
  for (const Arc& arc : arcs) {
    neighbours[cursor[arc.from]] = arc.to;
    weights[cursor[arc.from]++] = arc.weight;
    neighbours[cursor[arc.to]] = arc.from;
    weights[cursor[arc.to]++] = arc.weight;
  }
  // Merge repeated neighbours in place, row by row.
  std::vector<std::uint64_t> slot_of(n, 0);
  std::vector<std::uint32_t> row_of(n, kNoNode);
  std::uint64_t write = 0;
  std::uint64_t row_start = 0;
  for (std::uint32_t u = 0; u < n; ++u) {
    const std::uint64_t begin = row_start;
    const std::uint64_t end = level.offsets[u + 1];
    row_start = end;
    level.offsets[u] = write;
    for (std::uint64_t k = begin; k < end; ++k) {
      const std::uint32_t v = neighbours[k];
      if (row_of[v] == u) {
        weights[slot_of[v]] += weights[k];
        continue;
      }
      row_of[v] = u;
      slot_of[v] = write;
      neighbours[write] = v;
      weights[write++] = weights[k];
    }
  }
  level.offsets[n] = write;
  neighbours.resize(write);
  weights.resize(write);
  level.neighbours = std::move(neighbours);
  level.weights = std::move(weights);
}

// The measured graph as arcs: undirected graphs take every edge both ways
// (self-loops too, so each end's degree holds it twice); directed ones take
// an edge both ways and a self-loop edge once. Returns the total arc weight.
double first_level(const Snapshot& snapshot, const MeasuredNodes& nodes, Level& level) {
  const std::size_t n = nodes.size();
  level.out_weight.assign(n, 0.0);
  level.in_weight.assign(n, 0.0);
  level.inside.assign(n, 0.0);
  std::vector<Arc> arcs;
  arcs.reserve(snapshot.link_count());
  double total = 0.0;
  auto add_arc = [&](std::uint32_t from, std::uint32_t to, double weight) {
    level.out_weight[from] += weight;
    level.in_weight[to] += weight;
    total += weight;
    if (from == to) {
      level.inside[from] += weight;
    } else {
      arcs.push_back({from, to, weight});
    }
  };
  for (std::size_t link = 0; link < snapshot.link_count(); ++link) {
    const std::uint32_t source = nodes.id_of[snapshot.link_source[link]];
    const std::uint32_t target = nodes.id_of[snapshot.link_target[link]];
    const double weight = snapshot.link_weight[link];
    add_arc(source, target, weight);
    if (!snapshot.link_directed[link] && (source != target || !nodes.directed)) add_arc(target, source, weight);
  }
  set_rows(level, arcs);
  return total;
}

double level_modularity(const Level& level, const std::vector<std::uint32_t>& community_of, std::size_t community_count,
                        double total, double resolution) {
  std::vector<double> inside(community_count, 0.0), out(community_count, 0.0), in(community_count, 0.0);
  for (std::uint32_t u = 0; u < level.size(); ++u) {
    const std::uint32_t c = community_of[u];
    inside[c] += level.inside[u];
    out[c] += level.out_weight[u];
    in[c] += level.in_weight[u];
    for (std::uint64_t k = level.offsets[u]; k < level.offsets[u + 1]; ++k) {
      if (community_of[level.neighbours[k]] == c) inside[c] += level.weights[k] / 2.0;
    }
  }
  double q = 0.0;
  for (std::size_t c = 0; c < community_count; ++c) {
    q += inside[c] / total - resolution * out[c] * in[c] / (total * total);
  }
  return q;
}

// Local moving on one level. Returns each node's community, numbered
// 0..count-1 in order of first member, and the count.
// 0..n-1 in random order (Fisher-Yates).
std::vector<std::uint32_t> shuffled_nodes(std::size_t n, RandomGenerator& random) {
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  for (std::size_t i = n; i > 1; --i) {
    std::swap(order[i - 1], order[random.below(static_cast<std::uint32_t>(i))]);
  }
  return order;
}

// `community_of` starts as given (ids below the level's size).
std::pair<std::vector<std::uint32_t>, std::uint32_t> move_nodes(const Level& level,
                                                                std::vector<std::uint32_t> community_of, double total,
                                                                double resolution, RandomGenerator& random) {
  const std::size_t n = level.size();
  std::vector<double> community_out(n, 0.0), community_in(n, 0.0);
  for (std::uint32_t u = 0; u < n; ++u) {
    community_out[community_of[u]] += level.out_weight[u];
    community_in[community_of[u]] += level.in_weight[u];
  }
  std::vector<double> weight_to(n, 0.0);
  std::vector<std::uint32_t> touched;
  std::vector<std::uint32_t> touched_by(n, kNoNode);  // the node being visited, for the communities it met
  const double scale = resolution / (total * total);
  // Nodes wait in a queue, first in the shuffled order; a node that moves
  // sends back its neighbours outside its new community, so only the part
  // of the graph that changed is looked at again.
  // A node is queued at most once at a time: a ring of n slots holds them.
  std::vector<std::uint32_t> queue = shuffled_nodes(n, random);
  std::vector<std::uint8_t> queued(n, 1);
  std::size_t head = 0;
  std::size_t waiting = n;
  const std::uint64_t most_visits = static_cast<std::uint64_t>(kMaxPasses) * n;
  for (std::uint64_t visit = 0; waiting > 0 && visit < most_visits; ++visit) {
    const std::uint32_t u = queue[head];
    head = head + 1 == n ? 0 : head + 1;
    --waiting;
    queued[u] = 0;
    const std::uint32_t own = community_of[u];
    touched.clear();
    for (std::uint64_t k = level.offsets[u]; k < level.offsets[u + 1]; ++k) {
      const std::uint32_t c = community_of[level.neighbours[k]];
      if (touched_by[c] != u) {
        touched_by[c] = u;
        touched.push_back(c);
      }
      weight_to[c] += level.weights[k];
    }
    const double k_out = level.out_weight[u];
    const double k_in = level.in_weight[u];
    community_out[own] -= k_out;
    community_in[own] -= k_in;
    const double remove_cost =
        -weight_to[own] / total + scale * (k_out * community_in[own] + k_in * community_out[own]);
    std::uint32_t best = own;
    double best_gain = 0.0;
    for (const std::uint32_t c : touched) {
      const double gain =
          remove_cost + weight_to[c] / total - scale * (k_out * community_in[c] + k_in * community_out[c]);
      if (gain > best_gain) {
        best_gain = gain;
        best = c;
      }
    }
    for (const std::uint32_t c : touched) weight_to[c] = 0.0;
    for (const std::uint32_t c : touched) touched_by[c] = kNoNode;
    community_out[best] += k_out;
    community_in[best] += k_in;
    if (best != own) {
      community_of[u] = best;
      for (std::uint64_t k = level.offsets[u]; k < level.offsets[u + 1]; ++k) {
        const std::uint32_t v = level.neighbours[k];
        if (!queued[v] && community_of[v] != best) {
          queued[v] = 1;
          queue[(head + waiting) % n] = v;
          ++waiting;
        }
      }
    }
    poll_cancellation(static_cast<std::uint32_t>(level.offsets[u + 1] - level.offsets[u]) + 1);
  }
  std::vector<std::uint32_t> renumber(n, kNoNode);
  std::uint32_t count = 0;
  for (std::uint32_t& c : community_of) {
    if (renumber[c] == kNoNode) renumber[c] = count++;
    c = renumber[c];
  }
  return {std::move(community_of), count};
}

Level aggregate(const Level& level, const std::vector<std::uint32_t>& community_of, std::uint32_t count) {
  Level next;
  next.out_weight.assign(count, 0.0);
  next.in_weight.assign(count, 0.0);
  next.inside.assign(count, 0.0);
  std::vector<Arc> arcs;
  for (std::uint32_t u = 0; u < level.size(); ++u) {
    const std::uint32_t c = community_of[u];
    next.out_weight[c] += level.out_weight[u];
    next.in_weight[c] += level.in_weight[u];
    next.inside[c] += level.inside[u];
    for (std::uint64_t k = level.offsets[u]; k < level.offsets[u + 1]; ++k) {
      const std::uint32_t v = level.neighbours[k];
      const std::uint32_t d = community_of[v];
      if (c == d) {
        next.inside[c] += level.weights[k] / 2.0;
      } else if (u < v) {  // each pair sits in both rows: take it once
        arcs.push_back({c, d, level.weights[k]});
      }
    }
  }
  set_rows(next, arcs);
  return next;
}

// Louvain's levels, then again from the original nodes grouped as found
// (a node may now leave a community it was merged into early), while that
// helps. Returns each node's community and the modularity reached.
std::pair<std::vector<std::uint32_t>, double> louvain_run(const Level& original, double total, double resolution,
                                                          RandomGenerator& random) {
  const std::size_t n = original.size();
  std::vector<std::uint32_t> community_of(n);
  std::vector<std::uint32_t> found(n);
  std::iota(found.begin(), found.end(), 0u);
  double quality = level_modularity(original, found, n, total, resolution);
  Level level;
  // Rounds are few and most end the search early: a rough measure of how far.
  const ProgressScope progress(kMaxRounds);
  for (int round = 0; round < kMaxRounds; ++round) {
    progress.set_done(static_cast<std::uint64_t>(round));
    const double round_start = quality;
    level = original;
    std::vector<std::uint32_t> start = found;  // the level's starting communities
    std::iota(community_of.begin(), community_of.end(), 0u);
    while (true) {
      auto [moved, count] = move_nodes(level, start, total, resolution, random);
      const double next_quality = level_modularity(level, moved, count, total, resolution);
      if (!(next_quality - quality > kLevelThreshold)) break;  // NaN included
      quality = next_quality;
      for (std::uint32_t& c : community_of) c = moved[c];
      level = aggregate(level, moved, count);
      start.resize(level.size());
      std::iota(start.begin(), start.end(), 0u);
    }
    // The last level's moves were too small to keep: its starting
    // communities stand.
    for (std::uint32_t& c : community_of) c = start[c];
    found.swap(community_of);
    if (!(quality - round_start > kLevelThreshold)) break;
  }
  return {std::move(found), quality};
}

// Modularity and the gains multiply the resolution by products of two
// weights up to the total's square, and divide by that square: refused where
// any of it leaves the range of a double (a huge resolution, weights whose
// total squared overflows or vanishes), which would only give NaNs.
void require_arithmetic_in_range(double resolution, double total, const char* method) {
  const double square = total * total;
  if (!(square > 0.0 && std::isfinite(4.0 * square) && std::isfinite(4.0 * resolution * square) &&
        std::isfinite(resolution / square))) {
    throw MeasureError(std::string(method) +
                       ": the resolution and the connections' total weight put the arithmetic out of range");
  }
}

Communities ordered(const std::vector<std::uint32_t>& community_of, std::uint32_t count) {
  Communities groups(count);
  for (std::uint32_t u = 0; u < community_of.size(); ++u) groups[community_of[u]].push_back(u);
  std::erase_if(groups, [](const auto& group) { return group.empty(); });
  std::stable_sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) {
    return a.size() != b.size() ? a.size() > b.size() : a.front() < b.front();
  });
  return groups;
}

// Modularity straight from the link list (no rows needed), arcs counted as
// first_level counts them.
double partition_modularity(const Snapshot& snapshot, const MeasuredNodes& nodes,
                            const std::vector<std::uint32_t>& community_of, std::size_t community_count,
                            double resolution) {
  std::vector<double> inside(community_count, 0.0), out(community_count, 0.0), in(community_count, 0.0);
  double total = 0.0;
  auto add_arc = [&](std::uint32_t from, std::uint32_t to, double weight) {
    out[community_of[from]] += weight;
    in[community_of[to]] += weight;
    if (community_of[from] == community_of[to]) inside[community_of[from]] += weight;
    total += weight;
  };
  for (std::size_t link = 0; link < snapshot.link_count(); ++link) {
    const std::uint32_t source = nodes.id_of[snapshot.link_source[link]];
    const std::uint32_t target = nodes.id_of[snapshot.link_target[link]];
    const double weight = snapshot.link_weight[link];
    add_arc(source, target, weight);
    if (!snapshot.link_directed[link] && (source != target || !nodes.directed)) add_arc(target, source, weight);
  }
  if (!(total > 0.0)) throw MeasureError("modularity is undefined for a graph whose connections weigh 0 in total");
  require_arithmetic_in_range(resolution, total, "modularity");
  double q = 0.0;
  for (std::size_t c = 0; c < community_count; ++c) {
    q += inside[c] / total - resolution * out[c] * in[c] / (total * total);
  }
  return q;
}

}  // namespace

Communities louvain_communities(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                                double resolution, std::uint64_t seed) {
  if (!std::isfinite(resolution) || resolution < 0.0) {
    throw MeasureError("communities: resolution must be a finite number that is not negative");
  }
  require_non_negative_weights(graph, snapshot, "communities");
  const std::size_t n = nodes.size();
  std::vector<std::uint32_t> community_of(n);
  std::iota(community_of.begin(), community_of.end(), 0u);
  Level level;
  const double total = first_level(snapshot, nodes, level);
  if (!(total > 0.0)) return ordered(community_of, static_cast<std::uint32_t>(n));
  require_arithmetic_in_range(resolution, total, "communities");

  // Independent runs from one generator; the most modular result is kept.
  RandomGenerator random(seed);
  std::vector<std::uint32_t> best;
  double best_quality = -std::numeric_limits<double>::infinity();
  for (int run = 0; run < kRuns; ++run) {
    auto [found, quality] = louvain_run(level, total, resolution, random);
    if (quality > best_quality) {
      best_quality = quality;
      best = std::move(found);
    }
  }
  return ordered(best, *std::max_element(best.begin(), best.end()) + 1);
}

double modularity(const GraphStore& graph, const Snapshot& snapshot, const MeasuredNodes& nodes,
                  const Communities& groups, double resolution) {
  if (!std::isfinite(resolution)) throw MeasureError("modularity: resolution must be a finite number");
  const std::size_t n = nodes.size();
  std::vector<std::uint32_t> community_of(n, kNoNode);
  std::size_t placed = 0;
  for (std::uint32_t c = 0; c < groups.size(); ++c) {
    for (const std::uint32_t u : groups[c]) {
      if (community_of[u] != kNoNode) {
        throw MeasureError("modularity: the communities are not a partition of the nodes: '" +
                           graph.node(nodes.positions[u]).label.text() + "' is in more than one");
      }
      community_of[u] = c;
      ++placed;
    }
  }
  if (placed != n) {
    const auto missing =
        static_cast<std::size_t>(std::find(community_of.begin(), community_of.end(), kNoNode) - community_of.begin());
    throw MeasureError("modularity: the communities are not a partition of the nodes: '" +
                       graph.node(nodes.positions[missing]).label.text() + "' is in none");
  }
  require_non_negative_weights(graph, snapshot, "modularity");
  return partition_modularity(snapshot, nodes, community_of, groups.size(), resolution);
}

}  // namespace mivora
