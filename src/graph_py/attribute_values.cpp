#include "graph_py/attribute_values.hpp"

#include <cstring>
#include <limits>

#include "graph_py/arrow_reader.hpp"
#include "graph_py/buffer_elements.hpp"
#include "graph_py/column_reader.hpp"
#include "graph_py/exported_array.hpp"
#include "text_io/number_text.hpp"

namespace mivora::py {
namespace {

AttributeType type_of(ValueType type) {
  switch (type) {
    case ValueType::Integer:
      return AttributeType::Integer;
    case ValueType::Float:
      return AttributeType::Float;
    case ValueType::Text:
      return AttributeType::String;
    case ValueType::Bool:
      return AttributeType::Bool;
  }
  return AttributeType::Float;
}

// The kind of one Python value, as columns see it.
enum class ObjectKind { Missing, Bool, Integer, Float, Text, Other };

bool is_numpy_bool(PyObject* value) {
  const std::string_view name = Py_TYPE(value)->tp_name;
  return name == "numpy.bool" || name == "numpy.bool_";
}

ObjectKind kind_of(PyObject* value) {
  if (value == Py_None) return ObjectKind::Missing;
  if (PyBool_Check(value) || is_numpy_bool(value)) return ObjectKind::Bool;
  if (PyLong_Check(value)) return ObjectKind::Integer;
  if (PyFloat_Check(value)) return ObjectKind::Float;
  if (PyUnicode_Check(value)) return ObjectKind::Text;
  // NumPy's other scalars: integers have __index__, floats __float__ alone.
  if (PyIndex_Check(value)) return ObjectKind::Integer;
  PyNumberMethods* number = Py_TYPE(value)->tp_as_number;
  if (number != nullptr && number->nb_float != nullptr) return ObjectKind::Float;
  return ObjectKind::Other;
}

std::string row_text(std::size_t row) { return "row " + integer_text(row); }

[[noreturn]] void raise_column_error(PyObject* type, const std::string& column, const std::string& message) {
  PyErr_Format(type, "column '%s': %s", column.c_str(), message.c_str());
  throw PythonError{};
}

// ---- buffers ----------------------------------------------------------------------------

// Reads a one-dimensional buffer of numbers or bools, in either byte order.
// False, reading nothing, for any other buffer (the caller reads it item by
// item).
bool read_native_buffer(PyObject* values, AttributeBuilder& builder) {
  HeldBuffer held;
  held.acquire(values);
  const Py_buffer& view = held.view();
  const ElementFormat format = parse_format(view.format);
  if (view.ndim != 1 || format.code == 0) return false;
  const Py_ssize_t size = view.itemsize;
  auto integers = [&](auto sample) {
    using T = decltype(sample);
    if (static_cast<std::size_t>(size) != sizeof(T)) return false;
    builder.begin(ValueType::Integer, "integer array");
    read_elements<T>(view, format.swap, builder);
    return true;
  };
  switch (format.code) {
    case '?': {
      if (size != 1) return false;
      builder.begin(ValueType::Bool, "bool array");
      builder.reserve(static_cast<std::size_t>(view.shape[0]));
      const char* base = static_cast<const char*>(view.buf);
      for (Py_ssize_t i = 0; i < view.shape[0]; ++i) builder.add_bool(base[i * view.strides[0]] != 0);
      return true;
    }
    case 'b':
      return integers(std::int8_t{});
    case 'B':
      return integers(std::uint8_t{});
    case 'h':
      return integers(std::int16_t{});
    case 'H':
      return integers(std::uint16_t{});
    case 'i':
      return size == 4 ? integers(std::int32_t{}) : false;
    case 'I':
      return size == 4 ? integers(std::uint32_t{}) : false;
    case 'l':
    case 'q':
      return size == 8 ? integers(std::int64_t{}) : integers(std::int32_t{});
    case 'L':
    case 'Q':
      return size == 8 ? integers(std::uint64_t{}) : integers(std::uint32_t{});
    case 'f':
      if (size != 4) return false;
      builder.begin(ValueType::Float, "float32 array");
      read_elements<float>(view, format.swap, builder);
      return true;
    case 'd':
      if (size != 8) return false;
      builder.begin(ValueType::Float, "float64 array");
      read_elements<double>(view, format.swap, builder);
      return true;
    default:
      return false;
  }
}

void read_items(PyObject* values, AttributeBuilder& builder) {
  if (PyUnicode_Check(values) || PyBytes_Check(values) || PyDict_Check(values) || PyAnySet_Check(values)) {
    PyErr_Format(PyExc_TypeError, "column '%s': expected a sequence of values, got '%s'", builder.name(),
                 type_name(values).c_str());
    throw PythonError{};
  }
  PyRef sequence = PyRef::steal(PySequence_Fast(values, ""));
  if (!sequence) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw PythonError{};
    PyErr_Clear();
    PyErr_Format(PyExc_TypeError, "column '%s': expected a list, an array or an Arrow column, got '%s'", builder.name(),
                 type_name(values).c_str());
    throw PythonError{};
  }
  const Py_ssize_t count = PySequence_Fast_GET_SIZE(sequence.get());
  builder.reserve(static_cast<std::size_t>(count));
  std::string refusal;
  for (Py_ssize_t i = 0; i < count; ++i) {
    if (PySequence_Fast_GET_SIZE(sequence.get()) != count) break;
    PyRef item = PyRef::borrow(PySequence_Fast_GET_ITEM(sequence.get(), i));
    const auto row = static_cast<std::size_t>(i);
    if (!builder.add_object(row, item.get(), refusal)) {
      raise_column_error(PyExc_TypeError, builder.column_name(), row_text(row) + " holds " + refusal);
    }
  }
  if (PySequence_Fast_GET_SIZE(sequence.get()) != count) {
    raise_column_error(PyExc_ValueError, builder.column_name(), "the sequence changed size while it was read");
  }
}

// Column storage handed out as it is: the exported array holds the storage.
struct SharedColumnStorage final : ArrayStorage {
  SharedColumnStorage(std::shared_ptr<const AttributeColumn::Values> held, const void* start)
      : values(std::move(held)), pointer(start) {}
  const void* data() const override { return pointer; }
  std::shared_ptr<const AttributeColumn::Values> values;
  const void* pointer;
};

// A memoryview as a NumPy array (without a copy) when NumPy is there.
PyObject* as_numpy(PyObject* owned_view) {
  PyRef view = PyRef::steal(owned_view);
  PyRef numpy = PyRef::steal(PyImport_ImportModule("numpy"));
  if (!numpy) {
    if (!PyErr_ExceptionMatches(PyExc_ImportError)) throw PythonError{};
    PyErr_Clear();
    return view.release();
  }
  return check(PyObject_CallMethod(numpy.get(), "asarray", "O", view.get()));
}

template <typename T>
PyObject* gathered_array(const std::vector<T>& source, std::size_t count, const std::vector<std::size_t>* rows,
                         const char* format) {
  std::vector<T> values(count);
  for (std::size_t i = 0; i < count; ++i) values[i] = source[rows ? (*rows)[i] : i];
  return as_numpy(export_vector(std::move(values), format));
}

}  // namespace

// ---- the builder --------------------------------------------------------------------------

void AttributeBuilder::take_type(AttributeType type) {
  if (!column_) {
    column_.emplace(type);
    return;
  }
  const AttributeType present = column_->type();
  if (present == type || (present == AttributeType::Float && type == AttributeType::Integer)) return;
  if (present == AttributeType::Integer && type == AttributeType::Float) {
    AttributeColumn floats(AttributeType::Float);
    floats.reserve(column_->size());
    for (std::size_t row = 0; row < column_->size(); ++row) {
      if (column_->has_value(row)) floats.set_float(row, static_cast<double>(column_->integer_at(row)));
    }
    column_ = std::move(floats);
    return;
  }
  throw std::invalid_argument(std::string("values of type ") + attribute_type_name(type) + " after values of type " +
                              attribute_type_name(present));
}

void AttributeBuilder::begin(ValueType type, const std::string& described) {
  try {
    take_type(type_of(type));
  } catch (const std::invalid_argument& mixed) {
    raise_column_error(PyExc_TypeError, name_, "a " + described + " holds " + mixed.what());
  }
}

void AttributeBuilder::reserve(std::size_t count) {
  if (column_) column_->reserve(rows_ + count);
}

void AttributeBuilder::add_unsigned(std::uint64_t value) {
  if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) &&
      column_->type() == AttributeType::Integer) {
    raise_column_error(PyExc_ValueError, name_,
                       row_text(rows_) + " holds " + integer_text(value) + ", beyond the 64-bit integer range");
  }
  if (column_->type() == AttributeType::Float) {
    put_float(rows_++, static_cast<double>(value));
  } else {
    put_integer(rows_++, static_cast<std::int64_t>(value));
  }
}

void AttributeBuilder::put_integer(std::size_t row, std::int64_t value) {
  if (column_->type() == AttributeType::Float) {
    column_->set_float(row, static_cast<double>(value));
  } else {
    column_->set_integer(row, value);
  }
}

void AttributeBuilder::put_float(std::size_t row, double value) { column_->set_float(row, value); }

void AttributeBuilder::refuse_null(std::size_t row) const {
  raise_column_error(PyExc_ValueError, name_, row_text(row) + " is null");
}

bool AttributeBuilder::add_object(std::size_t row, PyObject* value, std::string& refusal) {
  if (row >= rows_) rows_ = row + 1;
  const ObjectKind kind = kind_of(value);
  AttributeType type = AttributeType::Float;
  switch (kind) {
    case ObjectKind::Missing:
      return true;
    case ObjectKind::Bool:
      type = AttributeType::Bool;
      break;
    case ObjectKind::Integer:
      type = AttributeType::Integer;
      break;
    case ObjectKind::Float:
      type = AttributeType::Float;
      break;
    case ObjectKind::Text:
      type = AttributeType::String;
      break;
    case ObjectKind::Other:
      refusal = "a value of type '" + type_name(value) + "'; columns hold int, float, bool, str or None";
      return false;
  }
  try {
    take_type(type);
  } catch (const std::invalid_argument&) {
    refusal = "a value of type '" + type_name(value) + "' after values of type " + attribute_type_name(column_->type());
    return false;
  }
  switch (kind) {
    case ObjectKind::Bool: {
      const int truth = PyObject_IsTrue(value);
      if (truth < 0) throw PythonError{};
      column_->set_bool(row, truth != 0);
      return true;
    }
    case ObjectKind::Integer: {
      PyRef number = PyRef::owned(PyNumber_Index(value));
      int overflow = 0;
      const long long integer = PyLong_AsLongLongAndOverflow(number.get(), &overflow);
      if (integer == -1 && PyErr_Occurred()) throw PythonError{};
      if (overflow != 0) {
        if (column_->type() != AttributeType::Float) {
          refusal = "an int beyond the 64-bit integer range";
          return false;
        }
        const double approximate = PyLong_AsDouble(number.get());
        if (approximate == -1.0 && PyErr_Occurred()) throw PythonError{};
        column_->set_float(row, approximate);
        return true;
      }
      put_integer(row, integer);
      return true;
    }
    case ObjectKind::Float: {
      const double number = PyFloat_AsDouble(value);
      if (number == -1.0 && PyErr_Occurred()) throw PythonError{};
      put_float(row, number);
      return true;
    }
    case ObjectKind::Text: {
      Py_ssize_t size = 0;
      const char* text = PyUnicode_AsUTF8AndSize(value, &size);
      if (text == nullptr) throw PythonError{};
      column_->set_string(row, std::string_view(text, static_cast<std::size_t>(size)));
      return true;
    }
    default:
      return true;
  }
}

AttributeColumn AttributeBuilder::finish() {
  if (!column_) return AttributeColumn(AttributeType::Float);
  return std::move(*column_);
}

// ---- reading -------------------------------------------------------------------------------

AttributeColumn read_attribute_column(PyObject* values, const std::string& column, std::size_t expected,
                                      const char* rows_are) {
  AttributeBuilder builder(column);
  if (exports_arrow(values) && !PyObject_CheckBuffer(values)) {
    read_arrow_column(values, builder);
  } else if (!PyObject_CheckBuffer(values) || !read_native_buffer(values, builder)) {
    if (PyObject_CheckBuffer(values) && exports_arrow(values)) {
      read_arrow_column(values, builder);
    } else {
      read_items(values, builder);
    }
  }
  if (builder.rows() != expected) {
    raise_column_error(PyExc_ValueError, column,
                       integer_text(builder.rows()) + " values for " + integer_text(expected) + " " + rows_are);
  }
  return builder.finish();
}

AttributeColumn read_node_attribute_dict(PyObject* values, const std::string& column, const GraphStore& graph) {
  AttributeBuilder builder(column);
  // A copy of the items: reading a value may run code that changes the dict.
  PyRef items = PyRef::owned(PyDict_Items(values));
  std::string refusal;
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
    PyObject* pair = PyList_GET_ITEM(items.get(), i);
    PyObject* key = PyTuple_GET_ITEM(pair, 0);
    if (!PyUnicode_Check(key)) {
      raise_column_error(PyExc_TypeError, column, "expected str labels as keys, got '" + type_name(key) + "'");
    }
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(key, &size);
    if (text == nullptr) throw PythonError{};
    const std::string_view label(text, static_cast<std::size_t>(size));
    const auto position = graph.find_by_label(label);
    if (!position) {
      PyErr_Format(PyExc_KeyError, "column '%s': no node carries the label %R", column.c_str(), key);
      throw PythonError{};
    }
    if (!builder.add_object(*position, PyTuple_GET_ITEM(pair, 1), refusal)) {
      PyErr_Format(PyExc_TypeError, "column '%s': the value for %R is %s", column.c_str(), key, refusal.c_str());
      throw PythonError{};
    }
  }
  return builder.finish();
}

BatchAttributes read_batch_attributes(PyObject* mapping, std::size_t rows, bool for_nodes, const char* argument,
                                      const char* rows_are) {
  BatchAttributes batch;
  if (mapping == nullptr || mapping == Py_None) return batch;
  if (!PyDict_Check(mapping)) {
    raise_argument_type(argument, "expected a dict of column name -> values, got '" + type_name(mapping) + "'");
  }
  PyRef items = PyRef::owned(PyDict_Items(mapping));
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
    PyObject* pair = PyList_GET_ITEM(items.get(), i);
    PyObject* key = PyTuple_GET_ITEM(pair, 0);
    if (!PyUnicode_Check(key)) {
      raise_argument_type(argument, "expected str column names, got '" + type_name(key) + "'");
    }
    const std::string name(to_text(key, argument));
    check_attribute_name(name, for_nodes, argument);
    batch.columns.push_back(read_attribute_column(PyTuple_GET_ITEM(pair, 1), name, rows, rows_are));
    batch.names.push_back(name);
  }
  return batch;
}

namespace {

// Whether `values` holds nothing but missing values (its type then does not matter).
bool only_missing(const AttributeColumn& values) { return values.present_count() == 0; }

bool numbers(AttributeType type) { return type == AttributeType::Integer || type == AttributeType::Float; }

AttributeColumn as_floats(const AttributeColumn& column) {
  AttributeColumn floats(AttributeType::Float);
  floats.reserve(column.size());
  for (std::size_t row = 0; row < column.size(); ++row) {
    if (column.has_value(row)) floats.set_float(row, static_cast<double>(column.integer_at(row)));
  }
  return floats;
}

}  // namespace

void check_joinable(const NamedColumns& columns, const BatchAttributes& batch) {
  for (std::size_t k = 0; k < batch.names.size(); ++k) {
    const AttributeColumn* present = columns.find(batch.names[k]);
    const AttributeColumn& values = batch.columns[k];
    if (present == nullptr || only_missing(values) || present->type() == values.type()) continue;
    if (numbers(present->type()) && numbers(values.type())) continue;
    raise_column_error(PyExc_TypeError, batch.names[k],
                       std::string("values of type ") + attribute_type_name(values.type()) + " for a column of type " +
                           attribute_type_name(present->type()));
  }
}

void join_rows(NamedColumns& columns, const BatchAttributes& batch, std::span<const std::size_t> rows) {
  for (std::size_t k = 0; k < batch.names.size(); ++k) {
    const AttributeColumn& values = batch.columns[k];
    AttributeColumn* present = columns.find(batch.names[k]);
    if (present == nullptr) present = &columns.add(batch.names[k], values.type());
    if (only_missing(values)) continue;
    if (present->type() == AttributeType::Integer && values.type() == AttributeType::Float) {
      *present = as_floats(*present);
    }
    if (present->type() == AttributeType::Float && values.type() == AttributeType::Integer) {
      place_rows(as_floats(values), rows, *present);
    } else {
      place_rows(values, rows, *present);
    }
  }
}

void check_attribute_name(std::string_view name, bool for_nodes, const char* argument) {
  if (name.empty()) raise_argument_value(argument, "an attribute needs a name");
  if (for_nodes ? is_node_field_name(name) : is_connection_field_name(name)) {
    raise_argument_value(argument, "'" + std::string(name) + "' is a field of every " + (for_nodes ? "node" : "link") +
                                       " and cannot name an attribute");
  }
}

// ---- writing --------------------------------------------------------------------------------

PyObject* attribute_value_to_python(const AttributeColumn& column, std::size_t row) {
  if (!column.has_value(row)) return none();
  switch (column.type()) {
    case AttributeType::Float:
      return to_python(column.float_at(row));
    case AttributeType::Integer:
      return check(PyLong_FromLongLong(column.integer_at(row)));
    case AttributeType::Bool:
      return to_python(column.bool_at(row));
    case AttributeType::String:
      return to_python(column.string_at(row));
  }
  return none();
}

PyObject* attribute_column_to_python(AttributeColumn& column, std::size_t count, const std::vector<std::size_t>* rows) {
  if (rows != nullptr && rows->empty()) rows = nullptr;
  bool complete = column.type() != AttributeType::String;
  if (complete) {
    if (rows == nullptr) {
      complete = count == 0 || (column.size() >= count && column.present_count() == column.size());
      if (!complete && column.size() >= count) {
        complete = true;
        for (std::size_t row = 0; complete && row < count; ++row) complete = column.has_value(row);
      }
    } else {
      for (const std::size_t row : *rows) {
        if (row == GraphAttributes::kNoRow || !column.has_value(row)) {
          complete = false;
          break;
        }
      }
    }
  }
  if (complete) {
    const auto values = column.share();
    const char* format = column.type() == AttributeType::Float     ? "d"
                         : column.type() == AttributeType::Integer ? "q"
                                                                   : "?";
    if (rows != nullptr || count == 0) {
      switch (column.type()) {
        case AttributeType::Float:
          return gathered_array(values->floats, count, rows, format);
        case AttributeType::Integer:
          return gathered_array(values->integers, count, rows, format);
        default:
          return gathered_array(values->bools, count, rows, format);
      }
    }
    const void* start = column.type() == AttributeType::Float     ? static_cast<const void*>(values->floats.data())
                        : column.type() == AttributeType::Integer ? static_cast<const void*>(values->integers.data())
                                                                  : static_cast<const void*>(values->bools.data());
    const Py_ssize_t itemsize = column.type() == AttributeType::Bool ? 1 : 8;
    return as_numpy(export_array(std::make_unique<SharedColumnStorage>(values, start),
                                 ArrayLayout{format, itemsize, 1, {static_cast<Py_ssize_t>(count), 0}}));
  }
  PyRef list = PyRef::owned(PyList_New(static_cast<Py_ssize_t>(count)));
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t row = rows ? (*rows)[i] : i;
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i),
                    row == GraphAttributes::kNoRow ? none() : attribute_value_to_python(column, row));
  }
  return list.release();
}

}  // namespace mivora::py
