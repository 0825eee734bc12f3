#pragma once
// Attribute columns between Python and the store: lists, dicts keyed by
// label, NumPy arrays and Arrow columns become typed columns (int, float,
// bool, str, each with missing values), and columns become NumPy arrays
// (numbers without missing values) or lists with None.
#include <optional>
#include <string>

#include "graph_core/graph.hpp"
#include "graph_py/column_builder.hpp"
#include "graph_py/frame.hpp"

namespace mivora::py {

// Gathers one column, in row order (Arrow chunks, buffers) or by row
// (Python objects), fixing its type by the values seen: int, then float
// (ints among floats become floats), bool or str; None and Arrow nulls are
// missing. A column of missing values alone is a float column.
class AttributeBuilder {
 public:
  explicit AttributeBuilder(std::string column) : name_(std::move(column)) {}

  const char* name() const { return name_.c_str(); }
  const std::string& column_name() const { return name_; }
  std::size_t rows() const { return rows_; }

  // Arrow chunks and buffers: the type of the values that follow.
  void begin(ValueType type, const std::string& described);
  void reserve(std::size_t count);
  void add_signed(std::int64_t value) { put_integer(rows_++, value); }
  void add_unsigned(std::uint64_t value);
  void add_number(double value) { put_float(rows_++, value); }
  void add_label(std::string_view value) { column().set_string(rows_++, value); }
  void add_bool(bool value) { column().set_bool(rows_++, value); }
  void add_null() { ++rows_; }
  [[noreturn]] void refuse_null(std::size_t row) const;

  // A Python value for `row` (None: missing). False, with the reason in
  // `refusal`, for a value no column holds or one that does not fit the
  // type the column has taken.
  bool add_object(std::size_t row, PyObject* value, std::string& refusal);

  AttributeColumn finish();

 private:
  AttributeColumn& column() { return *column_; }
  void take_type(AttributeType type);
  void put_integer(std::size_t row, std::int64_t value);
  void put_float(std::size_t row, double value);

  std::string name_;
  std::optional<AttributeColumn> column_;
  std::size_t rows_ = 0;
};

// Reads `values` (a list or any sequence, a NumPy array or buffer, an Arrow
// column) as the column `column` of `expected` rows. TypeError names the
// column and the row of a value no column holds; ValueError a wrong length.
AttributeColumn read_attribute_column(PyObject* values, const std::string& column, std::size_t expected,
                                      const char* rows_are);

// Reads a dict keyed by node label as a node column of `graph`: KeyError
// for a label no node carries, TypeError for a value no column holds.
AttributeColumn read_node_attribute_dict(PyObject* values, const std::string& column, const GraphStore& graph);

// Python values of a column's rows: rows 0 .. count - 1 (`rows` empty) or
// the rows listed (kNoRow: missing). A NumPy array without copying where
// the values are numbers or bools with none missing (a read-only
// memoryview without NumPy), else a list with None for missing values.
PyObject* attribute_column_to_python(AttributeColumn& column, std::size_t count, const std::vector<std::size_t>* rows);

// One row's value as a Python object (None when missing).
PyObject* attribute_value_to_python(const AttributeColumn& column, std::size_t row);

// Attribute columns given with the rows of a bulk call (add_edges,
// add_nodes, from_table): row i of each belongs to the call's i-th row.
struct BatchAttributes {
  std::vector<std::string> names;
  std::vector<AttributeColumn> columns;
};

// Reads `mapping` (a dict of column name -> values, one per row; None or
// NULL: no columns). Raises as set_node_attribute does, naming the column.
BatchAttributes read_batch_attributes(PyObject* mapping, std::size_t rows, bool for_nodes, const char* argument,
                                      const char* rows_are);
// Checks that each column can join the graph's column of its name: the
// same type, or numbers of both kinds (TypeError otherwise).
void check_joinable(const NamedColumns& columns, const BatchAttributes& batch);
// Puts row i of each batch column at rows[i] of the graph's column of its
// name (made when missing; int columns become float columns to take floats).
void join_rows(NamedColumns& columns, const BatchAttributes& batch, std::span<const std::size_t> rows);

// Refuses a name the model's own fields take ("label", "weight", ...) or an
// empty one: ValueError naming the argument.
void check_attribute_name(std::string_view name, bool for_nodes, const char* argument);

}  // namespace mivora::py
