#include "graph_core/node.hpp"

#include <mutex>
#include <new>
#include <stdexcept>
#include <unordered_map>

#include "graph_core/node_pool.hpp"

namespace mivora {

// The outside connections' handles, by the node they leave, and how many of
// them name each node. Few nodes have any (links between graphs, nodes of no
// graph), so every other node pays nothing for them. A handle does not hold
// its node: once the node's last holder is gone, the connection reads as
// "[Removed]"; the node's memory stays until no handle names it, so that a
// lookup racing with the node's end reads a count, not freed memory.
class OutsideHandles {
 public:
  // Never destroyed: nodes may die during exit.
  static OutsideHandles& instance() {
    static auto* const handles = new OutsideHandles;
    return *handles;
  }

  // Stores a handle to `target` for `node`; the connection's index of it.
  std::uint32_t add(NodeRecord& node, const NodeHandle& target) {
    const std::lock_guard lock(mutex_);
    std::vector<NodeRecord*>& list = of_[&node];
    node.has_outside_handles = true;
    if (list.size() > StoredConnection::kMaxTarget) {
      throw std::length_error("a node holds at most 1073741824 connections to nodes outside its graph");
    }
    list.push_back(target.get());
    try {
      ++watches_[target.get()].handles;
    } catch (...) {
      list.pop_back();
      throw;
    }
    target->holders_.fetch_or(NodeRecord::kWatched, std::memory_order_relaxed);
    return static_cast<std::uint32_t>(list.size() - 1);
  }

  NodeHandle target(const NodeRecord& node, std::uint32_t index) {
    const std::lock_guard lock(mutex_);
    NodeRecord* target = of_.find(&node)->second[index];
    return target->hold_if_held() ? NodeHandle(target) : NodeHandle();
  }

  // `node` is being destroyed: its handles go.
  void drop_all(const NodeRecord& node) noexcept {
    const std::lock_guard lock(mutex_);
    const auto found = of_.find(&node);
    for (NodeRecord* target : found->second) unwatch(target);
    of_.erase(found);
  }

  // The last holder of a node some handle named is gone and the node
  // destroyed: its memory goes now, or with the last handle naming it.
  void end_watched(void* memory, bool pooled) noexcept {
    const std::lock_guard lock(mutex_);
    const auto found = watches_.find(memory);
    if (found == watches_.end()) {
      NodeRecord::free_memory(memory, pooled);
      return;
    }
    found->second.ended = true;
    found->second.pooled = pooled;
  }

 private:
  struct Watch {
    std::size_t handles = 0;
    bool ended = false;  // destroyed, memory kept for the handles
    bool pooled = false;
  };

  void unwatch(NodeRecord* target) noexcept {
    const auto found = watches_.find(target);
    if (--found->second.handles != 0) return;
    if (found->second.ended) NodeRecord::free_memory(target, found->second.pooled);
    watches_.erase(found);
  }

  std::mutex mutex_;
  std::unordered_map<const NodeRecord*, std::vector<NodeRecord*>> of_;
  std::unordered_map<const void*, Watch> watches_;
};

NodeHandle NodeRecord::make(std::string_view node_label, NodePool* pool) {
  void* memory = pool != nullptr ? pool->allocate(sizeof(NodeRecord)) : ::operator new(sizeof(NodeRecord));
  try {
    return NodeHandle(new (memory) NodeRecord(node_label, pool != nullptr));
  } catch (...) {
    free_memory(memory, pool != nullptr);
    throw;
  }
}

NodeRecord::~NodeRecord() {
  if (has_outside_handles) OutsideHandles::instance().drop_all(*this);
}

void NodeRecord::release() noexcept {
  const std::uint32_t before = holders_.fetch_sub(1, std::memory_order_acq_rel);
  if ((before & kHolders) != 1) return;
  const bool pooled = in_pool;
  this->~NodeRecord();
  if ((before & kWatched) != 0) {
    OutsideHandles::instance().end_watched(this, pooled);
  } else {
    free_memory(this, pooled);
  }
}

bool NodeRecord::hold_if_held() noexcept {
  std::uint32_t seen = holders_.load(std::memory_order_relaxed);
  while ((seen & kHolders) != 0) {
    if (holders_.compare_exchange_weak(seen, seen + 1, std::memory_order_acquire, std::memory_order_relaxed)) {
      return true;
    }
  }
  return false;
}

void NodeRecord::free_memory(void* memory, bool pooled) noexcept {
  if (pooled) {
    NodePool::deallocate(memory);
  } else {
    ::operator delete(memory);
  }
}

void NodeRecord::add_connection(const NodeHandle& target, bool is_directed, Weight weight) {
  const bool same_graph = graph_serial != kNoGraph && !released_by_graph && target->graph_serial == graph_serial &&
                          target->position <= StoredConnection::kMaxTarget;
  if (same_graph) {
    connections.push_back(StoredConnection::local(target->position, is_directed, weight));
    return;
  }
  connections.push_back({weight, 0, 1, is_directed});
  try {
    connections.back().target = OutsideHandles::instance().add(*this, target);
  } catch (...) {
    connections.pop_back();  // no connection without its handle
    throw;
  }
}

NodeHandle NodeRecord::outside_target(const StoredConnection& connection) const {
  return OutsideHandles::instance().target(*this, connection.target);
}

void NodeRecord::hold_local_targets_by_handle(const std::vector<NodeHandle>& graph_nodes) noexcept {
  released_by_graph = true;
  for (StoredConnection& connection : connections) {
    if (!connection.is_local()) continue;
    try {
      connection.target = OutsideHandles::instance().add(*this, graph_nodes[connection.target]);
      connection.outside = 1;
    } catch (const std::exception&) {
      // Out of memory: the connection stays a position, which a node no
      // graph holds resolves to nothing; it then reads as "[Removed]".
      return;
    }
  }
}

}  // namespace mivora
