// Graph methods of the analysis area: degrees and strength, distribution
// statistics, traversals, shortest paths and adjacency matrices.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "graph_core/adjacency_matrix.hpp"
#include "graph_core/degrees.hpp"
#include "graph_core/distribution.hpp"
#include "graph_core/traversal.hpp"
#include "graph_py/py_graph.hpp"

namespace mivora::py {
namespace {

constexpr Signature kGenerateAdjacencyMatrix =
    Signature{"Graph.generate_adjacency_matrix()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetDensity = Signature{"Graph.get_density()", {"directed"}, 1}.panicking_on_foreign_thread();
constexpr Signature kComputeDegrees =
    Signature{"Graph.compute_degrees()", {"node_label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kGetCentralityDegrees =
    Signature{"Graph.get_centrality_degrees()", {"node_label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kGetNodeStrength =
    Signature{"Graph.get_node_strength()", {"node_label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kGetAllNodesDegrees =
    Signature{"Graph.get_all_nodes_degrees()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetAverageDegree =
    Signature{"Graph.get_average_degree()", {"directed"}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetDegreeDistribution =
    Signature{"Graph.get_degree_distribution()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kComputeEntropy = Signature{"Graph.compute_entropy()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetMaxPossibleEntropy =
    Signature{"Graph.get_max_possible_entropy()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kGetSkewness = Signature{"Graph.get_skewness()", {}, 0}.panicking_on_foreign_thread();
constexpr Signature kDfs = Signature{"Graph.dfs()", {"start_node_label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kBfs = Signature{"Graph.bfs()", {"start_node_label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kDijkstra = Signature{"Graph.dijkstra()", {"start_node_label"}, 1}.panicking_on_foreign_thread();
constexpr Signature kFromAdjacencyMatrix =
    Signature{"Graph.from_adjacency_matrix()", {"adj_matrix", "directed", "custom_labels"}, 1}
        .panicking_on_foreign_thread();

// The degrees of every node by canonical position: kept with the graph's
// views where they may be (GraphViews::degrees), counted afresh otherwise.
std::shared_ptr<const std::vector<DegreeRecord>> degree_records(PyGraph::Data& data) {
  std::shared_ptr<GraphViews> views = views_of(data);
  if (const std::vector<DegreeRecord>* kept = views->degrees()) return {std::move(views), kept};
  return std::make_shared<const std::vector<DegreeRecord>>(compute_all_degrees(data.graph));
}

// ---- result builders ----------------------------------------------------------

PyObject* new_dict() { return check(PyDict_New()); }

PyObject* label_of(const NodeRecord& node) { return to_python(std::string_view(node.label)); }

PyObject* degree_dict(const DegreeRecord& record) {
  static const InternedString kIn("in_degree"), kOut("out_degree"), kTotal("total_degree"),
      kUndirected("undirected_degree");
  PyRef dict = PyRef::owned(new_dict());
  set_item(dict.get(), kIn.get(), to_python(record.in));
  set_item(dict.get(), kOut.get(), to_python(record.out));
  set_item(dict.get(), kTotal.get(), to_python(record.total));
  set_item(dict.get(), kUndirected.get(), to_python(record.undirected));
  return dict.release();
}

// A dict of three floats, one per degree kind.
PyObject* kinds_dict(const DegreeKinds& kinds, const InternedString& in, const InternedString& out,
                     const InternedString& undirected) {
  PyRef dict = PyRef::owned(new_dict());
  set_item(dict.get(), in.get(), to_python(kinds.in));
  set_item(dict.get(), out.get(), to_python(kinds.out));
  set_item(dict.get(), undirected.get(), to_python(kinds.undirected));
  return dict.release();
}

PyObject* distribution_dict(const Distribution& distribution) {
  PyRef dict = PyRef::owned(new_dict());
  for (const auto& [degree, fraction] : distribution) {
    PyRef key = PyRef::owned(to_python(degree));
    set_item(dict.get(), key.get(), to_python(fraction));
  }
  return dict.release();
}

// The labels of a walk. When it reaches a good share of the graph, the
// labels are read in node order (the nodes lie in memory roughly in that
// order) and placed at their ranks.
PyObject* label_list(const GraphStore& graph, const TraversalOrder& order) {
  const std::size_t count = order.size();
  std::vector<PyRef> labels(count);
  const bool by_position = count * 8 >= graph.node_count();
  std::vector<std::uint32_t> rank_of(by_position ? graph.node_count() : 0, UINT32_MAX);
  for (std::size_t k = 0; k < count; ++k) {
    if (by_position && order.positions[k] != TraversalOrder::kOutside) {
      rank_of[order.positions[k]] = static_cast<std::uint32_t>(k);
    } else {
      labels[k] = PyRef::steal(label_of(order.node(graph, k)));
    }
  }
  for (NodeIndex position = 0; position < rank_of.size(); ++position) {
    if (rank_of[position] != UINT32_MAX) labels[rank_of[position]] = PyRef::steal(label_of(graph.node(position)));
  }
  return list_of(std::move(labels));
}

// Rows of Python floats. The rows are kept away from the garbage collector
// until they are complete and the list holding them exists: the collections
// that allocating 3,000 lists triggers would otherwise walk every slot of
// every row made so far (over half of the time at that size), and Python
// code a collection runs must never meet a list with empty slots. Lists of
// floats cannot form cycles meanwhile. The +0.0 cells, nearly all of a large
// matrix, share one float: each row is first filled with it (a plain
// vectorised store) and its reference count raised once per row; then the
// row's assigned cells that are not +0.0 get floats of their own.
PyObject* matrix_rows(const AdjacencyMatrix& matrix) {
  const auto n = static_cast<Py_ssize_t>(matrix.size);
  PyRef zero = PyRef::owned(to_python(0.0f));
  std::vector<PyRef> rows;
  rows.reserve(matrix.size);
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyRef row = PyRef::owned(PyList_New(n));
    PyObject_GC_UnTrack(row.get());
    PyObject** cells = PySequence_Fast_ITEMS(row.get());
    std::fill_n(cells, n, zero.get());
    Py_SET_REFCNT(zero.get(), Py_REFCNT(zero.get()) + n);
    rows.push_back(std::move(row));
    for (std::size_t k = matrix.start[static_cast<std::size_t>(i)]; k < matrix.start[static_cast<std::size_t>(i) + 1];
         ++k) {
      const float cell = matrix.weight[k];
      if (cell == 0.0f && !std::signbit(cell)) continue;
      PyObject* value = check(PyFloat_FromDouble(cell));
      Py_DECREF(cells[matrix.column[k]]);  // the shared zero, which `zero` keeps alive
      cells[matrix.column[k]] = value;
    }
    poll_cancellation(static_cast<std::uint32_t>(std::min<Py_ssize_t>(n, 1 << 20)));
  }
  PyObject* result = list_of(std::move(rows));
  for (Py_ssize_t i = 0; i < n; ++i) PyObject_GC_Track(PyList_GET_ITEM(result, i));
  return result;
}

// ---- argument converters of from_adjacency_matrix -------------------------------

// The items of a list-like argument; `str` is refused the way a text is not a list.
PyRef sequence_items(PyObject* value, const char* name) {
  if (PyUnicode_Check(value)) {
    PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
    raise_argument_error(name);
  }
  if (!PySequence_Check(value)) raise_cannot_convert(value, name, "Sequence");
  PyObject* items = PySequence_Fast(value, "the sequence cannot be iterated");
  if (items == nullptr) raise_argument_error(name);
  return PyRef::steal(items);
}

std::vector<std::vector<float>> to_matrix(PyObject* value, const char* name) {
  const PyRef rows = sequence_items(value, name);
  std::vector<std::vector<float>> matrix;
  matrix.reserve(static_cast<std::size_t>(PySequence_Fast_GET_SIZE(rows.get())));
  // A cell's __float__ may change or shrink the lists being converted (the
  // outer one included): sizes are re-read, and each row and cell is held
  // while it converts.
  for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(rows.get()); ++i) {
    const PyRef row = PyRef::borrow(PySequence_Fast_GET_ITEM(rows.get(), i));
    const PyRef cells = sequence_items(row.get(), name);
    std::vector<float>& out = matrix.emplace_back();
    out.reserve(static_cast<std::size_t>(PySequence_Fast_GET_SIZE(cells.get())));
    for (Py_ssize_t j = 0; j < PySequence_Fast_GET_SIZE(cells.get()); ++j) {
      const PyRef cell = PyRef::borrow(PySequence_Fast_GET_ITEM(cells.get(), j));
      out.push_back(to_f32(cell.get(), name));
    }
  }
  return matrix;
}

std::optional<std::vector<std::string>> to_labels(PyObject* value, const char* name) {
  if (value == nullptr || value == Py_None) return std::nullopt;
  const PyRef items = sequence_items(value, name);
  std::vector<std::string> labels;
  for (Py_ssize_t k = 0; k < PySequence_Fast_GET_SIZE(items.get()); ++k) {
    labels.emplace_back(to_text(PySequence_Fast_GET_ITEM(items.get(), k), name));
  }
  return labels;
}

// ---- degrees and strength -------------------------------------------------------

PyObject* graph_compute_degrees(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kComputeDegrees, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "node_label");
                                return degree_dict(compute_degrees(data.graph, label));
                              });
}

PyObject* graph_get_all_nodes_degrees(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetAllNodesDegrees, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                const GraphStore& graph = data.graph;
                                const auto kept = degree_records(data);
                                const std::vector<DegreeRecord>& records = *kept;
                                // The records are made before the dict that holds them exists: each
                                // allocation of a dict counts towards a collection, and every
                                // collection would walk the growing outer dict again.
                                std::vector<PyRef> dicts(records.size());
                                for (NodeIndex position = 0; position < records.size(); ++position) {
                                  // A repeated label names its first node's record.
                                  if (graph.canonical_position(position) != position) continue;
                                  dicts[position] = PyRef::steal(degree_dict(records[position]));
                                }
                                PyRef result = PyRef::owned(dict_for(records.size()));
                                for (NodeIndex position = 0; position < records.size(); ++position) {
                                  if (!dicts[position]) continue;
                                  PyRef key = PyRef::owned(label_object(data, position));
                                  if (PyDict_SetItem(result.get(), key.get(), dicts[position].get()) < 0)
                                    throw PythonError{};
                                }
                                return result.release();
                              });
}

PyObject* graph_get_centrality_degrees(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static const InternedString kOut("out_centrality"), kIn("in_centrality"), kTotal("total_centrality"),
      kUndirected("undirected_centrality");
  return call_method<PyGraph>(self, kGetCentralityDegrees, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "node_label");
                                const auto centrality = get_centrality_degrees(data.graph, label);
                                PyRef dict = PyRef::owned(new_dict());
                                if (centrality) {
                                  set_item(dict.get(), kOut.get(), to_python(centrality->out));
                                  set_item(dict.get(), kIn.get(), to_python(centrality->in));
                                  set_item(dict.get(), kTotal.get(), to_python(centrality->total));
                                  set_item(dict.get(), kUndirected.get(), to_python(centrality->undirected));
                                }
                                return dict.release();
                              });
}

PyObject* graph_get_node_strength(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static const InternedString kOut("out_strength"), kIn("in_strength"), kTotal("total_strength");
  return call_method<PyGraph>(self, kGetNodeStrength, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "node_label");
                                const StrengthRecord strength = get_node_strength(data.graph, label);
                                PyRef dict = PyRef::owned(new_dict());
                                set_item(dict.get(), kOut.get(), to_python(strength.out));
                                set_item(dict.get(), kIn.get(), to_python(strength.in));
                                set_item(dict.get(), kTotal.get(), to_python(strength.total));
                                return dict.release();
                              });
}

PyObject* graph_get_average_degree(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetAverageDegree, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const bool directed = to_optional_bool(arguments[0], "directed");
                                return to_python(get_average_degree(data.graph, directed));
                              });
}

// ---- distribution statistics ------------------------------------------------------

PyObject* graph_get_degree_distribution(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static const InternedString kIn("in_distribution"), kOut("out_distribution"), kUndirected("undirected_distribution");
  return call_method<PyGraph>(self, kGetDegreeDistribution, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                const DegreeDistribution distribution =
                                    get_degree_distribution(data.graph, *degree_records(data));
                                PyRef dict = PyRef::owned(new_dict());
                                set_item(dict.get(), kIn.get(), distribution_dict(distribution.in));
                                set_item(dict.get(), kOut.get(), distribution_dict(distribution.out));
                                set_item(dict.get(), kUndirected.get(), distribution_dict(distribution.undirected));
                                return dict.release();
                              });
}

PyObject* graph_compute_entropy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static const InternedString kIn("in_entropy"), kOut("out_entropy"), kUndirected("undirected_entropy");
  return call_method<PyGraph>(self, kComputeEntropy, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                const DegreeDistribution distribution =
                                    get_degree_distribution(data.graph, *degree_records(data));
                                return kinds_dict(compute_entropy(distribution), kIn, kOut, kUndirected);
                              });
}

PyObject* graph_get_max_possible_entropy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetMaxPossibleEntropy, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return to_python(get_max_possible_entropy(data.graph.node_count()));
                              });
}

PyObject* graph_get_skewness(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static const InternedString kIn("in_skewness"), kOut("out_skewness"), kUndirected("undirected_skewness");
  return call_method<PyGraph>(self, kGetSkewness, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return kinds_dict(get_skewness(data.graph, *degree_records(data)), kIn, kOut,
                                                  kUndirected);
                              });
}

PyObject* graph_get_density(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kGetDensity, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const bool directed = to_optional_bool(arguments[0], "directed");
                                return to_python(get_density(data.graph, directed));
                              });
}

// ---- traversals and shortest paths -----------------------------------------------

PyObject* graph_bfs(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kBfs, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "start_node_label");
                                return label_list(data.graph, bfs(data.graph, label));
                              });
}

PyObject* graph_dfs(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kDfs, Access::Exclusive, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const std::string_view label = to_text(arguments[0], "start_node_label");
                                return label_list(data.graph, dfs(data.graph, label));
                              });
}

PyObject* graph_dijkstra(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kDijkstra, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const GraphStore& graph = data.graph;
                                const std::string_view label = to_text(arguments[0], "start_node_label");
                                const std::vector<double> distance = dijkstra(graph, label);
                                PyRef result = PyRef::owned(new_dict());
                                for (NodeIndex position = 0; position < distance.size(); ++position) {
                                  PyRef key = PyRef::owned(label_of(graph.node(position)));
                                  set_item(result.get(), key.get(), to_python(distance[position]));
                                }
                                return result.release();
                              });
}

// ---- adjacency matrices ---------------------------------------------------------------

PyObject* graph_generate_adjacency_matrix(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kGenerateAdjacencyMatrix, Access::Shared, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments&) { return matrix_rows(generate_adjacency_matrix(data.graph)); });
}

PyObject* graph_from_adjacency_matrix(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  (void)self;
  return call_static(kFromAdjacencyMatrix, args, nargs, kwnames, [](const Arguments& arguments) {
    const auto matrix = to_matrix(arguments[0], "adj_matrix");
    const bool directed = to_optional_bool(arguments[1], "directed");
    const auto labels = to_labels(arguments[2], "custom_labels");
    return wrap_graph(from_adjacency_matrix(matrix, directed, labels));
  });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;
constexpr int kStatic = METH_FASTCALL | METH_KEYWORDS | METH_STATIC;

PyMethodDef kMethods[] = {
    {"generate_adjacency_matrix", as_method(graph_generate_adjacency_matrix), kMethod,
     "generate_adjacency_matrix($self)\n--\n\n"},
    {"get_density", as_method(graph_get_density), kMethod, "get_density($self, directed)\n--\n\n"},
    {"compute_degrees", as_method(graph_compute_degrees), kMethod, "compute_degrees($self, node_label)\n--\n\n"},
    {"get_centrality_degrees", as_method(graph_get_centrality_degrees), kMethod,
     "get_centrality_degrees($self, node_label)\n--\n\n"},
    {"get_node_strength", as_method(graph_get_node_strength), kMethod, "get_node_strength($self, node_label)\n--\n\n"},
    {"get_all_nodes_degrees", as_method(graph_get_all_nodes_degrees), kMethod, "get_all_nodes_degrees($self)\n--\n\n"},
    {"get_average_degree", as_method(graph_get_average_degree), kMethod,
     "get_average_degree($self, directed=False)\n--\n\n"},
    {"get_degree_distribution", as_method(graph_get_degree_distribution), kMethod,
     "get_degree_distribution($self)\n--\n\n"},
    {"compute_entropy", as_method(graph_compute_entropy), kMethod, "compute_entropy($self)\n--\n\n"},
    {"get_max_possible_entropy", as_method(graph_get_max_possible_entropy), kMethod,
     "get_max_possible_entropy($self)\n--\n\n"},
    {"get_skewness", as_method(graph_get_skewness), kMethod, "get_skewness($self)\n--\n\n"},
    {"dfs", as_method(graph_dfs), kMethod, "dfs($self, start_node_label)\n--\n\n"},
    {"bfs", as_method(graph_bfs), kMethod, "bfs($self, start_node_label)\n--\n\n"},
    {"dijkstra", as_method(graph_dijkstra), kMethod, "dijkstra($self, start_node_label)\n--\n\n"},
    {"from_adjacency_matrix", as_method(graph_from_adjacency_matrix), kStatic,
     "from_adjacency_matrix(adj_matrix, directed=False, custom_labels=None)\n--\n\n"},
};

}  // namespace

std::span<const PyMethodDef> graph_analysis_methods() { return kMethods; }

}  // namespace mivora::py
