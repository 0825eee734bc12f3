#include "graph_py/column_reader.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "graph_py/arrow_reader.hpp"
#include "graph_py/buffer_elements.hpp"
#include "graph_py/column_builder.hpp"
#include "text_io/number_text.hpp"

namespace mivora::py {

void raise_argument_type(const char* name, const std::string& message) {
  PyErr_Format(PyExc_TypeError, "argument '%s': %s", name, message.c_str());
  throw PythonError{};
}

void raise_argument_value(const char* name, const std::string& message) {
  PyErr_Format(PyExc_ValueError, "argument '%s': %s", name, message.c_str());
  throw PythonError{};
}

// ---- the rules of each role ---------------------------------------------------------

void ColumnBuilder::begin(ValueType type, const std::string& described) {
  Column::Kind kind = Column::Kind::Ids;
  switch (role_) {
    case ColumnRole::Endpoints:
      if (type == ValueType::Float)
        raise_argument_type(name_, "expected integer ids or str labels, got a " + described);
      kind = type == ValueType::Text ? Column::Kind::Labels : Column::Kind::Ids;
      break;
    case ColumnRole::Weights:
      if (type == ValueType::Text) raise_argument_type(name_, "expected numbers, got a " + described);
      kind = Column::Kind::Numbers;
      break;
    case ColumnRole::Labels:
      if (type != ValueType::Text) raise_argument_type(name_, "expected str labels, got a " + described);
      kind = Column::Kind::Labels;
      break;
    case ColumnRole::IdLabels:
      if (type == ValueType::Float)
        raise_argument_type(name_, "expected integer ids or str labels, got a " + described);
      kind = Column::Kind::Labels;
      break;
  }
  if (begun_ && kind != column_.kind) {
    raise_argument_type(name_, "a " + described + " follows values of another kind");
  }
  begun_ = true;
  column_.kind = kind;
}

void ColumnBuilder::reserve(std::size_t count) {
  switch (column_.kind) {
    case Column::Kind::Ids:
      column_.ids.reserve(column_.ids.size() + count);
      break;
    case Column::Kind::Numbers:
      column_.numbers.reserve(column_.numbers.size() + count);
      break;
    case Column::Kind::Labels:
      column_.labels.reserve(count);
      break;
  }
}

void ColumnBuilder::refuse_id(const std::string& value) const {
  raise_argument_value(name_, "row " + integer_text(rows()) + " holds the id " + value + "; ids must lie in 0 .. " +
                                  integer_text(kIdBound - 1));
}

void ColumnBuilder::refuse_null(std::size_t row) const {
  raise_argument_value(name_, "row " + integer_text(row) + " is null; the column must have no nulls");
}

namespace {

// ---- buffers ----------------------------------------------------------------------------

const char* integer_name(bool is_signed, Py_ssize_t size) {
  static const char* const kSigned[] = {"int8", "int16", "int32", "int64"};
  static const char* const kUnsigned[] = {"uint8", "uint16", "uint32", "uint64"};
  const int k = std::countr_zero(static_cast<unsigned>(size));
  return is_signed ? kSigned[k] : kUnsigned[k];
}

// Reads a buffer of numbers. Returns false, reading nothing, for buffers of
// Python objects or text, which the caller reads as a sequence instead.
bool read_buffer(PyObject* value, ColumnBuilder& builder) {
  HeldBuffer held;
  held.acquire(value);
  const Py_buffer& view = held.view();
  const ElementFormat format = parse_format(view.format);
  const std::string_view raw = view.format ? view.format : "B";
  if (raw.find_first_of("Ow") != std::string_view::npos) return false;
  if (view.ndim != 1) {
    raise_argument_type(builder.name(),
                        "expected a one-dimensional array, got " + integer_text(view.ndim) + " dimensions");
  }
  const Py_ssize_t size = view.itemsize;
  const bool sized = size == 1 || size == 2 || size == 4 || size == 8;
  if (format.code != 0 && std::strchr("bhilqn", format.code) != nullptr && sized) {
    builder.begin(ValueType::Integer, std::string(integer_name(true, size)) + " array");
    switch (size) {
      case 1:
        read_elements<std::int8_t>(view, format.swap, builder);
        break;
      case 2:
        read_elements<std::int16_t>(view, format.swap, builder);
        break;
      case 4:
        read_elements<std::int32_t>(view, format.swap, builder);
        break;
      default:
        read_elements<std::int64_t>(view, format.swap, builder);
        break;
    }
    return true;
  }
  if (format.code != 0 && std::strchr("BHILQN", format.code) != nullptr && sized) {
    builder.begin(ValueType::Integer, std::string(integer_name(false, size)) + " array");
    switch (size) {
      case 1:
        read_elements<std::uint8_t>(view, format.swap, builder);
        break;
      case 2:
        read_elements<std::uint16_t>(view, format.swap, builder);
        break;
      case 4:
        read_elements<std::uint32_t>(view, format.swap, builder);
        break;
      default:
        read_elements<std::uint64_t>(view, format.swap, builder);
        break;
    }
    return true;
  }
  if ((format.code == 'f' && size == 4) || (format.code == 'd' && size == 8)) {
    builder.begin(ValueType::Float, size == 4 ? "float32 array" : "float64 array");
    if (size == 4) {
      read_elements<float>(view, format.swap, builder);
    } else {
      read_elements<double>(view, format.swap, builder);
    }
    return true;
  }
  raise_argument_type(builder.name(),
                      "expected an array of integers or floats, got elements of format '" + std::string(raw) + "'");
}

// ---- Python sequences -------------------------------------------------------------------

// The type the column's first value decides on.
ValueType first_value_type(PyObject* item, ColumnRole role) {
  if (PyUnicode_Check(item)) return ValueType::Text;
  if (role == ColumnRole::Weights) return ValueType::Float;
  if (PyBool_Check(item) || PyFloat_Check(item)) return ValueType::Float;
  return PyIndex_Check(item) ? ValueType::Integer : ValueType::Float;
}

std::string row_prefix(std::size_t row) { return "row " + integer_text(row) + ": "; }

void add_integer(PyObject* item, std::size_t row, ColumnBuilder& builder) {
  if (PyBool_Check(item) || !PyIndex_Check(item)) {
    raise_argument_type(builder.name(), row_prefix(row) + "expected an integer id, got '" + type_name(item) + "'");
  }
  PyRef number = PyRef::owned(PyNumber_Index(item));  // may run Python code: the item is held
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(number.get(), &overflow);
  if (value == -1 && PyErr_Occurred()) throw PythonError{};
  if (overflow != 0 && builder.holds_labels()) {
    // An integer label beyond 64 bits: its decimal text all the same.
    PyRef text = PyRef::owned(PyObject_Str(number.get()));
    Py_ssize_t size = 0;
    const char* digits = PyUnicode_AsUTF8AndSize(text.get(), &size);
    if (digits == nullptr) throw PythonError{};
    builder.add_label(std::string_view(digits, static_cast<std::size_t>(size)));
  } else if (overflow > 0) {
    builder.add_unsigned(~std::uint64_t{0});  // refused as too large
  } else if (overflow < 0) {
    builder.add_signed(-1);  // refused as negative
  } else {
    builder.add_signed(value);
  }
}

void read_sequence(PyObject* value, ColumnBuilder& builder, ColumnRole role) {
  if (PyUnicode_Check(value) || PyBytes_Check(value)) {
    raise_argument_type(builder.name(), "expected a sequence of values, got '" + type_name(value) + "'");
  }
  PyRef sequence = PyRef::steal(PySequence_Fast(value, ""));
  if (!sequence) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw PythonError{};
    PyErr_Clear();
    raise_argument_type(builder.name(), "expected a list, an array or an Arrow column, got '" + type_name(value) + "'");
  }
  const Py_ssize_t count = PySequence_Fast_GET_SIZE(sequence.get());
  if (count == 0) {
    builder.begin(role == ColumnRole::Labels    ? ValueType::Text
                  : role == ColumnRole::Weights ? ValueType::Float
                                                : ValueType::Integer,
                  "list");
    return;
  }
  const ValueType type = first_value_type(PySequence_Fast_GET_ITEM(sequence.get(), 0), role);
  builder.begin(type, type == ValueType::Text    ? "list of str"
                      : type == ValueType::Float ? "list of float"
                                                 : "list of int");
  builder.reserve(static_cast<std::size_t>(count));
  for (Py_ssize_t i = 0; i < count; ++i) {
    // Converting an item may run Python code that changes the sequence.
    if (PySequence_Fast_GET_SIZE(sequence.get()) != count) break;
    PyRef item = PyRef::borrow(PySequence_Fast_GET_ITEM(sequence.get(), i));
    const auto row = static_cast<std::size_t>(i);
    if (type == ValueType::Text) {
      if (!PyUnicode_Check(item.get())) {
        raise_argument_type(builder.name(), row_prefix(row) + "expected str, got '" + type_name(item.get()) + "'");
      }
      Py_ssize_t size = 0;
      const char* text = PyUnicode_AsUTF8AndSize(item.get(), &size);
      if (text == nullptr) throw PythonError{};
      builder.add_label(std::string_view(text, static_cast<std::size_t>(size)));
    } else if (type == ValueType::Integer) {
      add_integer(item.get(), row, builder);
    } else {
      if (PyUnicode_Check(item.get())) {
        raise_argument_type(builder.name(), row_prefix(row) + "expected a number, got 'str'");
      }
      const double number = PyFloat_AsDouble(item.get());
      if (number == -1.0 && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw PythonError{};
        PyErr_Clear();
        raise_argument_type(builder.name(), row_prefix(row) + "expected a number, got '" + type_name(item.get()) + "'");
      }
      builder.add_number(number);
    }
  }
  if (PySequence_Fast_GET_SIZE(sequence.get()) != count) {
    raise_argument_value(builder.name(), "the sequence changed size while it was read");
  }
}

// ---- pandas ----------------------------------------------------------------------------
// pandas exports Arrow only through pyarrow. Columns that hold NumPy arrays
// of numbers are read through the buffer protocol instead, and the others
// as lists when pyarrow is not there.

bool from_module(PyObject* object, std::string_view prefix) {
  PyRef module = PyRef::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(object)), "__module__"));
  if (!module) {
    PyErr_Clear();
    return false;
  }
  Py_ssize_t size = 0;
  const char* text = PyUnicode_Check(module.get()) ? PyUnicode_AsUTF8AndSize(module.get(), &size) : nullptr;
  if (text == nullptr) {
    PyErr_Clear();
    return false;
  }
  const std::string_view name(text, static_cast<std::size_t>(size));
  return name == prefix || (name.size() > prefix.size() && name.starts_with(prefix) && name[prefix.size()] == '.');
}

bool is_pandas(PyObject* value) { return from_module(value, "pandas"); }

bool pyarrow_available() {
  static const int available = [] {
    // Looked up without importing it: pyarrow takes long to import.
    PyRef util = PyRef::owned(PyImport_ImportModule("importlib.util"));
    if (!util) throw PythonError{};
    PyRef found = PyRef::owned(PyObject_CallMethod(util.get(), "find_spec", "s", "pyarrow"));
    if (!found) throw PythonError{};
    return found.get() != Py_None ? 1 : 0;
  }();
  return available != 0;
}

// The NumPy array behind a pandas Series of integers or floats, or nothing.
PyRef pandas_numpy_values(PyObject* series) {
  PyRef dtype = PyRef::steal(PyObject_GetAttrString(series, "dtype"));
  if (!dtype) {
    PyErr_Clear();
    return {};
  }
  if (!from_module(dtype.get(), "numpy")) return {};
  PyRef kind = PyRef::owned(PyObject_GetAttrString(dtype.get(), "kind"));
  const char* code = PyUnicode_Check(kind.get()) ? PyUnicode_AsUTF8(kind.get()) : nullptr;
  if (code == nullptr || std::strchr("iuf", code[0]) == nullptr || code[0] == 0) return {};
  return PyRef::owned(PyObject_CallMethod(series, "to_numpy", nullptr));
}

// Reads an Arrow export; an ImportError on the way (the exporter needs
// pyarrow) is raised again saying so.
void read_arrow_naming_pyarrow(PyObject* value, ColumnBuilder& builder) {
  try {
    read_arrow_column(value, builder);
  } catch (const PythonError&) {
    if (!PyErr_ExceptionMatches(PyExc_ImportError)) throw;
    PyObject* cause = take_raised_exception();
    PyErr_Format(PyExc_ImportError,
                 "argument '%s': a '%s' column is read through its Arrow export, which needs pyarrow "
                 "(pip install pyarrow)",
                 builder.name(), type_name(value).c_str());
    PyObject* error = take_raised_exception();
    PyException_SetCause(error, cause);
    restore_raised_exception(error);
    throw;
  }
}

void read_into(PyObject* value, ColumnBuilder& builder, ColumnRole role) {
  if (is_pandas(value)) {
    if (PyRef values = pandas_numpy_values(value)) {
      read_into(values.get(), builder, role);
      return;
    }
    if (!pyarrow_available()) {
      PyRef list = PyRef::owned(PyObject_CallMethod(value, "tolist", nullptr));
      read_sequence(list.get(), builder, role);
      return;
    }
  }
  if (PyObject_CheckBuffer(value) && read_buffer(value, builder)) return;
  if (exports_arrow(value)) {
    read_arrow_naming_pyarrow(value, builder);
    return;
  }
  read_sequence(value, builder, role);
}

// Without pyarrow the attribute columns of a pandas DataFrame are not read:
// asked for by name, that is an ImportError; the other columns (kept by
// default) are reported as left out.
void leave_pandas_attributes(PyObject* table, std::span<const std::string> names, TableAttributes& attributes) {
  if (!attributes.all_others) {
    if (attributes.names.empty()) return;
    PyErr_SetString(PyExc_ImportError,
                    "argument 'attributes': attribute columns of a pandas DataFrame are read through Arrow, which "
                    "needs pyarrow (pip install pyarrow)");
    throw PythonError{};
  }
  PyRef columns = PyRef::owned(PyObject_GetAttrString(table, "columns"));
  PyRef iterator = PyRef::owned(PyObject_GetIter(columns.get()));
  while (PyObject* item = PyIter_Next(iterator.get())) {
    PyRef column = PyRef::steal(item);
    PyRef text = PyRef::owned(PyObject_Str(column.get()));
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(text.get(), &size);
    if (utf8 == nullptr) throw PythonError{};
    const std::string column_name(utf8, static_cast<std::size_t>(size));
    if (std::find(names.begin(), names.end(), column_name) == names.end()) {
      attributes.skipped.push_back(column_name + " (needs pyarrow)");
    }
  }
  if (PyErr_Occurred()) throw PythonError{};
}

// A pandas DataFrame, column by column (see read_into).
void read_pandas_table(PyObject* table, const char* name, std::span<const std::string> names,
                       std::span<ColumnBuilder> builders, std::span<const TableColumnRequest> requests) {
  for (std::size_t k = 0; k < names.size(); ++k) {
    PyRef key = PyRef::owned(to_python(std::string_view(names[k])));
    PyRef column = PyRef::steal(PyObject_GetItem(table, key.get()));
    if (!column) {
      if (!PyErr_ExceptionMatches(PyExc_KeyError)) throw PythonError{};
      PyErr_Clear();
      PyErr_Format(PyExc_KeyError, "argument '%s': the table has no column named '%s'", name, names[k].c_str());
      throw PythonError{};
    }
    if (!PyObject_HasAttrString(column.get(), "dtype")) {
      raise_argument_value(name, "the table has more than one column named '" + names[k] + "'");
    }
    read_into(column.get(), builders[k], requests[k].role);
  }
}

}  // namespace

Column read_column(PyObject* value, const char* name, ColumnRole role) {
  ColumnBuilder builder(name, role);
  read_into(value, builder, role);
  return builder.finish();
}

std::vector<Column> read_table_columns(PyObject* table, const char* name, std::span<const TableColumnRequest> requests,
                                       TableAttributes* attributes) {
  std::vector<ColumnBuilder> builders;
  std::vector<std::string> names;
  for (const TableColumnRequest& request : requests) {
    builders.emplace_back(request.argument, request.role);
    names.push_back(request.name);
  }
  if (is_pandas(table) && PyObject_HasAttrString(table, "columns") && !pyarrow_available()) {
    read_pandas_table(table, name, names, builders, requests);
    if (attributes != nullptr) leave_pandas_attributes(table, names, *attributes);
  } else {
    read_arrow_table(table, name, names, builders, attributes);
  }
  std::vector<Column> columns;
  for (ColumnBuilder& builder : builders) columns.push_back(builder.finish());
  return columns;
}

}  // namespace mivora::py
