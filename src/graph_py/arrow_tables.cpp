#include "graph_py/arrow_tables.hpp"

#include <cstring>

#include "docstrings.hpp"
#include "graph_core/snapshot.hpp"
#include "graph_py/arrow_c_data.hpp"

namespace mivora::py {
namespace {

template <typename T>
std::shared_ptr<const void> own(std::vector<T>&& values) {
  return std::make_shared<const std::vector<T>>(std::move(values));
}

template <typename T>
const void* data_of(const std::shared_ptr<const void>& owner) {
  return static_cast<const std::vector<T>*>(owner.get())->data();
}

// Bits, least significant first, of `count` flags.
template <typename Flag>
std::vector<std::uint8_t> packed_bits(std::size_t count, Flag&& flag) {
  std::vector<std::uint8_t> bits((count + 7) / 8, 0);
  for (std::size_t i = 0; i < count; ++i) {
    if (flag(i)) bits[i >> 3] |= static_cast<std::uint8_t>(1u << (i & 7));
  }
  return bits;
}

// A string column: offsets and bytes; 32-bit offsets while they fit.
template <typename TextAt>
ArrowColumnData string_column(std::string name, std::size_t count, TextAt&& text_at,
                              const std::vector<std::uint8_t>* validity, std::size_t nulls) {
  ArrowColumnData column;
  column.name = std::move(name);
  std::size_t total = 0;
  for (std::size_t i = 0; i < count; ++i) total += text_at(i).size();
  auto bytes = std::make_shared<std::vector<char>>(total);
  auto fill = [&](auto offset_type) {
    using Offset = decltype(offset_type);
    std::vector<Offset> offsets(count + 1);
    offsets[0] = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::string_view text = text_at(i);
      if (!text.empty()) std::memcpy(bytes->data() + at, text.data(), text.size());
      at += text.size();
      offsets[i + 1] = static_cast<Offset>(at);
    }
    column.owners.push_back(own(std::move(offsets)));
    column.buffers = {nullptr, data_of<Offset>(column.owners.back())};
  };
  if (total < (std::size_t{1} << 31)) {
    column.format = "u";
    fill(std::int32_t{});
  } else {
    column.format = "U";
    fill(std::int64_t{});
  }
  column.buffers.push_back(bytes->data());
  column.owners.push_back(std::move(bytes));
  if (validity != nullptr && nulls != 0) {
    column.owners.push_back(own(std::vector<std::uint8_t>(*validity)));
    column.buffers[0] = data_of<std::uint8_t>(column.owners.back());
    column.null_count = static_cast<std::int64_t>(nulls);
  }
  return column;
}

// Every node label once, back to back, so that a column of labels by node
// position copies each from one small place. Labels of up to kShort bytes
// are copied as kShort bytes (the buffers have that much slack): a fixed
// copy instead of a call per value.
class LabelTable {
 public:
  explicit LabelTable(const GraphStore& graph) : starts_(graph.node_count()), lengths_(graph.node_count()) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < graph.node_count(); ++i) total += graph.node(i).label.size();
    text_.resize(total + kShort);
    std::size_t at = 0;
    for (std::size_t i = 0; i < graph.node_count(); ++i) {
      const std::string_view label = graph.node(i).label;
      if (!label.empty()) std::memcpy(text_.data() + at, label.data(), label.size());
      starts_[i] = at;
      lengths_[i] = static_cast<std::uint32_t>(label.size());
      at += label.size();
    }
  }

  ArrowColumnData column(std::string name, std::span<const std::uint32_t> positions) const {
    std::size_t total = 0;
    for (const std::uint32_t position : positions) total += lengths_[position];
    if (total >= (std::size_t{1} << 31)) {
      return string_column(
          std::move(name), positions.size(),
          [&](std::size_t i) { return std::string_view(text_.data() + starts_[positions[i]], lengths_[positions[i]]); },
          nullptr, 0);
    }
    auto bytes = std::make_shared<std::vector<char>>(total + kShort);
    std::vector<std::int32_t> offsets(positions.size() + 1);
    offsets[0] = 0;
    char* out = bytes->data();
    std::size_t at = 0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
      const std::uint32_t position = positions[i];
      const std::uint32_t length = lengths_[position];
      const char* from = text_.data() + starts_[position];
      if (length <= kShort) {
        std::memcpy(out + at, from, kShort);
      } else {
        std::memcpy(out + at, from, length);
      }
      at += length;
      offsets[i + 1] = static_cast<std::int32_t>(at);
    }
    ArrowColumnData column;
    column.name = std::move(name);
    column.format = "u";
    column.owners.push_back(own(std::move(offsets)));
    column.buffers = {nullptr, data_of<std::int32_t>(column.owners.back()), bytes->data()};
    column.owners.push_back(std::move(bytes));
    return column;
  }

 private:
  static constexpr std::size_t kShort = 16;
  std::vector<char> text_;
  std::vector<std::size_t> starts_;
  std::vector<std::uint32_t> lengths_;
};

// An attribute column's rows 0 .. count - 1 (`rows` null) or the rows listed
// (kNoRow: missing), as an Arrow column. Rows 0 .. count - 1 of a number
// column are handed out as they are stored.
ArrowColumnData attribute_column(const std::string& name, AttributeColumn& column, std::size_t count,
                                 const std::vector<std::size_t>* rows) {
  if (rows == nullptr) column.extend(count);
  const auto values = column.share();
  auto row_of = [&](std::size_t i) { return rows ? (*rows)[i] : i; };
  auto present = [&](std::size_t i) {
    const std::size_t row = row_of(i);
    return row != GraphAttributes::kNoRow && column.has_value(row);
  };
  // Validity: the stored bitmap for rows 0 .. count - 1, else gathered.
  std::size_t nulls = 0;
  std::shared_ptr<const void> validity_owner;
  const void* validity = nullptr;
  if (rows == nullptr) {
    nulls = count - std::min(count, values->present);
    if (values->size > count) {  // count the rows of this table alone
      nulls = 0;
      for (std::size_t i = 0; i < count; ++i) nulls += present(i) ? 0 : 1;
    }
    if (nulls != 0) {
      validity_owner = values;
      validity = values->validity.data();
    }
  } else {
    std::vector<std::uint8_t> bits = packed_bits(count, present);
    for (std::size_t i = 0; i < count; ++i) nulls += present(i) ? 0 : 1;
    if (nulls != 0) {
      validity_owner = own(std::move(bits));
      validity = data_of<std::uint8_t>(validity_owner);
    }
  }
  ArrowColumnData out;
  out.name = name;
  out.null_count = static_cast<std::int64_t>(nulls);
  auto numbers = [&](const auto& stored, const char* format) {
    using T = typename std::decay_t<decltype(stored)>::value_type;
    out.format = format;
    if (rows == nullptr) {
      out.owners.push_back(values);
      out.buffers = {validity, stored.data()};
    } else {
      std::vector<T> gathered(count, T{});
      for (std::size_t i = 0; i < count; ++i) {
        if (present(i)) gathered[i] = stored[row_of(i)];
      }
      out.owners.push_back(own(std::move(gathered)));
      out.buffers = {validity, data_of<T>(out.owners.back())};
    }
    if (validity_owner) out.owners.push_back(validity_owner);
  };
  switch (column.type()) {
    case AttributeType::Float:
      numbers(values->floats, "g");
      break;
    case AttributeType::Integer:
      numbers(values->integers, "l");
      break;
    case AttributeType::Bool: {
      out.format = "b";
      out.owners.push_back(
          own(packed_bits(count, [&](std::size_t i) { return present(i) && column.bool_at(row_of(i)); })));
      out.buffers = {validity, data_of<std::uint8_t>(out.owners.back())};
      if (validity_owner) out.owners.push_back(validity_owner);
      break;
    }
    case AttributeType::String: {
      std::vector<std::uint8_t> bits = packed_bits(count, present);
      return string_column(
          name, count, [&](std::size_t i) { return present(i) ? column.string_at(row_of(i)) : std::string_view(); },
          &bits, nulls);
    }
  }
  return out;
}

// ---- the C stream ------------------------------------------------------------------------

struct SchemaPrivate {
  std::shared_ptr<const ArrowTableData> table;
  std::vector<ArrowSchema*> children;
};

void release_child_schema(ArrowSchema* schema) {
  delete static_cast<std::shared_ptr<const ArrowTableData>*>(schema->private_data);
  schema->release = nullptr;
}

void release_schema(ArrowSchema* schema) {
  auto* state = static_cast<SchemaPrivate*>(schema->private_data);
  for (ArrowSchema* child : state->children) {
    if (child->release != nullptr) child->release(child);
    delete child;
  }
  delete state;
  schema->release = nullptr;
}

void fill_schema(const std::shared_ptr<const ArrowTableData>& table, ArrowSchema* out) {
  auto* state = new SchemaPrivate{table, {}};
  for (const ArrowColumnData& column : table->columns) {
    auto* child = new ArrowSchema{};
    child->format = column.format;
    child->name = column.name.c_str();
    child->metadata = nullptr;
    child->flags = ARROW_FLAG_NULLABLE;
    child->n_children = 0;
    child->children = nullptr;
    child->dictionary = nullptr;
    child->private_data = new std::shared_ptr<const ArrowTableData>(table);
    child->release = release_child_schema;
    state->children.push_back(child);
  }
  out->format = "+s";
  out->name = "";
  out->metadata = nullptr;
  out->flags = 0;
  out->n_children = static_cast<std::int64_t>(state->children.size());
  out->children = state->children.data();
  out->dictionary = nullptr;
  out->private_data = state;
  out->release = release_schema;
}

struct ChildArrayPrivate {
  std::shared_ptr<const ArrowTableData> table;
  std::vector<const void*> buffers;
};

struct ArrayPrivate {
  std::shared_ptr<const ArrowTableData> table;
  std::vector<ArrowArray*> children;
  const void* validity = nullptr;
};

void release_child_array(ArrowArray* array) {
  delete static_cast<ChildArrayPrivate*>(array->private_data);
  array->release = nullptr;
}

void release_array(ArrowArray* array) {
  auto* state = static_cast<ArrayPrivate*>(array->private_data);
  for (ArrowArray* child : state->children) {
    if (child->release != nullptr) child->release(child);
    delete child;
  }
  delete state;
  array->release = nullptr;
}

void fill_array(const std::shared_ptr<const ArrowTableData>& table, ArrowArray* out) {
  auto* state = new ArrayPrivate{table, {}, nullptr};
  for (const ArrowColumnData& column : table->columns) {
    auto* child = new ArrowArray{};
    auto* child_state = new ChildArrayPrivate{table, column.buffers};
    // Consumers expect a data buffer even for no rows.
    static const std::uint64_t kNoBytes[2] = {0, 0};
    for (std::size_t k = 1; k < child_state->buffers.size(); ++k) {
      if (child_state->buffers[k] == nullptr) child_state->buffers[k] = kNoBytes;
    }
    child->length = table->rows;
    child->null_count = column.null_count;
    child->offset = 0;
    child->n_buffers = static_cast<std::int64_t>(child_state->buffers.size());
    child->buffers = child_state->buffers.data();
    child->n_children = 0;
    child->children = nullptr;
    child->dictionary = nullptr;
    child->private_data = child_state;
    child->release = release_child_array;
    state->children.push_back(child);
  }
  out->length = table->rows;
  out->null_count = 0;
  out->offset = 0;
  out->n_buffers = 1;
  out->buffers = &state->validity;
  out->n_children = static_cast<std::int64_t>(state->children.size());
  out->children = state->children.data();
  out->dictionary = nullptr;
  out->private_data = state;
  out->release = release_array;
}

struct StreamPrivate {
  std::shared_ptr<const ArrowTableData> table;
  bool sent = false;
};

int stream_get_schema(ArrowArrayStream* stream, ArrowSchema* out) {
  try {
    fill_schema(static_cast<StreamPrivate*>(stream->private_data)->table, out);
    return 0;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}

int stream_get_next(ArrowArrayStream* stream, ArrowArray* out) {
  auto* state = static_cast<StreamPrivate*>(stream->private_data);
  if (state->sent) {
    out->release = nullptr;  // the end of the stream
    return 0;
  }
  try {
    fill_array(state->table, out);
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  state->sent = true;
  return 0;
}

const char* stream_last_error(ArrowArrayStream*) { return nullptr; }

void release_stream(ArrowArrayStream* stream) {
  delete static_cast<StreamPrivate*>(stream->private_data);
  stream->release = nullptr;
}

void destroy_stream_capsule(PyObject* capsule) {
  auto* stream = static_cast<ArrowArrayStream*>(PyCapsule_GetPointer(capsule, "arrow_array_stream"));
  if (stream == nullptr) {
    PyErr_Clear();
    return;
  }
  if (stream->release != nullptr) stream->release(stream);
  delete stream;
}

// ---- the Python type ---------------------------------------------------------------------

struct PyArrowTable {
  PyObject_HEAD std::shared_ptr<const ArrowTableData> table;
};

PyTypeObject* g_arrow_table_type = nullptr;

constexpr Signature kArrowCStream{"ArrowTable.__arrow_c_stream__()", {"requested_schema"}, 0};

PyObject* arrow_c_stream(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    match_positional(kArrowCStream, args, nargs, kwnames);  // a requested schema is not followed
    auto* stream = new ArrowArrayStream{};
    stream->get_schema = stream_get_schema;
    stream->get_next = stream_get_next;
    stream->get_last_error = stream_last_error;
    stream->release = release_stream;
    stream->private_data = new StreamPrivate{reinterpret_cast<PyArrowTable*>(self)->table, false};
    PyObject* capsule = PyCapsule_New(stream, "arrow_array_stream", destroy_stream_capsule);
    if (capsule == nullptr) {
      release_stream(stream);
      delete stream;
      throw PythonError{};
    }
    return capsule;
  });
}

void arrow_table_dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  reinterpret_cast<PyArrowTable*>(self)->table.~shared_ptr();
  type->tp_free(self);
  Py_DECREF(type);
}

PyMethodDef kArrowTableMethods[] = {
    {"__arrow_c_stream__", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(arrow_c_stream)),
     METH_FASTCALL | METH_KEYWORDS,
     "__arrow_c_stream__($self, requested_schema=None)\n--\n\n" MIVORA_DOC_ArrowTable___arrow_c_stream__},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot kArrowTableSlots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(arrow_table_dealloc)},
    {Py_tp_methods, kArrowTableMethods},
    {Py_tp_doc, const_cast<char*>(MIVORA_DOC_ArrowTable)},
    {0, nullptr},
};

PyType_Spec kArrowTableSpec{"mivora.ArrowTable", sizeof(PyArrowTable), 0,
                            Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION | Py_TPFLAGS_IMMUTABLETYPE,
                            kArrowTableSlots};

PyTypeObject* arrow_table_type() {
  if (g_arrow_table_type == nullptr) {
    g_arrow_table_type = reinterpret_cast<PyTypeObject*>(check(PyType_FromSpec(&kArrowTableSpec)));
  }
  return g_arrow_table_type;
}

}  // namespace

std::shared_ptr<const ArrowTableData> node_table_data(GraphStore& graph) {
  auto table = std::make_shared<ArrowTableData>();
  const std::size_t n = graph.node_count();
  table->rows = static_cast<std::int64_t>(n);
  table->columns.push_back(string_column(
      "label", n, [&](std::size_t i) { return std::string_view(graph.node(i).label); }, nullptr, 0));
  std::vector<std::uint8_t> positioned = packed_bits(n, [&](std::size_t i) { return graph.node(i).has_position(); });
  std::size_t unpositioned = 0;
  for (std::size_t i = 0; i < n; ++i) unpositioned += graph.node(i).has_position() ? 0 : 1;
  auto shared_bits = own(std::move(positioned));
  for (const bool is_x : {true, false}) {
    std::vector<double> coordinates(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
      const NodeRecord& node = graph.node(i);
      if (node.has_position()) coordinates[i] = is_x ? graph.coordinates(i).x : graph.coordinates(i).y;
    }
    ArrowColumnData column;
    column.name = std::string(1, is_x ? 'x' : 'y');
    column.format = "g";
    column.null_count = static_cast<std::int64_t>(unpositioned);
    column.owners.push_back(own(std::move(coordinates)));
    column.buffers = {unpositioned != 0 ? data_of<std::uint8_t>(shared_bits) : nullptr,
                      data_of<double>(column.owners.back())};
    column.owners.push_back(shared_bits);
    table->columns.push_back(std::move(column));
  }
  for (NamedColumns::Entry& entry : graph.attributes().nodes().entries()) {
    table->columns.push_back(attribute_column(entry.name, entry.column, n, nullptr));
  }
  return table;
}

std::shared_ptr<const ArrowTableData> edge_table_data(GraphStore& graph) {
  auto table = std::make_shared<ArrowTableData>();
  auto links = std::make_shared<const LinkList>(take_link_list(graph, OutsideTargets::Skip));
  const std::size_t count = links->link_count();
  table->rows = static_cast<std::int64_t>(count);
  const LabelTable labels(graph);
  table->columns.push_back(labels.column("source", links->link_source));
  table->columns.push_back(labels.column("target", links->link_target));
  ArrowColumnData weight;
  weight.name = "weight";
  weight.format = "f";
  weight.owners.push_back(std::shared_ptr<const void>(links, links->link_weight.data()));
  weight.buffers = {nullptr, links->link_weight.data()};
  table->columns.push_back(std::move(weight));
  ArrowColumnData directed;
  directed.name = "directed";
  directed.format = "b";
  directed.owners.push_back(own(packed_bits(count, [&](std::size_t i) { return links->link_directed[i] != 0; })));
  directed.buffers = {nullptr, data_of<std::uint8_t>(directed.owners.back())};
  table->columns.push_back(std::move(directed));
  GraphAttributes& attributes = graph.attributes();
  if (!attributes.connections().empty()) {
    if (!attributes.connection_rows().aligned(graph)) attributes.align(graph);
    // Rows aligned and every stored connection listed: the rows are 0, 1, 2, ...
    GraphAttributes::ListedRows listed;
    if (attributes.connection_rows().row_count() == count) {
      listed.identity = true;
      listed.count = count;
    } else {
      listed = attributes.listed_connection_rows(graph);
    }
    for (NamedColumns::Entry& entry : attributes.connections().entries()) {
      table->columns.push_back(
          attribute_column(entry.name, entry.column, count, listed.identity ? nullptr : &listed.rows));
    }
  }
  return table;
}

PyObject* wrap_arrow_table(std::shared_ptr<const ArrowTableData> table) {
  PyTypeObject* type = arrow_table_type();
  PyObject* self = PyType_GenericAlloc(type, 0);
  if (self == nullptr) throw PythonError{};
  new (&reinterpret_cast<PyArrowTable*>(self)->table) std::shared_ptr<const ArrowTableData>(std::move(table));
  return self;
}

void add_arrow_table_type(PyObject* module) {
  if (PyModule_AddObjectRef(module, "ArrowTable", reinterpret_cast<PyObject*>(arrow_table_type())) < 0) {
    throw PythonError{};
  }
}

}  // namespace mivora::py
