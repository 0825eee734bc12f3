#pragma once
// Growing a graph from columns read off Python objects: labels become nodes,
// ids name positions, and links are added in one bulk step. Every check
// that can refuse the input runs before the graph is changed.
#include <optional>

#include "graph_core/graph.hpp"
#include "graph_py/column_reader.hpp"

namespace mivora::py {

// The links of one call: endpoints, weights (absent: 1.0 each), direction.
struct EdgeColumns {
  Column sources;
  Column targets;
  std::optional<Column> weights;
  bool directed = false;
  // When set, receives the source position of each link added, in row
  // order (to place attribute values on them).
  std::vector<std::uint32_t>* link_sources = nullptr;
};

// Checks that the columns agree in length and kind (ValueError, TypeError).
void check_edge_columns(const EdgeColumns& edges);

// A new graph: `labels` first, in order (ValueError if one repeats); then,
// for integer ids, the nodes they name (without labels: one node per id
// 0 .. the largest, labelled with its decimal text; with labels: ids index
// them), or for str endpoints, each label not yet present in order of first
// appearance (source before target); then the links in row order.
GraphStore build_graph(EdgeColumns&& edges, const std::optional<Column>& labels);

// Adds the links to `graph`: ids must name its nodes (ValueError before any
// change otherwise); str labels not present become new nodes. All or
// nothing: a cancellation (Ctrl-C) or error takes back the nodes added.
void add_edges(GraphStore& graph, EdgeColumns&& edges);

// Adds a node for each label not present yet, in order; the others are left
// alone, without the message add_node prints. All or nothing, as add_edges.
void add_labels(GraphStore& graph, const LabelColumn& labels);

}  // namespace mivora::py
