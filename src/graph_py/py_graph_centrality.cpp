// Graph methods for centralities and communities on the adjacency snapshot.
#include <string>
#include <vector>

#include "graph_core/snapshot.hpp"
#include "graph_py/progress_report.hpp"
#include "graph_core/unknown_label.hpp"
#include "graph_py/exported_array.hpp"
#include "graph_py/py_graph.hpp"
#include "measures/centrality.hpp"
#include "measures/communities.hpp"
#include "measures/measure_error.hpp"
#include "measures/measured_graph.hpp"
#include "measures/pagerank.hpp"
#include "docstrings.hpp"

namespace mivora::py {
namespace {

constexpr Signature kPagerank =
    Signature{"Graph.pagerank()", {"damping", "weighted", "tol", "max_iter", "as_array"}, 0}.keyword_only_from(4);
constexpr Signature kBetweenness =
    Signature{"Graph.betweenness_centrality()", {"normalized", "weighted", "endpoints", "as_array", "progress"}, 0}
        .keyword_only_from(3);
constexpr Signature kCloseness =
    Signature{"Graph.closeness_centrality()", {"weighted", "as_array", "progress"}, 0}.keyword_only_from(1);
constexpr Signature kHarmonic =
    Signature{"Graph.harmonic_centrality()", {"weighted", "as_array"}, 0}.keyword_only_from(1);
constexpr Signature kCommunities =
    Signature{"Graph.communities()", {"resolution", "seed", "progress"}, 0}.keyword_only_from(2);
constexpr Signature kModularity{"Graph.modularity()", {"communities", "resolution"}, 1};

// ---- arguments --------------------------------------------------------------------

double to_f64(PyObject* value, const char* name, double fallback) {
  if (value == nullptr) return fallback;
  if (PyFloat_CheckExact(value)) return PyFloat_AS_DOUBLE(value);
  const double number = PyFloat_AsDouble(value);
  if (number == -1.0 && PyErr_Occurred()) raise_argument_error(name);
  return number;
}

bool to_flag(PyObject* value, const char* name, bool fallback) {
  return value == nullptr ? fallback : to_optional_bool(value, name);
}

// ---- the measured graph and results ---------------------------------------------------

// The graph's kept views, held for the call.
struct Measured {
  std::shared_ptr<GraphViews> views;
  const Snapshot& snapshot;
  const MeasuredNodes& nodes;

  explicit Measured(PyGraph::Data& data) : views(views_of(data)), snapshot(views->snapshot()), nodes(views->nodes()) {}
};

PyObject* label_of(PyGraph::Data& data, const MeasuredNodes& nodes, std::uint32_t id) {
  return label_object(data, nodes.positions[id]);
}

// {label: value}, or with `as_array` the values by measured id (node order)
// as a read-only float64 memoryview.
PyObject* values_by_label(PyGraph::Data& data, const MeasuredNodes& nodes, std::vector<double>&& values,
                          PyObject* as_array) {
  if (to_optional_bool(as_array, "as_array")) return export_vector(std::move(values));
  PyRef dict = PyRef::owned(PyDict_New());
  for (std::uint32_t id = 0; id < nodes.size(); ++id) {
    PyRef key = PyRef::owned(label_of(data, nodes, id));
    set_item(dict.get(), key.get(), to_python(values[id]));
  }
  return dict.release();
}

// Every label is made before any list: a collection that allocating a list
// triggers may run Python code that walks gc.get_objects(), and it must never
// meet a list with empty slots (list_of fills each without allocating).
PyObject* label_groups(PyGraph::Data& data, const MeasuredNodes& nodes, const Communities& groups) {
  std::vector<PyRef> lists;
  lists.reserve(groups.size());
  for (const auto& group : groups) {
    std::vector<PyRef> members;
    members.reserve(group.size());
    for (const std::uint32_t id : group) members.push_back(PyRef::owned(label_of(data, nodes, id)));
    lists.push_back(PyRef::owned(list_of(std::move(members))));
  }
  return list_of(std::move(lists));
}

// An iterable of iterables of labels, as measured ids. An unknown label is a
// KeyError; a text given as a community is refused (it would read as letters).
Communities to_communities(PyObject* value, const GraphStore& graph, const MeasuredNodes& nodes, const char* name) {
  PyRef outer = PyRef::steal(PyObject_GetIter(value));
  if (!outer) raise_argument_error(name);
  Communities groups;
  while (PyRef community = PyRef::steal(PyIter_Next(outer.get()))) {
    if (PyUnicode_Check(community.get())) {
      PyErr_SetString(PyExc_TypeError, "a community must be an iterable of labels, not a str");
      raise_argument_error(name);
    }
    PyRef inner = PyRef::steal(PyObject_GetIter(community.get()));
    if (!inner) raise_argument_error(name);
    std::vector<std::uint32_t>& members = groups.emplace_back();
    while (PyRef item = PyRef::steal(PyIter_Next(inner.get()))) {
      const std::string_view label = to_text(item.get(), name);
      const auto position = graph.find_by_label(label);
      if (!position) throw UnknownLabel(std::string(label));
      members.push_back(nodes.id_of[*position]);
    }
    if (PyErr_Occurred()) throw PythonError{};
  }
  if (PyErr_Occurred()) throw PythonError{};
  return groups;
}

// ---- methods --------------------------------------------------------------------------

PyObject* graph_pagerank(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kPagerank, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                PageRankOptions options;
                                options.damping = to_f64(arguments[0], "damping", options.damping);
                                options.weighted = to_flag(arguments[1], "weighted", options.weighted);
                                options.tolerance = to_f64(arguments[2], "tol", options.tolerance);
                                if (arguments[3] != nullptr) options.max_iterations = to_i32(arguments[3], "max_iter");
                                const Measured measured(data);
                                auto ranks = pagerank(data.graph, measured.snapshot, measured.nodes, options);
                                return values_by_label(data, measured.nodes, std::move(ranks), arguments[4]);
                              });
}

PyObject* graph_betweenness_centrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kBetweenness, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        BetweennessOptions options;
        options.normalized = to_flag(arguments[0], "normalized", options.normalized);
        options.weighted = to_flag(arguments[1], "weighted", options.weighted);
        options.endpoints = to_flag(arguments[2], "endpoints", options.endpoints);
        ProgressReport progress(arguments[4], "Graph.betweenness_centrality()");
        const Measured measured(data);
        auto values = betweenness_centrality(data.graph, measured.snapshot, measured.nodes, options);
        progress.finish();
        return values_by_label(data, measured.nodes, std::move(values), arguments[3]);
      });
}

PyObject* graph_closeness_centrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kCloseness, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const bool weighted = to_flag(arguments[0], "weighted", false);
        ProgressReport progress(arguments[2], "Graph.closeness_centrality()");
        const Measured measured(data);
        auto values = closeness_centrality(data.graph, measured.snapshot, measured.nodes, weighted);
        progress.finish();
        return values_by_label(data, measured.nodes, std::move(values), arguments[1]);
      });
}

PyObject* graph_harmonic_centrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kHarmonic, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const bool weighted = to_flag(arguments[0], "weighted", false);
        const Measured measured(data);
        auto values = harmonic_centrality(data.graph, measured.snapshot, measured.nodes, weighted);
        return values_by_label(data, measured.nodes, std::move(values), arguments[1]);
      });
}

PyObject* graph_communities(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kCommunities, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const double resolution = to_f64(arguments[0], "resolution", 1.0);
        const std::uint64_t seed = to_seed(arguments[1], "seed");
        ProgressReport progress(arguments[2], "Graph.communities()");
        const Measured measured(data);
        const Communities groups = louvain_communities(data.graph, measured.snapshot, measured.nodes, resolution, seed);
        progress.finish();
        return label_groups(data, measured.nodes, groups);
      });
}

PyObject* graph_modularity(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kModularity, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const double resolution = to_f64(arguments[1], "resolution", 1.0);
        const Measured measured(data);
        const Communities groups = to_communities(arguments[0], data.graph, measured.nodes, "communities");
        return to_python(modularity(data.graph, measured.snapshot, measured.nodes, groups, resolution));
      });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"pagerank", as_method(graph_pagerank), kMethod,
     "pagerank($self, damping=0.85, weighted=True, tol=1e-10, max_iter=1000, *, "
     "as_array=False)\n--\n\n" MIVORA_DOC_Graph_pagerank},
    {"betweenness_centrality", as_method(graph_betweenness_centrality), kMethod,
     "betweenness_centrality($self, normalized=True, weighted=False, "
     "endpoints=False, *, as_array=False, progress=None)\n--\n\n" MIVORA_DOC_Graph_betweenness_centrality},
    {"closeness_centrality", as_method(graph_closeness_centrality), kMethod,
     "closeness_centrality($self, weighted=False, *, as_array=False, "
     "progress=None)\n--\n\n" MIVORA_DOC_Graph_closeness_centrality},
    {"harmonic_centrality", as_method(graph_harmonic_centrality), kMethod,
     "harmonic_centrality($self, weighted=False, *, as_array=False)\n--\n\n" MIVORA_DOC_Graph_harmonic_centrality},
    {"communities", as_method(graph_communities), kMethod,
     "communities($self, resolution=1.0, seed=None, *, progress=None)\n--\n\n" MIVORA_DOC_Graph_communities},
    {"modularity", as_method(graph_modularity), kMethod,
     "modularity($self, communities, resolution=1.0)\n--\n\n" MIVORA_DOC_Graph_modularity},
};

}  // namespace

std::span<const PyMethodDef> graph_centrality_methods() { return kMethods; }

}  // namespace mivora::py
