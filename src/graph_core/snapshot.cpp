#include "graph_core/snapshot.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

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

// The four columns of a link list being filled.
struct LinkColumnsOut {
  std::uint32_t* __restrict sources;
  std::uint32_t* __restrict targets;
  Weight* __restrict weights;
  std::uint8_t* __restrict directed;

  // The same columns from link `at` on.
  LinkColumnsOut from(std::size_t at) const { return {sources + at, targets + at, weights + at, directed + at}; }
  void put(std::size_t at, std::uint32_t source, std::uint32_t target, const StoredConnection& connection) const {
    sources[at] = source;
    targets[at] = target;
    weights[at] = connection.weight;
    directed[at] = static_cast<std::uint8_t>(connection.directed);
  }
};

// Four connections at a time, as two vectors of four 32-bit lanes holding
// each connection's weight bits, then its target bits (the compiler's own
// vector types, which become SSE2 or NEON instructions). The lanes follow
// the connection's layout: bit-fields from the lowest bit up on a
// little-endian target, which GCC checks here (clang cannot yet evaluate a
// bit_cast of bit-fields at compile time).
using Lanes = std::uint32_t __attribute__((vector_size(16)));
using Words = std::uint64_t __attribute__((vector_size(16)));
constexpr std::uint32_t kTargetMask = StoredConnection::kMaxTarget, kOutsideBit = 1u << 30;
static_assert(std::endian::native == std::endian::little);
#if !defined(__clang__)
static_assert(std::bit_cast<std::uint64_t>(StoredConnection{1.0f, 5, 0, 1}) ==
              (std::uint64_t{5 | 1u << 31} << 32 | std::bit_cast<std::uint32_t>(1.0f)));
static_assert(std::bit_cast<std::uint64_t>(StoredConnection{0.0f, 0, 1, 0}) == std::uint64_t{kOutsideBit} << 32);
#endif

// Copies four connections when all four are local; writes nothing otherwise.
inline bool copy_four_local(const StoredConnection* in, std::uint32_t source, const LinkColumnsOut& out,
                            std::size_t at) {
  Lanes first, second;
  std::memcpy(&first, in, sizeof first);
  std::memcpy(&second, in + 2, sizeof second);
  const Words either = reinterpret_cast<Words>(first | second);
  if (((either[0] | either[1]) & std::uint64_t{kOutsideBit} << 32) != 0) return false;
  const Lanes bits = __builtin_shufflevector(first, second, 1, 3, 5, 7);
  const Lanes weights = __builtin_shufflevector(first, second, 0, 2, 4, 6);
  const Lanes targets = bits & kTargetMask;
  // The four direction bits as bytes: a pair of lanes holding 0 or 1 each
  // is one 64-bit word, whose high lane shifted onto the second byte.
  const Words pairs = reinterpret_cast<Words>(bits >> 31);
  const Words spread = pairs | (pairs >> 24);
  const auto directed = static_cast<std::uint32_t>((spread[0] & 0xFFFF) | static_cast<std::uint32_t>(spread[1] << 16));
  const Lanes sources = {source, source, source, source};
  std::memcpy(out.sources + at, &sources, sizeof sources);
  std::memcpy(out.targets + at, &targets, sizeof targets);
  std::memcpy(out.weights + at, &weights, sizeof weights);
  std::memcpy(out.directed + at, &directed, sizeof directed);
  return true;
}

// Copies the leading local connections of a list into the link columns
// from `at` on, with the source position each takes; returns how many. With
// unique labels a local connection leads to its stored position, which is
// most connections of most graphs. Four at a time, the last four of a list
// overlapping the four before where its length is not a multiple of four
// (writing some links twice over, the same values).
std::size_t copy_local_connections(std::span<const StoredConnection> list, std::uint32_t source,
                                   const LinkColumnsOut& columns, std::size_t at) {
  const LinkColumnsOut out = columns.from(at);
  const std::size_t size = list.size();
  std::size_t i = 0;
  if (size >= 4) {
    for (; i + 4 < size; i += 4) {
      if (!copy_four_local(list.data() + i, source, out, i)) break;
    }
    if (i + 4 >= size && copy_four_local(list.data() + size - 4, source, out, size - 4)) return size;
    i = std::min(i, size - 4);
  }
  for (; i < size && list[i].is_local(); ++i) out.put(i, source, list[i].target, list[i]);
  return i;
}

// The links of a node's connections from `first` on, each target found by
// the store's rule (repeated labels, nodes of other graphs), written from
// `kept` on; returns the new count. Out of line, so that the quick path's
// loop keeps the columns' addresses in registers.
[[gnu::noinline]] std::size_t copy_resolved_connections(const GraphStore& graph, NodeIndex from, std::size_t first,
                                                        OutsideTargets outside, const LinkColumnsOut& out,
                                                        std::size_t kept, std::size_t& outside_connections) {
  const NodeRecord& node = graph.node(from);
  const auto source = static_cast<NodeId>(graph.canonical_position(from));
  const std::span<const StoredConnection> list(node.connections.data(), node.connections.size());
  for (const StoredConnection& connection : list.subspan(first)) {
    outside_connections += !connection.is_local();
    const NodeRecord* target = connection.is_local() ? nullptr : graph.target_of(node, connection);
    const std::optional<NodeIndex> found = resolve_target(graph, connection, target, outside);
    if (found) out.put(kept++, source, static_cast<NodeId>(*found), connection);
  }
  return kept;
}

}  // namespace

void LinkList::allocate_links(std::size_t count) {
  constexpr std::size_t kBytesPerLink = 2 * sizeof(std::uint32_t) + sizeof(Weight) + sizeof(std::uint8_t);
  if (count > SIZE_MAX / kBytesPerLink) throw std::bad_alloc();
  storage_bytes_ = count * kBytesPerLink;
  storage_.reset(new std::byte[storage_bytes_]);  // left unset: every value is written before it is read
  std::byte* at = storage_.get();
  auto place = [&]<typename T>(LinkColumn<T>& column) {
    column.data_ = reinterpret_cast<T*>(at);
    column.size_ = count;
    at += count * sizeof(T);
  };
  // The bytes last: the other columns start at multiples of four.
  place(link_source);
  place(link_target);
  place(link_weight);
  place(link_directed);
}

void LinkList::keep_links(std::size_t count) {
  link_source.size_ = link_target.size_ = link_weight.size_ = link_directed.size_ = count;
}

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
  links.allocate_links(stored);
  const LinkColumnsOut out{links.link_source.data(), links.link_target.data(), links.link_weight.data(),
                           links.link_directed.data()};
  std::size_t kept = 0;
  // Node by node rather than through for_each_connection: the next nodes and
  // their connection lists are asked for ahead.
  const GraphStore::NodeList& nodes = graph.nodes();
  constexpr NodeIndex kNodeAhead = 32, kListAhead = 16, kLinesAhead = 8;
  BatchedPolling polling;
  for (NodeIndex from = 0; from < n; ++from) {
    if (from + kNodeAhead < n) __builtin_prefetch(&nodes[from + kNodeAhead]->connections);
    // A list's first lines, its counts first: a long list is then read in
    // order, which the hardware follows by itself.
    if (from + kListAhead < n) prefetch_list_start(nodes[from + kListAhead]->connections);
    if (from + kLinesAhead < n) prefetch_list_end(nodes[from + kLinesAhead]->connections);
    const ConnectionList& list = nodes[from]->connections;
    polling.poll(static_cast<std::uint32_t>(list.size()) + 1);
    const std::size_t copied =
        unique_labels ? copy_local_connections({list.data(), list.size()}, static_cast<NodeId>(from), out, kept) : 0;
    kept += copied;
    if (copied != list.size()) {
      kept = copy_resolved_connections(graph, from, copied, outside, out, kept, links.outside_connections);
    }
  }
  links.keep_links(kept);
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
