#pragma once
// Conversions between a graph and the graph objects of networkx, igraph and
// SciPy, each peer imported only when a conversion asks for it.
#include <cstddef>

#include "graph_core/graph.hpp"
#include "graph_py/frame.hpp"

namespace mivora::py {

// Imports `module`, or raises ImportError naming the method that needs it
// and the package to install.
PyRef import_peer(const char* module, const char* method, const char* package);

// scipy.sparse.csr_array((weights, indices, indptr), shape=(n, n)) over the
// three arrays of `csr` (a tuple as Graph.to_csr() returns it).
PyObject* scipy_csr(PyObject* sparse_module, PyObject* csr, std::size_t n);

// `weight`: the name of the edge attribute holding weights, or nullptr for
// none; `label` likewise for igraph's vertex labels.
GraphStore graph_from_networkx_graph(PyObject* graph, PyObject* weight);
PyObject* networkx_graph_of(const GraphStore& graph);
GraphStore graph_from_igraph_graph(PyObject* graph, PyObject* weight, PyObject* label);
PyObject* igraph_graph_of(const GraphStore& graph);

}  // namespace mivora::py
