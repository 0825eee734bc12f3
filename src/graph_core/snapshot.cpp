#include "graph_core/snapshot.hpp"

#include <algorithm>

#include "graph_core/prefetch.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

std::optional<NodeIndex> resolve_target(const GraphStore& graph, const StoredConnection& connection,
                                        const NodeRecord* target, OutsideTargets outside) {
  // The store's rule, except where the snapshot leaves a connection out.
  if (!connection.is_local() && (target == nullptr || outside == OutsideTargets::Skip)) return std::nullopt;
  return graph.record_target_position(connection, target);
}

namespace {

// Fills rows from per-node counts already stored in rows.offsets[1..n]:
// offsets become prefix sums, then each entry is placed by a moving cursor.
template <typename ForEachEntry>
void fill_rows(AdjacencyRows& rows, std::size_t node_count, ForEachEntry&& for_each_entry) {
  for (std::size_t i = 0; i < node_count; ++i) rows.offsets[i + 1] += rows.offsets[i];
  const std::size_t total = rows.offsets[node_count];
  rows.neighbours.resize(total);
  rows.weights.resize(total);
  rows.links.resize(total);
  std::vector<std::uint64_t> cursor(rows.offsets.begin(), rows.offsets.end() - 1);
  for_each_entry([&](std::uint32_t node, std::uint32_t neighbour, Weight weight, std::uint32_t link) {
    const std::uint64_t slot = cursor[node]++;
    rows.neighbours[slot] = neighbour;
    rows.weights[slot] = weight;
    rows.links[slot] = link;
  });
}

}  // namespace

LinkList take_link_list(const GraphStore& graph, OutsideTargets outside) {
  LinkList links;
  const std::size_t n = graph.node_count();
  links.node_count = n;
  const bool unique_labels = !graph.has_duplicate_labels();
  links.canonical.assign(n, 1);
  for (NodeIndex position = 0; position < n && !unique_labels; ++position) {
    links.canonical[position] = graph.canonical_position(position) == position;
  }
  const std::size_t stored = graph.get_edge_count();
  links.link_source.resize(stored);
  links.link_target.resize(stored);
  links.link_weight.resize(stored);
  links.link_directed.resize(stored);
  std::uint32_t* const sources = links.link_source.data();
  std::uint32_t* const targets = links.link_target.data();
  Weight* const weights = links.link_weight.data();
  std::uint8_t* const directed = links.link_directed.data();
  std::size_t kept = 0;
  // Node by node rather than through for_each_connection: the next nodes and
  // their connection lists are asked for ahead. With unique labels a local
  // connection leads to its stored position, which is most connections of
  // most graphs.
  const GraphStore::NodeList& nodes = graph.nodes();
  constexpr NodeIndex kNodeAhead = 32, kListAhead = 16, kLinesAhead = 8;
  BatchedPolling polling;
  for (NodeIndex from = 0; from < n; ++from) {
    if (from + kNodeAhead < n) __builtin_prefetch(&nodes[from + kNodeAhead]->connections);
    // A list's first lines, its counts first: a long list is then read in
    // order, which the hardware follows by itself.
    if (from + kListAhead < n) prefetch_list_start(nodes[from + kListAhead]->connections);
    if (from + kLinesAhead < n) prefetch_list_lines(nodes[from + kLinesAhead]->connections, 512);
    const NodeRecord& node = *nodes[from];
    polling.poll(static_cast<std::uint32_t>(node.connections.size()) + 1);
    const auto source = static_cast<NodeId>(unique_labels ? from : graph.canonical_position(from));
    for (const StoredConnection& connection : node.connections) {
      std::uint32_t to = connection.target;
      if (!connection.is_local() || !unique_labels) {
        links.outside_connections += !connection.is_local();
        const NodeRecord* target = connection.is_local() ? nullptr : graph.target_of(node, connection);
        const std::optional<NodeIndex> found = resolve_target(graph, connection, target, outside);
        if (!found) continue;
        to = static_cast<NodeId>(*found);
      }
      sources[kept] = source;
      targets[kept] = to;
      weights[kept] = connection.weight;
      directed[kept] = static_cast<std::uint8_t>(connection.directed);
      ++kept;
    }
  }
  links.link_source.resize(kept);
  links.link_target.resize(kept);
  links.link_weight.resize(kept);
  links.link_directed.resize(kept);
  return links;
}

namespace {

// Rows of one side: `forward` places each link at its source (and an edge
// also at its head), otherwise the other way round.
AdjacencyRows rows_of(const LinkList& links, bool forward) {
  const std::size_t n = links.node_count;
  AdjacencyRows rows;
  rows.offsets.assign(n + 1, 0);
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    const std::uint32_t source = links.link_source[link];
    const std::uint32_t head = links.link_target[link];
    ++rows.offsets[(forward ? source : head) + 1];
    if (!links.link_directed[link] && source != head) ++rows.offsets[(forward ? head : source) + 1];
  }
  poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(links.link_count(), UINT32_MAX)));
  fill_rows(rows, n, [&links, forward](auto&& place) {
    for (std::uint32_t link = 0; link < links.link_count(); ++link) {
      const std::uint32_t source = links.link_source[link];
      const std::uint32_t head = links.link_target[link];
      const Weight weight = links.link_weight[link];
      place(forward ? source : head, forward ? head : source, weight, link);
      if (!links.link_directed[link] && source != head) {
        place(forward ? head : source, forward ? source : head, weight, link);
      }
    }
  });
  return rows;
}

}  // namespace

AdjacencyRows out_rows(const LinkList& links) { return rows_of(links, true); }
AdjacencyRows in_rows(const LinkList& links) { return rows_of(links, false); }

Snapshot take_snapshot(const GraphStore& graph, OutsideTargets outside) {
  Snapshot snapshot;
  static_cast<LinkList&>(snapshot) = take_link_list(graph, outside);
  snapshot.out = out_rows(snapshot);
  snapshot.in = in_rows(snapshot);
  return snapshot;
}

namespace {

KeptLinksLookup kept_links_lookup = nullptr;

}  // namespace

void set_kept_links_lookup(KeptLinksLookup lookup) { kept_links_lookup = lookup; }

std::shared_ptr<const LinkList> current_links(const GraphStore& graph, OutsideTargets outside) {
  if (kept_links_lookup != nullptr) {
    std::shared_ptr<const LinkList> kept = kept_links_lookup(graph);
    if (kept && (outside == OutsideTargets::Skip || kept->outside_connections == 0)) return kept;
  }
  return std::make_shared<const LinkList>(take_link_list(graph, outside));
}

}  // namespace mivora
