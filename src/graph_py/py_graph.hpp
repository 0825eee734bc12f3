#pragma once
// Python class Graph: the only owner of one graph store.
#include "graph_core/graph.hpp"
#include "graph_py/frame.hpp"

namespace mivora::py {

struct PyGraph {
  PyObject_HEAD
  struct Data {
    _Graph graph;
    BorrowFlag borrow{};
    ThreadBinding thread{};
  } data;

  static inline PyTypeObject* type = nullptr;
  static constexpr const char* kName = "Graph";
  static constexpr const char* kTypePath = "mivora::graph_py::py_graph::Graph";
};

PyTypeObject* create_graph_type();
// A new Graph object owning `graph` (static constructors).
PyObject* wrap_graph(_Graph&& graph);

// Methods of Graph, by area; each area lives in its own py_graph_*.cpp file.
#define MIVORA_GRAPH_METHOD(name) PyObject* name(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)

// py_graph_analysis.cpp
MIVORA_GRAPH_METHOD(graph_generate_adjacency_matrix);
MIVORA_GRAPH_METHOD(graph_get_density);
MIVORA_GRAPH_METHOD(graph_compute_degrees);
MIVORA_GRAPH_METHOD(graph_get_centrality_degrees);
MIVORA_GRAPH_METHOD(graph_get_node_strength);
MIVORA_GRAPH_METHOD(graph_get_all_nodes_degrees);
MIVORA_GRAPH_METHOD(graph_get_average_degree);
MIVORA_GRAPH_METHOD(graph_get_degree_distribution);
MIVORA_GRAPH_METHOD(graph_compute_entropy);
MIVORA_GRAPH_METHOD(graph_get_max_possible_entropy);
MIVORA_GRAPH_METHOD(graph_get_skewness);
MIVORA_GRAPH_METHOD(graph_dfs);
MIVORA_GRAPH_METHOD(graph_bfs);
MIVORA_GRAPH_METHOD(graph_dijkstra);
MIVORA_GRAPH_METHOD(graph_from_adjacency_matrix);  // static

// py_graph_drawing.cpp
MIVORA_GRAPH_METHOD(graph_output_svg);
MIVORA_GRAPH_METHOD(graph_output_html);

// py_graph_files.cpp
MIVORA_GRAPH_METHOD(graph_output_net_file);
MIVORA_GRAPH_METHOD(graph_output_json_file);
MIVORA_GRAPH_METHOD(graph_from_net_file);   // static
MIVORA_GRAPH_METHOD(graph_from_json_file);  // static

}  // namespace mivora::py
