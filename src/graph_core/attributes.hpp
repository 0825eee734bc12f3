#pragma once
// Attribute columns: named, typed values the user's data carries beside a
// node's label and position or a connection's weight and direction.
//
// A node column has one row per node, row = node position. A connection
// column has one row per stored connection, found through the graph's
// ConnectionRows: a connection is known by (source position, slot in the
// source's list), which never changes because the store only grows. Rows
// at or past a column's size read as missing, so nodes and connections added
// after a column was made cost nothing until a value is set for them.
//
// A graph without columns pays nothing per node or connection.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "graph_core/name_index.hpp"
#include "graph_core/types.hpp"

namespace mivora {

class GraphStore;

enum class AttributeType : std::uint8_t { Float, Integer, Bool, String };

// "float", "int", "bool" or "str".
const char* attribute_type_name(AttributeType type);

// The model's own fields, which tables and files carry beside the columns:
// no column may take their names ("label", "x", "y" for nodes; "source",
// "target", "weight", "directed" for connections).
bool is_node_field_name(std::string_view name);
bool is_connection_field_name(std::string_view name);

// One value read or written generically (missing = monostate).
using ColumnValue = std::variant<std::monostate, double, std::int64_t, bool, std::string>;

// The values of one column. Storage is shared with buffers handed out
// without a copy (share()); writing to storage that is shared copies it
// first, so a handed-out buffer never changes.
class AttributeColumn {
 public:
  struct Values {
    std::vector<double> floats;         // AttributeType::Float
    std::vector<std::int64_t> integers;  // AttributeType::Integer
    std::vector<std::uint8_t> bools;     // AttributeType::Bool: 0 or 1, a byte per row
    std::vector<std::string> strings;    // AttributeType::String
    // Bit i (least significant first, as Arrow lays validity out) is set
    // when row i holds a value.
    std::vector<std::uint8_t> validity;
    std::size_t size = 0;
    std::size_t present = 0;  // rows holding a value
  };

  explicit AttributeColumn(AttributeType type);

  AttributeType type() const { return type_; }
  // Rows stored; every row from here on is missing.
  std::size_t size() const { return values_->size; }
  std::size_t present_count() const { return values_->present; }
  bool has_value(std::size_t row) const {
    return row < values_->size && ((values_->validity[row >> 3] >> (row & 7)) & 1) != 0;
  }

  // The value of a row that has one, read as the column's type.
  double float_at(std::size_t row) const { return values_->floats[row]; }
  std::int64_t integer_at(std::size_t row) const { return values_->integers[row]; }
  bool bool_at(std::size_t row) const { return values_->bools[row] != 0; }
  std::string_view string_at(std::size_t row) const { return values_->strings[row]; }
  ColumnValue value_at(std::size_t row) const;

  // Setters grow the column as needed (the rows between read as missing).
  // The value must be of the column's type.
  void set_float(std::size_t row, double value);
  void set_integer(std::size_t row, std::int64_t value);
  void set_bool(std::size_t row, bool value);
  void set_string(std::size_t row, std::string_view value);
  void set_missing(std::size_t row);
  // Any value, monostate for missing; of the column's type otherwise.
  void set_value(std::size_t row, const ColumnValue& value);
  // Copies row `from_row` of `source` (same type) to row `to_row`.
  void copy_row(const AttributeColumn& source, std::size_t from_row, std::size_t to_row);

  // Makes the column hold `rows` rows (the new ones missing); never shrinks.
  void extend(std::size_t rows);
  void reserve(std::size_t rows);

  // The storage, for exports that hand buffers out without copying.
  std::shared_ptr<const Values> share() const { return values_; }

 private:
  Values& writable(std::size_t row);
  void mark_present(Values& values, std::size_t row);

  AttributeType type_;
  std::shared_ptr<Values> values_;
};

// Copies row i of `source` to row rows[i] of `target` (same type), for every
// row of `source`: readers gather a column in their own order and place it.
void place_rows(const AttributeColumn& source, std::span<const std::size_t> rows, AttributeColumn& target);

// Columns by name, in the order they were made. add() and put() may move
// the other columns: take references again after them.
class NamedColumns {
 public:
  struct Entry {
    std::string name;
    AttributeColumn column;
  };

  AttributeColumn* find(std::string_view name);
  const AttributeColumn* find(std::string_view name) const;
  // A new empty column; one of the same name is replaced (in its place in the order).
  AttributeColumn& add(std::string_view name, AttributeType type);
  // Puts `column` under `name`, replacing one of the same name.
  AttributeColumn& put(std::string_view name, AttributeColumn&& column);
  bool remove(std::string_view name);
  // The columns, to change their values (never their names or order).
  std::vector<Entry>& entries() { return entries_; }
  const std::vector<Entry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

 private:
  std::vector<Entry> entries_;
  NameIndex index_;
};

// Maps each connection (source position, slot) to its row in the
// connection columns. Rows are laid out in record order (node order, then
// each node's order) as of the last alignment; a connection stored since
// gets a row after those only when a value is first set for it, and when
// such late rows grow as many as the graph's nodes and connections, the
// layout is aligned again (every column permuted), so each connection costs
// amortised O(1).
class ConnectionRows {
 public:
  // The row of a connection, if it has one. A writer walking a node's list
  // asks with the connection's index in that list as `slot`.
  std::optional<std::size_t> find(NodeIndex source, std::size_t slot) const;
  // Rows in use: a connection column never needs more.
  std::size_t row_count() const { return aligned_rows_ + late_keys_.size(); }
  // Whether rows are exactly the graph's connections in record order.
  bool aligned(const GraphStore& graph) const;

 private:
  friend class GraphAttributes;
  static std::uint64_t key(NodeIndex source, std::size_t slot) {
    return (static_cast<std::uint64_t>(source) << 32) | slot;
  }

  std::vector<std::uint64_t> starts_;  // node count at alignment + 1 entries
  std::size_t aligned_rows_ = 0;
  std::vector<std::uint64_t> late_keys_;  // row aligned_rows_ + i belongs to late_keys_[i]
  std::unordered_map<std::uint64_t, std::size_t> late_rows_;
};

// A graph's attribute columns; every GraphStore owns one.
class GraphAttributes {
 public:
  NamedColumns& nodes() { return nodes_; }
  const NamedColumns& nodes() const { return nodes_; }
  NamedColumns& connections() { return connections_; }
  const NamedColumns& connections() const { return connections_; }
  const ConnectionRows& connection_rows() const { return rows_; }
  bool empty() const { return nodes_.empty() && connections_.empty(); }

  // The row of connection (source, slot) of `graph`, given one if it has none.
  std::size_t connection_row(const GraphStore& graph, NodeIndex source, std::size_t slot);
  // The rows of the last connections a bulk add appended, in its order: the
  // i-th left node sources[i] (GraphStore::add_connections). Aligns first
  // when that is cheaper than giving each a late row.
  std::vector<std::size_t> rows_of_appended(const GraphStore& graph, std::span<const std::uint32_t> sources);
  // Lays rows out in record order again (every connection column permuted).
  void align(const GraphStore& graph);

  // The rows of the connections to_edges lists, in its order (record order,
  // those to nodes outside the graph or gone left out); kNoRow for one
  // without a row. `identity` tells that they are 0, 1, 2, ... (rows
  // aligned, nothing left out), and then `rows` is left empty: an export
  // can hand the storage out as it is (align() first to make that likely).
  static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
  struct ListedRows {
    bool identity = false;
    std::size_t count = 0;
    std::vector<std::size_t> rows;
  };
  ListedRows listed_connection_rows(const GraphStore& graph) const;

 private:
  NamedColumns nodes_;
  NamedColumns connections_;
  ConnectionRows rows_;
};

}  // namespace mivora
