#include "graph_py/py_graph.hpp"

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "graph_core/unknown_label.hpp"
#include "graph_py/py_node.hpp"
#include "graph_py/unsendable.hpp"
#include "text_io/shown_text.hpp"

namespace mivora::py {
namespace {

constexpr Signature kNew{"Graph.__new__()", {}, 0};
constexpr Signature kAddNode = Signature{"Graph.add_node()", {"label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kCreateConnection =
    Signature{"Graph.create_connection()", {"from_label", "to_label", "weight", "directed"}, 2}
        .panicking_on_foreign_thread();
constexpr Signature kNodeByLabel = Signature{"Graph.node_by_label()", {"node_label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kGetConnections = Signature{"Graph.get_connections()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetTotalWeight = Signature{"Graph.get_total_weight()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetMeanWeight = Signature{"Graph.get_mean_weight()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetNodeCount = Signature{"Graph.get_node_count()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetEdgeCount = Signature{"Graph.get_edge_count()", {}, 0}.panicking_on_foreign_thread();

// Live Graph objects by their store's serial (see graph_borrow_flag).
std::unordered_map<std::uint64_t, PyGraph::Data*>& live_graphs() {
  static auto* graphs = new std::unordered_map<std::uint64_t, PyGraph::Data*>();
  return *graphs;
}

PyObject* new_graph_object(PyTypeObject* type, GraphStore&& graph) {
  PyObject* self = new_object<PyGraph>(type, std::move(graph));
  PyGraph::Data& data = reinterpret_cast<PyGraph*>(self)->data;
  try {
    live_graphs().emplace(data.graph.serial(), &data);
  } catch (...) {
    Py_DECREF(self);
    throw;
  }
  return self;
}

PyObject* graph_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyObject* {
    match_arguments(kNew, args, kwargs);
    return new_graph_object(type, GraphStore());
  });
}

void graph_dealloc(PyObject* self) {
  const PyGraph::Data& data = reinterpret_cast<PyGraph*>(self)->data;
  if (data.constructed.is_set()) live_graphs().erase(data.graph.serial());
  destroy_unsendable<PyGraph>(self);
}

// The label as shown_text shows file content: escaped and cut short.
PyObject* escaped_label(std::string_view label) {
  const std::string text = shown_text(label);
  return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "strict");
}

// Runs inside add_node once the refusal is settled; writing cannot fail the call.
void report_duplicate_label(std::string_view label) {
  PyObject* saved = take_raised_exception();
  if (PyObject* text = escaped_label(label)) {
    PySys_FormatStdout("Node with label '%U' already exists!\n", text);
    Py_DECREF(text);
  } else {
    PyErr_Clear();
  }
  restore_raised_exception(saved);
}

PyObject* add_node(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kAddNode, Access::Append, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "label");
                                const NodeIndex position = data.graph.add_node(label);
                                return wrap_node(data.graph.nodes()[position]);
                              });
}

PyObject* create_connection(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kCreateConnection, Access::Append, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view from = to_text(arguments[0], "from_label");
                                const std::string_view to = to_text(arguments[1], "to_label");
                                const float weight = arguments[2] ? to_f32(arguments[2], "weight") : 0.0f;
                                const bool directed = to_optional_bool(arguments[3], "directed");
                                data.graph.create_connection(from, to, directed, weight);
                                return none();
                              });
}

PyObject* node_by_label(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kNodeByLabel, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "node_label");
                                const auto position = data.graph.find_by_label(label);
                                if (!position) fail(kUnwrapNone);
                                return wrap_node(data.graph.nodes()[*position]);
                              });
}

// One dict per stored connection, keys in the order from, to, weight, directed.
// The dicts are made while the caller holds the graph as a reader, so no
// append can move the lists walked here; they are collected before the list
// that holds them exists.
PyObject* connection_dicts(const GraphStore& graph) {
  static const InternedString kFrom("from"), kTo("to"), kWeight("weight"), kDirected("directed");
  std::vector<PyRef> dicts;
  dicts.reserve(graph.get_edge_count());
  // Each label becomes one str, shared by every dict that names it.
  std::vector<PyRef> labels(graph.node_count());
  auto label_of = [&](NodeIndex position) {
    if (!labels[position]) labels[position] = PyRef::steal(to_python(std::string_view(graph.node(position).label)));
    return Py_NewRef(labels[position].get());
  };
  graph.for_each_connection(
      [&](NodeIndex from, const NodeRecord&, const StoredConnection& connection, const NodeRecord* target) {
        PyRef dict = PyRef::owned(PyDict_New());
        set_item(dict.get(), kFrom.get(), label_of(from));
        set_item(dict.get(), kTo.get(),
                 connection.is_local()
                     ? label_of(connection.target)
                     : to_python(target ? std::string_view(target->label) : std::string_view(kRemovedLabel)));
        set_item(dict.get(), kWeight.get(), to_python(connection.weight));
        set_item(dict.get(), kDirected.get(), to_python(connection.directed != 0));
        dicts.push_back(std::move(dict));
      });
  return list_of(std::move(dicts));
}

PyObject* get_connections(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetConnections, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return connection_dicts(data.graph); });
}

PyObject* get_total_weight(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kGetTotalWeight, Access::Shared, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.get_total_weight()); });
}

PyObject* get_mean_weight(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kGetMeanWeight, Access::Shared, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.get_mean_weight()); });
}

PyObject* get_node_count(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetNodeCount, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.node_count()); });
}

PyObject* get_edge_count(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kGetEdgeCount, Access::Shared, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.get_edge_count()); });
}

PyObject* nodes(PyObject* self, void*) {
  return guarded([&]() -> PyObject* {
    PyGraph::Data& data = receiver<PyGraph>(self);
    Borrow borrow(data.borrow, Access::Shared);
    // Held as a reader: no node is added while the Node objects are made.
    const auto& nodes = data.graph.nodes();
    std::vector<PyRef> items;
    items.reserve(nodes.size());
    for (const auto& node : nodes) items.push_back(PyRef::steal(wrap_node(node)));
    return list_of(std::move(items));
  });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"add_node", as_method(add_node), kMethod, "add_node($self, label)\n--\n\n"},
    {"create_connection", as_method(create_connection), kMethod,
     "create_connection($self, from_label, to_label, weight=0., directed=False)\n--\n\n"},
    {"node_by_label", as_method(node_by_label), kMethod, "node_by_label($self, node_label)\n--\n\n"},
    {"get_connections", as_method(get_connections), kMethod, "get_connections($self)\n--\n\n"},
    {"get_total_weight", as_method(get_total_weight), kMethod, "get_total_weight($self)\n--\n\n"},
    {"get_mean_weight", as_method(get_mean_weight), kMethod, "get_mean_weight($self)\n--\n\n"},
    {"get_node_count", as_method(get_node_count), kMethod, "get_node_count($self)\n--\n\n"},
    {"get_edge_count", as_method(get_edge_count), kMethod, "get_edge_count($self)\n--\n\n"},
};

// Every area's table, then the end marker the type needs; built once, when
// the type is created, and kept for the life of the process.
PyMethodDef* all_methods() {
  static std::vector<PyMethodDef> methods = [] {
    std::vector<PyMethodDef> all(std::begin(kMethods), std::end(kMethods));
    for (auto area : {graph_analysis_methods, graph_drawing_methods, graph_files_methods, graph_formats_methods,
                      graph_bridges_methods, graph_attributes_methods, graph_measures_methods, graph_centrality_methods,
                      graph_derived_methods}) {
      const std::span<const PyMethodDef> methods = area();
      all.insert(all.end(), methods.begin(), methods.end());
    }
    all.push_back({nullptr, nullptr, 0, nullptr});
    return all;
  }();
  return methods.data();
}

PyGetSetDef kProperties[] = {
    {"nodes", nodes, nullptr, "", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot kSlots[] = {
    {Py_tp_new, reinterpret_cast<void*>(graph_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(graph_dealloc)},
    {Py_tp_methods, nullptr},  // set by create_graph_type
    {Py_tp_getset, kProperties},
    {Py_tp_doc, const_cast<char*>("Graph()\n--\n\n")},
    {0, nullptr},
};

PyType_Spec kSpec{"mivora.Graph", sizeof(PyGraph), 0, Py_TPFLAGS_DEFAULT, kSlots};

}  // namespace

PyTypeObject* create_graph_type() {
  kSlots[2].pfunc = all_methods();
  PyGraph::type = reinterpret_cast<PyTypeObject*>(check(PyType_FromSpec(&kSpec)));
  return PyGraph::type;
}

PyObject* wrap_graph(GraphStore&& graph) { return new_graph_object(PyGraph::type, std::move(graph)); }

std::uint32_t node_named(const GraphStore& graph, PyObject* value, const char* name) {
  const std::string_view label = to_text(value, name);
  const auto position = graph.find_by_label(label);
  if (!position) throw UnknownLabel(std::string(label));
  return static_cast<NodeId>(*position);
}

const LinkRows& link_rows(PyGraph::Data& data) { return views_of(data)->link_rows(); }

void install_duplicate_label_report() { set_duplicate_label_report(report_duplicate_label); }

namespace {

// The views' link list of the live Graph object that owns `graph`, taken
// now when needed; drawings below the binding reuse it as measures do.
std::shared_ptr<const LinkList> kept_links_of(const GraphStore& graph) {
  const auto found = live_graphs().find(graph.serial());
  if (found == live_graphs().end() || &found->second->graph != &graph) return nullptr;
  std::shared_ptr<GraphViews> views = views_of(*found->second);
  const LinkList& links = views->links();
  return {std::move(views), &links};
}

}  // namespace

void install_graph_lookups() {
  set_kept_links_lookup(kept_links_of);
  set_graph_lookup([](std::uint64_t serial) -> const GraphStore* { return live_graph_store(serial); });
}

const BorrowFlag* graph_borrow_flag(std::uint64_t serial) {
  const auto found = live_graphs().find(serial);
  return found == live_graphs().end() ? nullptr : &found->second->borrow;
}

GraphStore* live_graph_store(std::uint64_t serial) {
  const auto found = live_graphs().find(serial);
  return found == live_graphs().end() ? nullptr : &found->second->graph;
}

PyObject* label_object(PyGraph::Data& data, NodeIndex position) {
  std::vector<PyRef>& labels = data.labels;
  if (position < labels.size() && labels[position]) return Py_NewRef(labels[position].get());
  // Made before the list is touched: making it may run Python code that hands labels out too.
  PyRef made = PyRef::owned(to_python(std::string_view(data.graph.node(position).label)));
  if (PyObject_Hash(made.get()) == -1) throw PythonError{};
  if (labels.size() < data.graph.node_count()) labels.resize(data.graph.node_count());
  if (!labels[position]) labels[position] = std::move(made);
  return Py_NewRef(labels[position].get());
}

const std::vector<PyRef>& labels_made_for(PyGraph::Data& data, std::span<const std::uint32_t> positions) {
  std::vector<std::uint8_t> wanted(data.graph.node_count(), 0);
  for (const std::uint32_t position : positions) wanted[position] = 1;
  for (NodeIndex position = 0; position < wanted.size(); ++position) {
    if (wanted[position] && (position >= data.labels.size() || !data.labels[position]))
      Py_DECREF(label_object(data, position));
  }
  return data.labels;
}

std::size_t drop_kept(PyGraph::Data& data) {
  std::size_t bytes = data.views ? data.views->memory_bytes() : 0;
  bytes += data.labels.capacity() * sizeof(PyRef);
  for (const PyRef& label : data.labels) {
    if (label) bytes += static_cast<std::size_t>(PyUnicode_GET_LENGTH(label.get())) + sizeof(PyASCIIObject) + 1;
  }
  data.views.reset();
  std::vector<PyRef>().swap(data.labels);
  return bytes;
}

std::shared_ptr<GraphViews> views_of(PyGraph::Data& data) {
  if (!data.views || !data.views->pictures(data.graph)) {
    data.views.reset();  // the old views go first: both at once would double the peak
    data.views = std::make_shared<GraphViews>(data.graph);
  }
  return data.views;
}

}  // namespace mivora::py
