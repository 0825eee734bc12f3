#pragma once
// Python class Graph: the only owner of one graph store.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "graph_core/graph.hpp"
#include "graph_core/link_queries.hpp"
#include "graph_py/frame.hpp"
#include "measures/graph_views.hpp"

namespace mivora::py {

struct PyGraph {
  PyObject_HEAD struct Data {
    GraphStore graph;
    BorrowFlag borrow{};
    ThreadBinding thread{};
    Constructed constructed{};
    // The measured views of `graph`, kept until it changes (see views_of).
    std::shared_ptr<GraphViews> views{};
    // The str of each node's label, made when first handed out (labels never change).
    std::vector<PyRef> labels{};
  } data;

  static inline PyTypeObject* type = nullptr;
  static constexpr const char* kName = "Graph";
  static constexpr const char* kTypePath = "mivora::graph_py::py_graph::Graph";
};

PyTypeObject* create_graph_type();
// Reports add_node's refused duplicates on sys.stdout, control characters escaped.
void install_duplicate_label_report();
// Lets the core find the live Graph objects: drawings and exports use the
// links kept in the views of the Graph they draw (graph_core's
// current_links), and a walk that reaches a node of another graph reads its
// connections there (connection_target).
void install_graph_lookups();
// The borrow flag of the live Graph object whose store has `serial`, if any
// (a Node appending to its graph's store must respect it).
const BorrowFlag* graph_borrow_flag(std::uint64_t serial);
// The views of the graph as it is now: the kept ones while the graph has not
// changed since they were taken, new ones (then kept) otherwise. The caller
// holds them for its call, so that dropping them meanwhile frees nothing it uses.
std::shared_ptr<GraphViews> views_of(PyGraph::Data& data);
// The label of the node at `position` as a str (new reference), made once and
// kept with the graph with its hash computed, so that results keyed by label
// cost a dict insertion per node.
PyObject* label_object(PyGraph::Data& data, NodeIndex position);
// The graph's kept labels, those of the nodes at `positions` made now where
// they were not yet (in node order, the order the nodes lie in memory); the
// list stays as it is until the graph changes or drop_kept.
const std::vector<PyRef>& labels_made_for(PyGraph::Data& data, std::span<const std::uint32_t> positions);
// Frees the kept views and label strs; the bytes they held, about.
std::size_t drop_kept(PyGraph::Data& data);
// The store of the live Graph object whose store has `serial`, if any.
GraphStore* live_graph_store(std::uint64_t serial);
// A new Graph object owning `graph` (static constructors).
PyObject* wrap_graph(GraphStore&& graph);

// Graph's methods by area: each py_graph_<area>.cpp file defines its methods
// and exports their table here (no end marker); py_graph.cpp joins them.
std::span<const PyMethodDef> graph_analysis_methods();    // py_graph_analysis.cpp
std::span<const PyMethodDef> graph_drawing_methods();     // py_graph_drawing.cpp
std::span<const PyMethodDef> graph_files_methods();       // py_graph_files.cpp (Pajek, JSON)
std::span<const PyMethodDef> graph_formats_methods();     // py_graph_formats.cpp (read/write, every format)
std::span<const PyMethodDef> graph_bridges_methods();     // py_graph_bridges.cpp (arrays, tables, peers)
std::span<const PyMethodDef> graph_attributes_methods();  // py_graph_attributes.cpp (node and link columns)
std::span<const PyMethodDef>
graph_measures_methods();  // py_graph_measures.cpp (components, paths, clustering, cores, trees)
std::span<const PyMethodDef> graph_centrality_methods();  // py_graph_centrality.cpp (centralities, communities)
std::span<const PyMethodDef> graph_derived_methods();     // py_graph_derived.cpp (queries, subgraphs, versions)

// The position of the node labelled `value` (the argument `name`), or KeyError.
std::uint32_t node_named(const GraphStore& graph, PyObject* value, const char* name);
// The rows of the graph's links, taken again only when the graph has changed.
const LinkRows& link_rows(PyGraph::Data& data);

// Adds mivora.FormatError (py_graph_formats.cpp) to the module.
void add_format_error(PyObject* module);

}  // namespace mivora::py
