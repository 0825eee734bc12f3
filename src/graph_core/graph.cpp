#include "graph_core/graph.hpp"

#include <atomic>
#include <unistd.h>

#include "graph_core/internal_error.hpp"

namespace mivora {
namespace {

std::uint64_t next_graph_serial() {
  static std::atomic<std::uint64_t> counter{_Node::kNoGraph};
  return ++counter;
}

// Writes straight to the process's standard output, bypassing any buffering
// a host program may have put in front of it.
void write_stdout(const std::string& text) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(STDOUT_FILENO, data, left);
    if (written <= 0) return;  // nowhere to report to; the refusal itself still stands
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}

}  // namespace

_Graph::_Graph() : serial_(next_graph_serial()) {}

void _Graph::reserve(std::size_t count) {
  nodes_.reserve(count);
  index_.reserve(count);
}

NodeIndex _Graph::append(std::shared_ptr<_Node> node) {
  const NodeIndex position = nodes_.size();
  node->graph_serial = serial_;
  node->position = static_cast<std::uint32_t>(position);
  nodes_.push_back(std::move(node));
  if (index_.insert(*nodes_.back(), position) != position) has_duplicate_labels_ = true;
  return position;
}

std::pair<NodeIndex, bool> _Graph::add_unique(std::shared_ptr<_Node> node, std::uint64_t hash, bool report) {
  const NodeIndex position = nodes_.size();
  if (nodes_.size() == nodes_.capacity()) nodes_.reserve(std::max<std::size_t>(16, nodes_.size() * 2));
  // The index is updated before the node is appended: nothing after it can fail.
  const NodeIndex present = index_.insert(*node, position, hash);
  if (present != position) {
    if (report) write_stdout("Node with label '" + node->label + "' already exists!\n");
    return {present, false};
  }
  node->graph_serial = serial_;
  node->position = static_cast<std::uint32_t>(position);  // the index refuses positions from 2^32 - 2 on
  nodes_.push_back(std::move(node));
  return {position, true};
}

// The index slot of the label is requested first, so that its cache miss
// overlaps with making the node.
NodeIndex _Graph::add_node(std::string_view label) {
  const std::uint64_t hash = hash_label(label);
  index_.prefetch(hash);
  return add_unique(new_node(label), hash).first;
}

NodeIndex _Graph::add_node_with_pos(std::string_view label, double x, double y) {
  const std::uint64_t hash = hash_label(label);
  index_.prefetch(hash);
  auto node = new_node(label);
  node->set_position(x, y);
  const auto [position, added] = add_unique(std::move(node), hash);
  if (added) has_positions_ = true;
  return position;
}

NodeIndex _Graph::append_node_unchecked(std::string label) {
  return append(new_node(std::move(label)));
}

std::optional<NodeIndex> _Graph::add_node_if_new(std::string_view label, const double* xy) {
  const std::uint64_t hash = hash_label(label);
  index_.prefetch(hash);
  auto node = new_node(label);
  if (xy != nullptr) node->set_position(xy[0], xy[1]);
  const auto [position, added] = add_unique(std::move(node), hash, false);
  if (!added) return std::nullopt;
  if (xy != nullptr) has_positions_ = true;
  return position;
}

NodeIndex _Graph::append_node_unchecked(std::string label, double x, double y) {
  auto node = new_node(std::move(label));
  node->set_position(x, y);
  has_positions_ = true;
  return append(std::move(node));
}

void _Graph::create_connection(std::string_view from_label, std::string_view to_label,
                               bool directed, Weight weight) {
  // Four cache misses lie on this path (two index slots, two nodes); they
  // are started in pairs so that each pair costs one wait.
  const std::uint64_t from_hash = hash_label(from_label);
  const std::uint64_t to_hash = hash_label(to_label);
  index_.prefetch(from_hash);
  index_.prefetch(to_hash);
  for (const std::uint64_t hash : {from_hash, to_hash}) {
    if (const NodeIndex candidate = index_.prefetch_node(hash); candidate < nodes_.size()) {
      __builtin_prefetch(&nodes_[candidate]);
    }
  }
  const auto from = index_.find(from_label, from_hash);
  if (!from) fail(kFromNotFound);
  _Node& source = *nodes_[*from];
  __builtin_prefetch(source.connections.data() + source.connections.size(), 1);
  const auto to = index_.find(to_label, to_hash);
  if (!to) fail(kToNotFound);
  source.add_connection(nodes_[*to], directed, weight);
}

void _Graph::add_connections(const std::vector<PositionedConnection>& connections) {
  // Each list is sized exactly first: no slack, and the lists lie in node order.
  std::vector<std::uint32_t> counts(nodes_.size(), 0);
  for (const PositionedConnection& c : connections) ++counts[c.from];
  for (NodeIndex position = 0; position < nodes_.size(); ++position) {
    if (counts[position] == 0) continue;
    auto& list = nodes_[position]->connections;
    list.reserve(list.size() + counts[position]);
  }
  counts = {};
  // Nodes are touched in file order, which is random: the three dependent
  // loads of each step (list entry, node, end of its connection list) are
  // prefetched at staggered distances ahead.
  constexpr std::size_t kFar = 24, kMid = 16, kNear = 8;
  const std::size_t count = connections.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kFar < count) {
      __builtin_prefetch(&nodes_[connections[i + kFar].from]);
      __builtin_prefetch(&nodes_[connections[i + kFar].to]);
    }
    if (i + kMid < count) {
      __builtin_prefetch(nodes_[connections[i + kMid].from].get());
      __builtin_prefetch(nodes_[connections[i + kMid].to].get());
    }
    if (i + kNear < count) {
      const auto& list = nodes_[connections[i + kNear].from]->connections;
      __builtin_prefetch(list.data() + list.size(), 1);
    }
    const PositionedConnection& c = connections[i];
    nodes_[c.from]->add_connection(nodes_[c.to], c.directed, c.weight);
  }
}

std::size_t _Graph::get_edge_count() const {
  std::size_t count = 0;
  for (const auto& node : nodes_) count += node->connections.size();
  return count;
}

Weight _Graph::get_total_weight() const {
  Weight total = -0.0f;
  for (const auto& node : nodes_) {
    for (const StoredConnection& connection : node->connections) total += connection.weight;
  }
  return total;
}

Weight _Graph::get_mean_weight() const {
  return get_total_weight() / static_cast<Weight>(get_edge_count());
}

std::optional<NodeIndex> _Graph::record_target_position(const StoredConnection& connection,
                                                        const _Node* target) const {
  if (connection.is_local()) return canonical_position(connection.local_target);
  return find_by_label(target ? std::string_view(target->label) : std::string_view(kRemovedLabel));
}

}  // namespace mivora
