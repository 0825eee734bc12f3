// Graph methods for exchanging graphs with arrays, tables, networkx and igraph.
#include <algorithm>
#include <limits>

#include "graph_core/adjacency_matrix.hpp"
#include "graph_core/snapshot.hpp"
#include "graph_py/arrow_reader.hpp"
#include "graph_py/attribute_values.hpp"
#include "graph_py/bulk_edges.hpp"
#include "graph_py/column_reader.hpp"
#include "graph_py/exported_array.hpp"
#include "graph_py/peer_graphs.hpp"
#include "graph_py/progress_report.hpp"
#include "graph_py/py_graph.hpp"
#include "docstrings.hpp"

namespace mivora::py {
namespace {

constexpr Signature kFromEdges =
    Signature{"Graph.from_edges()", {"sources", "targets", "weights", "directed", "labels", "ids", "progress"}, 2}
        .keyword_only_from(5);
constexpr Signature kFromTable =
    Signature{
        "Graph.from_table()", {"table", "source", "target", "weight", "directed", "attributes", "ids", "progress"}, 1}
        .keyword_only_from(5);
constexpr Signature kAddEdges =
    Signature{"Graph.add_edges()", {"sources", "targets", "weights", "directed", "attributes", "progress"}, 2}
        .keyword_only_from(4);
constexpr Signature kAddNodes = Signature{"Graph.add_nodes()", {"labels", "attributes"}, 1}.keyword_only_from(1);
constexpr Signature kToCsr{"Graph.to_csr()", {}, 0};
constexpr Signature kToEdges{"Graph.to_edges()", {}, 0};
constexpr Signature kAdjacencyArray{"Graph.adjacency_array()", {"dtype"}, 0};
constexpr Signature kToScipy{"Graph.to_scipy()", {}, 0};
constexpr Signature kFromNetworkx{"Graph.from_networkx()", {"graph", "weight"}, 1};
constexpr Signature kToNetworkx{"Graph.to_networkx()", {}, 0};
constexpr Signature kFromIgraph{"Graph.from_igraph()", {"graph", "weight", "label"}, 1};
constexpr Signature kToIgraph{"Graph.to_igraph()", {}, 0};

bool given(PyObject* argument) { return argument != nullptr && argument != Py_None; }

// ---- building from columns -----------------------------------------------------------

// What integer ids mean: node positions, or labels (their decimal text).
enum class IdMeaning { Positions, Labels };

// The `ids` argument: 'positions' or 'labels'; left out or None: `fallback`.
std::optional<IdMeaning> id_meaning(PyObject* value) {
  if (!given(value)) return std::nullopt;
  const std::string_view meaning = to_text(value, "ids");
  if (meaning == "positions") return IdMeaning::Positions;
  if (meaning == "labels") return IdMeaning::Labels;
  raise_argument_value("ids", "expected 'positions' or 'labels', got '" + std::string(meaning) + "'");
}

ColumnRole endpoint_role(IdMeaning ids) {
  return ids == IdMeaning::Labels ? ColumnRole::IdLabels : ColumnRole::Endpoints;
}

EdgeColumns read_edges(PyObject* sources, PyObject* targets, PyObject* weights, PyObject* directed,
                       IdMeaning ids = IdMeaning::Positions) {
  EdgeColumns edges;
  edges.sources = read_column(sources, "sources", endpoint_role(ids));
  edges.targets = read_column(targets, "targets", endpoint_role(ids));
  if (given(weights)) edges.weights = read_column(weights, "weights", ColumnRole::Weights);
  edges.directed = to_optional_bool(directed, "directed");
  return edges;
}

// Ids taken as positions make one node per id up to the largest. A call
// whose largest id would make more than kSparseIdFactor times as many nodes
// as it names (and more than kSparseIdFloor) is refused unless positions
// were asked for: such ids are nearly always labels, such as user numbers.
constexpr std::uint64_t kSparseIdFactor = 4;
constexpr std::uint64_t kSparseIdFloor = 1000;

void refuse_sparse_ids(const EdgeColumns& edges) {
  if (edges.sources.kind != Column::Kind::Ids || edges.targets.kind != Column::Kind::Ids) return;
  const std::uint64_t nodes = std::max(edges.sources.id_limit, edges.targets.id_limit);
  if (nodes <= kSparseIdFloor) return;
  const std::uint64_t named_at_most = 2 * static_cast<std::uint64_t>(edges.sources.ids.size());
  std::uint64_t distinct = 0;
  if (nodes <= kSparseIdFactor * named_at_most) {
    std::vector<bool> seen(nodes, false);
    for (const Column* column : {&edges.sources, &edges.targets}) {
      for (const std::uint32_t id : column->ids) {
        if (!seen[id]) {
          seen[id] = true;
          ++distinct;
        }
      }
    }
  } else {
    // Refused whatever the count: it is only wanted for the message.
    std::vector<std::uint32_t> named(edges.sources.ids);
    named.insert(named.end(), edges.targets.ids.begin(), edges.targets.ids.end());
    std::sort(named.begin(), named.end());
    distinct = static_cast<std::uint64_t>(std::unique(named.begin(), named.end()) - named.begin());
  }
  if (nodes <= kSparseIdFactor * distinct) return;
  raise_argument_value("sources", "the largest id, " + std::to_string(nodes - 1) + ", would make " +
                                      std::to_string(nodes) + " nodes for " + std::to_string(distinct) +
                                      " distinct ids; pass ids='labels' to make one node per distinct id, "
                                      "labelled with it, or ids='positions' to make every node up to the largest id");
}

PyObject* graph_from_edges(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_static(kFromEdges, args, nargs, kwnames, [](const Arguments& arguments) {
    const std::optional<IdMeaning> ids = id_meaning(arguments[5]);
    std::optional<Column> labels;
    if (given(arguments[4])) {
      if (ids == IdMeaning::Labels) {
        raise_argument_value("labels", "ids='labels' makes the ids the labels; pass labels=None");
      }
      labels = read_column(arguments[4], "labels", ColumnRole::Labels);
    }
    ProgressReport progress(arguments[6], "Graph.from_edges()");
    EdgeColumns edges =
        read_edges(arguments[0], arguments[1], arguments[2], arguments[3], ids.value_or(IdMeaning::Positions));
    if (!ids && !labels) refuse_sparse_ids(edges);
    PyRef graph = PyRef::owned(wrap_graph(build_graph(std::move(edges), labels)));
    progress.finish();
    return graph.release();
  });
}

// A column name argument: a str, or (for `weight`) None.
std::string column_name(PyObject* value, const char* name, const char* fallback) {
  return value == nullptr ? std::string(fallback) : std::string(to_text(value, name));
}

// The `attributes` argument of from_table: None (every other column) or a
// sequence of column names.
TableAttributes table_attributes(PyObject* value) {
  TableAttributes attributes;
  if (!given(value)) return attributes;
  attributes.all_others = false;
  if (PyUnicode_Check(value)) raise_argument_type("attributes", "expected a list of column names, got 'str'");
  PyRef sequence = PyRef::steal(PySequence_Fast(value, ""));
  if (!sequence) {
    PyErr_Clear();
    raise_argument_type("attributes", "expected a list of column names, got '" + type_name(value) + "'");
  }
  for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(sequence.get()); ++i) {
    const std::string name(to_text(PySequence_Fast_GET_ITEM(sequence.get(), i), "attributes"));
    check_attribute_name(name, false, "attributes");
    attributes.names.push_back(name);
  }
  return attributes;
}

void warn_skipped(const char* method, const std::vector<std::string>& skipped) {
  if (skipped.empty()) return;
  std::string message = std::string(method) + ": columns not kept as attributes: ";
  for (std::size_t k = 0; k < skipped.size(); ++k) message += (k ? ", " : "") + skipped[k];
  if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) < 0) throw PythonError{};
}

PyObject* graph_from_table(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_static(kFromTable, args, nargs, kwnames, [](const Arguments& arguments) {
    // Integer columns of a table hold labels unless positions are asked for.
    const ColumnRole endpoints = endpoint_role(id_meaning(arguments[6]).value_or(IdMeaning::Labels));
    std::vector<TableColumnRequest> requests{{"source", column_name(arguments[1], "source", "source"), endpoints},
                                             {"target", column_name(arguments[2], "target", "target"), endpoints}};
    if (given(arguments[3]))
      requests.push_back({"weight", column_name(arguments[3], "weight", ""), ColumnRole::Weights});
    const bool directed = to_optional_bool(arguments[4], "directed");
    ProgressReport progress(arguments[7], "Graph.from_table()");
    TableAttributes attributes = table_attributes(arguments[5]);
    std::vector<Column> columns = read_table_columns(arguments[0], "table", requests, &attributes);
    BatchAttributes batch;
    batch.names = attributes.names;
    for (AttributeBuilder& builder : attributes.builders) batch.columns.push_back(builder.finish());
    attributes.builders.clear();
    std::vector<std::uint32_t> sources;
    EdgeColumns edges;
    edges.sources = std::move(columns[0]);
    edges.targets = std::move(columns[1]);
    if (columns.size() > 2) edges.weights = std::move(columns[2]);
    edges.directed = directed;
    if (!batch.names.empty()) edges.link_sources = &sources;
    GraphStore graph = build_graph(std::move(edges), std::nullopt);
    if (!batch.names.empty()) {
      const std::vector<std::size_t> rows = graph.attributes().rows_of_appended(graph, sources);
      join_rows(graph.attributes().connections(), batch, rows);
    }
    warn_skipped("Graph.from_table()", attributes.skipped);
    progress.finish();
    return wrap_graph(std::move(graph));
  });
}

PyObject* graph_add_edges(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kAddEdges, Access::Append, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        ProgressReport progress(arguments[5], "Graph.add_edges()");
        EdgeColumns edges = read_edges(arguments[0], arguments[1], arguments[2], arguments[3]);
        const BatchAttributes batch =
            read_batch_attributes(arguments[4], edges.sources.size(), false, "attributes", "links");
        GraphStore& graph = data.graph;
        check_joinable(graph.attributes().connections(), batch);
        std::vector<std::uint32_t> sources;
        if (!batch.names.empty()) edges.link_sources = &sources;
        add_edges(graph, std::move(edges));
        if (!batch.names.empty()) {
          const std::vector<std::size_t> rows = graph.attributes().rows_of_appended(graph, sources);
          join_rows(graph.attributes().connections(), batch, rows);
        }
        progress.finish();
        return none();
      });
}

PyObject* graph_add_nodes(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kAddNodes, Access::Append, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const Column labels = read_column(arguments[0], "labels", ColumnRole::Labels);
        const BatchAttributes batch =
            read_batch_attributes(arguments[1], labels.labels.size(), true, "attributes", "labels");
        GraphStore& graph = data.graph;
        check_joinable(graph.attributes().nodes(), batch);
        add_labels(graph, labels.labels);
        if (!batch.names.empty()) {
          // Each row's values go to the node carrying its label (a later row of the same label wins).
          std::vector<std::size_t> rows(labels.labels.size());
          for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = *graph.find_by_label(labels.labels[row]);
          join_rows(graph.attributes().nodes(), batch, rows);
        }
        return none();
      });
}

// ---- arrays out ------------------------------------------------------------------------

// Node positions as int32 while they fit (every graph of fewer than 2^31 nodes).
const char* position_format(std::size_t node_count) { return node_count < (std::size_t{1} << 31) ? "i" : "I"; }

PyObject* tuple_of(std::initializer_list<PyObject*> owned_items) {
  std::vector<PyRef> items;
  for (PyObject* item : owned_items) items.push_back(PyRef::steal(item));
  PyRef tuple = PyRef::owned(PyTuple_New(static_cast<Py_ssize_t>(items.size())));
  for (std::size_t i = 0; i < items.size(); ++i)
    PyTuple_SET_ITEM(tuple.get(), static_cast<Py_ssize_t>(i), items[i].release());
  return tuple.release();
}

// The arrays are the kept views' own memory (read-only, kept alive by the
// arrays): a second export of an unchanged graph copies nothing.
PyObject* csr_arrays(PyGraph::Data& data) {
  const std::shared_ptr<GraphViews> views = views_of(data);
  const AdjacencyRows& out = views->out();
  const char* format = position_format(views->links().node_count);
  PyRef indptr = PyRef::owned(export_shared(views, out.offsets, "q"));
  PyRef indices = PyRef::owned(export_shared(views, out.neighbours, format));
  PyRef weights = PyRef::owned(export_shared(views, out.weights));
  return tuple_of({indptr.release(), indices.release(), weights.release()});
}

PyObject* graph_to_csr(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kToCsr, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return csr_arrays(data); });
}

PyObject* graph_to_edges(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kToEdges, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments&) {
        const std::shared_ptr<GraphViews> views = views_of(data);
        const LinkList& links = views->links();
        const char* format = position_format(links.node_count);
        PyRef sources = PyRef::owned(export_shared(views, links.link_source, format));
        PyRef targets = PyRef::owned(export_shared(views, links.link_target, format));
        PyRef weights = PyRef::owned(export_shared(views, links.link_weight));
        PyRef directed = PyRef::owned(export_shared(views, links.link_directed, "?"));
        return tuple_of({sources.release(), targets.release(), weights.release(), directed.release()});
      });
}

template <typename Cell>
PyObject* dense_adjacency(const GraphStore& graph) {
  const std::size_t n = graph.node_count();
  if (n != 0 && n > std::numeric_limits<std::size_t>::max() / n / sizeof(Cell)) throw std::bad_alloc();
  std::vector<Cell> cells(n * n, Cell{0});
  for_each_matrix_write(
      graph,
      [&](NodeIndex row, NodeIndex column, float weight) { cells[row * n + column] = static_cast<Cell>(weight); },
      [] {
        PyErr_SetString(PyExc_ValueError,
                        "a connection leads to a node outside the graph whose label no node of the graph carries");
        throw PythonError{};
      });
  const auto side = static_cast<Py_ssize_t>(n);
  return export_array(std::make_unique<VectorStorage<Cell>>(std::move(cells)),
                      ArrayLayout{format_of<Cell>(), sizeof(Cell), 2, {side, side}});
}

PyObject* graph_adjacency_array(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(
      self, kAdjacencyArray, Access::Shared, args, nargs, kwnames, [](PyGraph::Data& data, const Arguments& arguments) {
        const std::string_view dtype = arguments[0] ? to_text(arguments[0], "dtype") : "float32";
        if (dtype == "float32") return dense_adjacency<float>(data.graph);
        if (dtype == "float64") return dense_adjacency<double>(data.graph);
        raise_argument_value("dtype", "expected 'float32' or 'float64', got '" + std::string(dtype) + "'");
      });
}

PyObject* graph_to_scipy(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kToScipy, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) {
                                PyRef sparse = import_peer("scipy.sparse", "Graph.to_scipy()", "scipy");
                                PyRef arrays = PyRef::owned(csr_arrays(data));
                                const std::size_t n = data.graph.node_count();
                                return scipy_csr(sparse.get(), arrays.get(), n);
                              });
}

// ---- networkx and igraph ---------------------------------------------------------------

// An attribute name argument: a str, None (no attribute), or left out (the default).
class AttributeName {
 public:
  AttributeName(PyObject* value, const char* name, const char* fallback) {
    if (value == nullptr) {
      name_ = PyRef::owned(PyUnicode_FromString(fallback));
    } else if (value != Py_None) {
      to_text(value, name);  // refuses anything but str with the usual message
      name_ = PyRef::borrow(value);
    }
  }
  PyObject* get() const { return name_.get(); }

 private:
  PyRef name_;
};

PyObject* graph_from_networkx(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_static(kFromNetworkx, args, nargs, kwnames, [](const Arguments& arguments) {
    const AttributeName weight(arguments[1], "weight", "weight");
    return wrap_graph(graph_from_networkx_graph(arguments[0], weight.get()));
  });
}

PyObject* graph_to_networkx(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kToNetworkx, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return networkx_graph_of(data.graph); });
}

PyObject* graph_from_igraph(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_static(kFromIgraph, args, nargs, kwnames, [](const Arguments& arguments) {
    const AttributeName weight(arguments[1], "weight", "weight");
    const AttributeName label(arguments[2], "label", "name");
    return wrap_graph(graph_from_igraph_graph(arguments[0], weight.get(), label.get()));
  });
}

PyObject* graph_to_igraph(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return call_method<PyGraph>(self, kToIgraph, Access::Shared, args, nargs, kwnames,
                              [](PyGraph::Data& data, const Arguments&) { return igraph_graph_of(data.graph); });
}

constexpr int kMethod = METH_FASTCALL | METH_KEYWORDS;
constexpr int kStatic = METH_FASTCALL | METH_KEYWORDS | METH_STATIC;

PyMethodDef kMethods[] = {
    {"from_edges", as_method(graph_from_edges), kStatic,
     "from_edges(sources, targets, weights=None, directed=False, labels=None, *, ids=None, "
     "progress=None)\n--\n\n" MIVORA_DOC_Graph_from_edges},
    {"from_table", as_method(graph_from_table), kStatic,
     "from_table(table, source='source', target='target', weight=None, "
     "directed=False, *, attributes=None, ids='labels', progress=None)\n--\n\n" MIVORA_DOC_Graph_from_table},
    {"add_edges", as_method(graph_add_edges), kMethod,
     "add_edges($self, sources, targets, weights=None, directed=False, *, attributes=None, "
     "progress=None)\n--\n\n" MIVORA_DOC_Graph_add_edges},
    {"add_nodes", as_method(graph_add_nodes), kMethod,
     "add_nodes($self, labels, *, attributes=None)\n--\n\n" MIVORA_DOC_Graph_add_nodes},
    {"to_csr", as_method(graph_to_csr), kMethod, "to_csr($self)\n--\n\n" MIVORA_DOC_Graph_to_csr},
    {"to_edges", as_method(graph_to_edges), kMethod, "to_edges($self)\n--\n\n" MIVORA_DOC_Graph_to_edges},
    {"adjacency_array", as_method(graph_adjacency_array), kMethod,
     "adjacency_array($self, dtype='float32')\n--\n\n" MIVORA_DOC_Graph_adjacency_array},
    {"to_scipy", as_method(graph_to_scipy), kMethod, "to_scipy($self)\n--\n\n" MIVORA_DOC_Graph_to_scipy},
    {"from_networkx", as_method(graph_from_networkx), kStatic,
     "from_networkx(graph, weight='weight')\n--\n\n" MIVORA_DOC_Graph_from_networkx},
    {"to_networkx", as_method(graph_to_networkx), kMethod, "to_networkx($self)\n--\n\n" MIVORA_DOC_Graph_to_networkx},
    {"from_igraph", as_method(graph_from_igraph), kStatic,
     "from_igraph(graph, weight='weight', label='name')\n--\n\n" MIVORA_DOC_Graph_from_igraph},
    {"to_igraph", as_method(graph_to_igraph), kMethod, "to_igraph($self)\n--\n\n" MIVORA_DOC_Graph_to_igraph},
};

}  // namespace

std::span<const PyMethodDef> graph_bridges_methods() { return kMethods; }

}  // namespace mivora::py
