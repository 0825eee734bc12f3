#pragma once
// NodeRecord: one node, always held through NodeHandles. The graph owns one
// handle to each of its nodes; a Python Node object may own another.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graph_core/connection_list.hpp"
#include "graph_core/node_label.hpp"
#include "graph_core/types.hpp"

namespace mivora {

class NodeHandle;
class NodePool;

class NodeRecord {
 public:
  static constexpr std::uint64_t kNoGraph = 0;

  // A node with one holder, the handle returned: in a slice of `pool`
  // (the nodes of a graph) or, without one, on the heap.
  static NodeHandle make(std::string_view node_label, NodePool* pool);

  // The outside handles are found by the node's address: it never moves.
  NodeRecord(const NodeRecord&) = delete;
  NodeRecord& operator=(const NodeRecord&) = delete;

  std::optional<NodeIndex> id() const {
    return graph_serial == kNoGraph ? std::nullopt : std::optional<NodeIndex>(position);
  }
  // Its coordinates lie in its graph (GraphStore::coordinates).
  bool has_position() const { return has_x && has_y; }
  std::uint32_t holder_count() const noexcept { return holders_.load(std::memory_order_relaxed) & kHolders; }

  // Appends a connection to `target`, which may be any node, in a graph or not.
  void add_connection(const NodeHandle& target, bool is_directed, Weight weight);
  // The node an outside connection of this node leads to; null once it is gone.
  NodeHandle outside_target(const StoredConnection& connection) const;
  // The graph is letting go of its nodes and something else still holds this
  // one: its local connections become handles to `graph_nodes`' entries
  // (their positions will mean nothing), and later ones are never local.
  void hold_local_targets_by_handle(const std::vector<NodeHandle>& graph_nodes) noexcept;

  // Fields in the order lookups and connection adding touch them; 40 bytes,
  // one slice of the node pool, with the count of holders inside: a handle
  // is one address.
  NodeLabel label;
  ConnectionList connections;
  // A node belongs to at most one graph, for its whole life, at a fixed
  // position; its id is that position (below 2^32: see LabelIndex).
  // kNoGraph marks a free-standing node. Serials count graphs made, so 59
  // bits never run out.
  std::uint64_t graph_serial : 59 = kNoGraph;
  std::uint64_t has_x : 1 = 0;
  std::uint64_t has_y : 1 = 0;
  std::uint64_t has_outside_handles : 1 = 0;
  std::uint64_t released_by_graph : 1 = 0;
  std::uint64_t in_pool : 1 = 0;  // a slice of a NodePool, not a heap block
  std::uint32_t position = 0;

 private:
  friend class NodeHandle;
  friend class OutsideHandles;

  explicit NodeRecord(std::string_view node_label, bool pooled) : label(node_label), in_pool(pooled) {}
  ~NodeRecord();

  // Holders in the low 31 bits (each one is a handle some object keeps, far
  // fewer than 2^31); kWatched once an outside connection names the node,
  // which then keeps its memory until the last such connection is gone.
  static constexpr std::uint32_t kWatched = std::uint32_t{1} << 31;
  static constexpr std::uint32_t kHolders = kWatched - 1;
  void hold() noexcept { holders_.fetch_add(1, std::memory_order_relaxed); }
  // One holder fewer; the last one destroys the node.
  void release() noexcept;
  // A new holder unless the last one is gone already (an outside handle's
  // lookup, racing with the node's end).
  bool hold_if_held() noexcept;
  // Gives back the memory of a destroyed node.
  static void free_memory(void* memory, bool pooled) noexcept;

  std::atomic<std::uint32_t> holders_{1};
};
static_assert(sizeof(NodeRecord) == 40);

// An owning handle to a node, one address: a copy adds a holder, and the
// last handle to go destroys the node.
class NodeHandle {
 public:
  NodeHandle() noexcept = default;
  NodeHandle(std::nullptr_t) noexcept {}
  NodeHandle(const NodeHandle& other) noexcept : node_(other.node_) {
    if (node_ != nullptr) node_->hold();
  }
  NodeHandle(NodeHandle&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
  NodeHandle& operator=(NodeHandle other) noexcept {
    std::swap(node_, other.node_);
    return *this;
  }
  ~NodeHandle() {
    if (node_ != nullptr) node_->release();
  }

  NodeRecord* get() const noexcept { return node_; }
  NodeRecord* operator->() const noexcept { return node_; }
  NodeRecord& operator*() const noexcept { return *node_; }
  explicit operator bool() const noexcept { return node_ != nullptr; }
  std::size_t use_count() const noexcept { return node_ != nullptr ? node_->holder_count() : 0; }

 private:
  friend class NodeRecord;
  friend class OutsideHandles;
  // Takes over a hold already counted for `node`.
  explicit NodeHandle(NodeRecord* node) noexcept : node_(node) {}

  NodeRecord* node_ = nullptr;
};

}  // namespace mivora
