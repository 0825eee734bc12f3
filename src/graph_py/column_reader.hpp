#pragma once
// Reading one column of values handed in by Python -- a buffer (NumPy array,
// memoryview, array.array), an Arrow column (anything with __arrow_c_stream__
// or __arrow_c_array__: pyarrow, polars, pandas, DuckDB) or any iterable --
// into plain C++ vectors, before the graph is touched. Every Python object
// involved is read while it is held (buffers stay acquired, Arrow arrays
// owned), so a column that changes under us cannot leave dangling memory.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graph_py/frame.hpp"

namespace mivora::py {

// Labels packed one after another in one string.
class LabelColumn {
 public:
  std::size_t size() const { return ends_.size(); }
  std::string_view operator[](std::size_t i) const {
    const std::uint64_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  void push_back(std::string_view label) {
    text_.append(label);
    ends_.push_back(text_.size());
  }
  void reserve(std::size_t count) { ends_.reserve(ends_.size() + count); }

 private:
  std::string text_;
  std::vector<std::uint64_t> ends_;
};

// What the caller expects a column to hold.
enum class ColumnRole {
  Endpoints,  // integer ids or str labels (one kind per column)
  Weights,    // numbers, kept as single precision
  Labels,     // str labels
  IdLabels,   // integer ids or str labels, both read as labels (an id as its decimal text)
};

struct Column {
  enum class Kind { Ids, Numbers, Labels };
  Kind kind = Kind::Ids;
  std::vector<std::uint32_t> ids;
  std::uint64_t id_limit = 0;  // the largest id plus one (0 when there are none)
  std::vector<float> numbers;
  LabelColumn labels;

  std::size_t size() const {
    switch (kind) {
      case Kind::Ids:
        return ids.size();
      case Kind::Numbers:
        return numbers.size();
      case Kind::Labels:
        return labels.size();
    }
    return 0;
  }
};

// Ids are node positions, which stay below this bound.
inline constexpr std::uint64_t kIdBound = (std::uint64_t{1} << 32) - 2;

// Reads `value` (the argument `name`) as a column for `role`. Raises
// TypeError for a value of the wrong kind and ValueError for bad entries
// (negative or oversized ids, nulls), naming the argument and the row.
Column read_column(PyObject* value, const char* name, ColumnRole role);

// One column wanted from a table.
struct TableColumnRequest {
  const char* argument;  // the argument that named it ("source")
  std::string name;      // the column's name in the table
  ColumnRole role;
};

// Reads the requested columns of `table` (anything exporting
// __arrow_c_stream__ whose rows are records), chunk by chunk.
// With `attributes`, its columns are read in the same pass (arrow_reader.hpp).
struct TableAttributes;
std::vector<Column> read_table_columns(PyObject* table, const char* name, std::span<const TableColumnRequest> requests,
                                       TableAttributes* attributes = nullptr);

// TypeError / ValueError "argument '{name}': {message}".
[[noreturn]] void raise_argument_type(const char* name, const std::string& message);
[[noreturn]] void raise_argument_value(const char* name, const std::string& message);

}  // namespace mivora::py
