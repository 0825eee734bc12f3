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

// What every docstring says about the graph these methods measure.
#define MIVORA_MEASURED_GRAPH                                                                  \
  "Each label counts once (its first node). Connections to nodes outside the graph or to\n"    \
  "nodes that are gone are left out. Arcs are followed forward and edges both ways; a graph\n" \
  "with at least one arc is measured as directed, one with edges only as undirected.\n"

PyMethodDef kMethods[] = {
    {"pagerank", as_method(graph_pagerank), kMethod,
     "pagerank($self, damping=0.85, weighted=True, tol=1e-10, max_iter=1000)\n--\n\n"
     "PageRank of every node by power iteration.\n\n" MIVORA_MEASURED_GRAPH
     "Parallel connections add their weights; a node whose out-weight is 0 (dangling) hands\n"
     "its rank to every node alike.\n\n"
     "damping: probability of following a connection, between 0 and 1.\n"
     "weighted: follow connections in proportion to their weights (finite, not negative)\n"
     "  rather than alike.\n"
     "tol: stop once the summed change of one step is below (number of nodes) * tol.\n"
     "max_iter: the most steps taken.\n\n"
     "Returns a dict label -> rank (the ranks sum to 1).\n"
     "Raises ValueError for a bad option, a negative or non-finite weight, or when max_iter\n"
     "steps do not converge."},
    {"betweenness_centrality", as_method(graph_betweenness_centrality), kMethod,
     "betweenness_centrality($self, normalized=True, weighted=False, endpoints=False, *, progress=None)\n--\n\n"
     "Betweenness centrality of every node (Brandes' algorithm).\n\n" MIVORA_MEASURED_GRAPH
     "Parallel connections count as one (the lightest when weighted).\n\n"
     "normalized: divide by the number of node pairs a node can lie between,\n"
     "  (n - 1)(n - 2), or n(n - 1) with endpoints; otherwise an undirected graph counts\n"
     "  each pair of ends once.\n"
     "weighted: shortest paths by summed weight (finite, not negative) rather than hops.\n"
     "endpoints: count the ends of each path as lying on it.\n\n"
     "Returns a dict label -> betweenness.\n"
     "Raises ValueError for a negative or non-finite weight when weighted.\n\n"
     "progress: a callable that receives the share done (a float from 0 to 1) about\n"
     "ten times a second, or True for a tqdm bar; nothing is shown by default, and an\n"
     "exception the callable raises ends the call."},
    {"closeness_centrality", as_method(graph_closeness_centrality), kMethod,
     "closeness_centrality($self, weighted=False, *, progress=None)\n--\n\n"
     "Closeness centrality of every node, from the distances of the nodes that reach it.\n\n" MIVORA_MEASURED_GRAPH
     "For a node reached by r - 1 others at distances summing to d, the value is\n"
     "(r - 1) / d scaled by (r - 1) / (n - 1) (Wasserman and Faust); 0 when d is 0.\n\n"
     "weighted: distances by summed weight (finite, not negative) rather than hops.\n\n"
     "Returns a dict label -> closeness.\n"
     "Raises ValueError for a negative or non-finite weight when weighted.\n\n"
     "progress: a callable that receives the share done (a float from 0 to 1) about\n"
     "ten times a second, or True for a tqdm bar; nothing is shown by default, and an\n"
     "exception the callable raises ends the call."},
    {"harmonic_centrality", as_method(graph_harmonic_centrality), kMethod,
     "harmonic_centrality($self, weighted=False)\n--\n\n"
     "Harmonic centrality of every node: the sum of 1 / distance over the nodes that reach "
     "it.\n\n" MIVORA_MEASURED_GRAPH "Distances of 0 (the node itself, zero weights) add nothing.\n\n"
     "weighted: distances by summed weight (finite, not negative) rather than hops.\n\n"
     "Returns a dict label -> harmonic centrality.\n"
     "Raises ValueError for a negative or non-finite weight when weighted."},
    {"communities", as_method(graph_communities), kMethod,
     "communities($self, resolution=1.0, seed=None, *, progress=None)\n--\n\n"
     "Communities found by Louvain's method, maximising weighted modularity.\n\n" MIVORA_MEASURED_GRAPH
     "Parallel connections add their weights; directed graphs use directed modularity.\n\n"
     "resolution: above 1 favours smaller communities, below 1 larger ones (not negative).\n"
     "seed: an int fixing the order nodes are visited in (the same seed, the same result);\n"
     "  None draws one.\n\n"
     "Returns a list of lists of labels: largest community first, members in node order.\n"
     "Raises ValueError for a bad resolution or a negative or non-finite weight.\n\n"
     "progress: a callable that receives the share done (a float from 0 to 1) about\n"
     "ten times a second, or True for a tqdm bar; nothing is shown by default, and an\n"
     "exception the callable raises ends the call."},
    {"modularity", as_method(graph_modularity), kMethod,
     "modularity($self, communities, resolution=1.0)\n--\n\n"
     "Weighted modularity of a partition of the nodes into communities.\n\n" MIVORA_MEASURED_GRAPH
     "Parallel connections add their weights; directed graphs use directed modularity.\n\n"
     "communities: an iterable of iterables of labels holding every node exactly once.\n"
     "resolution: the weight of the expected share inside each community.\n\n"
     "Returns the modularity as a float.\n"
     "Raises KeyError for an unknown label, ValueError when the communities are not a\n"
     "partition, for a negative or non-finite weight, or when the weights sum to 0."},
};

#undef MIVORA_MEASURED_GRAPH

}  // namespace

std::span<const PyMethodDef> graph_centrality_methods() { return kMethods; }

}  // namespace mivora::py
