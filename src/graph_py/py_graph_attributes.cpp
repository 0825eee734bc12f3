// Graph methods for attribute columns: values per node and per link.
#include "docstrings.hpp"
#include "graph_py/arrow_tables.hpp"
#include "graph_py/attribute_values.hpp"
#include "graph_py/py_graph.hpp"

namespace mivora::py {
namespace {

constexpr Signature kSetNodeAttribute{"Graph.set_node_attribute()", {"name", "values"}, 2};
constexpr Signature kNodeAttribute{"Graph.node_attribute()", {"name"}, 1};
constexpr Signature kNodeAttributeNames{"Graph.node_attribute_names()", {}, 0};
constexpr Signature kRemoveNodeAttribute{"Graph.remove_node_attribute()", {"name"}, 1};
constexpr Signature kSetEdgeAttribute{"Graph.set_edge_attribute()", {"name", "values"}, 2};
constexpr Signature kEdgeAttribute{"Graph.edge_attribute()", {"name"}, 1};
constexpr Signature kEdgeAttributeNames{"Graph.edge_attribute_names()", {}, 0};
constexpr Signature kRemoveEdgeAttribute{"Graph.remove_edge_attribute()", {"name"}, 1};
constexpr Signature kNodeTable{"Graph.node_table()", {}, 0};
constexpr Signature kEdgeTable{"Graph.edge_table()", {}, 0};

[[noreturn]] void raise_no_attribute(const char* kind, std::string_view name) {
  PyErr_Format(PyExc_KeyError, "no %s attribute named '%s'", kind, std::string(name).c_str());
  throw PythonError{};
}

PyObject* names_of(const NamedColumns& columns) {
  std::vector<PyRef> names;
  for (const NamedColumns::Entry& entry : columns.entries()) names.push_back(PyRef::owned(to_python(entry.name)));
  return list_of(std::move(names));
}

// ---- nodes -------------------------------------------------------------------------------

PyObject* set_node_attribute(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kSetNodeAttribute, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string name(to_text(arguments[0], "name"));
                                check_attribute_name(name, true, "name");
                                GraphStore& graph = data.graph;
                                AttributeColumn column =
                                    PyDict_Check(arguments[1])
                                        ? read_node_attribute_dict(arguments[1], name, graph)
                                        : read_attribute_column(arguments[1], name, graph.node_count(), "nodes");
                                graph.attributes().nodes().put(name, std::move(column));
                                return none();
                              });
}

PyObject* node_attribute(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kNodeAttribute, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view name = to_text(arguments[0], "name");
                                AttributeColumn* column = data.graph.attributes().nodes().find(name);
                                if (column == nullptr) raise_no_attribute("node", name);
                                const std::size_t count = data.graph.node_count();
                                column->extend(count);  // so that the values can be handed out as they are
                                return attribute_column_to_python(*column, count, nullptr);
                              });
}

PyObject* node_attribute_names(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kNodeAttributeNames, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return names_of(data.graph.attributes().nodes());
                              });
}

PyObject* remove_node_attribute(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kRemoveNodeAttribute, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view name = to_text(arguments[0], "name");
                                if (!data.graph.attributes().nodes().remove(name)) raise_no_attribute("node", name);
                                return none();
                              });
}

// ---- links ---------------------------------------------------------------------------------

PyObject* set_edge_attribute(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kSetEdgeAttribute, Access::Exclusive, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments& arguments) {
        const std::string name(to_text(arguments[0], "name"));
        check_attribute_name(name, false, "name");
        GraphStore& graph = data.graph;
        GraphAttributes& attributes = graph.attributes();
        if (!attributes.connection_rows().aligned(graph)) attributes.align(graph);
        const GraphAttributes::ListedRows listed = attributes.listed_connection_rows(graph);
        AttributeColumn column = read_attribute_column(arguments[1], name, listed.count, "links");
        if (listed.identity) {
          attributes.connections().put(name, std::move(column));
        } else {
          AttributeColumn placed(column.type());
          place_rows(column, listed.rows, placed);
          attributes.connections().put(name, std::move(placed));
        }
        return none();
      });
}

PyObject* edge_attribute(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kEdgeAttribute, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view name = to_text(arguments[0], "name");
                                GraphStore& graph = data.graph;
                                GraphAttributes& attributes = graph.attributes();
                                if (attributes.connections().find(name) == nullptr) raise_no_attribute("edge", name);
                                if (!attributes.connection_rows().aligned(graph)) attributes.align(graph);
                                const GraphAttributes::ListedRows listed = attributes.listed_connection_rows(graph);
                                AttributeColumn& column = *attributes.connections().find(name);
                                if (listed.identity) column.extend(listed.count);
                                return attribute_column_to_python(column, listed.count,
                                                                  listed.identity ? nullptr : &listed.rows);
                              });
}

PyObject* edge_attribute_names(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kEdgeAttributeNames, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return names_of(data.graph.attributes().connections());
                              });
}

PyObject* remove_edge_attribute(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kRemoveEdgeAttribute, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view name = to_text(arguments[0], "name");
                                if (!data.graph.attributes().connections().remove(name)) {
                                  raise_no_attribute("edge", name);
                                }
                                return none();
                              });
}

// ---- tables -------------------------------------------------------------------------------

PyObject* node_table(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kNodeTable, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return wrap_arrow_table(node_table_data(data.graph));
                              });
}

PyObject* edge_table(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kEdgeTable, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return wrap_arrow_table(edge_table_data(data.graph));
                              });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"set_node_attribute", as_method(set_node_attribute), kMethod,
     "set_node_attribute($self, name, values)\n--\n\n" MIVORA_DOC_Graph_set_node_attribute},
    {"node_attribute", as_method(node_attribute), kMethod,
     "node_attribute($self, name)\n--\n\n" MIVORA_DOC_Graph_node_attribute},
    {"node_attribute_names", as_method(node_attribute_names), kMethod,
     "node_attribute_names($self)\n--\n\n" MIVORA_DOC_Graph_node_attribute_names},
    {"remove_node_attribute", as_method(remove_node_attribute), kMethod,
     "remove_node_attribute($self, name)\n--\n\n" MIVORA_DOC_Graph_remove_node_attribute},
    {"set_edge_attribute", as_method(set_edge_attribute), kMethod,
     "set_edge_attribute($self, name, values)\n--\n\n" MIVORA_DOC_Graph_set_edge_attribute},
    {"edge_attribute", as_method(edge_attribute), kMethod,
     "edge_attribute($self, name)\n--\n\n" MIVORA_DOC_Graph_edge_attribute},
    {"edge_attribute_names", as_method(edge_attribute_names), kMethod,
     "edge_attribute_names($self)\n--\n\n" MIVORA_DOC_Graph_edge_attribute_names},
    {"remove_edge_attribute", as_method(remove_edge_attribute), kMethod,
     "remove_edge_attribute($self, name)\n--\n\n" MIVORA_DOC_Graph_remove_edge_attribute},
    {"node_table", as_method(node_table), kMethod, "node_table($self)\n--\n\n" MIVORA_DOC_Graph_node_table},
    {"edge_table", as_method(edge_table), kMethod, "edge_table($self)\n--\n\n" MIVORA_DOC_Graph_edge_table},
};

}  // namespace

std::span<const PyMethodDef> graph_attributes_methods() { return kMethods; }

}  // namespace mivora::py
