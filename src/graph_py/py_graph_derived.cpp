// Graph methods for everyday questions (neighbours, links between two
// nodes, degree arrays, labels by position) and for derived graphs
// (subgraphs, the largest component, the k-core, copies and other
// versions), which are new Graph objects: a graph never loses anything.
#include <string>
#include <vector>

#include "graph_core/link_queries.hpp"
#include "graph_core/snapshot.hpp"
#include "graph_py/column_reader.hpp"
#include "graph_py/exported_array.hpp"
#include "graph_py/py_graph.hpp"
#include "measures/derived_graphs.hpp"

namespace mivora::py {
namespace {

constexpr Signature kLabels{"Graph.labels()", {}, 0};
constexpr Signature kIndexOf{"Graph.index_of()", {"label"}, 1};
constexpr Signature kNeighbors{"Graph.neighbors()", {"label", "mode"}, 1};
constexpr Signature kHasEdge{"Graph.has_edge()", {"source", "target", "directed"}, 2};
constexpr Signature kNumberOfEdges{"Graph.number_of_edges()", {"source", "target", "directed"}, 2};
constexpr Signature kDegreeArray{"Graph.degree_array()", {"mode", "weighted"}, 0};
constexpr Signature kSubgraph{"Graph.subgraph()", {"labels"}, 1};
constexpr Signature kEdgeSubgraph{"Graph.edge_subgraph()", {"mask", "keep_all_nodes"}, 1};
constexpr Signature kLargestComponent{"Graph.largest_component()", {"strong"}, 0};
constexpr Signature kKCore{"Graph.k_core()", {"k"}, 0};
constexpr Signature kCopy{"Graph.copy()", {}, 0};
constexpr Signature kToUndirected{"Graph.to_undirected()", {"parallel"}, 0};
constexpr Signature kReverse{"Graph.reverse()", {}, 0};

LinkList current_links(const GraphStore& graph) { return take_link_list(graph, OutsideTargets::Skip); }

// ---- questions ----------------------------------------------------------------------

LinkDirection direction_argument(PyObject* value) {
  if (value == nullptr) return LinkDirection::All;
  const std::string_view mode = to_text(value, "mode");
  if (mode == "out") return LinkDirection::Out;
  if (mode == "in") return LinkDirection::In;
  if (mode == "all") return LinkDirection::All;
  raise_argument_value("mode", "expected 'out', 'in' or 'all', got '" + std::string(mode) + "'");
}

PyObject* graph_labels(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kLabels, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments&) {
        const GraphStore& graph = data.graph;
        std::vector<PyRef> labels(graph.node_count());
        for (NodeIndex position = 0; position < graph.node_count(); ++position) {
          labels[position] = PyRef::owned(to_python(std::string_view(graph.node(position).label)));
        }
        return list_of(std::move(labels));
      });
}

PyObject* graph_index_of(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kIndexOf, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                return to_python(std::size_t{node_named(data.graph, arguments[0], "label")});
                              });
}

PyObject* graph_neighbors(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kNeighbors, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const std::uint32_t node = node_named(data.graph, arguments[0], "label");
        const LinkDirection direction = direction_argument(arguments[1]);
        const std::vector<std::uint32_t> found = neighbours_of(link_rows(data), node, direction);
        std::vector<PyRef> labels(found.size());
        for (std::size_t k = 0; k < found.size(); ++k) {
          labels[k] = PyRef::owned(to_python(std::string_view(data.graph.node(found[k]).label)));
        }
        return list_of(std::move(labels));
      });
}

std::size_t links_named(PyGraph::Data& data, const Arguments& arguments) {
  const std::uint32_t source = node_named(data.graph, arguments[0], "source");
  const std::uint32_t target = node_named(data.graph, arguments[1], "target");
  const bool follow_direction = to_optional_bool(arguments[2], "directed");
  return links_between(link_rows(data), source, target, follow_direction);
}

PyObject* graph_has_edge(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kHasEdge, Access::Shared, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments& arguments) { return to_python(links_named(data, arguments) > 0); });
}

PyObject* graph_number_of_edges(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kNumberOfEdges, Access::Shared, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments& arguments) { return to_python(links_named(data, arguments)); });
}

PyObject* graph_degree_array(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kDegreeArray, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const LinkDirection direction = direction_argument(arguments[0]);
                                const bool weighted = to_optional_bool(arguments[1], "weighted");
                                const LinkList links = current_links(data.graph);
                                if (weighted) return export_vector(strengths(links, direction));
                                return export_vector(degree_counts(links, direction));
                              });
}

// ---- derived graphs -------------------------------------------------------------------

// A flag per link from a mask of bools: a one-byte buffer (NumPy bool or
// uint8 array, bytes) read as it is, or any iterable of truth values.
std::vector<std::uint8_t> link_flags(PyObject* mask, std::size_t link_count) {
  std::vector<std::uint8_t> flags;
  if (PyObject_CheckBuffer(mask)) {
    Py_buffer view;
    if (PyObject_GetBuffer(mask, &view, PyBUF_FORMAT | PyBUF_C_CONTIGUOUS) < 0) throw PythonError{};
    const std::string format = view.format != nullptr ? view.format : "B";
    const bool bytes = view.itemsize == 1 && view.ndim <= 1 && (format == "?" || format == "B" || format == "b");
    if (bytes) {
      const auto* first = static_cast<const std::uint8_t*>(view.buf);
      flags.assign(first, first + view.len);
    }
    PyBuffer_Release(&view);
    if (!bytes) {
      raise_argument_type("mask", "expected a one-dimensional array of bool, got format '" + format + "'");
    }
  } else {
    PyRef iterator = PyRef::owned(PyObject_GetIter(mask));
    while (PyObject* item = PyIter_Next(iterator.get())) {
      PyRef owned = PyRef::steal(item);
      const int truth = PyObject_IsTrue(item);
      if (truth < 0) throw PythonError{};
      flags.push_back(static_cast<std::uint8_t>(truth));
    }
    if (PyErr_Occurred()) throw PythonError{};
  }
  if (flags.size() != link_count) {
    raise_argument_value("mask", "expected one entry per link of to_edges() (" + std::to_string(link_count) +
                                     "), got " + std::to_string(flags.size()));
  }
  for (std::uint8_t& flag : flags) flag = flag != 0;
  return flags;
}

PyObject* graph_subgraph(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kSubgraph, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const Column labels = read_column(arguments[0], "labels", ColumnRole::Labels);
        const GraphStore& graph = data.graph;
        std::vector<std::uint8_t> keep(graph.node_count(), 0);
        for (std::size_t k = 0; k < labels.labels.size(); ++k) {
          const auto position = graph.find_by_label(labels.labels[k]);
          if (!position) {
            PyRef label = PyRef::owned(to_python(labels.labels[k]));
            PyRef message = PyRef::owned(PyUnicode_FromFormat("no node labelled %R in the graph", label.get()));
            PyErr_SetObject(PyExc_KeyError, message.get());
            throw PythonError{};
          }
          keep[*position] = 1;
        }
        return wrap_graph(induced_subgraph(graph, current_links(graph), keep));
      });
}

PyObject* graph_edge_subgraph(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kEdgeSubgraph, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const bool keep_all_nodes = to_optional_bool(arguments[1], "keep_all_nodes");
                                const LinkList links = current_links(data.graph);
                                const std::vector<std::uint8_t> flags = link_flags(arguments[0], links.link_count());
                                return wrap_graph(link_subgraph(data.graph, links, flags, keep_all_nodes));
                              });
}

PyObject* graph_largest_component(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kLargestComponent, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const bool strong = to_optional_bool(arguments[0], "strong");
                                return wrap_graph(largest_component(data.graph, current_links(data.graph), strong));
                              });
}

PyObject* graph_k_core(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kKCore, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                std::optional<std::uint32_t> k;
                                if (arguments[0] != nullptr && arguments[0] != Py_None) {
                                  const std::int32_t given = to_i32(arguments[0], "k");
                                  if (given < 0)
                                    raise_argument_value("k", "expected k >= 0, got " + std::to_string(given));
                                  k = static_cast<std::uint32_t>(given);
                                }
                                return wrap_graph(k_core(data.graph, current_links(data.graph), k));
                              });
}

PyObject* graph_copy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kCopy, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return wrap_graph(copy_graph(data.graph, current_links(data.graph)));
                              });
}

ParallelLinks parallel_argument(PyObject* value) {
  if (value == nullptr) return ParallelLinks::Keep;
  const std::string_view rule = to_text(value, "parallel");
  if (rule == "keep") return ParallelLinks::Keep;
  if (rule == "sum") return ParallelLinks::Sum;
  if (rule == "min") return ParallelLinks::Least;
  if (rule == "max") return ParallelLinks::Most;
  if (rule == "first") return ParallelLinks::First;
  raise_argument_value("parallel", "expected 'keep', 'sum', 'min', 'max' or 'first', got '" + std::string(rule) + "'");
}

PyObject* graph_to_undirected(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kToUndirected, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const ParallelLinks parallel = parallel_argument(arguments[0]);
                                return wrap_graph(undirected_graph(data.graph, current_links(data.graph), parallel));
                              });
}

PyObject* graph_reverse(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kReverse, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return wrap_graph(reversed_graph(data.graph, current_links(data.graph)));
                              });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

// The docstrings are those of the stub, word for word.
PyMethodDef kMethods[] = {
    {"labels", as_method(graph_labels), kMethod,
     "labels($self)\n--\n\n"
     "The label of every node, in node order.\n\n"
     "Returns:\n"
     "    A list of str; entry i is the label of the node at position i (the ids of\n"
     "    to_edges(), to_csr() and degree_array())."},
    {"index_of", as_method(graph_index_of), kMethod,
     "index_of($self, label)\n--\n\n"
     "The position (id) of the node carrying a label.\n\n"
     "Args:\n"
     "    label: a node label.\n\n"
     "Returns:\n"
     "    The int position of the first node carrying the label, as the ids of\n"
     "    to_edges(), to_csr() and degree_array() count.\n\n"
     "Raises:\n"
     "    KeyError: no node carries the label."},
    {"neighbors", as_method(graph_neighbors), kMethod,
     "neighbors($self, label, mode='all')\n--\n\n"
     "The nodes joined to a node by a link.\n\n"
     "Args:\n"
     "    label: a node label.\n"
     "    mode: 'out' (links leaving the node), 'in' (links reaching it) or 'all';\n"
     "        an undirected link leaves and reaches both its ends.\n\n"
     "Returns:\n"
     "    A list of labels, each neighbour once, in node order; the node itself when\n"
     "    it has a self-loop. Links to nodes outside the graph are left out.\n\n"
     "Raises:\n"
     "    KeyError: no node carries the label.\n"
     "    ValueError: mode is another text."},
    {"has_edge", as_method(graph_has_edge), kMethod,
     "has_edge($self, source, target, directed=False)\n--\n\n"
     "Whether a link joins two nodes.\n\n"
     "Args:\n"
     "    source, target: node labels.\n"
     "    directed: if true, only links leading from source to target count (arcs\n"
     "        source -> target and undirected links); otherwise any link between them.\n\n"
     "Returns:\n"
     "    A bool.\n\n"
     "Raises:\n"
     "    KeyError: no node carries one of the labels."},
    {"number_of_edges", as_method(graph_number_of_edges), kMethod,
     "number_of_edges($self, source, target, directed=False)\n--\n\n"
     "The number of links between two nodes, parallel links counted one by one.\n\n"
     "Args:\n"
     "    source, target: node labels.\n"
     "    directed: if true, only links leading from source to target count (arcs\n"
     "        source -> target and undirected links); otherwise any link between them.\n\n"
     "Returns:\n"
     "    An int.\n\n"
     "Raises:\n"
     "    KeyError: no node carries one of the labels."},
    {"degree_array", as_method(graph_degree_array), kMethod,
     "degree_array($self, mode='all', weighted=False)\n--\n\n"
     "The degree (or strength) of every node, in node order.\n\n"
     "Counts link ends: an arc counts at its source in 'out', at its target in\n"
     "'in' and at both in 'all'; an undirected link counts at both ends in every\n"
     "mode; a self-loop counts twice where it counts (as networkx and igraph count\n"
     "it). Links to nodes outside the graph are left out; repeated labels of a\n"
     "matrix graph count on their first node.\n\n"
     "Args:\n"
     "    mode: 'out', 'in' or 'all'.\n"
     "    weighted: sum the weights of the counted ends instead of counting them.\n\n"
     "Returns:\n"
     "    A read-only memoryview of int64 (float64 when weighted), one entry per\n"
     "    node, taken by numpy.asarray without a copy.\n\n"
     "Raises:\n"
     "    ValueError: mode is another text."},
    {"subgraph", as_method(graph_subgraph), kMethod,
     "subgraph($self, labels)\n--\n\n"
     "The subgraph induced by some nodes, as a new graph.\n\n"
     "Args:\n"
     "    labels: an iterable (or Arrow column) of node labels; repeats are ignored.\n\n"
     "Returns:\n"
     "    A new Graph with those nodes in node order (labels and positions kept) and\n"
     "    every link between two of them (weight and direction kept), in link order.\n\n"
     "Raises:\n"
     "    KeyError: no node carries one of the labels.\n"
     "    TypeError: labels holds something other than str."},
    {"edge_subgraph", as_method(graph_edge_subgraph), kMethod,
     "edge_subgraph($self, mask, keep_all_nodes=False)\n--\n\n"
     "The subgraph of some links, as a new graph.\n\n"
     "Args:\n"
     "    mask: one truth value per link, in the order of to_edges(): a NumPy bool\n"
     "        array (or any one-byte buffer) or an iterable.\n"
     "    keep_all_nodes: keep every node rather than only the ends of the chosen\n"
     "        links.\n\n"
     "Returns:\n"
     "    A new Graph with the nodes in node order (labels and positions kept) and the\n"
     "    chosen links (weight and direction kept), in link order.\n\n"
     "Raises:\n"
     "    ValueError: the mask's length differs from the number of links.\n"
     "    TypeError: the mask is a buffer of another element type."},
    {"largest_component", as_method(graph_largest_component), kMethod,
     "largest_component($self, strong=False)\n--\n\n"
     "The largest connected component, as a new graph.\n\n"
     "Args:\n"
     "    strong: take the largest strongly connected component (arcs followed\n"
     "        forward only) instead of the largest weakly connected one.\n\n"
     "Returns:\n"
     "    A new Graph with the nodes of the first component connected_components()\n"
     "    (or strongly_connected_components()) lists, and every link between them;\n"
     "    labels, positions, weights and directions kept. Empty for an empty graph."},
    {"k_core", as_method(graph_k_core), kMethod,
     "k_core($self, k=None)\n--\n\n"
     "The k-core, as a new graph.\n\n"
     "Args:\n"
     "    k: the least core number kept (see core_number()); None: the largest core\n"
     "        number of the graph.\n\n"
     "Returns:\n"
     "    A new Graph with the nodes whose core number is at least k and every link\n"
     "    between them; labels, positions, weights and directions kept.\n\n"
     "Raises:\n"
     "    ValueError: k is negative."},
    {"copy", as_method(graph_copy), kMethod,
     "copy($self)\n--\n\n"
     "An independent copy of the graph.\n\n"
     "Returns:\n"
     "    A new Graph with every node (labels and positions) and every link (weights\n"
     "    and directions). Links to nodes outside the graph are left out; each link is\n"
     "    stored on its source, so to_edges() of the copy lists links node by node."},
    {"to_undirected", as_method(graph_to_undirected), kMethod,
     "to_undirected($self, parallel='keep')\n--\n\n"
     "The undirected version of the graph, as a new graph.\n\n"
     "Args:\n"
     "    parallel: 'keep' makes every link undirected and keeps them all; 'sum',\n"
     "        'min', 'max' and 'first' merge the links between two nodes (whatever\n"
     "        their direction) into one, weighing the sum, the least, the greatest or\n"
     "        the earliest link's weight (min and max pass NaN over), placed where the\n"
     "        earliest of them was.\n\n"
     "Returns:\n"
     "    A new Graph with every node (labels and positions kept) and undirected links.\n\n"
     "Raises:\n"
     "    ValueError: parallel is another text."},
    {"reverse", as_method(graph_reverse), kMethod,
     "reverse($self)\n--\n\n"
     "The graph with every arc turned round, as a new graph.\n\n"
     "Returns:\n"
     "    A new Graph with every node (labels and positions kept), each arc leading\n"
     "    the other way and each undirected link as it is (weights kept)."},
};

}  // namespace

std::span<const PyMethodDef> graph_derived_methods() { return kMethods; }

}  // namespace mivora::py
