#pragma once
// GraphViews: one picture of a graph's links, taken once and kept while the
// graph does not change, with the views measures and exports need built on
// first use: the link list, out-rows and in-rows by node position, the
// measured numbering (the first node of each label), the simple undirected
// rows of clustering and cores, and the degrees. Connections to nodes outside
// the graph, or to nodes that are gone, are left out (OutsideTargets::Skip),
// but for the degrees, which count them as the store's records show them.
//
// Memory: the link list 13 bytes per link and 1 per node; out-rows and
// in-rows each 8 bytes per node and 12 per entry (an edge makes two entries,
// an arc one); the numbering 12 bytes per node; the simple rows 8 bytes per
// node and at most 8 per link; the sorted rows of the single-node questions
// 40 bytes per node and 8 per entry (32 per link at most); the degrees 16
// bytes per node. All views together: at most 93 bytes per node and 101 per
// link.
#include <cstdint>
#include <optional>

#include "graph_core/degrees.hpp"
#include "graph_core/link_queries.hpp"
#include "graph_core/snapshot.hpp"
#include "measures/measured_graph.hpp"
#include "measures/simple_rows.hpp"

namespace mivora {

class GraphViews {
 public:
  // Views are handed out only while `graph` is alive (each is built from it
  // on first use); what they hold once built may outlive it.
  explicit GraphViews(const GraphStore& graph) : graph_(graph), serial_(graph.serial()), version_(graph.version()) {}
  GraphViews(const GraphViews&) = delete;
  GraphViews& operator=(const GraphViews&) = delete;

  // Whether these views picture `graph` as it is now.
  bool pictures(const GraphStore& graph) const { return graph.serial() == serial_ && graph.version() == version_; }

  const LinkList& links();
  const AdjacencyRows& out();
  const AdjacencyRows& in();
  // The links with both kinds of rows.
  const Snapshot& snapshot();
  const MeasuredNodes& nodes();
  const SimpleRows& simple();
  // Rows sorted by neighbour and the degrees, for questions about single nodes.
  const LinkRows& link_rows();
  // In, out, total and undirected degrees by canonical position
  // (compute_all_degrees()); null where a connection leads outside the
  // graph, as whether its target is alive may change while the graph does not.
  const std::vector<DegreeRecord>* degrees();

  // Bytes held by the views built so far.
  std::size_t memory_bytes() const;

 private:
  const GraphStore& graph_;
  std::uint64_t serial_;
  std::uint64_t version_;
  Snapshot snapshot_;  // its links and rows are filled on first use
  bool has_links_ = false;
  bool has_out_ = false;
  bool has_in_ = false;
  std::optional<MeasuredNodes> nodes_;
  std::optional<SimpleRows> simple_;
  std::optional<LinkRows> link_rows_;
  std::optional<std::vector<DegreeRecord>> degrees_;
};

}  // namespace mivora
