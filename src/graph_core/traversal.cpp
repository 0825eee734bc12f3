#include "graph_core/traversal.hpp"

#include <algorithm>
#include <bit>
#include <functional>
#include <cstdint>
#include <limits>
#include <queue>
#include <span>
#include <string>
#include <utility>

#include "graph_core/adjacency_matrix.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/prefetch.hpp"
#include "graph_core/searches.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/string_map.hpp"

namespace mivora {
namespace {

// A node reached by a walk: a graph position, or a node outside the graph.
struct Step {
  NodeIndex position;
  const NodeRecord* outside;
};

constexpr std::uint32_t kOutsideBit = 1u << 31;

// The stored connections of the graph's nodes in their order, flattened: a
// target position for a connection inside the graph, or kOutsideBit | k for
// the k-th connection leading elsewhere. One sequential pass; the walk then
// reads compact arrays instead of chasing node and connection-list pointers.
struct SuccessorRows {
  std::vector<std::size_t> start;  // row p spans [start[p], start[p + 1])
  std::vector<std::uint32_t> target;
  std::vector<std::pair<const NodeRecord*, const StoredConnection*>> outside;  // the node it leaves, the connection

  std::span<const std::uint32_t> neighbours_of(std::uint32_t position) const {
    return {target.data() + start[position], start[position + 1] - start[position]};
  }
};

SuccessorRows successor_rows(const GraphStore& graph) {
  SuccessorRows rows;
  rows.start.reserve(graph.node_count() + 1);
  rows.target.reserve(graph.get_edge_count());
  rows.start.push_back(0);
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    prefetch_connections(graph, position);
    poll_cancellation(static_cast<std::uint32_t>(graph.node(position).connections.size()) + 1);
    const NodeRecord& node = graph.node(position);
    for (const StoredConnection& connection : node.connections) {
      if (connection.is_local()) {
        rows.target.push_back(connection.target);
      } else {
        rows.target.push_back(kOutsideBit | static_cast<std::uint32_t>(rows.outside.size()));
        rows.outside.emplace_back(&node, &connection);
      }
    }
    rows.start.push_back(rows.target.size());
  }
  return rows;
}

// The visited set of a walk, keyed by label: labels of the graph by their
// canonical position, other labels by text.
class LabelVisits {
 public:
  explicit LabelVisits(const GraphStore& graph) : graph_(graph), seen_(graph.node_count(), 0) {}

  bool contains(const Step& step) const {
    if (const auto position = key_of(step)) return seen_[*position] != 0;
    return foreign_.contains(step.outside->label.view());
  }

  // Marks the step's label; false when it was marked already.
  bool mark(const Step& step) {
    if (const auto position = key_of(step)) {
      if (seen_[*position] != 0) return false;
      seen_[*position] = 1;
      return true;
    }
    return foreign_.insert(step.outside->label.text()).second;
  }

 private:
  std::optional<NodeIndex> key_of(const Step& step) const {
    if (step.outside == nullptr) return graph_.canonical_position(step.position);
    return graph_.find_by_label(step.outside->label);
  }

  const GraphStore& graph_;
  std::vector<std::uint8_t> seen_;
  StringSet foreign_;
};

// Walks the targets of a step's connections in their order (or in reverse),
// calling visit(step) for each target that still exists.
class Successors {
 public:
  Successors(const GraphStore& graph, TraversalOrder& order)
      : graph_(graph), rows_(successor_rows(graph)), order_(order) {}

  Step start(std::string_view label) const {
    const auto position = graph_.find_by_label(label);
    if (!position) fail(kInitialNodeNotFound);
    return {*position, nullptr};
  }

  // True when no connection leaves the graph and every label is unique: a
  // walk is then a plain walk over positions (see plain_bfs, plain_dfs).
  bool plain() const { return rows_.outside.empty() && !graph_.has_duplicate_labels(); }
  const SuccessorRows& rows() const { return rows_; }

  template <bool kReverse, typename Visit>
  void for_each(const Step& step, Visit&& visit) {
    if (step.outside == nullptr) {
      const std::size_t first = rows_.start[step.position], last = rows_.start[step.position + 1];
      for (std::size_t i = 0; i < last - first; ++i) {
        const std::uint32_t target = rows_.target[kReverse ? last - 1 - i : first + i];
        if ((target & kOutsideBit) == 0) {
          visit(Step{target, nullptr});
        } else if (const auto [from, connection] = rows_.outside[target & ~kOutsideBit];
                   const auto next = locked(*from, *connection)) {
          visit(*next);
        }
      }
      return;
    }
    // A node outside the graph: its local targets refer to its own graph.
    const auto& connections = step.outside->connections;
    for (std::size_t i = 0; i < connections.size(); ++i) {
      const StoredConnection& connection = connections[kReverse ? connections.size() - 1 - i : i];
      if (const auto next = locked(*step.outside, connection)) visit(*next);
    }
  }

 private:
  std::optional<Step> locked(const NodeRecord& from, const StoredConnection& connection) {
    NodeHandle target = connection_target(from, connection);
    if (!target) return std::nullopt;
    if (target->graph_serial == graph_.serial()) return Step{target->position, nullptr};
    const NodeRecord* raw = target.get();
    order_.foreign.push_back(std::move(target));
    return Step{TraversalOrder::kOutside, raw};
  }

  const GraphStore& graph_;
  SuccessorRows rows_;
  TraversalOrder& order_;
};

void report(TraversalOrder& order, const Step& step) {
  order.positions.push_back(step.position);
  order.nodes.push_back(step.outside);
}

// The walks below on a plain graph (Successors::plain): positions are labels,
// so the walk is a search over positions and the order is its queue.
void plain_bfs(const SuccessorRows& rows, NodeIndex start, std::vector<NodeIndex>& order) {
  ShortestPaths<std::uint32_t> search(rows.start.size() - 1, ShortestPaths<std::uint32_t>::kDistances);
  search.breadth_first(rows, static_cast<NodeId>(start));
  order.assign(search.settled.begin(), search.settled.end());
}

void plain_dfs(const SuccessorRows& rows, NodeIndex start, std::vector<NodeIndex>& order) {
  std::vector<std::uint8_t> seen(rows.start.size() - 1, 0);
  std::vector<std::uint32_t> stack{static_cast<NodeId>(start)};
  while (!stack.empty()) {
    const std::uint32_t u = stack.back();
    stack.pop_back();
    if (seen[u] != 0) continue;
    seen[u] = 1;
    order.push_back(u);
    poll_cancellation(static_cast<std::uint32_t>(rows.start[u + 1] - rows.start[u]) + 1);
    // Pushed last-added first, so the first-added connection is explored next.
    for (std::size_t k = rows.start[u + 1]; k-- > rows.start[u];) {
      const std::uint32_t v = rows.target[k];
      if (seen[v] == 0) stack.push_back(v);
    }
  }
}

}  // namespace

TraversalOrder bfs(const GraphStore& graph, std::string_view start_label) {
  TraversalOrder order;
  Successors successors(graph, order);
  const Step start = successors.start(start_label);
  if (successors.plain()) {
    plain_bfs(successors.rows(), start.position, order.positions);
    return order;
  }
  LabelVisits visits(graph);
  visits.mark(start);
  std::vector<Step> queue{start};
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const Step step = queue[head];
    report(order, step);
    poll_cancellation();
    successors.for_each<false>(step, [&](const Step& next) {
      if (visits.mark(next)) queue.push_back(next);
    });
  }
  return order;
}

TraversalOrder dfs(const GraphStore& graph, std::string_view start_label) {
  TraversalOrder order;
  Successors successors(graph, order);
  const Step start = successors.start(start_label);
  if (successors.plain()) {
    plain_dfs(successors.rows(), start.position, order.positions);
    return order;
  }
  LabelVisits visits(graph);
  std::vector<Step> stack{start};
  while (!stack.empty()) {
    const Step step = stack.back();
    stack.pop_back();
    if (!visits.mark(step)) continue;
    report(order, step);
    poll_cancellation();
    // Pushed last-added first, so the first-added connection is explored next.
    successors.for_each<true>(step, [&](const Step& next) {
      if (!visits.contains(next)) stack.push_back(next);
    });
  }
  return order;
}

namespace {

// Heap order of (distance, position) as one integer: the float's bits made
// monotone (negative values flipped) above the position. Distances are never
// NaN or -0.0 (a sum with a non-zero weight cannot give -0.0), so the order
// is exactly the numeric one with ties to the smaller position.
std::uint64_t heap_key(float distance, std::uint32_t position) {
  std::uint32_t bits = std::bit_cast<std::uint32_t>(distance);
  bits = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
  return (std::uint64_t{bits} << 32) | position;
}

}  // namespace

// Settles nodes by smallest distance, ties to the smaller position, never a
// node at +inf, and never revisits a settled one. The heap is ordered by
// (distance, position) and every unsettled reachable node has an entry with
// its current distance (older entries are larger and skipped), so it settles
// the same node at each step as a scan over all unsettled nodes would, and
// the single-precision sums come out identical, negative weights included.
std::vector<double> dijkstra(const GraphStore& graph, std::string_view start_label) {
  const auto start = graph.find_by_label(start_label);
  if (!start) fail(kNodeNotFound);
  const AdjacencyMatrix matrix = generate_adjacency_matrix(graph);
  const std::size_t n = graph.node_count();
  // Every distance is a single-precision sum, so floats hold them exactly.
  std::vector<float> distance(n, std::numeric_limits<float>::infinity());
  std::vector<std::uint8_t> settled(n, 0);
  std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> heap;
  distance[*start] = 0.0f;
  heap.push(heap_key(0.0f, static_cast<NodeId>(*start)));
  while (!heap.empty()) {
    const std::uint64_t key = heap.top();
    heap.pop();
    const auto u = static_cast<std::uint32_t>(key);
    if (settled[u] != 0 || key != heap_key(distance[u], u)) continue;
    settled[u] = 1;
    const float from = distance[u];
    poll_cancellation(static_cast<std::uint32_t>(matrix.start[u + 1] - matrix.start[u]) + 1);
    for (std::size_t k = matrix.start[u]; k < matrix.start[u + 1]; ++k) {
      const std::uint32_t v = matrix.column[k];
      const float weight = matrix.weight[k];
      // A 0 cell is no connection; NaN never shortens a path.
      if (weight == 0.0f || settled[v] != 0) continue;
      const float candidate = weight + from;
      if (candidate < distance[v]) {
        distance[v] = candidate;
        heap.push(heap_key(candidate, v));
      }
    }
  }
  std::vector<double> result(n);
  for (NodeIndex position = 0; position < n; ++position) {
    result[position] = distance[graph.canonical_position(position)];
  }
  return result;
}

}  // namespace mivora
