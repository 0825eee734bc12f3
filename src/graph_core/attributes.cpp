#include "graph_core/attributes.hpp"

#include <algorithm>

#include "graph_core/graph.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/snapshot.hpp"

namespace mivora {

const char* attribute_type_name(AttributeType type) {
  switch (type) {
    case AttributeType::Float:
      return "float";
    case AttributeType::Integer:
      return "int";
    case AttributeType::Bool:
      return "bool";
    case AttributeType::String:
      return "str";
  }
  return "?";
}

bool is_node_field_name(std::string_view name) { return name == "label" || name == "x" || name == "y"; }

bool is_connection_field_name(std::string_view name) {
  return name == "source" || name == "target" || name == "weight" || name == "directed";
}

// ---- one column ------------------------------------------------------------------------

AttributeColumn::AttributeColumn(AttributeType type) : type_(type), values_(std::make_shared<Values>()) {}

ColumnValue AttributeColumn::value_at(std::size_t row) const {
  if (!has_value(row)) return std::monostate{};
  switch (type_) {
    case AttributeType::Float:
      return float_at(row);
    case AttributeType::Integer:
      return integer_at(row);
    case AttributeType::Bool:
      return bool_at(row);
    case AttributeType::String:
      return std::string(string_at(row));
  }
  return std::monostate{};
}

void AttributeColumn::extend(std::size_t rows) {
  if (rows <= values_->size) return;
  Values& values = writable(rows - 1);
  (void)values;
}

void AttributeColumn::reserve(std::size_t rows) {
  Values& values = *values_;
  values.validity.reserve((rows + 7) / 8);
  switch (type_) {
    case AttributeType::Float:
      values.floats.reserve(rows);
      break;
    case AttributeType::Integer:
      values.integers.reserve(rows);
      break;
    case AttributeType::Bool:
      values.bools.reserve(rows);
      break;
    case AttributeType::String:
      values.strings.reserve(rows);
      break;
  }
}

// The storage, unshared and holding `row`.
AttributeColumn::Values& AttributeColumn::writable(std::size_t row) {
  if (values_.use_count() > 1) values_ = std::make_shared<Values>(*values_);
  Values& values = *values_;
  if (row >= values.size) {
    const std::size_t rows = row + 1;
    values.validity.resize((rows + 7) / 8, 0);
    switch (type_) {
      case AttributeType::Float:
        values.floats.resize(rows, 0.0);
        break;
      case AttributeType::Integer:
        values.integers.resize(rows, 0);
        break;
      case AttributeType::Bool:
        values.bools.resize(rows, 0);
        break;
      case AttributeType::String:
        values.strings.resize(rows);
        break;
    }
    values.size = rows;
  }
  return values;
}

void AttributeColumn::mark_present(Values& values, std::size_t row) {
  std::uint8_t& byte = values.validity[row >> 3];
  const auto bit = static_cast<std::uint8_t>(1u << (row & 7));
  if ((byte & bit) == 0) {
    byte |= bit;
    ++values.present;
  }
}

void AttributeColumn::set_float(std::size_t row, double value) {
  if (type_ != AttributeType::Float) fail("a float value for a column of another type");
  Values& values = writable(row);
  values.floats[row] = value;
  mark_present(values, row);
}

void AttributeColumn::set_integer(std::size_t row, std::int64_t value) {
  if (type_ != AttributeType::Integer) fail("an integer value for a column of another type");
  Values& values = writable(row);
  values.integers[row] = value;
  mark_present(values, row);
}

void AttributeColumn::set_bool(std::size_t row, bool value) {
  if (type_ != AttributeType::Bool) fail("a bool value for a column of another type");
  Values& values = writable(row);
  values.bools[row] = value ? 1 : 0;
  mark_present(values, row);
}

void AttributeColumn::set_string(std::size_t row, std::string_view value) {
  if (type_ != AttributeType::String) fail("a str value for a column of another type");
  Values& values = writable(row);
  values.strings[row].assign(value);
  mark_present(values, row);
}

void AttributeColumn::set_missing(std::size_t row) {
  if (!has_value(row)) return;
  Values& values = writable(row);
  values.validity[row >> 3] &= static_cast<std::uint8_t>(~(1u << (row & 7)));
  --values.present;
  switch (type_) {
    case AttributeType::Float:
      values.floats[row] = 0.0;
      break;
    case AttributeType::Integer:
      values.integers[row] = 0;
      break;
    case AttributeType::Bool:
      values.bools[row] = 0;
      break;
    case AttributeType::String:
      std::string().swap(values.strings[row]);
      break;
  }
}

void AttributeColumn::set_value(std::size_t row, const ColumnValue& value) {
  std::visit(
      [&](const auto& held) {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<Held, std::monostate>) {
          set_missing(row);
        } else if constexpr (std::is_same_v<Held, double>) {
          set_float(row, held);
        } else if constexpr (std::is_same_v<Held, std::int64_t>) {
          set_integer(row, held);
        } else if constexpr (std::is_same_v<Held, bool>) {
          set_bool(row, held);
        } else {
          set_string(row, held);
        }
      },
      value);
}

void AttributeColumn::copy_row(const AttributeColumn& source, std::size_t from_row, std::size_t to_row) {
  if (source.type_ != type_) fail("rows copied between columns of different types");
  if (!source.has_value(from_row)) {
    set_missing(to_row);
    return;
  }
  switch (type_) {
    case AttributeType::Float:
      set_float(to_row, source.float_at(from_row));
      break;
    case AttributeType::Integer:
      set_integer(to_row, source.integer_at(from_row));
      break;
    case AttributeType::Bool:
      set_bool(to_row, source.bool_at(from_row));
      break;
    case AttributeType::String:
      set_string(to_row, source.string_at(from_row));
      break;
  }
}

void place_rows(const AttributeColumn& source, std::span<const std::size_t> rows, AttributeColumn& target) {
  const std::size_t count = std::min(source.size(), rows.size());
  if (count != 0) target.extend(*std::max_element(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(count)) + 1);
  for (std::size_t i = 0; i < count; ++i) {
    if (source.has_value(i)) target.copy_row(source, i, rows[i]);
  }
}

// ---- named columns ---------------------------------------------------------------------

AttributeColumn* NamedColumns::find(std::string_view name) {
  const auto found =
      index_.find(name, entries_.size(), [&](std::size_t i) -> std::string_view { return entries_[i].name; });
  return found ? &entries_[*found].column : nullptr;
}

const AttributeColumn* NamedColumns::find(std::string_view name) const {
  return const_cast<NamedColumns*>(this)->find(name);
}

AttributeColumn& NamedColumns::add(std::string_view name, AttributeType type) {
  return put(name, AttributeColumn(type));
}

AttributeColumn& NamedColumns::put(std::string_view name, AttributeColumn&& column) {
  if (AttributeColumn* present = find(name)) {
    *present = std::move(column);
    return *present;
  }
  entries_.push_back(Entry{std::string(name), std::move(column)});
  return entries_.back().column;
}

bool NamedColumns::remove(std::string_view name) {
  const auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.name == name; });
  if (it == entries_.end()) return false;
  entries_.erase(it);
  index_.clear();
  return true;
}

// ---- connection rows -------------------------------------------------------------------

std::optional<std::size_t> ConnectionRows::find(NodeIndex source, std::size_t slot) const {
  if (source + 1 < starts_.size() && slot < starts_[source + 1] - starts_[source]) return starts_[source] + slot;
  if (late_rows_.empty()) return std::nullopt;
  const auto it = late_rows_.find(key(source, slot));
  if (it == late_rows_.end()) return std::nullopt;
  return it->second;
}

bool ConnectionRows::aligned(const GraphStore& graph) const {
  if (!late_keys_.empty()) return false;
  const GraphStore::NodeList& nodes = graph.nodes();
  // Nodes past the aligned ones must have no connections yet.
  if (starts_.size() > nodes.size() + 1) return false;
  for (NodeIndex position = 0; position < nodes.size(); ++position) {
    const std::size_t held = position + 1 < starts_.size() ? starts_[position + 1] - starts_[position] : 0;
    if (nodes[position]->connections.size() != held) return false;
  }
  return true;
}

void GraphAttributes::align(const GraphStore& graph) {
  const GraphStore::NodeList& nodes = graph.nodes();
  std::vector<std::uint64_t> starts(nodes.size() + 1, 0);
  for (NodeIndex position = 0; position < nodes.size(); ++position) {
    starts[position + 1] = starts[position] + nodes[position]->connections.size();
  }
  const std::size_t total = starts.back();
  if (!connections_.empty()) {
    // Where each present row goes.
    std::vector<std::size_t> moved(rows_.row_count());
    for (NodeIndex position = 0; position + 1 < rows_.starts_.size(); ++position) {
      for (std::uint64_t row = rows_.starts_[position]; row < rows_.starts_[position + 1]; ++row) {
        moved[row] = starts[position] + (row - rows_.starts_[position]);
      }
    }
    for (std::size_t i = 0; i < rows_.late_keys_.size(); ++i) {
      const std::uint64_t late = rows_.late_keys_[i];
      moved[rows_.aligned_rows_ + i] = starts[late >> 32] + (late & 0xffffffffu);
    }
    for (NamedColumns::Entry& entry : connections_.entries()) {
      AttributeColumn placed(entry.column.type());
      placed.reserve(total);
      if (entry.column.present_count() != 0) {
        placed.extend(total);
        const std::size_t rows = std::min(entry.column.size(), moved.size());
        for (std::size_t row = 0; row < rows; ++row) {
          if (entry.column.has_value(row)) placed.copy_row(entry.column, row, moved[row]);
        }
      }
      entry.column = std::move(placed);
    }
  }
  rows_.starts_ = std::move(starts);
  rows_.aligned_rows_ = total;
  rows_.late_keys_.clear();
  rows_.late_rows_.clear();
}

std::size_t GraphAttributes::connection_row(const GraphStore& graph, NodeIndex source, std::size_t slot) {
  if (const auto row = rows_.find(source, slot)) return *row;
  if (rows_.late_keys_.size() >= rows_.aligned_rows_ + graph.node_count() + 1024) {
    align(graph);
    if (const auto row = rows_.find(source, slot)) return *row;
  }
  const std::size_t row = rows_.row_count();
  rows_.late_keys_.push_back(ConnectionRows::key(source, slot));
  rows_.late_rows_.emplace(rows_.late_keys_.back(), row);
  return row;
}

std::vector<std::size_t> GraphAttributes::rows_of_appended(const GraphStore& graph,
                                                           std::span<const std::uint32_t> sources) {
  // Cheaper to align than to give each its own late row, once they are many
  // (or while no connection column exists: then aligning moves no values).
  if (connections_.empty() ||
      rows_.late_keys_.size() + sources.size() >= rows_.aligned_rows_ + graph.node_count() + 1024) {
    align(graph);
  }
  // The i-th appended connection of a node sits at its list's end, less those
  // of the batch that follow it.
  std::vector<std::uint32_t> later(sources.size());
  if (sources.size() * 8 >= graph.node_count()) {
    std::vector<std::uint32_t> seen(graph.node_count(), 0);
    for (std::size_t i = sources.size(); i-- > 0;) later[i] = seen[sources[i]]++;
  } else {  // a few links into a large graph: no pass over every node
    std::unordered_map<std::uint32_t, std::uint32_t> seen;
    for (std::size_t i = sources.size(); i-- > 0;) later[i] = seen[sources[i]]++;
  }
  std::vector<std::size_t> rows(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const std::size_t slot = graph.node(sources[i]).connections.size() - 1 - later[i];
    rows[i] = connection_row(graph, sources[i], slot);
  }
  return rows;
}

GraphAttributes::ListedRows GraphAttributes::listed_connection_rows(const GraphStore& graph) const {
  ListedRows listed;
  bool identity = rows_.aligned(graph);
  const GraphStore::NodeList& nodes = graph.nodes();
  for (NodeIndex position = 0; position < nodes.size(); ++position) {
    const auto& connections = nodes[position]->connections;
    for (std::size_t slot = 0; slot < connections.size(); ++slot) {
      const StoredConnection& connection = connections[slot];
      const NodeRecord* target = connection.is_local() ? nullptr : graph.target_of(*nodes[position], connection);
      if (!resolve_target(graph, connection, target, OutsideTargets::Skip)) {
        if (identity) {  // rows so far were 0 .. count - 1
          identity = false;
          listed.rows.resize(listed.count);
          for (std::size_t k = 0; k < listed.count; ++k) listed.rows[k] = k;
        }
        continue;
      }
      if (!identity) listed.rows.push_back(rows_.find(position, slot).value_or(kNoRow));
      ++listed.count;
    }
  }
  listed.identity = identity;
  return listed;
}

}  // namespace mivora
