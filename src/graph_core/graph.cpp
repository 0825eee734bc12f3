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
  index_.reserve(count, nodes_);
}

bool _Graph::report_if_duplicate(std::string_view label) const {
  if (!find_by_label(label)) return false;
  write_stdout("Node with label '" + std::string(label) + "' already exists!\n");
  return true;
}

NodeIndex _Graph::append(std::shared_ptr<_Node> node) {
  const NodeIndex position = nodes_.size();
  node->graph_serial = serial_;
  node->position = position;
  nodes_.push_back(std::move(node));
  if (index_.insert(nodes_.back()->label, position, nodes_) != position) has_duplicate_labels_ = true;
  next_id_ = nodes_.size();
  return position;
}

NodeIndex _Graph::add_node(std::string_view label) {
  if (report_if_duplicate(label)) return *find_by_label(label);
  return append(std::make_shared<_Node>(std::string(label)));
}

NodeIndex _Graph::add_node_with_pos(std::string_view label, double x, double y) {
  if (report_if_duplicate(label)) return *find_by_label(label);
  auto node = std::make_shared<_Node>(std::string(label));
  node->set_position(x, y);
  has_positions_ = true;
  return append(std::move(node));
}

NodeIndex _Graph::append_node_unchecked(std::string label) {
  return append(std::make_shared<_Node>(std::move(label)));
}

void _Graph::create_connection(std::string_view from_label, std::string_view to_label,
                               bool directed, Weight weight) {
  const auto from = find_by_label(from_label);
  if (!from) fail(kFromNotFound);
  const auto to = find_by_label(to_label);
  if (!to) fail(kToNotFound);
  nodes_[*from]->add_connection(nodes_[*to], directed, weight);
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
