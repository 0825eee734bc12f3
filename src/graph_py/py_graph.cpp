#include "graph_py/py_graph.hpp"

#include <vector>

#include "graph_py/py_node.hpp"
#include "graph_py/unsendable.hpp"

namespace mivora::py {
namespace {

constexpr Signature kNew{"Graph.__new__()", {}, 0};
constexpr Signature kAddNode{"Graph.add_node()", {"label"}, 1};
constexpr Signature kCreateConnection{"Graph.create_connection()",
                                      {"from_label", "to_label", "weight", "directed"}, 2};
constexpr Signature kNodeByLabel{"Graph.node_by_label()", {"node_label"}, 1};
constexpr Signature kGetConnections{"Graph.get_connections()", {}, 0};
constexpr Signature kGetTotalWeight{"Graph.get_total_weight()", {}, 0};
constexpr Signature kGetMeanWeight{"Graph.get_mean_weight()", {}, 0};
constexpr Signature kGetNodeCount{"Graph.get_node_count()", {}, 0};
constexpr Signature kGetEdgeCount{"Graph.get_edge_count()", {}, 0};

PyObject* graph_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyObject* {
    match_arguments(kNew, args, kwargs);
    return new_object<PyGraph>(type);
  });
}

void graph_dealloc(PyObject* self) { destroy_unsendable<PyGraph>(self); }

PyObject* add_node(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kAddNode, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "label");
                                const NodeIndex position = data.graph.add_node(label);
                                return wrap_node(data.graph.nodes()[position]);
                              });
}

PyObject* create_connection(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kCreateConnection, Access::Shared, args, nargs, kwnames,
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
PyObject* connection_dicts(const _Graph& graph) {
  static const InternedString kFrom("from"), kTo("to"), kWeight("weight"), kDirected("directed");
  PyRef list = PyRef::owned(PyList_New(static_cast<Py_ssize_t>(graph.get_edge_count())));
  // Each label becomes one str, shared by every dict that names it.
  std::vector<PyRef> labels(graph.node_count());
  auto label_of = [&](NodeIndex position) {
    if (!labels[position]) labels[position] = PyRef::steal(to_python(std::string_view(graph.node(position).label)));
    return Py_NewRef(labels[position].get());
  };
  Py_ssize_t next = 0;
  graph.for_each_connection([&](NodeIndex from, const _Node&, const StoredConnection& connection,
                                const _Node* target) {
    PyRef dict = PyRef::owned(PyDict_New());
    set_item(dict.get(), kFrom.get(), label_of(from));
    set_item(dict.get(), kTo.get(),
             connection.is_local() ? label_of(connection.local_target)
                                   : to_python(target ? std::string_view(target->label)
                                                      : std::string_view(kRemovedLabel)));
    set_item(dict.get(), kWeight.get(), to_python(connection.weight));
    set_item(dict.get(), kDirected.get(), to_python(connection.directed != 0));
    PyList_SET_ITEM(list.get(), next++, dict.release());
  });
  return list.release();
}

PyObject* get_connections(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetConnections, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return connection_dicts(data.graph); });
}

PyObject* get_total_weight(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetTotalWeight, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.get_total_weight()); });
}

PyObject* get_mean_weight(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetMeanWeight, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.get_mean_weight()); });
}

PyObject* get_node_count(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetNodeCount, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.node_count()); });
}

PyObject* get_edge_count(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetEdgeCount, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return to_python(data.graph.get_edge_count()); });
}

PyObject* nodes(PyObject* self, void*) {
  return guarded([&]() -> PyObject* {
    PyGraph::Data& data = receiver<PyGraph>(self);
    Borrow borrow(data.borrow, Access::Shared);
    const auto& nodes = data.graph.nodes();
    PyRef list = PyRef::owned(PyList_New(static_cast<Py_ssize_t>(nodes.size())));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), wrap_node(nodes[i]));
    }
    return list.release();
  });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;
constexpr int kStatic = METH_FASTCALL | METH_KEYWORDS | METH_STATIC;

PyMethodDef kMethods[] = {
    {"add_node", as_method(add_node), kMethod, "add_node($self, label)\n--\n\n"},
    {"create_connection", as_method(create_connection), kMethod,
     "create_connection($self, from_label, to_label, weight=0., directed=False)\n--\n\n"},
    {"node_by_label", as_method(node_by_label), kMethod, "node_by_label($self, node_label)\n--\n\n"},
    {"get_connections", as_method(get_connections), kMethod, "get_connections($self)\n--\n\n"},
    {"generate_adjacency_matrix", as_method(graph_generate_adjacency_matrix), kMethod,
     "generate_adjacency_matrix($self)\n--\n\n"},
    {"get_total_weight", as_method(get_total_weight), kMethod, "get_total_weight($self)\n--\n\n"},
    {"get_mean_weight", as_method(get_mean_weight), kMethod, "get_mean_weight($self)\n--\n\n"},
    {"get_node_count", as_method(get_node_count), kMethod, "get_node_count($self)\n--\n\n"},
    {"get_edge_count", as_method(get_edge_count), kMethod, "get_edge_count($self)\n--\n\n"},
    {"get_density", as_method(graph_get_density), kMethod, "get_density($self, directed)\n--\n\n"},
    {"compute_degrees", as_method(graph_compute_degrees), kMethod, "compute_degrees($self, node_label)\n--\n\n"},
    {"get_centrality_degrees", as_method(graph_get_centrality_degrees), kMethod,
     "get_centrality_degrees($self, node_label)\n--\n\n"},
    {"get_node_strength", as_method(graph_get_node_strength), kMethod,
     "get_node_strength($self, node_label)\n--\n\n"},
    {"get_all_nodes_degrees", as_method(graph_get_all_nodes_degrees), kMethod,
     "get_all_nodes_degrees($self)\n--\n\n"},
    {"get_average_degree", as_method(graph_get_average_degree), kMethod,
     "get_average_degree($self, directed=False)\n--\n\n"},
    {"get_degree_distribution", as_method(graph_get_degree_distribution), kMethod,
     "get_degree_distribution($self)\n--\n\n"},
    {"compute_entropy", as_method(graph_compute_entropy), kMethod, "compute_entropy($self)\n--\n\n"},
    {"get_max_possible_entropy", as_method(graph_get_max_possible_entropy), kMethod,
     "get_max_possible_entropy($self)\n--\n\n"},
    {"get_skewness", as_method(graph_get_skewness), kMethod, "get_skewness($self)\n--\n\n"},
    {"dfs", as_method(graph_dfs), kMethod, "dfs($self, start_node_label)\n--\n\n"},
    {"bfs", as_method(graph_bfs), kMethod, "bfs($self, start_node_label)\n--\n\n"},
    {"dijkstra", as_method(graph_dijkstra), kMethod, "dijkstra($self, start_node_label)\n--\n\n"},
    {"output_svg", as_method(graph_output_svg), kMethod,
     "output_svg($self, layout=..., override_positions=False, style=None)\n--\n\n"},
    {"output_html", as_method(graph_output_html), kMethod,
     "output_html($self, file_name, layout=..., override_positions=False, style=None)\n--\n\n"},
    {"output_net_file", as_method(graph_output_net_file), kMethod, "output_net_file($self, file_name)\n--\n\n"},
    {"output_json_file", as_method(graph_output_json_file), kMethod, "output_json_file($self, file_name)\n--\n\n"},
    {"from_adjacency_matrix", as_method(graph_from_adjacency_matrix), kStatic,
     "from_adjacency_matrix(adj_matrix, directed=False, custom_labels=None)\n--\n\n"},
    {"from_net_file", as_method(graph_from_net_file), kStatic, "from_net_file(file_path)\n--\n\n"},
    {"from_json_file", as_method(graph_from_json_file), kStatic, "from_json_file(file_path)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef kProperties[] = {
    {"nodes", nodes, nullptr, "", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot kSlots[] = {
    {Py_tp_new, reinterpret_cast<void*>(graph_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(graph_dealloc)},
    {Py_tp_methods, kMethods},
    {Py_tp_getset, kProperties},
    {Py_tp_doc, const_cast<char*>("Graph()\n--\n\n")},
    {0, nullptr},
};

PyType_Spec kSpec{"mivora.Graph", sizeof(PyGraph), 0, Py_TPFLAGS_DEFAULT, kSlots};

}  // namespace

PyTypeObject* create_graph_type() {
  PyGraph::type = reinterpret_cast<PyTypeObject*>(check(PyType_FromSpec(&kSpec)));
  return PyGraph::type;
}

PyObject* wrap_graph(_Graph&& graph) { return new_object<PyGraph>(PyGraph::type, std::move(graph)); }

}  // namespace mivora::py
