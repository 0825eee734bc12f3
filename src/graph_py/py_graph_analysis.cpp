#include "graph_py/py_graph.hpp"

namespace mivora::py {

MIVORA_GRAPH_METHOD(graph_generate_adjacency_matrix) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_generate_adjacency_matrix");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_density) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_density");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_compute_degrees) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_compute_degrees");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_centrality_degrees) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_centrality_degrees");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_node_strength) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_node_strength");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_all_nodes_degrees) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_all_nodes_degrees");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_average_degree) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_average_degree");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_degree_distribution) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_degree_distribution");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_compute_entropy) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_compute_entropy");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_max_possible_entropy) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_max_possible_entropy");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_get_skewness) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_get_skewness");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_dfs) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_dfs");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_bfs) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_bfs");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_dijkstra) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_dijkstra");
  return nullptr;
}

MIVORA_GRAPH_METHOD(graph_from_adjacency_matrix) {
  (void)self; (void)args; (void)nargs; (void)kwnames;
  PyErr_SetString(PyExc_NotImplementedError, "graph_from_adjacency_matrix");
  return nullptr;
}

}  // namespace mivora::py
