#include "graph_core/snapshot.hpp"

#include "text_io/cancellation.hpp"

namespace mivora {

std::optional<NodeIndex> resolve_target(const _Graph& graph, const StoredConnection& connection,
                                        const _Node* target, OutsideTargets outside) {
  if (connection.is_local()) return graph.canonical_position(connection.local_target);
  if (target == nullptr || outside == OutsideTargets::Skip) return std::nullopt;
  return graph.find_by_label(target->label);
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

Snapshot take_snapshot(const _Graph& graph, OutsideTargets outside) {
  Snapshot snapshot;
  const std::size_t n = graph.node_count();
  snapshot.node_count = n;
  snapshot.canonical.resize(n);
  for (NodeIndex position = 0; position < n; ++position) {
    snapshot.canonical[position] = graph.canonical_position(position) == position;
  }

  const std::size_t stored = graph.get_edge_count();
  snapshot.link_source.reserve(stored);
  snapshot.link_target.reserve(stored);
  snapshot.link_weight.reserve(stored);
  snapshot.link_directed.reserve(stored);
  snapshot.out.offsets.assign(n + 1, 0);
  snapshot.in.offsets.assign(n + 1, 0);
  graph.for_each_connection([&](NodeIndex from, const _Node&, const StoredConnection& connection,
                                const _Node* target) {
    const std::optional<NodeIndex> to = resolve_target(graph, connection, target, outside);
    // Polled once `target` is used: Python code run by the poll may drop its last owner.
    poll_cancellation();
    if (!to) return;
    const auto source = static_cast<std::uint32_t>(graph.canonical_position(from));
    const auto head = static_cast<std::uint32_t>(*to);
    snapshot.link_source.push_back(source);
    snapshot.link_target.push_back(head);
    snapshot.link_weight.push_back(connection.weight);
    snapshot.link_directed.push_back(connection.directed);
    ++snapshot.out.offsets[source + 1];
    ++snapshot.in.offsets[head + 1];
    if (!connection.directed && source != head) {
      ++snapshot.out.offsets[head + 1];
      ++snapshot.in.offsets[source + 1];
    }
  });

  // Visits each link's row entries as (node, neighbour, weight, link) for the
  // out-rows (forward) or the in-rows (backward).
  auto entries = [&snapshot](bool forward) {
    return [&snapshot, forward](auto&& place) {
      for (std::uint32_t link = 0; link < snapshot.link_count(); ++link) {
        const std::uint32_t source = snapshot.link_source[link];
        const std::uint32_t head = snapshot.link_target[link];
        const Weight weight = snapshot.link_weight[link];
        place(forward ? source : head, forward ? head : source, weight, link);
        if (!snapshot.link_directed[link] && source != head) {
          place(forward ? head : source, forward ? source : head, weight, link);
        }
      }
    };
  };
  fill_rows(snapshot.out, n, entries(true));
  fill_rows(snapshot.in, n, entries(false));
  return snapshot;
}

}  // namespace mivora
