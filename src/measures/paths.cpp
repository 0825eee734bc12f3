#include "measures/paths.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "measures/measure_error.hpp"
#include "measures/measured_graph.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

constexpr double kUnreached = std::numeric_limits<double>::infinity();

void breadth_first(const AdjacencyRows& out, std::uint32_t source, std::uint32_t target, PathTree& tree) {
  tree.distance[source] = 0.0;
  tree.settled.push_back(source);
  for (std::size_t head = 0; head < tree.settled.size(); ++head) {
    const std::uint32_t node = tree.settled[head];
    if (node == target) return;
    const double next_distance = tree.distance[node] + 1.0;
    const auto neighbours = out.neighbours_of(node);
    poll_cancellation(static_cast<std::uint32_t>(neighbours.size()) + 1);
    for (const std::uint32_t next : neighbours) {
      if (tree.distance[next] != kUnreached) continue;
      tree.distance[next] = next_distance;
      tree.parent[next] = node;
      tree.settled.push_back(next);
    }
  }
}

// A 4-ary min-heap of (distance, node) holding each node at most once, so
// a shorter distance found later lowers the node's entry in place instead
// of adding a stale one: the heap stays no larger than the frontier.
class FrontierHeap {
 public:
  explicit FrontierHeap(std::size_t node_count) : slot_(node_count, kNoNode) {}

  bool empty() const { return items_.empty(); }

  void push_or_lower(std::uint32_t node, double distance) {
    std::size_t at = slot_[node];
    if (at == kNoNode) {
      at = items_.size();
      items_.emplace_back(distance, node);
    } else {
      items_[at].first = distance;
    }
    rise(at);
  }

  std::pair<double, std::uint32_t> pop() {
    const auto top = items_.front();
    slot_[top.second] = kNoNode;
    const auto last = items_.back();
    items_.pop_back();
    if (!items_.empty()) {
      items_.front() = last;
      sink(0);
    }
    return top;
  }

 private:
  void place(std::size_t at, const std::pair<double, std::uint32_t>& item) {
    items_[at] = item;
    slot_[item.second] = static_cast<std::uint32_t>(at);
  }
  void rise(std::size_t at) {
    const auto item = items_[at];
    while (at > 0) {
      const std::size_t parent = (at - 1) / 4;
      if (!(item.first < items_[parent].first)) break;
      place(at, items_[parent]);
      at = parent;
    }
    place(at, item);
  }
  void sink(std::size_t at) {
    const auto item = items_[at];
    const std::size_t size = items_.size();
    for (;;) {
      const std::size_t first = 4 * at + 1;
      if (first >= size) break;
      std::size_t best = first;
      const std::size_t end = std::min(first + 4, size);
      for (std::size_t child = first + 1; child < end; ++child) {
        if (items_[child].first < items_[best].first) best = child;
      }
      if (!(items_[best].first < item.first)) break;
      place(at, items_[best]);
      at = best;
    }
    place(at, item);
  }

  std::vector<std::pair<double, std::uint32_t>> items_;
  std::vector<std::uint32_t> slot_;  // where each node sits in items_, kNoNode when not there
};

// With weights that are not negative a settled node never improves again,
// so the strict comparison alone keeps settled nodes out of the heap.
void dijkstra(const AdjacencyRows& out, std::uint32_t source, std::uint32_t target, PathTree& tree) {
  const std::size_t n = out.offsets.size() - 1;
  FrontierHeap heap(n);
  tree.distance[source] = 0.0;
  heap.push_or_lower(source, 0.0);
  while (!heap.empty()) {
    const auto [distance, node] = heap.pop();
    tree.settled.push_back(node);
    if (node == target) return;
    const auto neighbours = out.neighbours_of(node);
    const auto weights = out.weights_of(node);
    poll_cancellation(static_cast<std::uint32_t>(neighbours.size()) + 1);
    for (std::size_t k = 0; k < neighbours.size(); ++k) {
      const std::uint32_t next = neighbours[k];
      const double candidate = distance + static_cast<double>(weights[k]);
      if (candidate < tree.distance[next]) {
        tree.distance[next] = candidate;
        tree.parent[next] = node;
        heap.push_or_lower(next, candidate);
      }
    }
  }
}

}  // namespace

PathTree shortest_path_tree(const GraphStore& graph, const LinkList& links, const AdjacencyRows& out,
                            std::uint32_t source, bool weighted, std::uint32_t target) {
  PathTree tree;
  tree.distance.assign(links.node_count, kUnreached);
  tree.parent.assign(links.node_count, kNoNode);
  if (weighted) {
    require_non_negative_weights(graph, links, "weighted shortest paths");
    dijkstra(out, source, target, tree);
  } else {
    breadth_first(out, source, target, tree);
  }
  return tree;
}

std::vector<std::uint32_t> path_to(const PathTree& tree, std::uint32_t target) {
  std::vector<std::uint32_t> path;
  if (tree.distance[target] == kUnreached) return path;
  for (std::uint32_t node = target; node != kNoNode; node = tree.parent[node]) path.push_back(node);
  std::reverse(path.begin(), path.end());
  return path;
}

// Up to 64 breadth-first walks at once, one bit per source: a node's mask
// holds the walks that have reached it. Each round pushes the masks of the
// nodes that were newly reached in the last round, so a node is expanded at
// most once per distinct distance among the batch's walks: never more work
// than the 64 walks one by one, and far less when distances bunch up, as
// they do in small-world graphs.
std::vector<std::uint32_t> eccentricities(const LinkList& links, const AdjacencyRows& out) {
  const std::size_t n = links.node_count;
  std::vector<std::uint32_t> members;
  for (std::uint32_t node = 0; node < n; ++node) {
    if (links.canonical[node]) members.push_back(node);
  }
  if (members.empty()) throw MeasureError("eccentricity is undefined for a graph without nodes");

  std::vector<std::uint32_t> result(n, kNoNode);
  std::vector<std::uint64_t> seen(n), fresh(n), next(n);
  std::vector<std::uint32_t> frontier, reached;
  const ProgressScope progress(members.size());
  for (std::size_t first = 0; first < members.size(); first += 64) {
    const std::size_t batch = std::min<std::size_t>(64, members.size() - first);
    progress.set_done(first);
    const std::uint64_t all = batch == 64 ? ~0ull : (1ull << batch) - 1;
    std::fill(seen.begin(), seen.end(), 0);
    frontier.clear();
    for (std::size_t bit = 0; bit < batch; ++bit) {
      const std::uint32_t source = members[first + bit];
      seen[source] = fresh[source] = 1ull << bit;
      result[source] = 0;
      frontier.push_back(source);
    }
    for (std::uint32_t level = 1; !frontier.empty(); ++level) {
      reached.clear();
      for (const std::uint32_t node : frontier) {
        const std::uint64_t mask = fresh[node];
        const auto neighbours = out.neighbours_of(node);
        poll_cancellation(static_cast<std::uint32_t>(neighbours.size()) + 1);
        for (const std::uint32_t neighbour : neighbours) {
          const std::uint64_t gained = mask & ~seen[neighbour] & ~next[neighbour];
          if (gained == 0) continue;
          if (next[neighbour] == 0) reached.push_back(neighbour);
          next[neighbour] |= gained;
        }
      }
      for (const std::uint32_t node : frontier) fresh[node] = 0;
      std::uint64_t grew = 0;
      for (const std::uint32_t node : reached) {
        seen[node] |= next[node];
        fresh[node] = next[node];
        grew |= next[node];
        next[node] = 0;
      }
      for (std::uint64_t bits = grew; bits != 0; bits &= bits - 1) {
        result[members[first + static_cast<std::size_t>(std::countr_zero(bits))]] = level;
      }
      frontier.swap(reached);
    }
    for (const std::uint32_t node : members) {
      if (seen[node] != all) {
        throw MeasureError("eccentricity needs a connected graph: some node cannot reach every other one");
      }
    }
  }
  return result;
}

}  // namespace mivora
