#include "graph_py/py_node.hpp"

#include "graph_py/py_graph.hpp"
#include "graph_py/unsendable.hpp"

namespace mivora::py {
namespace {

constexpr Signature kNew{"Node.__new__()", {"label"}, 1};
constexpr Signature kAddConnection =
    Signature{"Node.add_connection()", {"node", "weight", "directed"}, 3}.panicking_on_foreign_thread();

PyObject* node_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return guarded([&]() -> PyObject* {
    const Arguments arguments = match_arguments(kNew, args, kwargs);
    const std::string_view label = to_text(arguments[0], "label");
    return new_object<PyNode>(type, NodeRecord::make(label, nullptr));
  });
}

void node_dealloc(PyObject* self) { destroy_unsendable<PyNode>(self); }

PyObject* node_add_connection(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyNode>(self, kAddConnection, Access::Shared, args, nargs, kwnames,
                             [](PyNode::Data& receiver, const Arguments& arguments) {
                               // Keeps the target alive even if a conversion below drops it.
                               const NodeHandle target = to_node(arguments[0], "node");
                               const float weight = to_f32(arguments[1], "weight");
                               const bool directed = to_optional_bool(arguments[2], "directed");
                               // Appending to a node of a graph appends to that graph, which may be
                               // in use by a call that Python code runs inside.
                               if (const BorrowFlag* graph = graph_borrow_flag(receiver.node->graph_serial)) {
                                 graph->check_append();
                               }
                               receiver.node->add_connection(target, directed, weight);
                               if (GraphStore* graph = live_graph_store(receiver.node->graph_serial)) {
                                 graph->note_change();
                               }
                               return none();
                             });
}

PyObject* node_label(PyObject* self, void*) {
  return guarded([&]() -> PyObject* {
    PyNode::Data& data = receiver<PyNode>(self);
    Borrow borrow(data.borrow, Access::Shared);
    return to_python(std::string_view(data.node->label));
  });
}

PyObject* node_repr(PyObject* self) {
  return guarded([&]() -> PyObject* {
    PyNode::Data& data = receiver<PyNode>(self);
    Borrow borrow(data.borrow, Access::Shared);
    return to_python("Node(\"" + data.node->label.text() + "\")");
  });
}

PyMethodDef kMethods[] = {
    {"add_connection", as_method(node_add_connection), METH_FASTCALL | METH_KEYWORDS,
     "add_connection($self, node, weight, directed)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef kProperties[] = {
    {"label", node_label, nullptr, "", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot kSlots[] = {
    {Py_tp_new, reinterpret_cast<void*>(node_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(node_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(node_repr)},
    {Py_tp_methods, kMethods},
    {Py_tp_getset, kProperties},
    {Py_tp_doc, const_cast<char*>("Node(label)\n--\n\n")},
    {0, nullptr},
};

PyType_Spec kSpec{"mivora.Node", sizeof(PyNode), 0, Py_TPFLAGS_DEFAULT, kSlots};

}  // namespace

PyTypeObject* create_node_type() {
  PyNode::type = reinterpret_cast<PyTypeObject*>(check(PyType_FromSpec(&kSpec)));
  return PyNode::type;
}

PyObject* wrap_node(NodeHandle node) { return new_object<PyNode>(PyNode::type, std::move(node)); }

const NodeHandle& to_node(PyObject* value, const char* name) {
  return checked_data<PyNode>(value, name).node;
}

}  // namespace mivora::py
