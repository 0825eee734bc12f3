#include "graph_core/node.hpp"

#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace mivora {
namespace {

// The weak handles of outside connections, by the node they leave. Few nodes
// have any (links between graphs, nodes of no graph), so every other node
// pays nothing for them. Never destroyed: nodes may die during exit.
struct OutsideHandles {
  std::mutex mutex;
  std::unordered_map<const NodeRecord*, std::vector<std::weak_ptr<NodeRecord>>> of;
};

OutsideHandles& outside_handles() {
  static auto* const handles = new OutsideHandles;
  return *handles;
}

// Stores a handle to `target` for `node`; the connection's index of it.
std::uint32_t add_handle(NodeRecord& node, const std::shared_ptr<NodeRecord>& target) {
  OutsideHandles& handles = outside_handles();
  const std::lock_guard lock(handles.mutex);
  std::vector<std::weak_ptr<NodeRecord>>& list = handles.of[&node];
  node.has_outside_handles = true;
  if (list.size() > StoredConnection::kMaxTarget) {
    throw std::length_error("a node holds at most 1073741824 connections to nodes outside its graph");
  }
  list.emplace_back(target);
  return static_cast<std::uint32_t>(list.size() - 1);
}

}  // namespace

NodeRecord::~NodeRecord() {
  if (!has_outside_handles) return;
  std::vector<std::weak_ptr<NodeRecord>> dropped;  // released after the lock
  OutsideHandles& handles = outside_handles();
  const std::lock_guard lock(handles.mutex);
  const auto found = handles.of.find(this);
  dropped = std::move(found->second);
  handles.of.erase(found);
}

void NodeRecord::add_connection(const std::shared_ptr<NodeRecord>& target, bool is_directed, Weight weight) {
  const bool same_graph = graph_serial != kNoGraph && !released_by_graph && target->graph_serial == graph_serial &&
                          target->position <= StoredConnection::kMaxTarget;
  if (same_graph) {
    connections.push_back(StoredConnection::local(target->position, is_directed, weight));
    return;
  }
  connections.push_back({weight, 0, 1, is_directed});
  try {
    connections.back().target = add_handle(*this, target);
  } catch (...) {
    connections.pop_back();  // no connection without its handle
    throw;
  }
}

std::shared_ptr<NodeRecord> NodeRecord::outside_target(const StoredConnection& connection) const {
  OutsideHandles& handles = outside_handles();
  const std::lock_guard lock(handles.mutex);
  return handles.of.find(this)->second[connection.target].lock();
}

void NodeRecord::hold_local_targets_by_handle(const std::vector<std::shared_ptr<NodeRecord>>& graph_nodes) noexcept {
  released_by_graph = true;
  for (StoredConnection& connection : connections) {
    if (!connection.is_local()) continue;
    try {
      connection.target = add_handle(*this, graph_nodes[connection.target]);
      connection.outside = 1;
    } catch (const std::exception&) {
      // Out of memory: the connection stays a position, which a node no
      // graph holds resolves to nothing; it then reads as "[Removed]".
      return;
    }
  }
}

}  // namespace mivora
