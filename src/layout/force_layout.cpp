#include "layout/force_layout.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "graph_core/snapshot.hpp"
#include "layout/barnes_hut.hpp"
#include "layout/layout.hpp"
#include "layout/node_size.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

namespace {

// Coarsening stops at this many nodes, or when a level would keep more than
// kSlowCoarsening of its nodes (nothing left to match).
constexpr std::size_t kCoarsestSize = 50;
constexpr double kSlowCoarsening = 0.9;
// Repulsion C / d against attraction log(1 + d) along each edge (the
// LinLog idea, as in ForceAtlas2's LinLog mode): a long edge pulls little
// more than a short one, so a few stray links between distant regions do
// not drag their ends out of place, and groups come out separated.
constexpr double kRepulsion = 0.2;
// A quadtree cell is taken whole when its side is below theta x distance.
constexpr double kTheta = 1.2;
// Hu's adaptive step: shrink by this factor after an iteration that raised
// the energy, grow after five that lowered it.
constexpr double kStepFactor = 0.9;
constexpr int kProgressToGrow = 5;
constexpr int kCoarsestIterations = 300;
// The run stops early once the average move falls below this.
constexpr double kSettled = 0.005;

// One level of the hierarchy: the graph as symmetric compressed rows, each
// edge once per end, no loops, no repeats.
struct Level {
  std::size_t n = 0;
  std::vector<std::uint64_t> offsets;
  std::vector<std::uint32_t> neighbours;
  std::vector<float> weights;         // fine edges an edge stands for
  std::vector<float> affinity;        // how local an edge is (matching prefers local edges)
  std::vector<std::uint32_t> mass;    // fine nodes a node stands for
  std::vector<std::uint32_t> parent;  // node in the next coarser level
};

struct WeightedEdge {
  std::uint64_t key;  // smaller end in the high half
  float weight;
  float affinity;
};

std::uint64_t edge_key(std::uint32_t a, std::uint32_t b) {
  return a < b ? (std::uint64_t{a} << 32) | b : (std::uint64_t{b} << 32) | a;
}

// Sorts the edges, merges repeats (adding their weights) and builds rows.
Level level_from_edges(std::size_t n, std::vector<WeightedEdge>& edges, std::vector<std::uint32_t> mass) {
  std::sort(edges.begin(), edges.end(), [](const WeightedEdge& l, const WeightedEdge& r) { return l.key < r.key; });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    if (kept > 0 && edges[kept - 1].key == edges[i].key) {
      edges[kept - 1].weight += edges[i].weight;
      edges[kept - 1].affinity += edges[i].affinity;
    } else {
      edges[kept++] = edges[i];
    }
  }
  edges.resize(kept);

  Level level;
  level.n = n;
  level.mass = std::move(mass);
  level.offsets.assign(n + 1, 0);
  for (const WeightedEdge& edge : edges) {
    ++level.offsets[(edge.key >> 32) + 1];
    ++level.offsets[(edge.key & 0xFFFFFFFFu) + 1];
  }
  std::partial_sum(level.offsets.begin(), level.offsets.end(), level.offsets.begin());
  level.neighbours.resize(2 * kept);
  level.weights.resize(2 * kept);
  level.affinity.resize(2 * kept);
  std::vector<std::uint64_t> fill(level.offsets.begin(), level.offsets.end() - 1);
  for (const WeightedEdge& edge : edges) {
    const auto a = static_cast<NodeId>(edge.key >> 32);
    const auto b = static_cast<NodeId>(edge.key & 0xFFFFFFFFu);
    level.neighbours[fill[a]] = b;
    level.affinity[fill[a]] = edge.affinity;
    level.weights[fill[a]++] = edge.weight;
    level.neighbours[fill[b]] = a;
    level.affinity[fill[b]] = edge.affinity;
    level.weights[fill[b]++] = edge.weight;
  }
  return level;
}

// Affinity of each edge of the finest level: 1 + the triangles it lies on.
// Links inside a dense region lie on many, stray long links on few, so
// matching by affinity merges nodes of one region first. Ends of very high
// degree are skipped (their count would cost degree squared).
void count_triangles(Level& level) {
  constexpr std::uint64_t kMaxDegree = 512;
  std::vector<std::uint32_t> seen(level.n, kNoNode);
  for (std::uint32_t u = 0; u < level.n; ++u) {
    if (level.offsets[u + 1] - level.offsets[u] > kMaxDegree) continue;
    for (std::uint64_t e = level.offsets[u]; e < level.offsets[u + 1]; ++e) seen[level.neighbours[e]] = u;
    for (std::uint64_t e = level.offsets[u]; e < level.offsets[u + 1]; ++e) {
      const std::uint32_t v = level.neighbours[e];
      if (level.offsets[v + 1] - level.offsets[v] > kMaxDegree) continue;
      std::uint32_t common = 0;
      for (std::uint64_t f = level.offsets[v]; f < level.offsets[v + 1]; ++f) common += seen[level.neighbours[f]] == u;
      level.affinity[e] = 1.0f + static_cast<float>(common);
    }
    poll_cancellation(static_cast<std::uint32_t>(level.offsets[u + 1] - level.offsets[u] + 1));
  }
}

void shuffle(std::vector<std::uint32_t>& items, RandomGenerator& random) {
  for (std::size_t i = items.size(); i > 1; --i) {
    const std::size_t j = random.next_u64() % i;
    std::swap(items[i - 1], items[j]);
  }
}

// Groups the nodes of `fine` (matching each with the neighbour of the
// heaviest edge relative to both masses; a node whose neighbours are all
// taken joins the lightest of their groups; nodes without neighbours pair
// up) and returns the graph of the groups, or nothing when too few nodes
// would merge. Sets fine.parent.
bool coarsen(Level& fine, Level& coarse, RandomGenerator& random) {
  const std::size_t n = fine.n;
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  shuffle(order, random);

  std::vector<std::uint32_t> group(n, kNoNode);
  std::vector<std::uint32_t> group_mass;
  group_mass.reserve(n / 2 + 1);
  for (const std::uint32_t u : order) {
    if (group[u] != kNoNode) continue;
    std::uint32_t best = kNoNode;
    double best_score = -1.0;
    for (std::uint64_t e = fine.offsets[u]; e < fine.offsets[u + 1]; ++e) {
      const std::uint32_t v = fine.neighbours[e];
      if (group[v] != kNoNode) continue;
      const double score = fine.affinity[e] / (static_cast<double>(fine.mass[u]) * fine.mass[v]);
      if (score > best_score) {
        best_score = score;
        best = v;
      }
    }
    if (best == kNoNode) continue;
    group[u] = group[best] = static_cast<std::uint32_t>(group_mass.size());
    group_mass.push_back(fine.mass[u] + fine.mass[best]);
  }
  std::uint32_t open_pair = kNoNode;
  for (const std::uint32_t u : order) {
    if (group[u] != kNoNode) continue;
    // Every neighbour of u was matched, or u would have been.
    std::uint32_t lightest = kNoNode;
    for (std::uint64_t e = fine.offsets[u]; e < fine.offsets[u + 1]; ++e) {
      const std::uint32_t g = group[fine.neighbours[e]];
      if (lightest == kNoNode || group_mass[g] < group_mass[lightest]) lightest = g;
    }
    if (lightest == kNoNode) {
      if (open_pair == kNoNode) {
        open_pair = lightest = static_cast<std::uint32_t>(group_mass.size());
        group_mass.push_back(0);
      } else {
        lightest = std::exchange(open_pair, kNoNode);
      }
    }
    group[u] = lightest;
    group_mass[lightest] += fine.mass[u];
  }
  if (n <= kCoarsestSize || static_cast<double>(group_mass.size()) > kSlowCoarsening * static_cast<double>(n)) {
    return false;
  }

  std::vector<WeightedEdge> edges;
  edges.reserve(fine.neighbours.size() / 2);
  for (std::uint32_t u = 0; u < n; ++u) {
    for (std::uint64_t e = fine.offsets[u]; e < fine.offsets[u + 1]; ++e) {
      const std::uint32_t v = fine.neighbours[e];
      if (u < v && group[u] != group[v]) {
        edges.push_back({edge_key(group[u], group[v]), fine.weights[e], fine.affinity[e]});
      }
    }
    poll_cancellation();
  }
  const std::size_t groups = group_mass.size();
  coarse = level_from_edges(groups, edges, std::move(group_mass));
  fine.parent = std::move(group);
  return true;
}

// Moves the nodes of one level towards lower energy for up to `iterations`
// rounds. Each round computes every node's force from the positions at its
// start (repulsion through the quadtree, attraction along the edges), then
// moves each node along its force by at most the step, which adapts as Hu
// describes and is also held under a linear cooling to the last round.
void relax(const Level& level, std::vector<LayoutPoint>& points, int iterations, double step,
           const ProgressScope& done) {
  const std::size_t n = level.n;
  if (n < 2) return;
  QuadTree tree;
  std::vector<LayoutPoint> force(n);
  const double start_step = step;
  double energy = std::numeric_limits<double>::infinity();
  int progress = 0;
  for (int round = 0; round < iterations; ++round) {
    done.advance(n);
    tree.build(points.data(), level.mass.data(), n);
    for (const std::uint32_t i : tree.order()) {
      const LayoutPoint p = points[i];
      double rx = 0.0, ry = 0.0;
      tree.repulsion(p.x, p.y, kTheta, rx, ry);
      double ax = 0.0, ay = 0.0;
      for (std::uint64_t e = level.offsets[i]; e < level.offsets[i + 1]; ++e) {
        const LayoutPoint q = points[level.neighbours[e]];
        const double dx = q.x - p.x, dy = q.y - p.y;
        const double d = std::sqrt(dx * dx + dy * dy);
        const double pull = d > 0.0 ? level.weights[e] * std::log1p(d) / d : 0.0;
        ax += dx * pull;
        ay += dy * pull;
      }
      // Per unit of mass: a group moves as its members would together.
      const double mass = level.mass[i];
      force[i] = {kRepulsion * rx + ax / mass, kRepulsion * ry + ay / mass};
      poll_cancellation(static_cast<std::uint32_t>(8 + level.offsets[i + 1] - level.offsets[i]));
    }
    const double cap = start_step * (1.0 - static_cast<double>(round) / iterations);
    const double limit = std::min(step, cap);
    double new_energy = 0.0, moved = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      const double length = std::sqrt(force[i].x * force[i].x + force[i].y * force[i].y);
      if (!(length > 0.0) || !std::isfinite(length)) continue;
      new_energy += length * length;
      const double move = std::min(length, limit);
      points[i].x += force[i].x / length * move;
      points[i].y += force[i].y / length * move;
      moved += move;
    }
    if (new_energy < energy) {
      if (++progress >= kProgressToGrow) {
        progress = 0;
        step /= kStepFactor;
      }
    } else {
      progress = 0;
      step *= kStepFactor;
    }
    energy = new_energy;
    if (moved < kSettled * static_cast<double>(n)) break;
  }
}

// Numbers the nodes of every level so that the members of a group are next
// to each other (ordered by their group's number, coarsest level first):
// neighbours then mostly sit close in memory, which the attraction loop's
// reads need at a million nodes. Returns each original node's new number.
std::vector<std::uint32_t> renumber_by_groups(std::vector<Level>& levels) {
  std::vector<std::uint32_t> coarse_number(levels.back().n);
  std::iota(coarse_number.begin(), coarse_number.end(), 0u);
  std::vector<std::vector<std::uint32_t>> numbers(levels.size());
  numbers.back() = coarse_number;
  for (std::size_t l = levels.size() - 1; l-- > 0;) {
    const Level& level = levels[l];
    const std::vector<std::uint32_t>& parent_number = numbers[l + 1];
    // Counting sort by the parent's number, stable.
    std::vector<std::uint32_t> start(levels[l + 1].n + 1, 0);
    for (std::size_t i = 0; i < level.n; ++i) ++start[parent_number[level.parent[i]] + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<std::uint32_t>& number = numbers[l];
    number.resize(level.n);
    for (std::size_t i = 0; i < level.n; ++i) number[i] = start[parent_number[level.parent[i]]]++;
  }
  for (std::size_t l = 0; l < levels.size(); ++l) {
    Level& level = levels[l];
    const std::vector<std::uint32_t>& number = numbers[l];
    Level renumbered;
    renumbered.n = level.n;
    renumbered.offsets.assign(level.n + 1, 0);
    renumbered.mass.resize(level.n);
    for (std::size_t i = 0; i < level.n; ++i) {
      renumbered.offsets[number[i] + 1] = level.offsets[i + 1] - level.offsets[i];
      renumbered.mass[number[i]] = level.mass[i];
    }
    std::partial_sum(renumbered.offsets.begin(), renumbered.offsets.end(), renumbered.offsets.begin());
    renumbered.neighbours.resize(level.neighbours.size());
    renumbered.weights.resize(level.weights.size());
    renumbered.affinity.resize(level.affinity.size());
    for (std::size_t i = 0; i < level.n; ++i) {
      std::uint64_t out = renumbered.offsets[number[i]];
      for (std::uint64_t e = level.offsets[i]; e < level.offsets[i + 1]; ++e, ++out) {
        renumbered.neighbours[out] = number[level.neighbours[e]];
        renumbered.weights[out] = level.weights[e];
        renumbered.affinity[out] = level.affinity[e];
      }
    }
    if (l + 1 < levels.size()) {
      renumbered.parent.resize(level.n);
      for (std::size_t i = 0; i < level.n; ++i) renumbered.parent[number[i]] = numbers[l + 1][level.parent[i]];
    }
    level = std::move(renumbered);
    poll_cancellation(static_cast<std::uint32_t>(level.n));
  }
  return std::move(numbers[0]);
}

int default_iterations(std::size_t n) {
  // Enough for a graph of a few thousand nodes to settle; the finest levels
  // of very large graphs start close to their answer.
  if (n <= 5'000) return 100;
  if (n <= 50'000) return 50;
  if (n <= 500'000) return 25;
  return 20;
}

}  // namespace

std::vector<LayoutPoint> multilevel_force_layout(std::size_t node_count,
                                                 const std::vector<std::pair<std::uint32_t, std::uint32_t>>& edges,
                                                 const ForceLayoutOptions& options) {
  RandomGenerator random(options.seed);
  std::vector<Level> levels(1);
  {
    std::vector<WeightedEdge> weighted;
    weighted.reserve(edges.size());
    for (const auto& [a, b] : edges) {
      if (a != b) weighted.push_back({edge_key(a, b), 1.0f, 1.0f});
    }
    levels[0] = level_from_edges(node_count, weighted, std::vector<std::uint32_t>(node_count, 1));
    // A pair of nodes is linked or not: repeats and directions count once.
    std::fill(levels[0].weights.begin(), levels[0].weights.end(), 1.0f);
    count_triangles(levels[0]);
  }
  for (;;) {
    Level coarse;
    if (!coarsen(levels.back(), coarse, random)) break;
    levels.push_back(std::move(coarse));
  }

  const std::vector<std::uint32_t> number = renumber_by_groups(levels);

  const int finest_iterations = options.iterations > 0 ? options.iterations : default_iterations(node_count);
  // The coarsest level from a random start in a square of the area the
  // whole graph takes.
  const Level& coarsest = levels.back();
  const double side = std::sqrt(static_cast<double>(node_count));
  std::vector<LayoutPoint> points(coarsest.n);
  for (LayoutPoint& p : points) {
    p.x = side * random.next_unit();
    p.y = side * random.next_unit();
  }
  // How far: node moves, coarse and fine levels alike.
  const int coarsest_iterations = std::max(kCoarsestIterations, finest_iterations);
  std::uint64_t moves = static_cast<std::uint64_t>(coarsest.n) * static_cast<std::uint64_t>(coarsest_iterations);
  for (std::size_t l = 0; l + 1 < levels.size(); ++l) {
    moves += static_cast<std::uint64_t>(levels[l].n) * static_cast<std::uint64_t>(finest_iterations);
  }
  const ProgressScope progress(moves);
  relax(coarsest, points, coarsest_iterations, side / 4.0, progress);

  for (std::size_t l = levels.size() - 1; l-- > 0;) {
    const Level& fine = levels[l];
    const Level& coarse = levels[l + 1];
    // Each node starts near its group, spread over about the area the
    // group's mass takes.
    std::vector<LayoutPoint> fine_points(fine.n);
    for (std::size_t i = 0; i < fine.n; ++i) {
      const std::uint32_t group = fine.parent[i];
      const double spread = 0.5 * std::sqrt(static_cast<double>(coarse.mass[group]));
      fine_points[i].x = points[group].x + spread * (random.next_unit() - 0.5);
      fine_points[i].y = points[group].y + spread * (random.next_unit() - 0.5);
    }
    points = std::move(fine_points);
    relax(fine, points, finest_iterations, 2.0, progress);
  }

  std::vector<LayoutPoint> result(node_count);
  for (std::size_t i = 0; i < node_count; ++i) result[i] = points[number[i]];
  return result;
}

void fit_to_canvas(std::vector<LayoutPoint>& points, double padding) {
  if (points.empty()) return;
  const double n = static_cast<double>(points.size());
  double mean_x = 0.0, mean_y = 0.0;
  for (const LayoutPoint& p : points) {
    mean_x += p.x;
    mean_y += p.y;
  }
  mean_x /= n;
  mean_y /= n;
  // Principal axis along x: the drawing fills the wide canvas.
  double sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (const LayoutPoint& p : points) {
    sxx += (p.x - mean_x) * (p.x - mean_x);
    syy += (p.y - mean_y) * (p.y - mean_y);
    sxy += (p.x - mean_x) * (p.y - mean_y);
  }
  const double angle = 0.5 * std::atan2(2.0 * sxy, sxx - syy);
  const double c = std::cos(angle), s = std::sin(angle);
  double min_x = std::numeric_limits<double>::infinity(), max_x = -min_x, min_y = min_x, max_y = -min_x;
  for (LayoutPoint& p : points) {
    const double dx = p.x - mean_x, dy = p.y - mean_y;
    p = {c * dx + s * dy, -s * dx + c * dy};
    min_x = std::min(min_x, p.x);
    max_x = std::max(max_x, p.x);
    min_y = std::min(min_y, p.y);
    max_y = std::max(max_y, p.y);
  }
  const double room_x = std::max(0.0, kCanvasWidth - kCanvasMargin - 2.0 * padding);
  const double room_y = std::max(0.0, kCanvasHeight - kCanvasMargin - 2.0 * padding);
  const double width = max_x - min_x, height = max_y - min_y;
  double scale = std::numeric_limits<double>::infinity();
  if (width > 0.0) scale = room_x / width;
  if (height > 0.0) scale = std::min(scale, room_y / height);
  if (!std::isfinite(scale)) scale = 0.0;
  const double centre_x = (kCanvasMargin + kCanvasWidth) / 2.0, centre_y = (kCanvasMargin + kCanvasHeight) / 2.0;
  const double mid_x = (min_x + max_x) / 2.0, mid_y = (min_y + max_y) / 2.0;
  for (LayoutPoint& p : points) {
    p.x = std::clamp(centre_x + (p.x - mid_x) * scale, kCanvasMargin, kCanvasWidth);
    p.y = std::clamp(centre_y + (p.y - mid_y) * scale, kCanvasMargin, kCanvasHeight);
  }
}

void generate_multilevel_positions(GraphStore& graph, const ForceLayoutOptions& options) {
  const std::size_t n = graph.node_count();
  std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
  {
    // The links kept with the graph when a measure or drawing took them
    // before, held only while the pairs are copied out.
    const std::shared_ptr<const LinkList> links = current_links(graph, OutsideTargets::Skip);
    edges.reserve(links->link_count());
    for (std::size_t link = 0; link < links->link_count(); ++link) {
      edges.emplace_back(links->link_source[link], links->link_target[link]);
    }
  }
  std::vector<LayoutPoint> points = multilevel_force_layout(n, edges, options);
  fit_to_canvas(points, suggested_node_radius(n));
  for (std::size_t i = 0; i < n; ++i) graph.set_coordinates(i, points[i].x, points[i].y);
}

}  // namespace mivora
