// Graph methods for network measures on the graph's views: components,
// shortest paths, clustering, cores and spanning trees. The views are kept
// with the graph while it does not change (views_of); connections to nodes
// outside the graph, or to nodes that are gone, take no part.
#include <cmath>
#include <string>
#include <vector>

#include "graph_core/snapshot.hpp"
#include "graph_py/progress_report.hpp"
#include "graph_core/unknown_label.hpp"
#include "graph_py/exported_array.hpp"
#include "graph_py/py_graph.hpp"
#include "measures/clustering.hpp"
#include "measures/components.hpp"
#include "measures/cores.hpp"
#include "measures/measure_error.hpp"
#include "measures/paths.hpp"
#include "measures/simple_rows.hpp"
#include "measures/trees.hpp"
#include "docstrings.hpp"

namespace mivora::py {
namespace {

constexpr Signature kConnectedComponents =
    Signature{"Graph.connected_components()", {"as_array"}, 0}.keyword_only_from(0);
constexpr Signature kStronglyConnectedComponents =
    Signature{"Graph.strongly_connected_components()", {"as_array"}, 0}.keyword_only_from(0);
constexpr Signature kIsConnected{"Graph.is_connected()", {}, 0};
constexpr Signature kShortestPath{"Graph.shortest_path()", {"source", "target", "weighted"}, 2};
constexpr Signature kShortestPathLengths =
    Signature{"Graph.shortest_path_lengths()", {"source", "weighted", "as_array"}, 1}.keyword_only_from(2);
constexpr Signature kClustering = Signature{"Graph.clustering()", {"as_array"}, 0}.keyword_only_from(0);
constexpr Signature kAverageClustering{"Graph.average_clustering()", {}, 0};
constexpr Signature kTransitivity{"Graph.transitivity()", {}, 0};
constexpr Signature kTriangles = Signature{"Graph.triangles()", {"as_array"}, 0}.keyword_only_from(0);
constexpr Signature kCoreNumber = Signature{"Graph.core_number()", {"as_array"}, 0}.keyword_only_from(0);
constexpr Signature kDropCache{"Graph.drop_cache()", {}, 0};
constexpr Signature kMinimumSpanningTree{"Graph.minimum_spanning_tree()", {}, 0};
constexpr Signature kEccentricity = Signature{"Graph.eccentricity()", {"as_array"}, 0}.keyword_only_from(0);
constexpr Signature kDiameter = Signature{"Graph.diameter()", {"progress"}, 0}.keyword_only_from(0);

bool weighted_argument(PyObject* value) { return value == nullptr || to_bool(value, "weighted"); }

PyObject* label_at(PyGraph::Data& data, std::uint32_t position) { return label_object(data, position); }

// Whether `count` labels are a good share of the graph's: then they are best
// made in node order (the nodes lie in memory roughly in that order), which
// saves a cache miss per label over making them in a walk's order.
bool good_share(const GraphStore& graph, std::size_t count) { return count * 8 >= graph.node_count(); }

// The labels of the nodes at `positions`, in that order. For a good share of
// the graph they are made in node order first (labels_made_for).
std::vector<PyRef> labels_of(PyGraph::Data& data, const std::vector<std::uint32_t>& positions) {
  std::vector<PyRef> labels(positions.size());
  if (!good_share(data.graph, positions.size())) {
    for (std::size_t k = 0; k < positions.size(); ++k) labels[k] = PyRef::owned(label_at(data, positions[k]));
    return labels;
  }
  const std::vector<PyRef>& kept = labels_made_for(data, positions);
  for (std::size_t k = 0; k < positions.size(); ++k) labels[k] = PyRef::owned(Py_NewRef(kept[positions[k]].get()));
  return labels;
}

// A dict from the labels of the nodes at `positions`, in that order, to
// value_of(k) for the k-th. For a good share of the graph the keys are the
// graph's kept labels, asked for a few keys ahead: a walk's order meets them
// at random, and each insertion would otherwise first wait for its key's hash.
template <typename ValueOf>
PyObject* label_dict_in_order(PyGraph::Data& data, const std::vector<std::uint32_t>& positions, ValueOf&& value_of) {
  PyRef dict = PyRef::owned(dict_for(positions.size()));
  if (!good_share(data.graph, positions.size())) {
    for (std::size_t k = 0; k < positions.size(); ++k) {
      PyRef key = PyRef::owned(label_at(data, positions[k]));
      set_item(dict.get(), key.get(), value_of(k));
    }
    return dict.release();
  }
  // No Python code runs while exact str keys go in, so the kept list stays put.
  const std::vector<PyRef>& labels = labels_made_for(data, positions);
  // The list's slot two steps ahead, then the str the slot names one step ahead.
  constexpr std::size_t kAhead = 16;
  for (std::size_t k = 0; k < positions.size(); ++k) {
    if (k + 2 * kAhead < positions.size()) __builtin_prefetch(&labels[positions[k + 2 * kAhead]]);
    if (k + kAhead < positions.size()) __builtin_prefetch(labels[positions[k + kAhead]].get());
    set_item(dict.get(), labels[positions[k]].get(), value_of(k));
  }
  return dict.release();
}

PyObject* label_list(PyGraph::Data& data, const std::vector<std::uint32_t>& positions) {
  std::vector<PyRef> labels = labels_of(data, positions);
  PyRef list = PyRef::owned(PyList_New(static_cast<Py_ssize_t>(positions.size())));
  for (std::size_t k = 0; k < labels.size(); ++k) {
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), labels[k].release());
  }
  return list.release();
}

// The groups as lists of labels. The labels are made in node order first
// (see labels_of), and the lists stay away from the garbage collector until
// they are complete (lists of str cannot form cycles meanwhile): otherwise
// each of many small lists would count towards a collection that walks all
// the lists made so far.
PyObject* group_lists(PyGraph::Data& data, const NodeGroups& groups) {
  std::vector<PyRef> labels = labels_of(data, groups.members);
  PyRef outer = PyRef::owned(PyList_New(static_cast<Py_ssize_t>(groups.size())));
  PyObject_GC_UnTrack(outer.get());
  for (std::size_t k = 0; k < groups.size(); ++k) {
    const auto size = static_cast<Py_ssize_t>(groups.starts[k + 1] - groups.starts[k]);
    PyObject* inner = PyList_New(size);
    if (inner == nullptr) {
      PyObject_GC_Track(outer.get());
      throw PythonError{};
    }
    PyObject_GC_UnTrack(inner);
    for (Py_ssize_t j = 0; j < size; ++j) {
      PyList_SET_ITEM(inner, j, labels[groups.starts[k] + static_cast<std::size_t>(j)].release());
    }
    PyList_SET_ITEM(outer.get(), static_cast<Py_ssize_t>(k), inner);
  }
  for (std::size_t k = 0; k < groups.size(); ++k)
    PyObject_GC_Track(PyList_GET_ITEM(outer.get(), static_cast<Py_ssize_t>(k)));
  PyObject_GC_Track(outer.get());
  return outer.release();
}

// {label: convert(values[position])} over the first node of each label
// (`include` may narrow it further), in node order.
template <typename Values, typename Convert, typename Include>
PyObject* label_dict(PyGraph::Data& data, const LinkList& links, const Values& values, Convert&& convert,
                     Include&& include) {
  PyRef dict = PyRef::owned(dict_for(links.node_count));
  for (std::uint32_t position = 0; position < links.node_count; ++position) {
    if (!links.canonical[position] || !include(position)) continue;
    PyRef key = PyRef::owned(label_at(data, position));
    set_item(dict.get(), key.get(), convert(values[position]));
  }
  return dict.release();
}

template <typename Values, typename Convert>
PyObject* label_dict(PyGraph::Data& data, const LinkList& links, const Values& values, Convert&& convert) {
  return label_dict(data, links, values, std::forward<Convert>(convert), [](std::uint32_t) { return true; });
}

// The values of the first node of each label, in node order, as a read-only
// memoryview of T (what `as_array=True` returns).
template <typename T, typename Values>
PyObject* node_array(const LinkList& links, const Values& values) {
  std::vector<T> result;
  result.reserve(links.node_count);
  for (std::uint32_t position = 0; position < links.node_count; ++position) {
    if (links.canonical[position]) result.push_back(static_cast<T>(values[position]));
  }
  return export_vector(std::move(result));
}

bool as_array_argument(PyObject* value) { return to_optional_bool(value, "as_array"); }

// The number of each node's group (groups as listed, first 0), in node order.
PyObject* membership_array(const LinkList& links, const NodeGroups& groups) {
  std::vector<std::int64_t> group_of(links.node_count, -1);
  for (std::size_t k = 0; k < groups.size(); ++k) {
    for (const std::uint32_t member : groups[k]) group_of[member] = static_cast<std::int64_t>(k);
  }
  return node_array<std::int64_t>(links, group_of);
}

PyObject* to_int(std::uint64_t value) { return check(PyLong_FromUnsignedLongLong(value)); }
PyObject* to_float(double value) { return check(PyFloat_FromDouble(value)); }

std::size_t taking_part_count(const LinkList& links) {
  std::size_t count = 0;
  for (const std::uint8_t canonical : links.canonical) count += canonical;
  return count;
}

// ---- components ---------------------------------------------------------------------

PyObject* graph_connected_components(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kConnectedComponents, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const auto views = views_of(data);
                                const NodeGroups groups = weak_components(views->links());
                                if (as_array_argument(arguments[0])) return membership_array(views->links(), groups);
                                return group_lists(data, groups);
                              });
}

PyObject* graph_strongly_connected_components(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                                              PyObject* kwnames) {
  return call_method<PyGraph>(self, kStronglyConnectedComponents, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const auto views = views_of(data);
                                const NodeGroups groups = strong_components(views->links(), views->out());
                                if (as_array_argument(arguments[0])) return membership_array(views->links(), groups);
                                return group_lists(data, groups);
                              });
}

PyObject* graph_is_connected(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kIsConnected, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return [&] { return to_python(is_weakly_connected(views_of(data)->links())); }();
                              });
}

// ---- shortest paths ---------------------------------------------------------------------

PyObject* graph_shortest_path(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kShortestPath, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const GraphStore& graph = data.graph;
        const std::uint32_t source = node_named(graph, arguments[0], "source");
        const std::uint32_t target = node_named(graph, arguments[1], "target");
        const bool weighted = weighted_argument(arguments[2]);
        return [&] {
          const auto views = views_of(data);
          const ShortestPaths<> paths =
              shortest_path_tree(graph, views->links(), views->out(), source, weighted, target);
          return label_list(data, path_to(paths, target));
        }();
      });
}

PyObject* graph_shortest_path_lengths(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kShortestPathLengths, Access::Shared, args, nargs, kwnames,
      [](PyGraph::Data& data, const Arguments& arguments) {
        const GraphStore& graph = data.graph;
        const std::uint32_t source = node_named(graph, arguments[0], "source");
        const bool weighted = weighted_argument(arguments[1]);
        const auto views = views_of(data);
        // In the order the nodes were settled: nearest first.
        auto settled_dict = [&](const auto& paths, auto&& convert) {
          return label_dict_in_order(data, paths.settled,
                                     [&](std::size_t k) { return convert(paths.distance[paths.settled[k]]); });
        };
        if (weighted || as_array_argument(arguments[2])) {
          const ShortestPaths<> paths = shortest_path_tree(graph, views->links(), views->out(), source, weighted);
          if (as_array_argument(arguments[2])) return node_array<double>(views->links(), paths.distance);
          return settled_dict(paths, to_float);
        }
        // Hops alone: whole-number distances and no parents, half the memory traffic.
        using Hops = ShortestPaths<std::uint32_t>;
        Hops paths(views->links().node_count, Hops::kDistances);
        paths.breadth_first(views->out(), source);
        return settled_dict(paths, [](std::uint32_t hops) { return to_int(hops); });
      });
}

PyObject* graph_eccentricity(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kEccentricity, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                return [&] {
                                  const auto views = views_of(data);
                                  const auto values = eccentricities(views->links(), views->out());
                                  if (as_array_argument(arguments[0])) {
                                    return node_array<std::int64_t>(views->links(), values);
                                  }
                                  return label_dict(data, views->links(), values, to_int);
                                }();
                              });
}

PyObject* graph_diameter(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kDiameter, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                ProgressReport progress(arguments[0], "Graph.diameter()");
                                return [&] {
                                  const auto views = views_of(data);
                                  const LinkList& links = views->links();
                                  std::uint64_t longest = 0;
                                  const std::vector<std::uint32_t> eccentricity = eccentricities(links, views->out());
                                  for (std::uint32_t node = 0; node < links.node_count; ++node) {
                                    if (links.canonical[node])
                                      longest = std::max<std::uint64_t>(longest, eccentricity[node]);
                                  }
                                  progress.finish();
                                  return to_int(longest);
                                }();
                              });
}

// ---- clustering and cores -------------------------------------------------------------------

PyObject* graph_triangles(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kTriangles, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const auto views = views_of(data);
                                const auto values = count_triangles(views->simple()).triangles;
                                if (as_array_argument(arguments[0])) {
                                  return node_array<std::int64_t>(views->links(), values);
                                }
                                return label_dict(data, views->links(), values, to_int);
                              });
}

PyObject* graph_clustering(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kClustering, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const auto views = views_of(data);
                                const auto values = local_clustering(count_triangles(views->simple()));
                                if (as_array_argument(arguments[0])) return node_array<double>(views->links(), values);
                                return label_dict(data, views->links(), values, to_float);
                              });
}

PyObject* graph_average_clustering(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kAverageClustering, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                return [&] {
                                  const auto views = views_of(data);
                                  const LinkList& links = views->links();
                                  const std::size_t count = taking_part_count(links);
                                  if (count == 0)
                                    throw MeasureError("average clustering is undefined for a graph without nodes");
                                  const std::vector<double> local = local_clustering(count_triangles(views->simple()));
                                  double sum = 0.0;
                                  for (std::size_t node = 0; node < local.size(); ++node) {
                                    if (links.canonical[node]) sum += local[node];
                                  }
                                  return to_float(sum / static_cast<double>(count));
                                }();
                              });
}

PyObject* graph_transitivity(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kTransitivity, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments&) {
        const auto views = views_of(data);
        return to_float(transitivity(count_triangles(views->simple()), views->links().canonical));
      });
}

PyObject* graph_core_number(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kCoreNumber, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments& arguments) {
                                const auto views = views_of(data);
                                const auto values = core_numbers(views->simple());
                                if (as_array_argument(arguments[0]))
                                  return node_array<std::int64_t>(views->links(), values);
                                return label_dict(data, views->links(), values, to_int);
                              });
}

// ---- spanning trees ---------------------------------------------------------------------------

PyObject* graph_minimum_spanning_tree(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kMinimumSpanningTree, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments&) {
        return [&] { return wrap_graph(minimum_spanning_tree(data.graph, views_of(data)->links())); }();
      });
}

// ---- the kept views ----------------------------------------------------------------------

PyObject* graph_drop_cache(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kDropCache, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return to_python(drop_kept(data)); });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef kMethods[] = {
    {"connected_components", as_method(graph_connected_components), kMethod,
     "connected_components($self, *, as_array=False)\n--\n\n" MIVORA_DOC_Graph_connected_components},
    {"strongly_connected_components", as_method(graph_strongly_connected_components), kMethod,
     "strongly_connected_components($self, *, as_array=False)\n--\n\n" MIVORA_DOC_Graph_strongly_connected_components},
    {"is_connected", as_method(graph_is_connected), kMethod,
     "is_connected($self)\n--\n\n" MIVORA_DOC_Graph_is_connected},
    {"shortest_path", as_method(graph_shortest_path), kMethod,
     "shortest_path($self, source, target, weighted=True)\n--\n\n" MIVORA_DOC_Graph_shortest_path},
    {"shortest_path_lengths", as_method(graph_shortest_path_lengths), kMethod,
     "shortest_path_lengths($self, source, weighted=True, *, "
     "as_array=False)\n--\n\n" MIVORA_DOC_Graph_shortest_path_lengths},
    {"clustering", as_method(graph_clustering), kMethod,
     "clustering($self, *, as_array=False)\n--\n\n" MIVORA_DOC_Graph_clustering},
    {"average_clustering", as_method(graph_average_clustering), kMethod,
     "average_clustering($self)\n--\n\n" MIVORA_DOC_Graph_average_clustering},
    {"transitivity", as_method(graph_transitivity), kMethod,
     "transitivity($self)\n--\n\n" MIVORA_DOC_Graph_transitivity},
    {"triangles", as_method(graph_triangles), kMethod,
     "triangles($self, *, as_array=False)\n--\n\n" MIVORA_DOC_Graph_triangles},
    {"core_number", as_method(graph_core_number), kMethod,
     "core_number($self, *, as_array=False)\n--\n\n" MIVORA_DOC_Graph_core_number},
    {"minimum_spanning_tree", as_method(graph_minimum_spanning_tree), kMethod,
     "minimum_spanning_tree($self)\n--\n\n" MIVORA_DOC_Graph_minimum_spanning_tree},
    {"eccentricity", as_method(graph_eccentricity), kMethod,
     "eccentricity($self, *, as_array=False)\n--\n\n" MIVORA_DOC_Graph_eccentricity},
    {"diameter", as_method(graph_diameter), kMethod,
     "diameter($self, *, progress=None)\n--\n\n" MIVORA_DOC_Graph_diameter},
    {"drop_cache", as_method(graph_drop_cache), kMethod, "drop_cache($self)\n--\n\n" MIVORA_DOC_Graph_drop_cache},
};

}  // namespace

std::span<const PyMethodDef> graph_measures_methods() { return kMethods; }

}  // namespace mivora::py
