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

#include "graph_core/types.hpp"

namespace mivora {

class NodeRecord;

// One connection leaving a node. The target is not owned: once every owning
// handle of it is gone, the connection reads as "[Removed]".
struct StoredConnection {
  static constexpr std::uint32_t kNotLocal = (1u << 31) - 1;

  std::weak_ptr<NodeRecord> target;
  Weight weight;
  // Position of the target in the source node's own graph, when both belong
  // to the same graph; kNotLocal otherwise. Lets graph-wide walks skip the
  // weak handle (the graph keeps all its nodes alive).
  std::uint32_t local_target : 31;
  std::uint32_t directed : 1;

  bool is_local() const { return local_target != kNotLocal; }
};

class NodeRecord {
 public:
  static constexpr std::uint64_t kNoGraph = 0;

  explicit NodeRecord(std::string node_label) : label(std::move(node_label)) {}
  explicit NodeRecord(std::string_view node_label) : label(node_label) {}

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

  // Fields in the order lookups and connection adding touch them; 88 bytes,
  // so a node and its shared count fit one 112-byte heap block.
  std::string label;
  std::vector<StoredConnection> connections;
  // A node belongs to at most one graph, for its whole life, at a fixed
  // position; its id is that position (below 2^32: see LabelIndex).
  // kNoGraph marks a free-standing node.
  std::uint64_t graph_serial = kNoGraph;
  std::uint32_t position = 0;
  bool has_x = false;
  bool has_y = false;
  double x = 0.0;
  double y = 0.0;
};

}  // namespace mivora
