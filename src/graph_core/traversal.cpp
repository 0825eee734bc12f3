#include "graph_core/traversal.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_set>

#include "graph_core/adjacency_matrix.hpp"
#include "graph_core/internal_error.hpp"

namespace mivora {
namespace {

// The visited set of a walk, keyed by label: labels of the graph by their
// canonical position, other labels (nodes outside the graph) by text.
class LabelVisits {
 public:
  explicit LabelVisits(const _Graph& graph) : graph_(graph), seen_(graph.node_count(), 0) {}

  bool contains(const _Node& node) const {
    if (const auto position = position_of(node)) return seen_[*position] != 0;
    return foreign_.contains(node.label);
  }

  // Marks the node's label; false when it was marked already.
  bool mark(const _Node& node) {
    if (const auto position = position_of(node)) {
      if (seen_[*position] != 0) return false;
      seen_[*position] = 1;
      return true;
    }
    return foreign_.insert(node.label).second;
  }

 private:
  std::optional<NodeIndex> position_of(const _Node& node) const {
    if (node.graph_serial == graph_.serial()) return graph_.canonical_position(node.position);
    return graph_.find_by_label(node.label);
  }

  const _Graph& graph_;
  std::vector<std::uint8_t> seen_;
  std::unordered_set<std::string> foreign_;
};

const _Node& start_node(const _Graph& graph, std::string_view label) {
  const auto position = graph.find_by_label(label);
  if (!position) fail(kInitialNodeNotFound);
  return graph.node(*position);
}

// The existing target of a connection stored on `from`, or nullptr. Targets
// outside the graph are kept alive in `order.foreign`.
const _Node* target_of(const _Graph& graph, const _Node& from, const StoredConnection& connection,
                       TraversalOrder& order) {
  // local_target is a position in the graph of the node that stores it.
  if (connection.is_local() && from.graph_serial == graph.serial()) return &graph.node(connection.local_target);
  std::shared_ptr<_Node> target = connection.target.lock();
  if (!target) return nullptr;
  const _Node* raw = target.get();
  if (raw->graph_serial != graph.serial()) order.foreign.push_back(std::move(target));
  return raw;
}

}  // namespace

TraversalOrder bfs(const _Graph& graph, std::string_view start_label) {
  const _Node& start = start_node(graph, start_label);
  TraversalOrder order;
  LabelVisits visits(graph);
  visits.mark(start);
  // Every queued node is reported when dequeued, so the queue is the result.
  std::vector<const _Node*>& queue = order.nodes;
  queue.push_back(&start);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const _Node& node = *queue[head];
    for (const StoredConnection& connection : node.connections) {
      const _Node* target = target_of(graph, node, connection, order);
      if (target != nullptr && visits.mark(*target)) queue.push_back(target);
    }
  }
  return order;
}

TraversalOrder dfs(const _Graph& graph, std::string_view start_label) {
  const _Node& start = start_node(graph, start_label);
  TraversalOrder order;
  LabelVisits visits(graph);
  std::vector<const _Node*> stack{&start};
  while (!stack.empty()) {
    const _Node& node = *stack.back();
    stack.pop_back();
    if (!visits.mark(node)) continue;
    order.nodes.push_back(&node);
    // Pushed last-added first, so the first-added connection is explored next.
    for (auto it = node.connections.rbegin(); it != node.connections.rend(); ++it) {
      const _Node* target = target_of(graph, node, *it, order);
      if (target != nullptr && !visits.contains(*target)) stack.push_back(target);
    }
  }
  return order;
}

namespace {

// Compressed rows of the weight matrix: the last write to each cell, without
// the cells that hold 0 (no connection) or NaN (never shortens a path).
struct WeightRows {
  std::vector<std::uint32_t> start;  // row r spans [start[r], start[r + 1])
  std::vector<std::uint32_t> column;
  std::vector<float> weight;
};

WeightRows weight_rows(const _Graph& graph) {
  struct Write {
    std::uint32_t row, column;
    float weight;
  };
  const std::size_t n = graph.node_count();
  std::vector<Write> writes;
  writes.reserve(graph.get_edge_count());
  for_each_matrix_write(graph, [&](NodeIndex row, NodeIndex column, float weight) {
    writes.push_back({static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column), weight});
  });
  // Bucket the writes by row, keeping their order within a row.
  std::vector<std::uint32_t> bucket(n + 1, 0);
  for (const Write& write : writes) ++bucket[write.row + 1];
  for (std::size_t r = 0; r < n; ++r) bucket[r + 1] += bucket[r];
  std::vector<std::uint32_t> next(bucket.begin(), bucket.end() - 1);
  std::vector<std::uint32_t> ordered(writes.size());
  for (std::uint32_t k = 0; k < writes.size(); ++k) ordered[next[writes[k].row]++] = k;

  WeightRows rows;
  rows.start.assign(n + 1, 0);
  rows.column.reserve(writes.size());
  rows.weight.reserve(writes.size());
  // cell_of[c] is the slot of column c in the row being built, valid while
  // row_of[c] names that row.
  std::vector<std::uint32_t> cell_of(n), row_of(n, std::numeric_limits<std::uint32_t>::max());
  for (std::uint32_t r = 0; r < n; ++r) {
    const auto first = static_cast<std::uint32_t>(rows.column.size());
    for (std::uint32_t k = bucket[r]; k < bucket[r + 1]; ++k) {
      const Write& write = writes[ordered[k]];
      if (row_of[write.column] == r) {
        rows.weight[cell_of[write.column]] = write.weight;
      } else {
        row_of[write.column] = r;
        cell_of[write.column] = static_cast<std::uint32_t>(rows.column.size());
        rows.column.push_back(write.column);
        rows.weight.push_back(write.weight);
      }
    }
    auto kept = first;
    for (auto k = first; k < rows.column.size(); ++k) {
      const float weight = rows.weight[k];
      if (weight == 0.0f || weight != weight) continue;
      rows.column[kept] = rows.column[k];
      rows.weight[kept++] = weight;
    }
    rows.column.resize(kept);
    rows.weight.resize(kept);
    rows.start[r + 1] = kept;
  }
  return rows;
}

}  // namespace

// Settles nodes by smallest distance, ties to the smaller position, never a
// node at +inf, and never revisits a settled one. The heap is ordered by
// (distance, position) and every unsettled reachable node has an entry with
// its current distance (older entries are larger and skipped), so it settles
// the same node at each step as a scan over all unsettled nodes would, and
// the single-precision sums come out identical, negative weights included.
std::vector<double> dijkstra(const _Graph& graph, std::string_view start_label) {
  const auto start = graph.find_by_label(start_label);
  if (!start) fail(kNodeNotFound);
  const WeightRows rows = weight_rows(graph);
  const std::size_t n = graph.node_count();
  std::vector<double> distance(n, std::numeric_limits<double>::infinity());
  std::vector<std::uint8_t> settled(n, 0);

  struct Entry {
    double distance;
    std::uint32_t position;
  };
  const auto later = [](const Entry& a, const Entry& b) {
    return a.distance > b.distance || (a.distance == b.distance && a.position > b.position);
  };
  std::vector<Entry> heap;
  distance[*start] = 0.0;
  heap.push_back({0.0, static_cast<std::uint32_t>(*start)});
  while (!heap.empty()) {
    std::pop_heap(heap.begin(), heap.end(), later);
    const Entry entry = heap.back();
    heap.pop_back();
    const std::uint32_t u = entry.position;
    if (settled[u] != 0 || entry.distance != distance[u]) continue;
    settled[u] = 1;
    const auto from = static_cast<float>(distance[u]);
    for (std::uint32_t k = rows.start[u]; k < rows.start[u + 1]; ++k) {
      const std::uint32_t v = rows.column[k];
      if (settled[v] != 0) continue;
      const float candidate = rows.weight[k] + from;
      if (candidate < static_cast<float>(distance[v])) {
        distance[v] = candidate;
        heap.push_back({distance[v], v});
        std::push_heap(heap.begin(), heap.end(), later);
      }
    }
  }
  if (graph.has_duplicate_labels()) {
    for (NodeIndex position = 0; position < n; ++position) {
      distance[position] = distance[graph.canonical_position(position)];
    }
  }
  return distance;
}

}  // namespace mivora
