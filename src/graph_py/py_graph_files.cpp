#include "graph_py/py_graph.hpp"

namespace mivora::py {

MIVORA_GRAPH_METHOD(graph_output_net_file) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_output_net_file");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_output_json_file) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_output_json_file");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_from_net_file) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_from_net_file");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_from_json_file) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_from_json_file");
  return nullptr;
}

}  // namespace mivora::py
