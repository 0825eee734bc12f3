#include "graph_py/peer_graphs.hpp"

#include <string>
#include <unordered_map>
#include <vector>

#include "graph_core/snapshot.hpp"
#include "graph_py/attribute_values.hpp"
#include "graph_py/column_reader.hpp"
#include "text_io/number_text.hpp"

namespace mivora::py {
namespace {

PyObject* call_method_no_args(PyObject* object, const char* method) {
  return check(PyObject_CallMethod(object, method, nullptr));
}

// The value of `mapping[key]`, or nullptr when absent (a new reference).
PyRef item_or_null(PyObject* mapping, PyObject* key) {
  if (!PyDict_Check(mapping)) {
    PyRef value = PyRef::steal(PyObject_GetItem(mapping, key));
    if (!value && PyErr_ExceptionMatches(PyExc_KeyError)) PyErr_Clear();
    if (!value && PyErr_Occurred()) throw PythonError{};
    return value;
  }
  PyObject* value = PyDict_GetItemWithError(mapping, key);
  if (value == nullptr && PyErr_Occurred()) throw PythonError{};
  return PyRef::borrow(value);
}

double number_of(PyObject* value, const char* name, const char* what) {
  const double number = PyFloat_AsDouble(value);
  if (number == -1.0 && PyErr_Occurred()) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw PythonError{};
    PyErr_Clear();
    raise_argument_type(name, std::string(what) + " must be a number, got '" + type_name(value) + "'");
  }
  return number;
}

// The text of a node key: a str as it is, anything else through str().
std::string label_of(PyObject* key) {
  PyRef text = PyUnicode_Check(key) ? PyRef::borrow(key) : PyRef::owned(PyObject_Str(key));
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(text.get(), &size);
  if (data == nullptr) throw PythonError{};
  return std::string(data, static_cast<std::size_t>(size));
}

// Collects nodes and links of a peer graph, then builds the store in one go.
class PeerGraphBuilder {
 public:
  explicit PeerGraphBuilder(const char* argument) : argument_(argument) {}

  // Adds a node; `x`, `y` (either may be nullptr or None) give its position.
  std::uint32_t add_node(std::string label, PyObject* x, PyObject* y) {
    if (graph_.find_by_label(label)) {
      raise_argument_value(argument_, "two nodes share the label '" + label + "'");
    }
    NodeIndex position;
    if (x != nullptr && y != nullptr && x != Py_None && y != Py_None) {
      const double px = number_of(x, argument_, "attribute 'x'");
      const double py = number_of(y, argument_, "attribute 'y'");
      position = graph_.add_node_with_pos(label, px, py);
    } else {
      position = graph_.find_or_add_node(label);
    }
    return static_cast<NodeId>(position);
  }

  void add_link(std::uint32_t from, std::uint32_t to, float weight, bool directed) {
    from_.push_back(from);
    to_.push_back(to);
    weights_.push_back(weight);
    directed_.push_back(directed);
  }

  // The weight in the edge attributes `data` (1.0 where missing).
  float weight_in(PyObject* data, PyObject* weight) const {
    if (weight == nullptr) return 1.0f;
    PyRef value = item_or_null(data, weight);
    if (!value || value.get() == Py_None) return 1.0f;
    return static_cast<float>(number_of(value.get(), argument_, "an edge's weight"));
  }

  // Whether an edge of a directed peer graph stays directed: unless its
  // attributes `data` say directed=False.
  bool directed_in(PyObject* data) const {
    static const InternedString kDirected("directed");
    PyRef value = item_or_null(data, kDirected.get());
    if (!value || value.get() == Py_None) return true;
    const int truth = PyObject_IsTrue(value.get());
    if (truth < 0) throw PythonError{};
    return truth != 0;
  }

  std::size_t node_count() const { return graph_.node_count(); }
  std::size_t link_count() const { return from_.size(); }

  // Node attributes by position and link attributes by link, in the order
  // nodes and links were added.
  GraphStore finish(const BatchAttributes& node_attributes, const BatchAttributes& link_attributes) {
    GraphStore::ConnectionColumns columns;
    columns.from = from_;
    columns.to = to_;
    columns.weights = weights_;
    columns.directed_each = directed_;
    graph_.add_connections(columns);
    if (!node_attributes.names.empty()) {
      std::vector<std::size_t> rows(graph_.node_count());
      for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = row;
      join_rows(graph_.attributes().nodes(), node_attributes, rows);
    }
    if (!link_attributes.names.empty()) {
      const std::vector<std::size_t> rows = graph_.attributes().rows_of_appended(graph_, from_);
      join_rows(graph_.attributes().connections(), link_attributes, rows);
    }
    return std::move(graph_);
  }

 private:
  const char* argument_;
  GraphStore graph_;
  std::vector<std::uint32_t> from_, to_;
  std::vector<float> weights_;
  std::vector<std::uint8_t> directed_;
};

void set_attribute_values(PyObject* sequence, const char* name, PyObject* values);

// The attributes of a peer's nodes or links, gathered column by column. A
// column no attribute column can hold (a value of another type, values of
// two types, a name that is not a str or that a field of the model takes)
// is left out and named in one UserWarning.
class PeerAttributes {
 public:
  PeerAttributes(bool for_nodes, std::vector<std::string>& skipped) : for_nodes_(for_nodes), skipped_(skipped) {}

  // Every item of the attribute dict `data` at `row`, but the keys `leave_out`.
  void add_all(PyObject* data, std::size_t row, std::initializer_list<PyObject*> leave_out) {
    if (!PyDict_Check(data) || PyDict_GET_SIZE(data) == 0) return;
    Py_ssize_t at = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(data, &at, &key, &value)) {
      bool left_out = false;
      for (PyObject* name : leave_out) left_out = left_out || (name != nullptr && same_name(key, name));
      if (!left_out) add(key, row, value);
    }
  }

  // The values of one attribute for rows 0, 1, ... (a sequence).
  void add_sequence(PyObject* key, PyObject* values) {
    PyRef sequence = PyRef::owned(PySequence_Fast(values, "attribute values"));
    const std::size_t column = column_of(key);
    if (column == kLeftOut) return;
    for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(sequence.get()); ++i) {
      if (!add_to(column, static_cast<std::size_t>(i), PySequence_Fast_GET_ITEM(sequence.get(), i))) return;
    }
  }

  BatchAttributes finish() {
    BatchAttributes batch;
    for (std::size_t k = 0; k < names_.size(); ++k) {
      if (failed_[k]) continue;
      batch.names.push_back(names_[k]);
      batch.columns.push_back(builders_[k].finish());
    }
    return batch;
  }

 private:
  static constexpr std::size_t kLeftOut = static_cast<std::size_t>(-1);

  static bool same_name(PyObject* key, PyObject* name) {
    return PyUnicode_Check(key) && PyUnicode_Compare(key, name) == 0;
  }

  void add(PyObject* key, std::size_t row, PyObject* value) {
    const std::size_t column = column_of(key);
    if (column != kLeftOut) add_to(column, row, value);
  }

  bool add_to(std::size_t column, std::size_t row, PyObject* value) {
    if (failed_[column]) return false;
    std::string refusal;
    if (builders_[column].add_object(row, value, refusal)) return true;
    failed_[column] = true;
    skipped_.push_back("'" + names_[column] + "' (" + kind() + ": " + refusal + ")");
    return false;
  }

  const char* kind() const { return for_nodes_ ? "node attribute" : "edge attribute"; }

  // The column of attribute `key`, made on its first use; kLeftOut for a
  // name no column can take.
  std::size_t column_of(PyObject* key) {
    if (!PyUnicode_Check(key)) {
      PyRef text = PyRef::owned(PyObject_Repr(key));
      const std::string shown = label_of(text.get());
      if (refused_.emplace(shown, kLeftOut).second) {
        skipped_.push_back(shown + " (" + kind() + ": its name is not a str)");
      }
      return kLeftOut;
    }
    const std::string name = label_of(key);
    if (const auto it = columns_.find(name); it != columns_.end()) return it->second;
    if (name.empty() || (for_nodes_ ? is_node_field_name(name) : is_connection_field_name(name))) {
      if (refused_.emplace(name, kLeftOut).second) {
        skipped_.push_back("'" + name + "' (" + kind() + ": the name of a field of every " +
                           (for_nodes_ ? "node" : "link") + ")");
      }
      return kLeftOut;
    }
    columns_.emplace(name, names_.size());
    names_.push_back(name);
    builders_.emplace_back(name);
    failed_.push_back(false);
    return names_.size() - 1;
  }

  bool for_nodes_;
  std::vector<std::string>& skipped_;
  std::vector<std::string> names_;
  std::vector<AttributeBuilder> builders_;
  std::vector<bool> failed_;
  std::unordered_map<std::string, std::size_t> columns_;
  std::unordered_map<std::string, std::size_t> refused_;
};

void warn_attributes_left_out(const char* method, const std::vector<std::string>& skipped) {
  if (skipped.empty()) return;
  std::string message = std::string(method) + ": attributes not kept: ";
  for (std::size_t k = 0; k < skipped.size(); ++k) message += (k ? ", " : "") + skipped[k];
  if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) < 0) throw PythonError{};
}

// Python values of every column of `columns` at `row` (missing ones left
// out) put into the dict `target`.
void put_attribute_values(PyObject* target, const std::vector<PyRef>& names, const NamedColumns& columns,
                          std::size_t row) {
  if (row == GraphAttributes::kNoRow) return;
  const auto& entries = columns.entries();
  for (std::size_t k = 0; k < entries.size(); ++k) {
    if (!entries[k].column.has_value(row)) continue;
    set_item(target, names[k].get(), attribute_value_to_python(entries[k].column, row));
  }
}

std::vector<PyRef> column_names(const NamedColumns& columns) {
  std::vector<PyRef> names;
  for (const auto& entry : columns.entries()) names.push_back(PyRef::owned(to_python(std::string_view(entry.name))));
  return names;
}

// One list per column of the values at `count` rows (`rows` null: 0 ..
// count - 1), None where missing; set as attribute `name` of the igraph
// sequence `sequence`.
void set_igraph_columns(PyObject* sequence, const NamedColumns& columns, std::size_t count,
                        const std::vector<std::size_t>* rows) {
  for (const auto& entry : columns.entries()) {
    std::vector<PyRef> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t row = rows ? (*rows)[i] : i;
      values.push_back(PyRef::owned(row == GraphAttributes::kNoRow ? none()
                                                                   : attribute_value_to_python(entry.column, row)));
    }
    set_attribute_values(sequence, entry.name.c_str(), list_of(std::move(values)));
  }
}

// Holds the cyclic garbage collector off while a conversion makes millions
// of containers, none of them garbage: otherwise each batch of new dicts or
// tuples starts a collection that walks everything made so far.
class CollectorPause {
 public:
  CollectorPause() : was_enabled_(PyGC_Disable() == 1) {}
  ~CollectorPause() {
    if (was_enabled_) PyGC_Enable();
  }
  CollectorPause(const CollectorPause&) = delete;
  CollectorPause& operator=(const CollectorPause&) = delete;

 private:
  bool was_enabled_;
};

// One str per node, shared by every item that names it.
std::vector<PyRef> label_objects(const GraphStore& graph) {
  std::vector<PyRef> labels;
  labels.reserve(graph.node_count());
  for (const auto& node : graph.nodes()) labels.push_back(PyRef::owned(to_python(std::string_view(node->label))));
  return labels;
}

struct LinkKinds {
  bool any_directed = false;
  bool any_undirected = false;
  bool mixed() const { return any_directed && any_undirected; }
};

LinkKinds link_kinds(const LinkList& snapshot) {
  LinkKinds kinds;
  for (const std::uint8_t directed : snapshot.link_directed)
    (directed ? kinds.any_directed : kinds.any_undirected) = true;
  return kinds;
}

bool truth_of(PyObject* value) {
  const int truth = PyObject_IsTrue(value);
  if (truth < 0) throw PythonError{};
  return truth != 0;
}

void set_attribute_values(PyObject* sequence, const char* name, PyObject* values) {
  PyRef owned = PyRef::owned(values);
  if (PyObject_SetItem(sequence, PyRef::owned(PyUnicode_FromString(name)).get(), owned.get()) < 0) throw PythonError{};
}

// Fills the edges of a fresh networkx MultiGraph / MultiDiGraph whose nodes
// are in place straight into its adjacency dicts, as its add_edges_from
// would (outer dict by node, inner dict by neighbour, then a dict from edge
// key 0, 1, ... to the edge's attributes, shared by both ends' entries), at
// a fraction of the cost. Returns false, touching nothing, when the graph
// does not keep its adjacency in plain dicts under those names (another
// networkx version); the caller then goes through add_edges_from.
template <typename AttributesOf>
bool fill_multigraph_adjacency(PyObject* result, bool directed, const std::vector<PyRef>& labels,
                               const LinkList& snapshot, AttributesOf&& attributes_of) {
  PyRef successors = PyRef::steal(PyObject_GetAttrString(result, directed ? "_succ" : "_adj"));
  PyRef predecessors = directed ? PyRef::steal(PyObject_GetAttrString(result, "_pred")) : PyRef();
  if (!successors || (directed && !predecessors)) {
    PyErr_Clear();
    return false;
  }
  if (!PyDict_CheckExact(successors.get()) || (directed && !PyDict_CheckExact(predecessors.get()))) return false;
  // The rows of every node by position (borrowed: the outer dicts hold them).
  auto rows_of = [&](PyObject* outer) {
    std::vector<PyObject*> rows(labels.size(), nullptr);
    for (std::size_t position = 0; position < labels.size(); ++position) {
      PyObject* row = PyDict_GetItemWithError(outer, labels[position].get());
      if (row == nullptr && PyErr_Occurred()) throw PythonError{};
      rows[position] = row != nullptr && PyDict_CheckExact(row) ? row : nullptr;
    }
    return rows;
  };
  const std::vector<PyObject*> out_rows = rows_of(successors.get());
  const std::vector<PyObject*> in_rows = directed ? rows_of(predecessors.get()) : out_rows;
  for (std::size_t link = 0; link < snapshot.link_count(); ++link) {
    const std::uint32_t from = snapshot.link_source[link], to = snapshot.link_target[link];
    if (out_rows[from] == nullptr || in_rows[to] == nullptr) return false;  // only before the first edge
  }
  for (std::size_t link = 0; link < snapshot.link_count(); ++link) {
    const std::uint32_t from = snapshot.link_source[link], to = snapshot.link_target[link];
    PyObject* u = labels[from].get();
    PyObject* v = labels[to].get();
    PyObject* keys = PyDict_GetItemWithError(out_rows[from], v);
    if (keys == nullptr) {
      if (PyErr_Occurred()) throw PythonError{};
      PyRef fresh = PyRef::owned(PyDict_New());
      if (PyDict_SetItem(out_rows[from], v, fresh.get()) < 0) throw PythonError{};
      // The other end's entry: the head's predecessors, or for an edge the
      // head's own row (a self-loop has one entry).
      if ((directed || from != to) && PyDict_SetItem(in_rows[to], u, fresh.get()) < 0) throw PythonError{};
      keys = fresh.get();
    }
    PyRef key = PyRef::owned(PyLong_FromSsize_t(PyDict_Size(keys)));
    PyRef attributes = attributes_of(link);
    if (PyDict_SetItem(keys, key.get(), attributes.get()) < 0) throw PythonError{};
  }
  return true;
}

}  // namespace

PyRef import_peer(const char* module, const char* method, const char* package) {
  PyRef imported = PyRef::steal(PyImport_ImportModule(module));
  if (imported) return imported;
  if (!PyErr_ExceptionMatches(PyExc_ImportError)) throw PythonError{};
  PyObject* cause = take_raised_exception();
  PyErr_Format(PyExc_ImportError, "%s needs %s, which is not installed (pip install %s)", method, package, package);
  PyObject* error = take_raised_exception();
  PyException_SetCause(error, cause);
  restore_raised_exception(error);
  throw PythonError{};
}

PyObject* scipy_csr(PyObject* sparse_module, PyObject* csr, std::size_t n) {
  PyRef numpy = import_peer("numpy", "Graph.to_scipy()", "numpy");
  // Writable copies of the read-only exports: SciPy sorts the indices and
  // sums parallel links in place when an operation needs them canonical.
  auto array = [&](Py_ssize_t k) {
    return PyRef::owned(PyObject_CallMethod(numpy.get(), "array", "O", PyTuple_GET_ITEM(csr, k)));
  };
  PyRef indptr = array(0), indices = array(1), weights = array(2);
  PyRef data = PyRef::owned(PyTuple_Pack(3, weights.get(), indices.get(), indptr.get()));
  const auto side = static_cast<Py_ssize_t>(n);
  PyRef shape = PyRef::owned(Py_BuildValue("(nn)", side, side));
  PyRef constructor = PyRef::owned(PyObject_GetAttrString(sparse_module, "csr_array"));
  PyRef args = PyRef::owned(PyTuple_Pack(1, data.get()));
  PyRef kwargs = PyRef::owned(Py_BuildValue("{s:O}", "shape", shape.get()));
  return check(PyObject_Call(constructor.get(), args.get(), kwargs.get()));
}

// ---- networkx ----------------------------------------------------------------------------

GraphStore graph_from_networkx_graph(PyObject* graph, PyObject* weight) {
  if (!PyObject_HasAttrString(graph, "is_directed") || !PyObject_HasAttrString(graph, "adj")) {
    raise_argument_type("graph", "expected a networkx graph, got '" + type_name(graph) + "'");
  }
  static const InternedString kX("x"), kY("y"), kWeight("weight"), kDirected("directed");
  const bool directed = truth_of(PyRef::owned(call_method_no_args(graph, "is_directed")).get());
  PeerGraphBuilder builder("graph");
  std::vector<std::string> skipped;
  PeerAttributes node_attributes(true, skipped), link_attributes(false, skipped);
  PyRef positions = PyRef::owned(PyDict_New());  // node key -> position
  PyRef node_items = PyRef::owned(PyObject_GetAttrString(graph, "nodes"));
  PyRef call_args = PyRef::owned(PyTuple_New(0));
  PyRef data_kwargs = PyRef::owned(Py_BuildValue("{s:O}", "data", Py_True));
  PyRef node_data = PyRef::owned(PyObject_Call(node_items.get(), call_args.get(), data_kwargs.get()));
  PyRef node_iterator = PyRef::owned(PyObject_GetIter(node_data.get()));
  while (PyRef item = PyRef::steal(PyIter_Next(node_iterator.get()))) {
    if (!PyTuple_Check(item.get()) || PyTuple_GET_SIZE(item.get()) != 2) {
      raise_argument_type("graph", "its nodes(data=True) did not yield (node, data) pairs");
    }
    PyObject* key = PyTuple_GET_ITEM(item.get(), 0);
    PyObject* attributes = PyTuple_GET_ITEM(item.get(), 1);
    PyRef x = item_or_null(attributes, kX.get());
    PyRef y = item_or_null(attributes, kY.get());
    const std::uint32_t position = builder.add_node(label_of(key), x.get(), y.get());
    node_attributes.add_all(attributes, position, {kX.get(), kY.get()});
    set_item(positions.get(), key, check(PyLong_FromUnsignedLong(position)));
  }
  if (PyErr_Occurred()) throw PythonError{};

  PyRef edge_items = PyRef::owned(PyObject_GetAttrString(graph, "edges"));
  PyRef edge_data = PyRef::owned(PyObject_Call(edge_items.get(), call_args.get(), data_kwargs.get()));
  PyRef edge_iterator = PyRef::owned(PyObject_GetIter(edge_data.get()));
  while (PyRef edge = PyRef::steal(PyIter_Next(edge_iterator.get()))) {
    if (!PyTuple_Check(edge.get()) || PyTuple_GET_SIZE(edge.get()) != 3) {
      raise_argument_type("graph", "its edges(data=True) did not yield (u, v, data) triples");
    }
    auto position_of = [&](PyObject* key) {
      PyObject* position = PyDict_GetItemWithError(positions.get(), key);
      if (position == nullptr) {
        if (!PyErr_Occurred()) raise_argument_value("graph", "an edge names a node the graph does not list");
        throw PythonError{};
      }
      return static_cast<NodeId>(PyLong_AsUnsignedLong(position));
    };
    PyObject* data = PyTuple_GET_ITEM(edge.get(), 2);
    // 'weight' is left out even when another attribute (or none) gives the weights.
    link_attributes.add_all(data, builder.link_count(), {weight, kWeight.get(), kDirected.get()});
    builder.add_link(position_of(PyTuple_GET_ITEM(edge.get(), 0)), position_of(PyTuple_GET_ITEM(edge.get(), 1)),
                     builder.weight_in(data, weight), directed && builder.directed_in(data));
  }
  if (PyErr_Occurred()) throw PythonError{};
  GraphStore result = builder.finish(node_attributes.finish(), link_attributes.finish());
  warn_attributes_left_out("Graph.from_networkx()", skipped);
  return result;
}

PyObject* networkx_graph_of(const GraphStore& graph) {
  PyRef networkx = import_peer("networkx", "Graph.to_networkx()", "networkx");
  const CollectorPause pause;
  const std::shared_ptr<const LinkList> kept = current_links(graph, OutsideTargets::Skip);
  const LinkList& snapshot = *kept;
  const LinkKinds kinds = link_kinds(snapshot);
  PyRef result = PyRef::owned(call_method_no_args(networkx.get(), kinds.any_directed ? "MultiDiGraph" : "MultiGraph"));
  std::vector<PyRef> labels = label_objects(graph);

  std::vector<PyRef> nodes;
  nodes.reserve(graph.node_count());
  const NamedColumns& node_columns = graph.attributes().nodes();
  const std::vector<PyRef> node_column_names = column_names(node_columns);
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    if (!node.has_position() && node_columns.empty()) {
      nodes.push_back(PyRef::borrow(labels[position].get()));
      continue;
    }
    const GraphStore::Coordinates at = node.has_position() ? graph.coordinates(position) : GraphStore::Coordinates{};
    PyRef attributes = node.has_position() ? PyRef::owned(Py_BuildValue("{s:d,s:d}", "x", at.x, "y", at.y))
                                           : PyRef::owned(PyDict_New());
    put_attribute_values(attributes.get(), node_column_names, node_columns, position);
    nodes.push_back(PyRef::owned(PyTuple_Pack(2, labels[position].get(), attributes.get())));
  }
  PyRef node_list = PyRef::owned(list_of(std::move(nodes)));
  PyRef(PyRef::owned(PyObject_CallMethod(result.get(), "add_nodes_from", "O", node_list.get())));
  node_list = PyRef();

  static const InternedString kWeight("weight"), kDirected("directed");
  const NamedColumns& link_columns = graph.attributes().connections();
  const std::vector<PyRef> link_column_names = column_names(link_columns);
  const GraphAttributes::ListedRows listed =
      link_columns.empty() ? GraphAttributes::ListedRows{} : graph.attributes().listed_connection_rows(graph);
  auto attributes_of = [&](std::size_t link) {
    PyRef attributes = PyRef::owned(PyDict_New());
    set_item(attributes.get(), kWeight.get(), to_python(snapshot.link_weight[link]));
    if (kinds.mixed()) set_item(attributes.get(), kDirected.get(), to_python(snapshot.link_directed[link] != 0));
    if (!link_columns.empty()) {
      put_attribute_values(attributes.get(), link_column_names, link_columns,
                           listed.identity ? link : listed.rows[link]);
    }
    return attributes;
  };
  if (fill_multigraph_adjacency(result.get(), kinds.any_directed, labels, snapshot, attributes_of)) {
    return result.release();
  }
  std::vector<PyRef> edges;
  edges.reserve(snapshot.link_count());
  for (std::size_t link = 0; link < snapshot.link_count(); ++link) {
    PyRef attributes = attributes_of(link);
    edges.push_back(PyRef::owned(PyTuple_Pack(3, labels[snapshot.link_source[link]].get(),
                                              labels[snapshot.link_target[link]].get(), attributes.get())));
  }
  PyRef edge_list = PyRef::owned(list_of(std::move(edges)));
  PyRef(PyRef::owned(PyObject_CallMethod(result.get(), "add_edges_from", "O", edge_list.get())));
  return result.release();
}

// ---- igraph ----------------------------------------------------------------------------

GraphStore graph_from_igraph_graph(PyObject* graph, PyObject* weight, PyObject* label) {
  if (!PyObject_HasAttrString(graph, "vcount") || !PyObject_HasAttrString(graph, "get_edgelist")) {
    raise_argument_type("graph", "expected an igraph.Graph, got '" + type_name(graph) + "'");
  }
  const bool directed = truth_of(PyRef::owned(call_method_no_args(graph, "is_directed")).get());
  const Py_ssize_t count = PyLong_AsSsize_t(PyRef::owned(call_method_no_args(graph, "vcount")).get());
  if (count < 0) throw PythonError{};
  PyRef vertices = PyRef::owned(PyObject_GetAttrString(graph, "vs"));
  PyRef edges = PyRef::owned(PyObject_GetAttrString(graph, "es"));
  // The values of an attribute of every vertex or edge, or nullptr when absent.
  auto values_of = [](PyObject* sequence, PyObject* name) -> PyRef {
    if (name == nullptr) return PyRef();
    PyRef names = PyRef::owned(call_method_no_args(sequence, "attributes"));
    const int present = PySequence_Contains(names.get(), name);
    if (present < 0) throw PythonError{};
    if (present == 0) return PyRef();
    PyRef values = PyRef::owned(PyObject_CallMethod(sequence, "get_attribute_values", "O", name));
    return PyRef::owned(PySequence_Fast(values.get(), "attribute values"));
  };
  static const InternedString kX("x"), kY("y"), kWeight("weight"), kDirected("directed");
  PyRef labels = values_of(vertices.get(), label);
  PyRef xs = values_of(vertices.get(), kX.get());
  PyRef ys = values_of(vertices.get(), kY.get());
  auto at = [](const PyRef& values, Py_ssize_t i) -> PyObject* {
    if (!values || i >= PySequence_Fast_GET_SIZE(values.get())) return nullptr;
    return PySequence_Fast_GET_ITEM(values.get(), i);
  };

  std::vector<std::string> skipped;
  PeerAttributes node_attributes(true, skipped), link_attributes(false, skipped);
  // Every other attribute of the vertices and edges becomes a column.
  auto other_attributes = [](PyObject* sequence, PeerAttributes& into, std::initializer_list<PyObject*> leave_out) {
    PyRef names = PyRef::owned(call_method_no_args(sequence, "attributes"));
    PyRef list = PyRef::owned(PySequence_Fast(names.get(), "attribute names"));
    for (Py_ssize_t k = 0; k < PySequence_Fast_GET_SIZE(list.get()); ++k) {
      PyObject* name = PySequence_Fast_GET_ITEM(list.get(), k);
      bool left_out = false;
      for (PyObject* other : leave_out) {
        left_out = left_out || (other != nullptr && PyUnicode_Check(name) && PyUnicode_Compare(name, other) == 0);
      }
      if (left_out) continue;
      PyRef values = PyRef::owned(PyObject_CallMethod(sequence, "get_attribute_values", "O", name));
      into.add_sequence(name, values.get());
    }
  };
  other_attributes(vertices.get(), node_attributes, {label, kX.get(), kY.get()});
  other_attributes(edges.get(), link_attributes, {weight, kWeight.get(), kDirected.get()});

  PeerGraphBuilder builder("graph");
  for (Py_ssize_t i = 0; i < count; ++i) {
    PyObject* name = at(labels, i);
    std::string text = name != nullptr && name != Py_None ? label_of(name) : integer_text(i);
    builder.add_node(std::move(text), at(xs, i), at(ys, i));
  }

  PyRef edge_list = PyRef::owned(call_method_no_args(graph, "get_edgelist"));
  PyRef pairs = PyRef::owned(PySequence_Fast(edge_list.get(), "edge list"));
  PyRef weights = values_of(edges.get(), weight);
  PyRef flags = directed ? values_of(edges.get(), kDirected.get()) : PyRef();
  const Py_ssize_t edge_count = PySequence_Fast_GET_SIZE(pairs.get());
  for (Py_ssize_t e = 0; e < edge_count; ++e) {
    PyObject* pair = PySequence_Fast_GET_ITEM(pairs.get(), e);
    unsigned long ends[2];
    for (Py_ssize_t k = 0; k < 2; ++k) {
      PyObject* end = PySequence_GetItem(pair, k);
      if (end == nullptr) throw PythonError{};
      ends[k] = PyLong_AsUnsignedLong(end);
      Py_DECREF(end);
      if (PyErr_Occurred()) throw PythonError{};
      if (ends[k] >= builder.node_count())
        raise_argument_value("graph", "an edge names a vertex the graph does not have");
    }
    PyObject* w = at(weights, e);
    const float link_weight =
        w != nullptr && w != Py_None ? static_cast<float>(number_of(w, "graph", "an edge's weight")) : 1.0f;
    PyObject* flag = at(flags, e);
    const bool link_directed = directed && (flag == nullptr || flag == Py_None || truth_of(flag));
    builder.add_link(static_cast<NodeId>(ends[0]), static_cast<NodeId>(ends[1]), link_weight, link_directed);
  }
  GraphStore result = builder.finish(node_attributes.finish(), link_attributes.finish());
  warn_attributes_left_out("Graph.from_igraph()", skipped);
  return result;
}

PyObject* igraph_graph_of(const GraphStore& graph) {
  PyRef igraph = import_peer("igraph", "Graph.to_igraph()", "igraph");
  const CollectorPause pause;
  const std::shared_ptr<const LinkList> kept = current_links(graph, OutsideTargets::Skip);
  const LinkList& snapshot = *kept;
  const LinkKinds kinds = link_kinds(snapshot);

  std::vector<PyRef> pairs;
  pairs.reserve(snapshot.link_count());
  for (std::size_t link = 0; link < snapshot.link_count(); ++link) {
    pairs.push_back(PyRef::owned(Py_BuildValue("(II)", snapshot.link_source[link], snapshot.link_target[link])));
  }
  PyRef edge_list = PyRef::owned(list_of(std::move(pairs)));
  PyRef constructor = PyRef::owned(PyObject_GetAttrString(igraph.get(), "Graph"));
  PyRef no_args = PyRef::owned(PyTuple_New(0));
  PyRef kwargs = PyRef::owned(Py_BuildValue("{s:n,s:O,s:O}", "n", static_cast<Py_ssize_t>(graph.node_count()), "edges",
                                            edge_list.get(), "directed", kinds.any_directed ? Py_True : Py_False));
  PyRef result = PyRef::owned(PyObject_Call(constructor.get(), no_args.get(), kwargs.get()));
  edge_list = PyRef();

  PyRef vertices = PyRef::owned(PyObject_GetAttrString(result.get(), "vs"));
  // Columns first: the labels take 'name' should a column carry that name.
  set_igraph_columns(vertices.get(), graph.attributes().nodes(), graph.node_count(), nullptr);
  set_attribute_values(vertices.get(), "name", list_of(label_objects(graph)));
  bool positioned = false;
  for (const auto& node : graph.nodes()) positioned = positioned || node->has_position();
  if (positioned) {
    std::vector<PyRef> xs, ys;
    for (NodeIndex i = 0; i < graph.node_count(); ++i) {
      const bool placed = graph.node(i).has_position();
      xs.push_back(placed ? PyRef::owned(to_python(graph.coordinates(i).x)) : PyRef::borrow(Py_None));
      ys.push_back(placed ? PyRef::owned(to_python(graph.coordinates(i).y)) : PyRef::borrow(Py_None));
    }
    set_attribute_values(vertices.get(), "x", list_of(std::move(xs)));
    set_attribute_values(vertices.get(), "y", list_of(std::move(ys)));
  }
  PyRef edges = PyRef::owned(PyObject_GetAttrString(result.get(), "es"));
  std::vector<PyRef> weights, flags;
  weights.reserve(snapshot.link_count());
  for (std::size_t link = 0; link < snapshot.link_count(); ++link) {
    weights.push_back(PyRef::owned(to_python(snapshot.link_weight[link])));
    if (kinds.mixed()) flags.push_back(PyRef::owned(to_python(snapshot.link_directed[link] != 0)));
  }
  set_attribute_values(edges.get(), "weight", list_of(std::move(weights)));
  if (kinds.mixed()) set_attribute_values(edges.get(), "directed", list_of(std::move(flags)));
  const NamedColumns& link_columns = graph.attributes().connections();
  if (!link_columns.empty()) {
    const GraphAttributes::ListedRows listed = graph.attributes().listed_connection_rows(graph);
    set_igraph_columns(edges.get(), link_columns, listed.count, listed.identity ? nullptr : &listed.rows);
  }
  return result.release();
}

}  // namespace mivora::py
