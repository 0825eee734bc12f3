#pragma once
// GraphStore: the in-memory graph store. Nodes are kept in insertion order; each
// connection is stored once, on the node it leaves, whatever its direction.
// Nothing is ever removed.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graph_core/attributes.hpp"
#include "graph_core/label_index.hpp"
#include "graph_core/node.hpp"
#include "graph_core/node_pool.hpp"
#include "graph_core/types.hpp"

namespace mivora {

class ProgressScope;

inline constexpr const char* kFromNotFound = "Node 'from' not found";
inline constexpr const char* kToNotFound = "Node 'to' not found";

// Receives each label add_node refuses because a node carries it already.
// The embedding program installs it (nullptr: refusals are not reported).
using DuplicateLabelReport = void (*)(std::string_view label);
void set_duplicate_label_report(DuplicateLabelReport report);

// The graph's owning handles to its nodes. Letting go of them (the graph
// destroyed or replaced) first turns the local connections of the nodes
// something else still holds (a Python Node, a walk) into handles: the
// positions they hold will mean nothing once the graph is gone.
class OwnedNodes : public std::vector<NodeHandle> {
 public:
  OwnedNodes() = default;
  OwnedNodes(OwnedNodes&&) noexcept = default;
  OwnedNodes& operator=(OwnedNodes&& other) noexcept {
    release();
    std::vector<NodeHandle>::operator=(std::move(other));
    return *this;
  }
  OwnedNodes(const OwnedNodes&) = delete;
  OwnedNodes& operator=(const OwnedNodes&) = delete;
  ~OwnedNodes() { release(); }

 private:
  void release() noexcept;
};

class GraphStore {
 public:
  using NodeList = OwnedNodes;

  GraphStore();
  GraphStore(GraphStore&&) noexcept = default;
  GraphStore& operator=(GraphStore&&) noexcept = default;
  GraphStore(const GraphStore&) = delete;
  GraphStore& operator=(const GraphStore&) = delete;

  // Adds a node unless its label is present; a duplicate is reported to the
  // installed DuplicateLabelReport and changes nothing. Returns the position of
  // the node that carries the label.
  NodeIndex add_node(std::string_view label);
  NodeIndex add_node_with_pos(std::string_view label, double x, double y);
  // Appends a node without the duplicate check (matrix import). A node's id
  // is always its position, so nodes added later continue the numbering.
  NodeIndex append_node_unchecked(std::string_view label);
  // Appends a node whose label differs from those of every node present and
  // every node appended this way after it (a reader's ids); it enters the
  // label index when the index is first needed (index()).
  NodeIndex append_distinct_node(std::string_view label);
  // Fills an empty graph with `count` nodes labelled "0", "1", ... (bulk
  // construction from integer ids); their labels are found without hashing.
  void add_decimal_nodes(std::size_t count);
  NodeIndex append_node_unchecked(std::string_view label, double x, double y);
  // Adds a node (at `xy` when given) unless its label is present, without
  // reporting a duplicate: file readers keep such a vertex as its own node.
  // The position of the new node, or nothing when the label was present.
  std::optional<NodeIndex> add_node_if_new(std::string_view label, const double* xy = nullptr);

  void create_connection(std::string_view from_label, std::string_view to_label, bool directed, Weight weight);

  // A connection between two nodes of this graph, by position (file readers).
  struct PositionedConnection {
    std::uint32_t from;
    std::uint32_t to;
    Weight weight;
    bool directed;
  };
  // Appends the connections in order, as create_connection would, after
  // sizing each node's list for exactly what it gets.
  void add_connections(const std::vector<PositionedConnection>& connections);

  // Connections held column by column (bulk construction from arrays): link
  // i leads from node from[i] to node to[i], both positions in this graph.
  struct ConnectionColumns {
    std::span<const std::uint32_t> from;
    std::span<const std::uint32_t> to;
    std::span<const Weight> weights;  // empty: every link weighs default_weight
    Weight default_weight = 1.0f;
    std::span<const std::uint8_t> directed_each;  // empty: every link is `directed`
    bool directed = false;
    // Called once the columns have been read and before the lists grow, so
    // that their owner can free them (peak memory); may be empty.
    std::function<void()> columns_read;
  };
  // The same as the list form: appended in order, each node's list sized
  // exactly first. The columns must be of equal length (the empty ones aside).
  void add_connections(const ConnectionColumns& columns);

  // The position of the first node carrying `label`, adding a node with it
  // when there is none (bulk construction: nothing is reported).
  NodeIndex find_or_add_node(std::string_view label);

  // The first node in insertion order whose label equals `label`.
  std::optional<NodeIndex> find_by_label(std::string_view label) const { return index().find(label, nodes_); }

  // For readers that look many labels up in a row and overlap the lookups
  // (LabelIndex::prefetch, prefetch_nodes, find by hash with nodes()).
  const LabelIndex& label_index() const { return index(); }

  std::size_t node_count() const { return nodes_.size(); }
  const NodeList& nodes() const { return nodes_; }
  const NodeRecord& node(NodeIndex position) const { return *nodes_[position]; }
  NodeRecord& node(NodeIndex position) { return *nodes_[position]; }
  bool has_positions() const { return has_positions_; }
  // Where a node is drawn, kept beside the nodes (a graph never drawn has no
  // column); only for a node with has_position().
  struct Coordinates {
    double x;
    double y;
  };
  Coordinates coordinates(NodeIndex position) const { return coordinates_[position]; }
  void set_coordinates(NodeIndex position, double x, double y);
  // Positions a layout computed to be kept for later drawings; they serve
  // while no node has been added since.
  void keep_positions() {
    kept_positions_for_ = nodes_.size();
    note_own_change();
  }
  bool has_kept_positions() const { return kept_positions_for_ == nodes_.size(); }
  bool has_duplicate_labels() const { return has_duplicate_labels_; }
  std::uint64_t serial() const { return serial_; }
  // Counts the changes made to the graph: every added node or connection and
  // every kept layout moves it on, so that pictures taken of the graph (the
  // measured views) know when they are out of date. Code that changes a node
  // of the graph directly (a free-standing handle to it) must call note_change.
  std::uint64_t version() const { return version_; }
  void note_change() { ++version_; }
  void reserve(std::size_t node_count);
  // Room for `extra` more nodes, growing geometrically: a graph that gets a
  // few nodes per call pays for them, not for the nodes it holds.
  void reserve_more(std::size_t extra);
  // Takes back the nodes from position `count` on, newest first: a bulk
  // call that stops part way leaves the graph as it found it. Only for nodes
  // it added itself with find_or_add_node, before anything refers to them
  // (no connection, attribute value or handle).
  void truncate_nodes(std::size_t count) noexcept;

  // The attribute columns of the nodes and connections.
  GraphAttributes& attributes() { return attributes_; }
  const GraphAttributes& attributes() const { return attributes_; }

  // The connections stored on the graph's nodes: counted once per version
  // of the graph, and the store's own changes carry that count along.
  std::size_t get_edge_count() const;
  Weight get_total_weight() const;
  Weight get_mean_weight() const;

  // The node a stored connection leads to, or nullptr once it is gone.
  // `connection` must be stored on `from`, a node of this graph.
  const NodeRecord* target_of(const NodeRecord& from, const StoredConnection& connection) const {
    if (connection.is_local()) return nodes_[connection.target].get();
    return from.outside_target(connection).get();  // alive for the call: someone else owns it
  }

  // Visits every stored connection in record order (node order, then the
  // order each node's connections were added) as
  // visit(from_position, from_node, connection, target_or_null).
  template <typename Visit>
  void for_each_connection(Visit&& visit) const {
    for (NodeIndex position = 0; position < nodes_.size(); ++position) {
      const NodeRecord& from = *nodes_[position];
      for (const StoredConnection& connection : from.connections) {
        visit(position, from, connection, target_of(from, connection));
      }
    }
  }

  // Position of the first node carrying the label of the node at `position`
  // (the node itself unless the graph came from a matrix with repeated labels).
  NodeIndex canonical_position(NodeIndex position) const {
    if (!has_duplicate_labels_) return position;
    return *find_by_label(nodes_[position]->label);
  }

  // Position of the first node carrying the label of a connection's target,
  // if any; a target that is gone leads to no node (the record only shows it
  // as "[Removed]").
  std::optional<NodeIndex> record_target_position(const StoredConnection& connection, const NodeRecord* target) const;

 private:
  // A change the store makes itself: the connection count, when known,
  // stays known (`added` more), whereas a change noted from outside
  // (note_change: a node changed through its own handle) leaves it to be
  // counted again.
  void note_own_change(std::size_t added = 0) {
    const bool counted = counted_version_ == version_;
    ++version_;
    if (counted) {
      counted_version_ = version_;
      counted_connections_ += added;
    }
  }
  std::optional<std::size_t> known_edge_count() const {
    return counted_version_ == version_ ? std::optional<std::size_t>(counted_connections_) : std::nullopt;
  }
  // Records the count of the graph as it is now.
  void know_edge_count(std::size_t count) const {
    counted_version_ = version_;
    counted_connections_ = count;
  }
  // Runs `store`, which adds `added` connections: the count, when known, is
  // known again after it (a store that throws leaves it to be counted).
  template <typename Store>
  void add_counted(std::size_t added, Store&& store) {
    const std::optional<std::size_t> known = known_edge_count();
    note_change();
    store();
    if (known) know_edge_count(*known + added);
  }
  // Adds `node` unless its label is present (then reports the duplicate and
  // returns the present node's position); the flag tells whether it was added.
  std::pair<NodeIndex, bool> add_unique(NodeHandle node, std::uint64_t hash);
  NodeIndex append(NodeHandle node);
  // Room in the coordinates column up to `position`: made before a node is
  // added at it, so that placing the node just added cannot fail.
  void room_for_coordinates(std::size_t position);
  // The position of the node carrying `label`, reporting the duplicate, if any.
  std::optional<NodeIndex> present_duplicate(std::string_view label, std::uint64_t hash) const;
  // Appends count connections, the i-th given by connection(i) as a
  // PositionedConnection.
  template <typename ConnectionAt>
  void append_connections(std::size_t count, ConnectionAt&& connection);
  // add_connections() with a weight per link and every target stored by
  // position: the sorted copy would be as large as the lists themselves, so
  // each link is written straight into its place in its source's list (its
  // source's slots start .. start + 1), in input order. The lists' sizes
  // change only once every link is written: a cancellation before that
  // leaves the graph as it was, with room to spare in some lists.
  template <typename Offset>
  void write_in_place(const ConnectionColumns& columns, const std::vector<Offset>& start,
                      const ProgressScope& progress);
  // Appends to `from`, a node of this graph, a connection to the node at `to`.
  void add_own_connection(NodeRecord& from, NodeIndex to, bool directed, Weight weight);
  NodeHandle new_node(std::string_view label) { return NodeRecord::make(label, &pool_); }

  // The label index with every node in it. Nodes appended by
  // append_distinct_node go in when the index is first needed: a graph
  // that is read and then only measured, drawn or written never builds it
  // (their labels are distinct, so has_duplicate_labels() needs no index).
  LabelIndex& index() const {
    if (indexed_ < nodes_.size()) index_the_rest();
    return index_;
  }
  void index_the_rest() const;

  NodePool pool_;
  NodeList nodes_;
  mutable LabelIndex index_;              // lookups and inserts go through index()
  mutable std::size_t indexed_ = 0;       // leading nodes the index holds
  std::vector<Coordinates> coordinates_;  // up to the last node placed
  bool has_positions_ = false;
  std::size_t kept_positions_for_ = static_cast<std::size_t>(-1);
  bool has_duplicate_labels_ = false;
  std::uint64_t serial_;
  std::uint64_t version_ = 0;
  mutable std::uint64_t counted_version_ = 0;  // the version counted_connections_ counts
  mutable std::size_t counted_connections_ = 0;
  GraphAttributes attributes_;
};

// The live graph carrying `serial`, as the embedding program knows its
// graphs (null for one it does not know). Installed once by the program.
using GraphLookup = const GraphStore* (*)(std::uint64_t serial);
void set_graph_lookup(GraphLookup lookup);

// The node a connection stored on `from` leads to, whichever graph `from`
// belongs to (a walk may reach nodes of other graphs); null once it is gone.
NodeHandle connection_target(const NodeRecord& from, const StoredConnection& connection);

// Takes back, unless kept, the nodes added to a graph while it lives (see
// GraphStore::truncate_nodes): a bulk call keeps them once nothing that
// can stop it remains.
class AddedNodesScope {
 public:
  explicit AddedNodesScope(GraphStore& graph) : graph_(graph), count_(graph.node_count()) {}
  ~AddedNodesScope() {
    if (!kept_) graph_.truncate_nodes(count_);
  }
  AddedNodesScope(const AddedNodesScope&) = delete;
  AddedNodesScope& operator=(const AddedNodesScope&) = delete;
  void keep() { kept_ = true; }

 private:
  GraphStore& graph_;
  std::size_t count_;
  bool kept_ = false;
};

}  // namespace mivora
