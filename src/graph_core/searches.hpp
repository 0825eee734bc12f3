#pragma once
// The two shortest-path searches from one source, written once: breadth-first
// search (hops) and Dijkstra's search (summed weights, which must not be
// negative), each counting shortest paths when asked. They run over any
// compressed rows with neighbours_of(node) (and weights_of(node) for
// Dijkstra): the snapshot's rows, the measured neighbour rows, the walks'
// successor rows. Paths, betweenness, closeness, harmonic centrality and the
// plain breadth-first walk all use them; eccentricity runs the breadth-first
// search 64 sources at a time (BreadthFirstBatch).
//
// Both settle nodes in the order networkx does: breadth-first in the order
// nodes are found, Dijkstra by distance with ties to the node whose current
// distance was found first. Path counts move as in Brandes' algorithm in
// networkx's formulation (a node's count starts from the node it was last
// improved from, when it is settled, and grows with every equal path found
// later), so zero weights give the same counts as networkx.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <span>
#include <type_traits>
#include <vector>

#include "graph_core/types.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

// Work counted locally and handed to poll_cancellation in batches (a poll
// per node expanded costs the centralities' repeated searches a few
// percent). Kept with the search state, so that many small searches in a
// row still poll.
class PolledWork {
 public:
  void add(std::size_t neighbours) {
    pending_ += static_cast<std::uint32_t>(std::min<std::size_t>(neighbours, 1u << 20)) + 1;
    if (pending_ >= kBatch) {
      poll_cancellation(pending_);
      pending_ = 0;
    }
  }

 private:
  static constexpr std::uint32_t kBatch = 4096;
  std::uint32_t pending_ = 0;
};

// `if_true` or `if_false` by `condition`, without a branch: the searches
// ask whether a neighbour lies one step further, which is as good as
// random, and the compiler turns a plain conditional into a jump.
template <typename T>
inline T pick(bool condition, T if_true, T if_false) {
  using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
  static_assert(sizeof(T) == sizeof(Bits));
  const Bits keep = Bits{0} - static_cast<Bits>(condition);
  const Bits a = std::bit_cast<Bits>(if_true), b = std::bit_cast<Bits>(if_false);
  return std::bit_cast<T>(static_cast<Bits>(b ^ ((a ^ b) & keep)));
}

// "Not reached" as a distance: +inf for weighted distances, the largest
// value for whole hop counts.
template <typename Distance>
inline constexpr Distance kUnreachedAt =
    std::numeric_limits<Distance>::has_infinity ? std::numeric_limits<Distance>::infinity()
                                                : std::numeric_limits<Distance>::max();
inline constexpr double kUnreached = kUnreachedAt<double>;

// What a search leaves behind, with distances of type Distance (double for
// Dijkstra; double or a whole number type for hops, which keeps the arrays
// of repeated searches small). The arrays are kept between searches from
// different sources: a search resets only the nodes the previous one touched.
template <typename Distance = double>
class ShortestPaths {
 public:
  static constexpr Distance kNotReached = kUnreachedAt<Distance>;

  // What is kept beside the distances. Parents and counts each cost a store
  // into the node's slot per node found, which searches that want distances
  // alone do without. (Dijkstra's counts start from the parent's, so a
  // counting Dijkstra search keeps parents in any case.)
  enum Kept : unsigned { kDistances = 0, kParents = 1, kPathCounts = 2 };

  ShortestPaths(std::size_t node_count, unsigned kept)
      : distance(node_count, kNotReached),
        parent((kept & kParents) != 0 ? node_count : 0, kNoNode),
        sigma((kept & kPathCounts) != 0 ? node_count : 0, 0.0) {}

  std::size_t node_count() const { return distance.size(); }
  bool keeps_parents() const { return !parent.empty(); }
  bool counts_paths() const { return !sigma.empty(); }

  // kNotReached where not reached.
  std::vector<Distance> distance;
  // The node each node was reached from on the first shortest path found to
  // it; kNoNode for the source and unreached nodes (empty unless kept).
  std::vector<std::uint32_t> parent;
  // Shortest paths from the source to each node (empty unless counted).
  std::vector<double> sigma;
  // The reached nodes, source first, in the order they were settled (a
  // search stopped at a target may also hold nodes found but not expanded).
  std::vector<std::uint32_t> settled;

  // Breadth-first search from `source`; it stops once `target` is expanded.
  template <typename Rows>
  void breadth_first(const Rows& rows, std::uint32_t source, std::uint32_t target = kNoNode);

  // Dijkstra's search from `source`; it stops once `target` is settled. The
  // weights must be finite and not negative (the callers check them first):
  // a settled node is then never improved again.
  template <typename Rows>
  void dijkstra(const Rows& rows, std::uint32_t source, std::uint32_t target = kNoNode);

 private:
  void start(std::uint32_t source);
  void forget(std::uint32_t node) {
    distance[node] = kNotReached;
    if (keeps_parents()) parent[node] = kNoNode;
    if (counts_paths()) sigma[node] = 0.0;
  }

  // A 4-ary min-heap of the frontier ordered by (distance, sequence), each
  // node at most once: a shorter distance found later lowers the node's
  // entry in place and gives it a new sequence number, which orders ties as
  // a heap of stale entries would (the newest entry is the live one).
  struct Item {
    Distance distance;
    std::uint32_t sequence;
    std::uint32_t node;
    bool before(const Item& other) const {
      return distance < other.distance || (distance == other.distance && sequence < other.sequence);
    }
  };
  void push_or_lower(std::uint32_t node, Distance at_distance);
  Item pop();
  void place(std::size_t at, const Item& item) {
    heap_[at] = item;
    slot_[item.node] = static_cast<std::uint32_t>(at);
  }
  void rise(std::size_t at);
  void sink(std::size_t at, const Item& item);
  // Sequence numbers are 32 bits to keep an item in 16 bytes. Before they
  // run out, the waiting items are numbered again from 0 in their order (a
  // sorted array is a heap), which keeps every tie as it was.
  static constexpr std::uint32_t kLastSequence = ~std::uint32_t{0};
  void renumber();

  std::vector<Item> heap_;
  // Where each node sits in heap_, kNoNode when not there (sized by the
  // first Dijkstra search).
  std::vector<std::uint32_t> slot_;
  std::uint32_t sequence_ = 0;
  PolledWork work_;
};

// Up to 64 breadth-first searches at once, one bit per source: a node's mask
// holds the searches that have reached it. Each round pushes the masks of
// the nodes newly reached in the last round, so a node is expanded at most
// once per distinct distance among the batch's searches: never more work
// than the searches one by one, and far less when distances bunch up, as
// they do in small-world graphs.
class BreadthFirstBatch {
 public:
  static constexpr std::size_t kWidth = 64;

  explicit BreadthFirstBatch(std::size_t node_count) : seen_(node_count), fresh_(node_count), next_(node_count) {}

  // Searches from `sources` (distinct, at most kWidth; bit k stands for
  // sources[k]).
  // After each round, reached_at(bits, level, nodes) gets the searches that
  // found some node at hop distance `level` (1, 2, ...) and the nodes found
  // in that round (newly_reached_by tells by which searches).
  template <typename Rows, typename ReachedAt>
  void run(const Rows& rows, std::span<const std::uint32_t> sources, ReachedAt&& reached_at);

  // The searches of the last run that reached `node`.
  std::uint64_t reached_by(std::uint32_t node) const { return seen_[node]; }
  // Within reached_at: the searches that found `node`, one of its nodes,
  // in this round.
  std::uint64_t newly_reached_by(std::uint32_t node) const { return fresh_[node]; }

 private:
  std::vector<std::uint64_t> seen_, fresh_, next_;
  std::vector<std::uint32_t> frontier_, reached_;
  PolledWork work_;
};

// The nodes from the search's source to `target`, both included; empty when
// `target` was not reached. The search must have kept parents.
template <typename Distance>
std::vector<std::uint32_t> path_to(const ShortestPaths<Distance>& paths, std::uint32_t target) {
  std::vector<std::uint32_t> path;
  if (paths.distance[target] == paths.kNotReached) return path;
  for (std::uint32_t node = target; node != kNoNode; node = paths.parent[node]) path.push_back(node);
  std::reverse(path.begin(), path.end());
  return path;
}

// ---- the searches ------------------------------------------------------------------

template <typename Distance>
template <typename Rows>
void ShortestPaths<Distance>::breadth_first(const Rows& rows, std::uint32_t source, std::uint32_t target) {
  start(source);
  std::vector<std::uint32_t>& queue = settled;
  const bool count = counts_paths(), parents = keeps_parents();
  queue.push_back(source);
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::uint32_t node = queue[head];
    if (node == target) return;
    const Distance next_distance = distance[node] + 1;
    const double paths_here = count ? sigma[node] : 0.0;
    const auto neighbours = rows.neighbours_of(node);
    work_.add(neighbours.size());
    for (const std::uint32_t next : neighbours) {
      Distance at = distance[next];
      if (at == kNotReached) {
        at = distance[next] = next_distance;
        if (parents) parent[next] = node;
        queue.push_back(next);
      }
      if (count) sigma[next] += pick(at == next_distance, paths_here, 0.0);
    }
  }
}

template <typename Distance>
template <typename Rows>
void ShortestPaths<Distance>::dijkstra(const Rows& rows, std::uint32_t source, std::uint32_t target) {
  static_assert(std::numeric_limits<Distance>::has_infinity, "weighted distances are floating point");
  if (slot_.empty()) slot_.assign(node_count(), kNoNode);
  const bool count = counts_paths();
  if (count && !keeps_parents()) parent.assign(node_count(), kNoNode);
  const bool parents = keeps_parents();
  start(source);
  push_or_lower(source, 0);
  while (!heap_.empty()) {
    const Item item = pop();
    const std::uint32_t node = item.node;
    // The source's count doubles here as networkx's does; counts only ever
    // meet as ratios, so this changes no result.
    if (count) sigma[node] += sigma[node == source ? source : parent[node]];
    settled.push_back(node);
    if (node == target) return;
    const auto neighbours = rows.neighbours_of(node);
    const auto weights = rows.weights_of(node);
    work_.add(neighbours.size());
    for (std::size_t k = 0; k < neighbours.size(); ++k) {
      const std::uint32_t next = neighbours[k];
      const Distance candidate = item.distance + static_cast<Distance>(weights[k]);
      if (candidate < distance[next]) {
        distance[next] = candidate;
        if (parents) parent[next] = node;
        if (count) sigma[next] = 0.0;
        push_or_lower(next, candidate);
      } else if (count && candidate == distance[next]) {
        sigma[next] += sigma[node];
      }
    }
  }
}

template <typename Rows, typename ReachedAt>
void BreadthFirstBatch::run(const Rows& rows, std::span<const std::uint32_t> sources, ReachedAt&& reached_at) {
  std::fill(seen_.begin(), seen_.end(), 0);
  frontier_.clear();
  for (std::size_t bit = 0; bit < sources.size(); ++bit) {
    const std::uint32_t source = sources[bit];
    seen_[source] = fresh_[source] = 1ull << bit;
    frontier_.push_back(source);
  }
  for (std::uint32_t level = 1; !frontier_.empty(); ++level) {
    reached_.clear();
    for (const std::uint32_t node : frontier_) {
      const std::uint64_t mask = fresh_[node];
      const auto neighbours = rows.neighbours_of(node);
      work_.add(neighbours.size());
      for (const std::uint32_t neighbour : neighbours) {
        const std::uint64_t gained = mask & ~seen_[neighbour] & ~next_[neighbour];
        if (gained == 0) continue;
        if (next_[neighbour] == 0) reached_.push_back(neighbour);
        next_[neighbour] |= gained;
      }
    }
    for (const std::uint32_t node : frontier_) fresh_[node] = 0;
    std::uint64_t grew = 0;
    for (const std::uint32_t node : reached_) {
      seen_[node] |= next_[node];
      fresh_[node] = next_[node];
      grew |= next_[node];
      next_[node] = 0;
    }
    if (grew != 0) reached_at(grew, level, std::span<const std::uint32_t>(reached_));
    frontier_.swap(reached_);
  }
}

// ---- the search state and the frontier heap -----------------------------------------

template <typename Distance>
void ShortestPaths<Distance>::start(std::uint32_t source) {
  for (const std::uint32_t node : settled) forget(node);
  for (const Item& item : heap_) {
    forget(item.node);
    slot_[item.node] = kNoNode;
  }
  settled.clear();
  heap_.clear();
  sequence_ = 0;
  distance[source] = 0;
  if (counts_paths()) sigma[source] = 1.0;
}

template <typename Distance>
void ShortestPaths<Distance>::push_or_lower(std::uint32_t node, Distance at_distance) {
  if (sequence_ == kLastSequence) renumber();
  std::size_t at = slot_[node];
  if (at == kNoNode) {
    at = heap_.size();
    heap_.push_back({at_distance, sequence_, node});
  } else {
    heap_[at].distance = at_distance;
    heap_[at].sequence = sequence_;
  }
  ++sequence_;
  rise(at);
}

template <typename Distance>
typename ShortestPaths<Distance>::Item ShortestPaths<Distance>::pop() {
  const Item top = heap_.front();
  slot_[top.node] = kNoNode;
  const Item last = heap_.back();
  heap_.pop_back();
  if (!heap_.empty()) sink(0, last);
  return top;
}

template <typename Distance>
void ShortestPaths<Distance>::rise(std::size_t at) {
  const Item item = heap_[at];
  while (at > 0) {
    const std::size_t up = (at - 1) / 4;
    if (!item.before(heap_[up])) break;
    place(at, heap_[up]);
    at = up;
  }
  place(at, item);
}

template <typename Distance>
void ShortestPaths<Distance>::sink(std::size_t at, const Item& item) {
  const std::size_t size = heap_.size();
  for (;;) {
    const std::size_t first = 4 * at + 1;
    if (first >= size) break;
    std::size_t best = first;
    const std::size_t end = std::min(first + 4, size);
    for (std::size_t child = first + 1; child < end; ++child) {
      if (heap_[child].before(heap_[best])) best = child;
    }
    if (!heap_[best].before(item)) break;
    place(at, heap_[best]);
    at = best;
  }
  place(at, item);
}

template <typename Distance>
void ShortestPaths<Distance>::renumber() {
  std::sort(heap_.begin(), heap_.end(), [](const Item& a, const Item& b) { return a.before(b); });
  sequence_ = 0;
  for (std::size_t at = 0; at < heap_.size(); ++at) {
    heap_[at].sequence = sequence_++;
    slot_[heap_[at].node] = static_cast<std::uint32_t>(at);
  }
}

}  // namespace mivora
