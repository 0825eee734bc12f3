#include "graph_py/bulk_edges.hpp"

#include "text_io/cancellation.hpp"
#include "text_io/number_text.hpp"

namespace mivora::py {
namespace {

// The first row of `ids` naming no node below `count`, reported.
void check_ids_below(const Column& ids, std::uint64_t count, const char* name, const char* what) {
  if (ids.id_limit <= count) return;
  for (std::size_t row = 0; row < ids.ids.size(); ++row) {
    if (ids.ids[row] >= count) {
      raise_argument_value(name, "row " + integer_text(row) + " holds the id " + integer_text(ids.ids[row]) +
                                     ", but there are " + integer_text(count) + " " + what);
    }
  }
}

// Positions of str endpoints, adding the labels not present as nodes.
void resolve_labels(GraphStore& graph, EdgeColumns& edges) {
  const std::size_t count = edges.sources.labels.size();
  std::vector<std::uint32_t> from(count), to(count);
  for (std::size_t row = 0; row < count; ++row) {
    poll_cancellation();
    from[row] = static_cast<NodeId>(graph.find_or_add_node(edges.sources.labels[row]));
    to[row] = static_cast<NodeId>(graph.find_or_add_node(edges.targets.labels[row]));
  }
  edges.sources.labels = {};
  edges.targets.labels = {};
  edges.sources.ids = std::move(from);
  edges.targets.ids = std::move(to);
}

// Adds the links; the columns are emptied as soon as the store has read
// them. The nodes this call added are kept from then on: nothing after that
// point stops the call, and the links refer to them.
void add_links(GraphStore& graph, EdgeColumns& edges, AddedNodesScope* added = nullptr) {
  if (edges.link_sources != nullptr) *edges.link_sources = edges.sources.ids;
  GraphStore::ConnectionColumns columns;
  columns.from = edges.sources.ids;
  columns.to = edges.targets.ids;
  if (edges.weights) columns.weights = edges.weights->numbers;
  columns.directed = edges.directed;
  columns.columns_read = [&edges, added] {
    if (added != nullptr) added->keep();
    edges.sources.ids = {};
    edges.targets.ids = {};
    edges.weights.reset();
  };
  graph.add_connections(columns);
}

}  // namespace

void check_edge_columns(const EdgeColumns& edges) {
  const std::size_t count = edges.sources.size();
  if (edges.targets.size() != count) {
    raise_argument_value("targets",
                         "has " + integer_text(edges.targets.size()) + " rows, but sources has " + integer_text(count));
  }
  if (edges.weights && edges.weights->size() != count) {
    raise_argument_value(
        "weights", "has " + integer_text(edges.weights->size()) + " rows, but sources has " + integer_text(count));
  }
  if (count > 0 && edges.sources.kind != edges.targets.kind) {
    raise_argument_type("targets", edges.sources.kind == Column::Kind::Labels
                                       ? "holds integer ids, but sources holds str labels"
                                       : "holds str labels, but sources holds integer ids");
  }
}

GraphStore build_graph(EdgeColumns&& edges, const std::optional<Column>& labels) {
  check_edge_columns(edges);
  const bool by_id = edges.sources.size() == 0 || edges.sources.kind == Column::Kind::Ids;
  if (by_id && labels) {
    check_ids_below(edges.sources, labels->size(), "sources", "labels");
    check_ids_below(edges.targets, labels->size(), "targets", "labels");
  }
  GraphStore graph;
  if (labels) {
    graph.reserve(labels->labels.size());
    for (std::size_t row = 0; row < labels->labels.size(); ++row) {
      const std::string_view label = labels->labels[row];
      if (graph.find_by_label(label)) {
        raise_argument_value("labels", "row " + integer_text(row) + " repeats the label '" + std::string(label) + "'");
      }
      graph.find_or_add_node(label);
    }
  }
  if (!by_id) {
    resolve_labels(graph, edges);
  } else if (!labels) {
    graph.add_decimal_nodes(std::max(edges.sources.id_limit, edges.targets.id_limit));
  }
  add_links(graph, edges);
  return graph;
}

void add_edges(GraphStore& graph, EdgeColumns&& edges) {
  check_edge_columns(edges);
  if (edges.sources.size() == 0) return;
  AddedNodesScope added(graph);
  if (edges.sources.kind == Column::Kind::Ids) {
    check_ids_below(edges.sources, graph.node_count(), "sources", "nodes");
    check_ids_below(edges.targets, graph.node_count(), "targets", "nodes");
  } else {
    resolve_labels(graph, edges);
  }
  add_links(graph, edges, &added);
}

void add_labels(GraphStore& graph, const LabelColumn& labels) {
  AddedNodesScope added(graph);
  graph.reserve_more(labels.size());
  for (std::size_t row = 0; row < labels.size(); ++row) {
    poll_cancellation();
    graph.find_or_add_node(labels[row]);
  }
  added.keep();
}

}  // namespace mivora::py
