#include "layout/layout.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "layout/force_layout.hpp"
#include "layout/plane_length.hpp"
#include "layout/x86_level.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

namespace {

constexpr double kMinX = kCanvasMargin;
constexpr double kMinY = kCanvasMargin;
constexpr double kMaxX = kCanvasWidth;
constexpr double kMaxY = kCanvasHeight;

double draw_coordinate(RandomGenerator& random, double upper) {
  for (;;) {
    const double value = kCanvasMargin + (upper - kCanvasMargin) * random.next_unit();
    if (value < upper) return value;  // rounding can reach the bound itself
  }
}

}  // namespace

// ---- random and circular --------------------------------------------------------

void generate_random_positions(GraphStore& graph) { generate_random_positions(graph, thread_random()); }

void generate_random_positions(GraphStore& graph, RandomGenerator& random) {
  for (NodeIndex i = 0; i < graph.node_count(); ++i) {
    const double x = draw_coordinate(random, kMaxX);
    const double y = draw_coordinate(random, kMaxY);
    graph.set_coordinates(i, x, y);
  }
}

void generate_circular_positions(GraphStore& graph) {
  const double n = static_cast<double>(graph.node_count());
  for (NodeIndex i = 0; i < graph.node_count(); ++i) {
    const double fraction = static_cast<double>(i) / n;
    const double angle = (fraction + fraction) * std::numbers::pi;
    graph.set_coordinates(i, 800.0 + 200.0 * std::cos(angle), 400.0 + 200.0 * std::sin(angle));
  }
}

// ---- spring ------------------------------------------------------------------------
//
// Everything is indexed by node position. Displacements belong to labels, so
// nodes that share a label (matrix imports with repeated labels) share one
// displacement slot: the slot of the first node with that label. The
// attraction reads a label's position from the last node carrying it, as a
// snapshot keyed by label, filled in node order, would hold it.

namespace {

constexpr int kIterations = 50;
constexpr double kStartTemperature = 150.0;
constexpr double kCooling = 0.95;
constexpr double kDistanceOffset = 0.01;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// One end of an attraction edge: where its position is read from and which
// displacement slot it feeds; kNone for a label outside the graph (read at
// (0, 0), its displacement goes nowhere).
struct EdgeEnd {
  std::size_t position_of;
  std::size_t slot;
};

struct Edge {
  EdgeEnd a, b;
};

// The edges: label pairs of every connection whose target exists, smaller
// label first, sorted by (first, second) label and without repeats. Self
// pairs move nothing and are left out.
std::vector<Edge> build_edges(const GraphStore& graph, const std::vector<std::size_t>& slot_of,
                              const std::vector<std::size_t>& last_of_slot) {
  const std::size_t n = graph.node_count();
  // Entities: label slots of the graph (0..n) and labels outside it (n..).
  std::vector<std::string_view> foreign_labels;
  std::unordered_map<std::string_view, std::size_t> foreign_index;
  auto entity_of_label = [&](std::string_view label) -> std::size_t {
    if (const auto position = graph.find_by_label(label)) return slot_of[*position];
    auto [it, inserted] = foreign_index.try_emplace(label, n + foreign_labels.size());
    if (inserted) foreign_labels.push_back(label);
    return it->second;
  };

  std::vector<std::pair<std::size_t, std::size_t>> entity_pairs;
  entity_pairs.reserve(graph.get_edge_count());
  graph.for_each_connection(
      [&](NodeIndex from, const NodeRecord&, const StoredConnection& connection, const NodeRecord* target) {
        if (target == nullptr) return;
        const std::size_t a = slot_of[from];
        const std::size_t b = connection.is_local() ? slot_of[connection.target] : entity_of_label(target->label);
        if (a != b) entity_pairs.emplace_back(a, b);
      });
  if (entity_pairs.empty()) return {};

  auto label_of = [&](std::size_t entity) {
    return entity < n ? std::string_view(graph.node(entity).label) : foreign_labels[entity - n];
  };
  // Rank every entity by its label (bytes compared unsigned, a prefix first).
  std::vector<std::size_t> order;
  order.reserve(n + foreign_labels.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (slot_of[i] == i) order.push_back(i);
  }
  for (std::size_t j = 0; j < foreign_labels.size(); ++j) order.push_back(n + j);
  std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return label_of(l) < label_of(r); });
  std::vector<std::uint32_t> rank(n + foreign_labels.size());
  for (std::size_t r = 0; r < order.size(); ++r) rank[order[r]] = static_cast<std::uint32_t>(r);

  std::vector<std::uint64_t> keys;
  keys.reserve(entity_pairs.size());
  for (auto [a, b] : entity_pairs) {
    const std::uint64_t ra = rank[a], rb = rank[b];
    keys.push_back(ra < rb ? (ra << 32) | rb : (rb << 32) | ra);
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

  auto end_of = [&](std::uint64_t r) {
    const std::size_t entity = order[r];
    return entity < n ? EdgeEnd{last_of_slot[entity], entity} : EdgeEnd{kNone, kNone};
  };
  std::vector<Edge> edges;
  edges.reserve(keys.size());
  for (std::uint64_t key : keys) edges.push_back({end_of(key >> 32), end_of(key & 0xFFFFFFFFu)});
  return edges;
}

// Repulsion, every node against every other: displacement[u] accumulates
// the push of each v in node order. Lanes run over u, so each sum keeps that
// order exactly while the compiler vectorises across lanes. The push of a
// node on itself is exactly zero (offset 0, distance 0.01), so u == v needs
// no test. std::sqrt of the sum of squares stands in for hypot here.
template <std::size_t W>
[[gnu::always_inline]] inline void repel_tile(const double* x, const double* y, std::size_t n, std::size_t u0,
                                              double kk, double* out_x, double* out_y) {
  double xu[W], yu[W], ax[W], ay[W];
  for (std::size_t l = 0; l < W; ++l) {
    xu[l] = x[u0 + l];
    yu[l] = y[u0 + l];
    ax[l] = 0.0;
    ay[l] = 0.0;
  }
  for (std::size_t v = 0; v < n; ++v) {
    const double xv = x[v], yv = y[v];
    for (std::size_t l = 0; l < W; ++l) {
      const double ddx = xu[l] - xv;
      const double ddy = yu[l] - yv;
      const double d = std::sqrt(ddx * ddx + ddy * ddy) + kDistanceOffset;
      const double f = kk / d;
      ax[l] += (ddx / d) * f;
      ay[l] += (ddy / d) * f;
    }
  }
  for (std::size_t l = 0; l < W; ++l) {
    out_x[u0 + l] = ax[l];
    out_y[u0 + l] = ay[l];
  }
}

constexpr std::size_t kLanes = 16;

// Rows [begin, end) of the repulsion; `begin` is a multiple of kLanes.
[[gnu::always_inline]] inline void repel_rows(const double* x, const double* y, std::size_t n, std::size_t begin,
                                              std::size_t end, double kk, double* out_x, double* out_y) {
  std::size_t u0 = begin;
  for (; u0 + kLanes <= end; u0 += kLanes) repel_tile<kLanes>(x, y, n, u0, kk, out_x, out_y);
  for (; u0 < end; ++u0) repel_tile<1>(x, y, n, u0, kk, out_x, out_y);
}

using RepelRows = void (*)(const double*, const double*, std::size_t, std::size_t, std::size_t, double, double*,
                           double*);

void repel_rows_baseline(const double* x, const double* y, std::size_t n, std::size_t begin, std::size_t end, double kk,
                         double* out_x, double* out_y) {
  repel_rows(x, y, n, begin, end, kk, out_x, out_y);
}

// The same rows compiled for newer x86-64 levels, chosen once by what the
// processor has. The loop is bound by the divider: with AVX2 it takes half
// the time of the SSE2 baseline (0.75 s against 1.46 s for 3,000 nodes),
// AVX-512 saves about another 10% (0.078 s against 0.086 s for 1,000 nodes,
// 16 lanes). Every level gives the same bits: no fused multiply-add
// (-ffp-contract=off), and vector sqrt and division round as the scalar
// ones do. The choice is the module's own (x86_level.hpp), not
// target_clones: the CPU check its resolver calls is a stub in zig's
// runtime (no features, so the baseline always ran), and under
// AddressSanitizer the resolver ran before the sanitizer's runtime was ready.
#if defined(__x86_64__) && defined(__GNUC__)
// The levels' instruction sets. clang takes them feature by feature: its
// "arch=" changes the processor but keeps the features the command line
// turned off (zig's command line names every one).
#if defined(__clang__)
#define MIVORA_X86_64_V3 "sahf,cx16,popcnt,sse3,ssse3,sse4.1,sse4.2,avx,avx2,bmi,bmi2,f16c,fma,lzcnt,movbe,xsave"
#define MIVORA_X86_64_V4 MIVORA_X86_64_V3 ",avx512f,avx512bw,avx512cd,avx512dq,avx512vl"
#else
#define MIVORA_X86_64_V3 "arch=x86-64-v3"
#define MIVORA_X86_64_V4 "arch=x86-64-v4"
#endif
[[gnu::target(MIVORA_X86_64_V4)]] void repel_rows_v4(const double* x, const double* y, std::size_t n, std::size_t begin,
                                                     std::size_t end, double kk, double* out_x, double* out_y) {
  repel_rows(x, y, n, begin, end, kk, out_x, out_y);
}

[[gnu::target(MIVORA_X86_64_V3)]] void repel_rows_v3(const double* x, const double* y, std::size_t n, std::size_t begin,
                                                     std::size_t end, double kk, double* out_x, double* out_y) {
  repel_rows(x, y, n, begin, end, kk, out_x, out_y);
}

RepelRows choose_repel_rows() {
  const int level = x86_64_level();
  return level >= 4 ? repel_rows_v4 : level >= 3 ? repel_rows_v3 : repel_rows_baseline;
}
#else
RepelRows choose_repel_rows() { return repel_rows_baseline; }
#endif

void repel_unique_rows(const double* x, const double* y, std::size_t n, std::size_t begin, std::size_t end, double kk,
                       double* out_x, double* out_y) {
  static const RepelRows chosen = choose_repel_rows();
  chosen(x, y, n, begin, end, kk, out_x, out_y);
}

// Rows per cancellation poll: 256 x n node pairs, about a millisecond at 8,000 nodes.
constexpr std::size_t kRowsPerPoll = 16 * kLanes;

// The rows in bands, with a cancellation poll after each band.
void repel_unique(const double* x, const double* y, std::size_t n, double kk, double* out_x, double* out_y) {
  for (std::size_t begin = 0; begin < n; begin += kRowsPerPoll) {
    repel_unique_rows(x, y, n, begin, std::min(n, begin + kRowsPerPoll), kk, out_x, out_y);
    poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(kRowsPerPoll * n, UINT32_MAX)));
  }
}

// With repeated labels: pairs of one label are skipped and a label's nodes
// add into one slot, in node order.
void repel_shared(const double* x, const double* y, std::size_t n, const std::vector<std::size_t>& slot_of, double kk,
                  double* out_x, double* out_y) {
  for (std::size_t u = 0; u < n; ++u) {
    const std::size_t slot = slot_of[u];
    double ax = out_x[slot], ay = out_y[slot];
    for (std::size_t v = 0; v < n; ++v) {
      if (slot_of[v] == slot) continue;
      const double ddx = x[u] - x[v];
      const double ddy = y[u] - y[v];
      const double d = std::sqrt(ddx * ddx + ddy * ddy) + kDistanceOffset;
      const double f = kk / d;
      ax += (ddx / d) * f;
      ay += (ddy / d) * f;
    }
    out_x[slot] = ax;
    out_y[slot] = ay;
    poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(n, UINT32_MAX)));
  }
}

}  // namespace

void generate_force_layout_positions(GraphStore& graph) { generate_force_layout_positions(graph, thread_random()); }

// The positions are worked out in scratch arrays and written to the nodes
// only at the end, so a cancelled layout leaves every node where it was.
void generate_force_layout_positions(GraphStore& graph, RandomGenerator& random) {
  const std::size_t n = graph.node_count();
  if (n == 0) return;
  std::vector<double> x(n), y(n), disp_x(n), disp_y(n);
  for (std::size_t i = 0; i < n; ++i) {  // the random layout's draws, in its order
    x[i] = draw_coordinate(random, kMaxX);
    y[i] = draw_coordinate(random, kMaxY);
  }

  std::vector<std::size_t> slot_of(n), last_of_slot(n);
  for (std::size_t i = 0; i < n; ++i) {
    slot_of[i] = graph.canonical_position(i);
    last_of_slot[slot_of[i]] = i;
  }
  const bool shared_labels = graph.has_duplicate_labels();
  const std::vector<Edge> edges = build_edges(graph, slot_of, last_of_slot);

  const double k = std::sqrt(kCanvasWidth * kCanvasHeight / static_cast<double>(n));
  const double kk = k * k;
  double t = kStartTemperature;
  for (int iteration = 0; iteration < kIterations; ++iteration) {
    if (shared_labels) {
      std::fill(disp_x.begin(), disp_x.end(), 0.0);
      std::fill(disp_y.begin(), disp_y.end(), 0.0);
      repel_shared(x.data(), y.data(), n, slot_of, kk, disp_x.data(), disp_y.data());
    } else {
      repel_unique(x.data(), y.data(), n, kk, disp_x.data(), disp_y.data());
    }
    // Nothing has moved yet, so the positions are the snapshot.
    for (const Edge& edge : edges) {
      const double xa = edge.a.position_of == kNone ? 0.0 : x[edge.a.position_of];
      const double ya = edge.a.position_of == kNone ? 0.0 : y[edge.a.position_of];
      const double xb = edge.b.position_of == kNone ? 0.0 : x[edge.b.position_of];
      const double yb = edge.b.position_of == kNone ? 0.0 : y[edge.b.position_of];
      const double ddx = xa - xb;
      const double ddy = ya - yb;
      const double d = plane_length(ddx, ddy) + kDistanceOffset;
      const double f = d * d / k;
      const double fx = (ddx / d) * f;
      const double fy = (ddy / d) * f;
      if (edge.a.slot != kNone) {
        disp_x[edge.a.slot] -= fx;
        disp_y[edge.a.slot] -= fy;
      }
      if (edge.b.slot != kNone) {
        disp_x[edge.b.slot] += fx;
        disp_y[edge.b.slot] += fy;
      }
    }
    for (std::size_t u = 0; u < n; ++u) {
      const double dx = disp_x[slot_of[u]], dy = disp_y[slot_of[u]];
      const double length = plane_length(dx, dy);
      if (!(length > 0.0)) continue;
      const double step = std::min(length, t);
      x[u] = std::clamp(x[u] + (dx / length) * step, kMinX, kMaxX);
      y[u] = std::clamp(y[u] + (dy / length) * step, kMinY, kMaxY);
    }
    t *= kCooling;
  }
  for (std::size_t i = 0; i < n; ++i) graph.set_coordinates(i, x[i], y[i]);
}

void generate_positions(GraphStore& graph, LayoutKind kind) { generate_positions(graph, kind, thread_random()); }

void generate_positions(GraphStore& graph, LayoutKind kind, RandomGenerator& random) {
  switch (kind) {
    case LayoutKind::Random:
      return generate_random_positions(graph, random);
    case LayoutKind::Circular:
      return generate_circular_positions(graph);
    case LayoutKind::Spring:
      return generate_force_layout_positions(graph, random);
    case LayoutKind::Force:
      return generate_multilevel_positions(graph, ForceLayoutOptions{random.next_u64(), 0});
  }
}

}  // namespace mivora
