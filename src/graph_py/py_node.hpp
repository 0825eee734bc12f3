#pragma once
// Python class Node: one node of the graph store, shared with its graph.

#include "graph_core/node.hpp"
#include "graph_py/frame.hpp"

namespace mivora::py {

struct PyNode {
  PyObject_HEAD struct Data {
    NodeHandle node;
    BorrowFlag borrow{};
    ThreadBinding thread{};
    Constructed constructed{};
  } data;

  static inline PyTypeObject* type = nullptr;
  static constexpr const char* kName = "Node";
  static constexpr const char* kTypePath = "mivora::graph_py::py_node::Node";
};

PyTypeObject* create_node_type();
PyObject* wrap_node(NodeHandle node);
// Converter for arguments declared as Node.
const NodeHandle& to_node(PyObject* value, const char* name);

}  // namespace mivora::py
