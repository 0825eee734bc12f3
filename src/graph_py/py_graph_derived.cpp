// Graph methods for everyday questions (neighbours, links between two
// nodes, degree arrays, labels by position) and for derived graphs
// (subgraphs, the largest component, the k-core, copies and other
// versions), which are new Graph objects: a graph never loses anything.
#include <charconv>
#include <string>
#include <vector>

#include "docstrings.hpp"
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

// The links as measures see them, kept with the graph while it is unchanged
// (held by the caller for its call).
std::shared_ptr<const LinkList> kept_links(const GraphStore& graph) {
  return current_links(graph, OutsideTargets::Skip);
}

// ---- questions ----------------------------------------------------------------------

// The label of the node at `position` as a str. Nodes made from integer ids
// carry their position's decimal text: written from the position, without a
// trip to the node (a cache miss each on a large graph).
PyObject* label_of(const GraphStore& graph, std::uint32_t position) {
  if (position < graph.label_index().decimal_label_count()) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, position).ptr;
    return check(PyUnicode_FromStringAndSize(digits, end - digits));
  }
  return to_python(std::string_view(graph.node(position).label));
}

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
          labels[k] = PyRef::owned(label_of(data.graph, found[k]));
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
                                // Counts come with the neighbour rows, sums of weights from
                                // the link list, both kept between calls.
                                if (weighted) return export_vector(strengths(*kept_links(data.graph), direction));
                                return export_vector(std::vector<std::int64_t>(link_rows(data).degree(direction)));
                              });
}

// ---- derived graphs -------------------------------------------------------------------

// A flag per link from a mask of bools: a one-byte buffer (NumPy bool or
// uint8 array, bytes) read as it is, or any iterable of truth values.
std::vector<std::uint8_t> link_flags(PyObject* mask, std::size_t link_count) {
  std::vector<std::uint8_t> flags;
  if (PyObject_CheckBuffer(mask)) {
    Py_buffer view;
    if (PyObject_GetBuffer(mask, &view, PyBUF_RECORDS_RO) < 0) throw PythonError{};
    struct Release {
      Py_buffer& held;
      ~Release() { PyBuffer_Release(&held); }
    } release{view};
    const std::string format = view.format != nullptr ? view.format : "B";
    if (view.itemsize != 1 || view.ndim != 1 || (format != "?" && format != "B" && format != "b")) {
      raise_argument_type("mask", "expected a one-dimensional array of bool, got format '" + format + "'");
    }
    const auto count = static_cast<std::size_t>(view.shape[0]);
    flags.resize(count);
    const char* first = static_cast<const char*>(view.buf);
    for (std::size_t k = 0; k < count; ++k) {
      flags[k] = static_cast<std::uint8_t>(first[static_cast<Py_ssize_t>(k) * view.strides[0]]);
    }
  } else {
    PyRef iterator = PyRef::steal(PyObject_GetIter(mask));
    if (!iterator) {
      if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw PythonError{};
      PyErr_Clear();
      raise_argument_type("mask", "expected an array or an iterable of bools, got '" + type_name(mask) + "'");
    }
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
        return wrap_graph(induced_subgraph(graph, *kept_links(graph), keep));
      });
}

PyObject* graph_edge_subgraph(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kEdgeSubgraph, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const bool keep_all_nodes = to_optional_bool(arguments[1], "keep_all_nodes");
                                const auto links = kept_links(data.graph);
                                const std::vector<std::uint8_t> flags = link_flags(arguments[0], links->link_count());
                                return wrap_graph(link_subgraph(data.graph, *links, flags, keep_all_nodes));
                              });
}

PyObject* graph_largest_component(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kLargestComponent, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const bool strong = to_optional_bool(arguments[0], "strong");
                                return wrap_graph(largest_component(data.graph, *kept_links(data.graph), strong));
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
                                return wrap_graph(k_core(data.graph, *kept_links(data.graph), k));
                              });
}

PyObject* graph_copy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kCopy, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return wrap_graph(copy_graph(data.graph, *kept_links(data.graph)));
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
                                return wrap_graph(undirected_graph(data.graph, *kept_links(data.graph), parallel));
                              });
}

PyObject* graph_reverse(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kReverse, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return wrap_graph(reversed_graph(data.graph, *kept_links(data.graph)));
                              });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"labels", as_method(graph_labels), kMethod, "labels($self)\n--\n\n" MIVORA_DOC_Graph_labels},
    {"index_of", as_method(graph_index_of), kMethod, "index_of($self, label)\n--\n\n" MIVORA_DOC_Graph_index_of},
    {"neighbors", as_method(graph_neighbors), kMethod,
     "neighbors($self, label, mode='all')\n--\n\n" MIVORA_DOC_Graph_neighbors},
    {"has_edge", as_method(graph_has_edge), kMethod,
     "has_edge($self, source, target, directed=False)\n--\n\n" MIVORA_DOC_Graph_has_edge},
    {"number_of_edges", as_method(graph_number_of_edges), kMethod,
     "number_of_edges($self, source, target, directed=False)\n--\n\n" MIVORA_DOC_Graph_number_of_edges},
    {"degree_array", as_method(graph_degree_array), kMethod,
     "degree_array($self, mode='all', weighted=False)\n--\n\n" MIVORA_DOC_Graph_degree_array},
    {"subgraph", as_method(graph_subgraph), kMethod, "subgraph($self, labels)\n--\n\n" MIVORA_DOC_Graph_subgraph},
    {"edge_subgraph", as_method(graph_edge_subgraph), kMethod,
     "edge_subgraph($self, mask, keep_all_nodes=False)\n--\n\n" MIVORA_DOC_Graph_edge_subgraph},
    {"largest_component", as_method(graph_largest_component), kMethod,
     "largest_component($self, strong=False)\n--\n\n" MIVORA_DOC_Graph_largest_component},
    {"k_core", as_method(graph_k_core), kMethod, "k_core($self, k=None)\n--\n\n" MIVORA_DOC_Graph_k_core},
    {"copy", as_method(graph_copy), kMethod, "copy($self)\n--\n\n" MIVORA_DOC_Graph_copy},
    {"to_undirected", as_method(graph_to_undirected), kMethod,
     "to_undirected($self, parallel='keep')\n--\n\n" MIVORA_DOC_Graph_to_undirected},
    {"reverse", as_method(graph_reverse), kMethod, "reverse($self)\n--\n\n" MIVORA_DOC_Graph_reverse},
};

}  // namespace

std::span<const PyMethodDef> graph_derived_methods() { return kMethods; }

}  // namespace mivora::py
