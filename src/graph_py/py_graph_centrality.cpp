// Graph methods for centralities and communities on the adjacency snapshot.
#include <random>
#include <string>
#include <vector>

#include "graph_core/snapshot.hpp"
#include "graph_py/progress_report.hpp"
#include "graph_py/py_graph.hpp"
#include "measures/centrality.hpp"
#include "measures/communities.hpp"
#include "measures/measure_error.hpp"
#include "measures/measured_graph.hpp"
#include "measures/pagerank.hpp"
#include "docstrings.hpp"

namespace mivora::py {
namespace {

constexpr Signature kPagerank{"Graph.pagerank()", {"damping", "weighted", "tol", "max_iter"}, 0};
constexpr Signature kBetweenness =
    Signature{"Graph.betweenness_centrality()", {"normalized", "weighted", "endpoints", "progress"}, 0}
        .keyword_only_from(3);
constexpr Signature kCloseness =
    Signature{"Graph.closeness_centrality()", {"weighted", "progress"}, 0}.keyword_only_from(1);
constexpr Signature kHarmonic{"Graph.harmonic_centrality()", {"weighted"}, 0};
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

// None (or left out): a fresh seed from the system.
std::uint64_t to_seed(PyObject* value, const char* name) {
  if (value == nullptr || value == Py_None)
    return (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
  if (!PyLong_Check(value)) raise_cannot_convert(value, name, "PyInt");
  const unsigned long long seed = PyLong_AsUnsignedLongLongMask(value);
  if (seed == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw PythonError{};
  return seed;
}

// ---- the measured graph and results ---------------------------------------------------

struct Measured {
  Snapshot snapshot;
  MeasuredNodes nodes;

  explicit Measured(const GraphStore& graph)
      : snapshot(take_snapshot(graph, OutsideTargets::Skip)), nodes(measured_nodes(snapshot)) {}
};

// Runs a measure; its MeasureError becomes a ValueError with the same text.
template <typename Body>
auto answer(Body&& body) {
  try {
    return body();
  } catch (const MeasureError& error) {
    PyErr_SetString(PyExc_ValueError, error.what());
    throw PythonError{};
  }
}

PyObject* label_of(const GraphStore& graph, const MeasuredNodes& nodes, std::uint32_t id) {
  return to_python(std::string_view(graph.node(nodes.positions[id]).label));
}

PyObject* values_by_label(const GraphStore& graph, const MeasuredNodes& nodes, const std::vector<double>& values) {
  PyRef dict = PyRef::owned(PyDict_New());
  for (std::uint32_t id = 0; id < nodes.size(); ++id) {
    PyRef key = PyRef::owned(label_of(graph, nodes, id));
    set_item(dict.get(), key.get(), to_python(values[id]));
  }
  return dict.release();
}

PyObject* label_groups(const GraphStore& graph, const MeasuredNodes& nodes, const Communities& groups) {
  PyRef list = PyRef::owned(PyList_New(static_cast<Py_ssize_t>(groups.size())));
  for (std::size_t c = 0; c < groups.size(); ++c) {
    PyObject* members = check(PyList_New(static_cast<Py_ssize_t>(groups[c].size())));
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(c), members);
    for (std::size_t k = 0; k < groups[c].size(); ++k) {
      PyList_SET_ITEM(members, static_cast<Py_ssize_t>(k), label_of(graph, nodes, groups[c][k]));
    }
  }
  return list.release();
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
      if (!position) {
        PyErr_SetObject(PyExc_KeyError, item.get());
        throw PythonError{};
      }
      members.push_back(nodes.id_of[*position]);
    }
    if (PyErr_Occurred()) throw PythonError{};
  }
  if (PyErr_Occurred()) throw PythonError{};
  return groups;
}

// ---- methods --------------------------------------------------------------------------

PyObject* graph_pagerank(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kPagerank, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        PageRankOptions options;
        options.damping = to_f64(arguments[0], "damping", options.damping);
        options.weighted = to_flag(arguments[1], "weighted", options.weighted);
        options.tolerance = to_f64(arguments[2], "tol", options.tolerance);
        if (arguments[3] != nullptr) options.max_iterations = to_i32(arguments[3], "max_iter");
        const Measured measured(data.graph);
        const auto ranks = answer([&] { return pagerank(data.graph, measured.snapshot, measured.nodes, options); });
        return values_by_label(data.graph, measured.nodes, ranks);
      });
}

PyObject* graph_betweenness_centrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kBetweenness, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        BetweennessOptions options;
        options.normalized = to_flag(arguments[0], "normalized", options.normalized);
        options.weighted = to_flag(arguments[1], "weighted", options.weighted);
        options.endpoints = to_flag(arguments[2], "endpoints", options.endpoints);
        ProgressReport progress(arguments[3], "Graph.betweenness_centrality()");
        const Measured measured(data.graph);
        const auto values =
            answer([&] { return betweenness_centrality(data.graph, measured.snapshot, measured.nodes, options); });
        progress.finish();
        return values_by_label(data.graph, measured.nodes, values);
      });
}

PyObject* graph_closeness_centrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kCloseness, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const bool weighted = to_flag(arguments[0], "weighted", false);
        ProgressReport progress(arguments[1], "Graph.closeness_centrality()");
        const Measured measured(data.graph);
        const auto values =
            answer([&] { return closeness_centrality(data.graph, measured.snapshot, measured.nodes, weighted); });
        progress.finish();
        return values_by_label(data.graph, measured.nodes, values);
      });
}

PyObject* graph_harmonic_centrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kHarmonic, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const bool weighted = to_flag(arguments[0], "weighted", false);
        const Measured measured(data.graph);
        const auto values =
            answer([&] { return harmonic_centrality(data.graph, measured.snapshot, measured.nodes, weighted); });
        return values_by_label(data.graph, measured.nodes, values);
      });
}

PyObject* graph_communities(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kCommunities, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const double resolution = to_f64(arguments[0], "resolution", 1.0);
        const std::uint64_t seed = to_seed(arguments[1], "seed");
        ProgressReport progress(arguments[2], "Graph.communities()");
        const Measured measured(data.graph);
        const Communities groups = answer(
            [&] { return louvain_communities(data.graph, measured.snapshot, measured.nodes, resolution, seed); });
        progress.finish();
        return label_groups(data.graph, measured.nodes, groups);
      });
}

PyObject* graph_modularity(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kModularity, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const double resolution = to_f64(arguments[1], "resolution", 1.0);
        const Measured measured(data.graph);
        const Communities groups = to_communities(arguments[0], data.graph, measured.nodes, "communities");
        return to_python(
            answer([&] { return modularity(data.graph, measured.snapshot, measured.nodes, groups, resolution); }));
      });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"pagerank", as_method(graph_pagerank), kMethod,
     "pagerank($self, damping=0.85, weighted=True, tol=1e-10, max_iter=1000)\n--\n\n" MIVORA_DOC_Graph_pagerank},
    {"betweenness_centrality", as_method(graph_betweenness_centrality), kMethod,
     "betweenness_centrality($self, normalized=True, weighted=False, "
     "endpoints=False, *, progress=None)\n--\n\n" MIVORA_DOC_Graph_betweenness_centrality},
    {"closeness_centrality", as_method(graph_closeness_centrality), kMethod,
     "closeness_centrality($self, weighted=False, *, progress=None)\n--\n\n" MIVORA_DOC_Graph_closeness_centrality},
    {"harmonic_centrality", as_method(graph_harmonic_centrality), kMethod,
     "harmonic_centrality($self, weighted=False)\n--\n\n" MIVORA_DOC_Graph_harmonic_centrality},
    {"communities", as_method(graph_communities), kMethod,
     "communities($self, resolution=1.0, seed=None, *, progress=None)\n--\n\n" MIVORA_DOC_Graph_communities},
    {"modularity", as_method(graph_modularity), kMethod,
     "modularity($self, communities, resolution=1.0)\n--\n\n" MIVORA_DOC_Graph_modularity},
};

}  // namespace

std::span<const PyMethodDef> graph_centrality_methods() { return kMethods; }

}  // namespace mivora::py
