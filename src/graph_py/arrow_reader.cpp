#include "graph_py/arrow_reader.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "graph_py/arrow_c_data.hpp"
#include "text_io/number_text.hpp"

namespace mivora::py {
namespace {

constexpr const char* kStreamMethod = "__arrow_c_stream__";
constexpr const char* kArrayMethod = "__arrow_c_array__";

// The Arrow type of a format string, in words, for messages.
std::string arrow_type_name(std::string_view format) {
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {"n", "null"},         {"b", "bool"},    {"c", "int8"},         {"C", "uint8"},   {"s", "int16"},
      {"S", "uint16"},       {"i", "int32"},   {"I", "uint32"},       {"l", "int64"},   {"L", "uint64"},
      {"e", "float16"},      {"f", "float32"}, {"g", "float64"},      {"u", "string"},  {"U", "large_string"},
      {"vu", "string_view"}, {"z", "binary"},  {"Z", "large_binary"}, {"+s", "struct"}, {"+l", "list"}};
  for (const auto& [code, name] : kNames) {
    if (format == code) return "Arrow " + std::string(name) + " column";
  }
  return "Arrow column of format '" + std::string(format) + "'";
}

[[noreturn]] void raise_stream_error(const char* name, ArrowArrayStream* stream, int code) {
  const char* detail = stream->get_last_error != nullptr ? stream->get_last_error(stream) : nullptr;
  raise_argument_value(name, "the Arrow stream failed (" + std::string(detail ? detail : std::strerror(code)) + ")");
}

// Calls value.method() and takes over the struct inside the capsule it returns.
template <typename Struct>
ArrowOwned<Struct> take_capsule(PyObject* capsule, const char* capsule_name) {
  auto* pointer = static_cast<Struct*>(PyCapsule_GetPointer(capsule, capsule_name));
  if (pointer == nullptr) throw PythonError{};
  if (pointer->release == nullptr) {
    PyErr_Format(PyExc_ValueError, "the %s capsule was already consumed", capsule_name);
    throw PythonError{};
  }
  return ArrowOwned<Struct>::take(pointer);
}

ArrowOwned<ArrowArrayStream> export_stream(PyObject* value) {
  PyRef capsule = PyRef::owned(PyObject_CallMethod(value, kStreamMethod, nullptr));
  return take_capsule<ArrowArrayStream>(capsule.get(), "arrow_array_stream");
}

bool is_valid(const ArrowArray& array, std::int64_t index) {
  if (array.null_count == 0 || array.n_buffers == 0 || array.buffers[0] == nullptr) return true;
  const auto* bits = static_cast<const std::uint8_t*>(array.buffers[0]);
  return (bits[index >> 3] >> (index & 7)) & 1;
}

// A builder that keeps nulls (attribute columns) rather than refusing them.
template <typename Builder>
concept TakesNulls = requires(Builder builder) {
  builder.add_null();
  builder.add_bool(true);
};

// Reads the values of `array` (rows `base + array.offset + i` of its
// buffers) into `builder`. `row` is the builder's row of the first value.
template <typename Builder>
class ArrayAppender {
 public:
  explicit ArrayAppender(Builder& builder) : builder_(builder) {}

  void append(const ArrowSchema& schema, const ArrowArray& array) {
    const std::string_view format = schema.format ? schema.format : "";
    if (schema.dictionary != nullptr && array.dictionary != nullptr) {
      append_dictionary(schema, array);
      return;
    }
    if (format.size() == 2 && format[0] == '+' && format[1] == 's' && schema.n_children == 1 && array.n_children == 1) {
      if constexpr (!TakesNulls<Builder>) check_no_nulls(array);
      // A one-field record batch (how some libraries stream a single column).
      ArrowArray child = *array.children[0];
      child.offset += array.offset;
      child.length = array.length;
      append(*schema.children[0], child);
      return;
    }
    const std::size_t first_row = builder_.rows();
    const std::int64_t length = array.length;
    auto each = [&](auto&& add) {
      builder_.reserve(static_cast<std::size_t>(length));
      for (std::int64_t i = 0; i < length; ++i) {
        const std::int64_t at = array.offset + i;
        if (!is_valid(array, at)) {
          if constexpr (TakesNulls<Builder>) {
            builder_.add_null();
            continue;
          } else {
            builder_.refuse_null(first_row + static_cast<std::size_t>(i));
          }
        }
        add(at);
      }
    };
    if constexpr (TakesNulls<Builder>) {
      if (format == "n") {
        for (std::int64_t i = 0; i < length; ++i) builder_.add_null();
        return;
      }
      if (format == "b") {
        builder_.begin(ValueType::Bool, arrow_type_name(format));
        const auto* bits = static_cast<const std::uint8_t*>(array.buffers[1]);
        each([&](std::int64_t at) { builder_.add_bool(((bits[at >> 3] >> (at & 7)) & 1) != 0); });
        return;
      }
    }
    if (format == "n") {
      builder_.begin(ValueType::Integer, arrow_type_name(format));
      if (length > 0) builder_.refuse_null(first_row);
      return;
    }
    if (format.size() == 1) {
      switch (format[0]) {
        case 'c':
          return integers<std::int8_t>(format, array, each);
        case 'C':
          return integers<std::uint8_t>(format, array, each);
        case 's':
          return integers<std::int16_t>(format, array, each);
        case 'S':
          return integers<std::uint16_t>(format, array, each);
        case 'i':
          return integers<std::int32_t>(format, array, each);
        case 'I':
          return integers<std::uint32_t>(format, array, each);
        case 'l':
          return integers<std::int64_t>(format, array, each);
        case 'L':
          return integers<std::uint64_t>(format, array, each);
        case 'f':
          return floats<float>(format, array, each);
        case 'g':
          return floats<double>(format, array, each);
        case 'u':
          return strings<std::int32_t>(format, array, each);
        case 'U':
          return strings<std::int64_t>(format, array, each);
        default:
          break;
      }
    }
    if (format == "vu") return string_views(format, array, each);
    raise_argument_type(builder_.name(), "expected a column of numbers or strings, got an " + arrow_type_name(format));
  }

 private:
  template <typename T>
  static T value_at(const void* buffer, std::int64_t index) {
    T value;
    std::memcpy(&value, static_cast<const char*>(buffer) + index * static_cast<std::int64_t>(sizeof(T)), sizeof(T));
    return value;
  }

  template <typename T, typename Each>
  void integers(std::string_view format, const ArrowArray& array, Each&& each) {
    builder_.begin(ValueType::Integer, arrow_type_name(format));
    const void* data = array.buffers[1];
    each([&](std::int64_t at) {
      const T value = value_at<T>(data, at);
      if constexpr (std::is_signed_v<T>) {
        builder_.add_signed(value);
      } else {
        builder_.add_unsigned(value);
      }
    });
  }

  template <typename T, typename Each>
  void floats(std::string_view format, const ArrowArray& array, Each&& each) {
    builder_.begin(ValueType::Float, arrow_type_name(format));
    const void* data = array.buffers[1];
    each([&](std::int64_t at) { builder_.add_number(value_at<T>(data, at)); });
  }

  template <typename Offset, typename Each>
  void strings(std::string_view format, const ArrowArray& array, Each&& each) {
    builder_.begin(ValueType::Text, arrow_type_name(format));
    const void* offsets = array.buffers[1];
    const char* text = static_cast<const char*>(array.buffers[2]);
    check_offsets<Offset>(offsets, array);
    each([&](std::int64_t at) {
      const auto begin = static_cast<std::int64_t>(value_at<Offset>(offsets, at));
      const auto end = static_cast<std::int64_t>(value_at<Offset>(offsets, at + 1));
      builder_.add_label(std::string_view(text + begin, static_cast<std::size_t>(end - begin)));
    });
  }

  // The data buffer holds the bytes up to the last offset; offsets that
  // decrease or start below 0 would read outside it. Other producers'
  // validation is not relied on: all are checked before the first read.
  template <typename Offset>
  void check_offsets(const void* offsets, const ArrowArray& array) const {
    if (array.length <= 0) return;
    const std::size_t first_row = builder_.rows();
    auto previous = value_at<Offset>(offsets, array.offset);
    for (std::int64_t i = 0; i < array.length; ++i) {
      const auto next = value_at<Offset>(offsets, array.offset + i + 1);
      if (previous < 0 || next < previous) raise_malformed(first_row + static_cast<std::size_t>(i));
      previous = next;
    }
  }

  [[noreturn]] void raise_malformed(std::size_t row) const {
    raise_argument_value(builder_.name(), "row " + integer_text(row) +
                                              " has malformed Arrow string offsets (outside the column's data)");
  }

  // Each view is 16 bytes: the length, then up to 12 bytes inline, or a
  // 4-byte prefix, the data buffer's number and the offset in it.
  template <typename Each>
  void string_views(std::string_view format, const ArrowArray& array, Each&& each) {
    builder_.begin(ValueType::Text, arrow_type_name(format));
    const std::size_t first_row = builder_.rows();
    const char* views = static_cast<const char*>(array.buffers[1]);
    const std::int64_t data_buffers = array.n_buffers - 3;  // validity, views, ..., sizes
    each([&](std::int64_t at) {
      const char* view = views + at * 16;
      const auto length = value_at<std::int32_t>(view, 0);
      if (length <= 12) {
        builder_.add_label(std::string_view(view + 4, static_cast<std::size_t>(length)));
        return;
      }
      const auto buffer = value_at<std::int32_t>(view + 8, 0);
      const auto offset = value_at<std::int32_t>(view + 12, 0);
      if (buffer < 0 || buffer >= data_buffers) {
        raise_argument_value(builder_.name(), "malformed Arrow string view");
      }
      // The last buffer holds each data buffer's size.
      const auto size = value_at<std::int64_t>(array.buffers[array.n_buffers - 1], buffer);
      if (offset < 0 || offset > size - length)
        raise_malformed(first_row + static_cast<std::size_t>(at - array.offset));
      const char* text = static_cast<const char*>(array.buffers[2 + buffer]);
      builder_.add_label(std::string_view(text + offset, static_cast<std::size_t>(length)));
    });
  }

  // Dictionary-encoded (categorical) columns: the dictionary is read once,
  // then each index names its entry.
  void append_dictionary(const ArrowSchema& schema, const ArrowArray& array) {
    ColumnBuilder entries(builder_.name(), ColumnRole::Labels);
    ArrayAppender<ColumnBuilder>(entries).append(*schema.dictionary, *array.dictionary);
    const LabelColumn labels = entries.finish().labels;
    ArrowSchema index_schema = schema;
    index_schema.dictionary = nullptr;
    ColumnBuilder indices(builder_.name(), ColumnRole::Endpoints);
    const std::size_t first_row = builder_.rows();
    ArrowArray index_array = array;
    index_array.dictionary = nullptr;
    if constexpr (TakesNulls<Builder>) {
      // Null entries: read the indices with nulls kept, as missing values.
      const std::size_t first = builder_.rows();
      builder_.begin(ValueType::Text, "Arrow dictionary column");
      for (std::int64_t i = 0; i < index_array.length; ++i) {
        const std::int64_t at = index_array.offset + i;
        if (!is_valid(index_array, at)) {
          builder_.add_null();
          continue;
        }
        std::int64_t entry = -1;
        const std::string_view index_format = index_schema.format ? index_schema.format : "";
        const void* data = index_array.buffers[1];
        if (index_format == "c") entry = value_at<std::int8_t>(data, at);
        if (index_format == "C") entry = value_at<std::uint8_t>(data, at);
        if (index_format == "s") entry = value_at<std::int16_t>(data, at);
        if (index_format == "S") entry = value_at<std::uint16_t>(data, at);
        if (index_format == "i") entry = value_at<std::int32_t>(data, at);
        if (index_format == "I") entry = value_at<std::uint32_t>(data, at);
        if (index_format == "l") entry = value_at<std::int64_t>(data, at);
        if (entry < 0 || static_cast<std::uint64_t>(entry) >= labels.size()) {
          raise_argument_value(builder_.name(),
                               "row " + integer_text(first + static_cast<std::size_t>(i)) +
                                   " names no entry of the Arrow dictionary");
        }
        builder_.add_label(labels[static_cast<std::size_t>(entry)]);
      }
      return;
    }
    ArrayAppender<ColumnBuilder>(indices).append(index_schema, index_array);
    const Column positions = indices.finish();
    builder_.begin(ValueType::Text, "Arrow dictionary column");
    builder_.reserve(positions.ids.size());
    for (std::size_t i = 0; i < positions.ids.size(); ++i) {
      if (positions.ids[i] >= labels.size()) {
        raise_argument_value(builder_.name(),
                             "row " + integer_text(first_row + i) + " names no entry of the Arrow dictionary");
      }
      builder_.add_label(labels[positions.ids[i]]);
    }
  }

  void check_no_nulls(const ArrowArray& array) {
    for (std::int64_t i = 0; i < array.length; ++i) {
      if (!is_valid(array, array.offset + i)) builder_.refuse_null(builder_.rows() + static_cast<std::size_t>(i));
    }
  }

  Builder& builder_;
};

// Whether an attribute column can hold the values of an Arrow column of this type.
bool attribute_format(const ArrowSchema& schema) {
  static constexpr std::string_view kValues[] = {"n", "b", "c", "C", "s", "S", "i", "I",
                                                 "l", "L", "f", "g", "u", "U", "vu"};
  const std::string_view format = schema.format ? schema.format : "";
  if (schema.dictionary != nullptr) {
    const std::string_view entries = schema.dictionary->format ? schema.dictionary->format : "";
    return entries == "u" || entries == "U" || entries == "vu";
  }
  return std::find(std::begin(kValues), std::end(kValues), format) != std::end(kValues);
}

template <typename Builder>
void read_column_of(PyObject* value, Builder& builder) {
  if (!PyObject_HasAttrString(value, kStreamMethod)) {
    PyRef pair = PyRef::owned(PyObject_CallMethod(value, kArrayMethod, nullptr));
    if (!PyTuple_Check(pair.get()) || PyTuple_GET_SIZE(pair.get()) != 2) {
      raise_argument_type(builder.name(), "__arrow_c_array__ did not return a pair of capsules");
    }
    auto schema = take_capsule<ArrowSchema>(PyTuple_GET_ITEM(pair.get(), 0), "arrow_schema");
    auto array = take_capsule<ArrowArray>(PyTuple_GET_ITEM(pair.get(), 1), "arrow_array");
    ArrayAppender<Builder>(builder).append(*schema, *array);
    return;
  }
  ArrowOwned<ArrowArrayStream> stream = export_stream(value);
  ArrowOwned<ArrowSchema> schema;
  if (int code = stream.get()->get_schema(stream.get(), schema.get()); code != 0) {
    raise_stream_error(builder.name(), stream.get(), code);
  }
  for (;;) {
    ArrowOwned<ArrowArray> chunk;
    if (int code = stream.get()->get_next(stream.get(), chunk.get()); code != 0) {
      raise_stream_error(builder.name(), stream.get(), code);
    }
    if (chunk.released()) break;
    ArrayAppender<Builder>(builder).append(*schema, *chunk);
  }
}

}  // namespace

bool exports_arrow(PyObject* value) {
  return PyObject_HasAttrString(value, kStreamMethod) || PyObject_HasAttrString(value, kArrayMethod);
}

void read_arrow_column(PyObject* value, ColumnBuilder& builder) { read_column_of(value, builder); }
void read_arrow_column(PyObject* value, AttributeBuilder& builder) { read_column_of(value, builder); }

void read_arrow_table(PyObject* table, const char* name, std::span<const std::string> names,
                      std::span<ColumnBuilder> builders, TableAttributes* attributes) {
  if (!PyObject_HasAttrString(table, kStreamMethod)) {
    raise_argument_type(name, "expected a table exporting __arrow_c_stream__ (pyarrow, polars, pandas, DuckDB), got '" +
                                  type_name(table) + "'");
  }
  ArrowOwned<ArrowArrayStream> stream = export_stream(table);
  ArrowOwned<ArrowSchema> schema;
  if (int code = stream.get()->get_schema(stream.get(), schema.get()); code != 0) {
    raise_stream_error(name, stream.get(), code);
  }
  if (std::string_view(schema->format ? schema->format : "") != "+s") {
    raise_argument_type(name, "expected a table of named columns, got an " + arrow_type_name(schema->format));
  }
  auto field_of = [&](const std::string& wanted) {
    std::int64_t found = -1;
    for (std::int64_t k = 0; k < schema->n_children; ++k) {
      const char* field = schema->children[k]->name;
      if (field == nullptr || wanted != field) continue;
      if (found >= 0) {
        PyErr_Format(PyExc_ValueError, "argument '%s': the table has more than one column named '%s'", name,
                     wanted.c_str());
        throw PythonError{};
      }
      found = k;
    }
    if (found >= 0) return found;
    PyErr_Format(PyExc_KeyError, "argument '%s': the table has no column named '%s'", name, wanted.c_str());
    throw PythonError{};
  };
  std::vector<std::int64_t> fields;
  for (const std::string& wanted : names) fields.push_back(field_of(wanted));
  std::vector<std::int64_t> attribute_fields;
  if (attributes != nullptr) {
    if (attributes->all_others) {
      attributes->names.clear();
      for (std::int64_t k = 0; k < schema->n_children; ++k) {
        if (std::find(fields.begin(), fields.end(), k) != fields.end()) continue;
        const ArrowSchema& child = *schema->children[k];
        const std::string field = child.name != nullptr ? child.name : "";
        const bool field_name =
            attributes->for_nodes ? is_node_field_name(field) : is_connection_field_name(field);
        std::int64_t same_name = 0;
        for (std::int64_t j = 0; j < schema->n_children; ++j) {
          const char* other = schema->children[j]->name;
          same_name += other != nullptr && field == other ? 1 : 0;
        }
        if (same_name > 1) {
          const std::string reason = "'" + field + "' (more than one column has this name)";
          if (std::find(attributes->skipped.begin(), attributes->skipped.end(), reason) == attributes->skipped.end()) {
            attributes->skipped.push_back(reason);
          }
        } else if (field.empty() || field_name) {
          attributes->skipped.push_back("'" + field + "' (the name of a field of every " +
                                        (attributes->for_nodes ? "node" : "link") + ")");
        } else if (!attribute_format(child)) {
          attributes->skipped.push_back("'" + field + "' (" + arrow_type_name(child.format ? child.format : "") +
                                        ")");
        } else {
          attributes->names.push_back(field);
        }
      }
    }
    for (const std::string& wanted : attributes->names) {
      attribute_fields.push_back(field_of(wanted));
      attributes->builders.emplace_back(wanted);
    }
  }
  for (;;) {
    ArrowOwned<ArrowArray> chunk;
    if (int code = stream.get()->get_next(stream.get(), chunk.get()); code != 0) {
      raise_stream_error(name, stream.get(), code);
    }
    if (chunk.released()) break;
    if (chunk->n_children != schema->n_children) raise_argument_value(name, "malformed Arrow record batch");
    auto field_array = [&](std::int64_t k) {
      ArrowArray field = *chunk->children[k];
      field.offset += chunk->offset;
      field.length = chunk->length;
      return field;
    };
    for (std::size_t k = 0; k < fields.size(); ++k) {
      ArrayAppender<ColumnBuilder>(builders[k]).append(*schema->children[fields[k]], field_array(fields[k]));
    }
    for (std::size_t k = 0; k < attribute_fields.size(); ++k) {
      ArrayAppender<AttributeBuilder>(attributes->builders[k])
          .append(*schema->children[attribute_fields[k]], field_array(attribute_fields[k]));
    }
  }
}

}  // namespace mivora::py
