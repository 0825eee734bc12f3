#include "graph_py/py_graph.hpp"

namespace mivora::py {

MIVORA_GRAPH_METHOD(graph_output_svg) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_output_svg");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_output_html) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_output_html");
  return nullptr;
}

}  // namespace mivora::py
