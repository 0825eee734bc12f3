#pragma once
// NodeRecord: one node, always held through a shared handle. The graph owns one
// handle to each of its nodes; a Python Node object may own another.
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graph_core/connection_list.hpp"
#include "graph_core/node_label.hpp"
#include "graph_core/types.hpp"

namespace mivora {

class NodeRecord {
 public:
  static constexpr std::uint64_t kNoGraph = 0;

  explicit NodeRecord(std::string_view node_label) : label(node_label) {}
  // The outside handles are found by the node's address: it never moves.
  NodeRecord(const NodeRecord&) = delete;
  NodeRecord& operator=(const NodeRecord&) = delete;
  ~NodeRecord();

  std::optional<NodeIndex> id() const {
    return graph_serial == kNoGraph ? std::nullopt : std::optional<NodeIndex>(position);
  }
  bool has_position() const { return has_x && has_y; }

  void set_position(double new_x, double new_y) {
    x = new_x;
    y = new_y;
    has_x = has_y = true;
  }

  // Appends a connection to `target`, which may be any node, in a graph or not.
  void add_connection(const std::shared_ptr<NodeRecord>& target, bool is_directed, Weight weight);
  // The node an outside connection of this node leads to; null once it is gone.
  std::shared_ptr<NodeRecord> outside_target(const StoredConnection& connection) const;
  // The graph is letting go of its nodes and something else still holds this
  // one: its local connections become handles to `graph_nodes`' entries
  // (their positions will mean nothing), and later ones are never local.
  void hold_local_targets_by_handle(const std::vector<std::shared_ptr<NodeRecord>>& graph_nodes) noexcept;

  // Fields in the order lookups and connection adding touch them; 64 bytes,
  // so a node and its shared count fit one 80-byte slice of the node pool.
  NodeLabel label;
  ConnectionList connections;
  // A node belongs to at most one graph, for its whole life, at a fixed
  // position; its id is that position (below 2^32: see LabelIndex).
  // kNoGraph marks a free-standing node.
  std::uint64_t graph_serial = kNoGraph;
  std::uint32_t position = 0;
  bool has_x = false;
  bool has_y = false;
  bool has_outside_handles = false;
  bool released_by_graph = false;
  double x = 0.0;
  double y = 0.0;
};
static_assert(sizeof(NodeRecord) == 64);

}  // namespace mivora
