#include "graph_core/graph.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <limits>

#include "graph_core/internal_error.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/number_text.hpp"

namespace mivora {
namespace {

std::uint64_t next_graph_serial() {
  static std::atomic<std::uint64_t> counter{NodeRecord::kNoGraph};
  return ++counter;
}

std::atomic<DuplicateLabelReport> installed_report{nullptr};

void report_duplicate(std::string_view label) {
  if (const DuplicateLabelReport report = installed_report.load(std::memory_order_relaxed)) report(label);
}

std::atomic<GraphLookup> installed_lookup{nullptr};

}  // namespace

void set_duplicate_label_report(DuplicateLabelReport report) {
  installed_report.store(report, std::memory_order_relaxed);
}

void OwnedNodes::release() noexcept {
  for (const NodeHandle& node : *this) {
    if (node.use_count() > 1) node->hold_local_targets_by_handle(*this);
  }
}

void set_graph_lookup(GraphLookup lookup) { installed_lookup.store(lookup, std::memory_order_relaxed); }

NodeHandle connection_target(const NodeRecord& from, const StoredConnection& connection) {
  if (!connection.is_local()) return from.outside_target(connection);
  const GraphLookup lookup = installed_lookup.load(std::memory_order_relaxed);
  const GraphStore* graph = lookup ? lookup(from.graph_serial) : nullptr;
  if (graph == nullptr || connection.target >= graph->node_count()) return nullptr;
  return graph->nodes()[connection.target];
}

GraphStore::GraphStore() : serial_(next_graph_serial()) {}

void GraphStore::reserve(std::size_t count) {
  nodes_.reserve(count);
  index_.reserve(count);
}

void GraphStore::reserve_more(std::size_t extra) {
  const std::size_t wanted = nodes_.size() + extra;
  if (wanted > nodes_.capacity()) nodes_.reserve(std::max(wanted, 2 * nodes_.capacity()));
  index_.reserve(index_.size() + extra);
}

void GraphStore::truncate_nodes(std::size_t count) noexcept {
  if (nodes_.size() <= count) return;
  while (nodes_.size() > count) {
    if (nodes_.size() == indexed_) index_.erase(--indexed_, hash_label(nodes_.back()->label));
    nodes_.pop_back();
  }
  note_own_change();
}

void GraphStore::index_the_rest() const {
  const NodeIndex first = indexed_;
  indexed_ = nodes_.size();
  if (index_.insert_all(nodes_, first)) fail("nodes appended as distinct share a label");
}

NodeIndex GraphStore::append(NodeHandle node) {
  LabelIndex& index = this->index();
  const NodeIndex position = nodes_.size();
  node->graph_serial = serial_;
  node->position = static_cast<NodeId>(position);
  nodes_.push_back(std::move(node));
  note_own_change();
  const NodeRecord& added = *nodes_.back();
  if (index.insert(added.label, position, hash_label(added.label), nodes_) != position) has_duplicate_labels_ = true;
  indexed_ = nodes_.size();
  return position;
}

std::pair<NodeIndex, bool> GraphStore::add_unique(NodeHandle node, std::uint64_t hash) {
  const NodeIndex position = nodes_.size();
  if (nodes_.size() == nodes_.capacity()) nodes_.reserve(std::max<std::size_t>(16, nodes_.size() * 2));
  // The index is updated before the node is appended: nothing after it can fail.
  const NodeIndex present = index().insert(node->label, position, hash, nodes_);
  if (present != position) {
    report_duplicate(node->label);
    return {present, false};
  }
  node->graph_serial = serial_;
  node->position = static_cast<NodeId>(position);  // the index refuses positions from 2^32 - 2 on
  nodes_.push_back(std::move(node));
  indexed_ = nodes_.size();
  note_own_change();
  return {position, true};
}

// Looked up before a node is made: the pool never takes back a slice, so a
// node made only to be refused would waste its memory for the pool's life.
std::optional<NodeIndex> GraphStore::present_duplicate(std::string_view label, std::uint64_t hash) const {
  const auto present = index().find(label, hash, nodes_);
  if (present) report_duplicate(label);
  return present;
}

// The index slot of the label is requested first, so that its cache miss
// overlaps with making the node.
NodeIndex GraphStore::add_node(std::string_view label) {
  const std::uint64_t hash = hash_label(label);
  index().prefetch(hash);
  if (const auto present = present_duplicate(label, hash)) return *present;
  return add_unique(new_node(label), hash).first;
}

NodeIndex GraphStore::add_node_with_pos(std::string_view label, double x, double y) {
  const std::uint64_t hash = hash_label(label);
  index().prefetch(hash);
  if (const auto present = present_duplicate(label, hash)) return *present;
  room_for_coordinates(nodes_.size());
  const auto [position, added] = add_unique(new_node(label), hash);
  if (added) {
    set_coordinates(position, x, y);
    has_positions_ = true;
  }
  return position;
}

NodeIndex GraphStore::append_node_unchecked(std::string_view label) { return append(new_node(label)); }

NodeIndex GraphStore::append_distinct_node(std::string_view label) {
  auto node = new_node(label);
  const NodeIndex position = nodes_.size();
  node->graph_serial = serial_;
  node->position = static_cast<NodeId>(position);
  nodes_.push_back(std::move(node));
  note_own_change();
  return position;  // indexed when the index is first needed (index())
}

std::optional<NodeIndex> GraphStore::add_node_if_new(std::string_view label, const double* xy) {
  const std::uint64_t hash = hash_label(label);
  const LabelIndex& index = this->index();
  index.prefetch(hash);
  if (index.find(label, hash, nodes_)) return std::nullopt;
  if (xy != nullptr) room_for_coordinates(nodes_.size());
  const NodeIndex position = add_unique(new_node(label), hash).first;
  if (xy != nullptr) {
    set_coordinates(position, xy[0], xy[1]);
    has_positions_ = true;
  }
  return position;
}

NodeIndex GraphStore::append_node_unchecked(std::string_view label, double x, double y) {
  room_for_coordinates(nodes_.size());
  const NodeIndex position = append(new_node(label));
  set_coordinates(position, x, y);
  has_positions_ = true;
  return position;
}

void GraphStore::room_for_coordinates(std::size_t position) {
  if (coordinates_.size() <= position) coordinates_.resize(std::max(nodes_.size(), position + 1));
}

void GraphStore::set_coordinates(NodeIndex position, double x, double y) {
  room_for_coordinates(position);
  coordinates_[position] = {x, y};
  NodeRecord& node = *nodes_[position];
  node.has_x = node.has_y = true;
}

void GraphStore::add_decimal_nodes(std::size_t count) {
  if (!nodes_.empty()) fail("decimal nodes on a graph in use");
  note_own_change();
  index_.set_decimal_labels(count);
  indexed_ = count;
  nodes_.reserve(count);
  std::string text;
  for (std::size_t id = 0; id < count; ++id) {
    poll_cancellation();
    text.clear();
    append_integer(text, id);
    auto node = new_node(text);
    node->graph_serial = serial_;
    node->position = static_cast<NodeId>(id);
    nodes_.push_back(std::move(node));
  }
}

void GraphStore::create_connection(std::string_view from_label, std::string_view to_label, bool directed,
                                   Weight weight) {
  // Six cache misses lie on this path (two index slots, two entries of the
  // node list, two nodes); they are started in pairs so that each pair
  // costs one wait.
  const std::uint64_t from_hash = hash_label(from_label);
  const std::uint64_t to_hash = hash_label(to_label);
  const LabelIndex& index = this->index();
  index.prefetch(from_hash);
  index.prefetch(to_hash);
  const std::uint64_t hashes[] = {from_hash, to_hash};
  index.prefetch_nodes(hashes, nodes_);
  const auto from = index.find(from_label, from_hash, nodes_);
  if (!from) fail(kFromNotFound);
  NodeRecord& source = *nodes_[*from];
  __builtin_prefetch(source.connections.data() + source.connections.size(), 1);
  const auto to = index.find(to_label, to_hash, nodes_);
  if (!to) fail(kToNotFound);
  add_own_connection(source, *to, directed, weight);
  note_own_change(1);
}

template <typename ConnectionAt>
void GraphStore::append_connections(std::size_t count, ConnectionAt&& connection) {
  add_counted(count, [&] {
    // Each list is sized exactly first: no slack, and the lists lie in node order.
    std::vector<std::uint32_t> counts(nodes_.size(), 0);
    for (std::size_t i = 0; i < count; ++i) ++counts[connection(i).from];
    for (NodeIndex position = 0; position < nodes_.size(); ++position) {
      if (counts[position] == 0) continue;
      auto& list = nodes_[position]->connections;
      list.reserve(list.size() + counts[position]);
    }
    counts = {};
    // Sources come in input order, which is random: the three dependent
    // loads of each step (list entry, node, end of its connection list) are
    // prefetched at staggered distances ahead.
    constexpr std::size_t kFar = 24, kMid = 16, kNear = 8;
    for (std::size_t i = 0; i < count; ++i) {
      if (i + kFar < count) __builtin_prefetch(&nodes_[connection(i + kFar).from]);
      if (i + kMid < count) __builtin_prefetch(nodes_[connection(i + kMid).from].get());
      if (i + kNear < count) {
        const auto& list = nodes_[connection(i + kNear).from]->connections;
        __builtin_prefetch(list.data() + list.size(), 1);
      }
      const PositionedConnection c = connection(i);
      add_own_connection(*nodes_[c.from], c.to, c.directed, c.weight);
    }
  });
}

void GraphStore::add_own_connection(NodeRecord& from, NodeIndex to, bool directed, Weight weight) {
  if (to <= StoredConnection::kMaxTarget) {
    from.connections.push_back(StoredConnection::local(to, directed, weight));
  } else {
    from.add_connection(nodes_[to], directed, weight);
  }
}

void GraphStore::add_connections(const std::vector<PositionedConnection>& connections) {
  append_connections(connections.size(), [&](std::size_t i) { return connections[i]; });
}

template <typename Offset>
void GraphStore::write_in_place(const ConnectionColumns& columns, const std::vector<Offset>& start,
                                const ProgressScope& progress) {
  const std::size_t count = columns.from.size();
  const std::size_t n = nodes_.size();
  std::vector<StoredConnection*> next(n);
  for (NodeIndex p = 0; p < n; ++p) next[p] = nodes_[p]->connections.room_for(start[p + 1] - start[p]);
  // The places are written at random: each is requested a few links ahead,
  // and the entry of `next` that gives it further ahead still.
  constexpr std::size_t kFar = 32, kNear = 16;
  for (std::size_t i = 0; i < count; ++i) {
    if ((i & 0xFFFF) == 0) {
      progress.set_done(count + i);
      poll_cancellation(0x10000);
    }
    if (i + kFar < count) __builtin_prefetch(&next[columns.from[i + kFar]]);
    if (i + kNear < count) __builtin_prefetch(next[columns.from[i + kNear]], 1);
    const bool directed = columns.directed_each.empty() ? columns.directed : columns.directed_each[i] != 0;
    *next[columns.from[i]]++ = StoredConnection::local(columns.to[i], directed, columns.weights[i]);
  }
  if (columns.columns_read) columns.columns_read();
  add_counted(count, [&] {
    for (NodeIndex p = 0; p < n; ++p) nodes_[p]->connections.add_written(start[p + 1] - start[p]);
  });
}

void GraphStore::add_connections(const ConnectionColumns& columns) {
  const std::size_t count = columns.from.size();
  const std::size_t n = nodes_.size();
  // How far: each link is handled twice, sorted, then stored.
  const ProgressScope progress(2 * static_cast<std::uint64_t>(count));
  // The links are first sorted by source, stably, so that each node's list
  // is written in one run and only the targets lie at random. A sorted copy
  // holds what the lists need: each link's target, followed by its weight
  // where weights are given (one array, so the sort writes one place a link
  // at random), and directions only where they vary. Nothing is changed
  // before the sort is done, so it is where a cancellation may stop. Many
  // links with weights skip the copy (write_in_place()).
  const std::size_t stride = columns.weights.empty() ? 1 : 2;
  std::unique_ptr<std::uint32_t[]> sorted;
  std::vector<std::uint8_t> sorted_directed;
  const auto make_sorted = [&] {
    // Every entry is written before it is read: no need to clear them first.
    sorted.reset(new std::uint32_t[count * stride]);
    sorted_directed.resize(columns.directed_each.empty() ? 0 : count);
  };
  const auto place = [&](std::size_t row, std::uint64_t slot) {
    std::uint32_t* entry = &sorted[slot * stride];
    entry[0] = columns.to[row];
    if (stride == 2) entry[1] = std::bit_cast<std::uint32_t>(columns.weights[row]);
    if (!sorted_directed.empty()) sorted_directed[slot] = columns.directed_each[row];
  };
  // Appends sorted slots begin .. end to the list of node p.
  const auto store_run = [&](NodeIndex p, std::uint64_t begin, std::uint64_t end) {
    NodeRecord& node = *nodes_[p];
    node.connections.reserve(node.connections.size() + (end - begin));
    for (std::uint64_t k = begin; k < end; ++k) {
      const std::uint32_t* entry = &sorted[k * stride];
      const Weight weight = stride == 2 ? std::bit_cast<Weight>(entry[1]) : columns.default_weight;
      const bool directed = sorted_directed.empty() ? columns.directed : sorted_directed[k] != 0;
      add_own_connection(node, entry[0], directed, weight);
    }
    progress.set_done(count + end);
  };
  if (count < n / 8) {
    // A few links against a large graph: sorted by comparison, so that a
    // call costs what it adds, not what the graph holds. The row in the low
    // half keeps equal sources in input order.
    std::vector<std::uint64_t> keys(count);
    for (std::size_t i = 0; i < count; ++i) keys[i] = (std::uint64_t{columns.from[i]} << 32) | i;
    poll_cancellation(static_cast<std::uint32_t>(std::min<std::size_t>(count, 0xFFFFFFFF)));
    std::sort(keys.begin(), keys.end());
    make_sorted();
    for (std::size_t k = 0; k < count; ++k) {
      if ((k & 0xFFFF) == 0) {
        progress.set_done(k);
        poll_cancellation(0x10000);
      }
      place(static_cast<std::uint32_t>(keys[k]), k);
    }
    if (columns.columns_read) columns.columns_read();
    add_counted(count, [&] {
      for (std::size_t begin = 0; begin < count;) {
        const NodeIndex p = keys[begin] >> 32;
        std::size_t end = begin + 1;
        while (end < count && (keys[end] >> 32) == p) ++end;
        store_run(p, begin, end);
        begin = end;
      }
    });
    return;
  }
  // Many links: sorted by counting over the nodes, with 32-bit offsets
  // unless there are 2^32 links or more (half the bytes to count in at
  // random, and to fault in).
  const auto by_counting = [&]<typename Offset>(Offset) {
    std::vector<Offset> start(n + 1, 0);
    for (std::size_t i = 0; i < count; ++i) ++start[columns.from[i] + 1];
    for (std::size_t p = 0; p < n; ++p) start[p + 1] += start[p];
    if (stride == 2 && n <= std::size_t{StoredConnection::kMaxTarget} + 1) {
      write_in_place(columns, start, progress);
      return;
    }
    make_sorted();
    {
      // The slots are written at random: each is requested for writing a few links ahead.
      std::vector<Offset> cursor(start.begin(), start.end() - 1);
      constexpr std::size_t kAhead = 16;
      for (std::size_t i = 0; i < count; ++i) {
        if ((i & 0xFFFF) == 0) {
          progress.set_done(i);
          poll_cancellation(0x10000);
        }
        if (i + kAhead < count) __builtin_prefetch(&sorted[cursor[columns.from[i + kAhead]] * stride], 1);
        place(i, cursor[columns.from[i]]++);
      }
    }
    if (columns.columns_read) columns.columns_read();
    add_counted(count, [&] {
      for (NodeIndex p = 0; p < n; ++p) {
        if (start[p] != start[p + 1]) store_run(p, start[p], start[p + 1]);
      }
    });
  };
  if (count <= std::numeric_limits<std::uint32_t>::max()) {
    by_counting(std::uint32_t{});
  } else {
    by_counting(std::uint64_t{});
  }
}

NodeIndex GraphStore::find_or_add_node(std::string_view label) {
  const std::uint64_t hash = hash_label(label);
  if (const auto present = index().find(label, hash, nodes_)) return *present;
  return add_unique(new_node(label), hash).first;
}

std::size_t GraphStore::get_edge_count() const {
  if (const std::optional<std::size_t> known = known_edge_count()) return *known;
  std::size_t count = 0;
  for (const auto& node : nodes_) count += node->connections.size();
  know_edge_count(count);
  return count;
}

Weight GraphStore::get_total_weight() const {
  Weight total = -0.0f;
  for (const auto& node : nodes_) {
    for (const StoredConnection& connection : node->connections) total += connection.weight;
  }
  return total;
}

Weight GraphStore::get_mean_weight() const { return get_total_weight() / static_cast<Weight>(get_edge_count()); }

std::optional<NodeIndex> GraphStore::record_target_position(const StoredConnection& connection,
                                                            const NodeRecord* target) const {
  if (connection.is_local()) return canonical_position(connection.target);
  if (target == nullptr) return std::nullopt;  // gone: no node, whatever the labels
  return find_by_label(target->label);
}

}  // namespace mivora
