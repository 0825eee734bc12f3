#include "graph_core/types.hpp"
#include "measures/components.hpp"

#include <numeric>

#include "graph_core/disjoint_sets.hpp"
#include "measures/measure_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

// Component number of each taking-part node (kNoNode for the others), and the count.
std::pair<std::vector<std::uint32_t>, std::uint32_t> weak_labels(const LinkList& links) {
  const std::size_t n = links.node_count;
  DisjointSets sets(n);
  for (std::size_t link = 0; link < links.link_count(); ++link) {
    poll_cancellation();
    sets.join(links.link_source[link], links.link_target[link]);
  }
  std::vector<std::uint32_t> number_of_root(n, kNoNode);
  std::vector<std::uint32_t> component(n, kNoNode);
  std::uint32_t count = 0;
  for (std::uint32_t node = 0; node < n; ++node) {
    if (!links.canonical[node]) continue;
    std::uint32_t& number = number_of_root[sets.find(node)];
    if (number == kNoNode) number = count++;
    component[node] = number;
  }
  return {std::move(component), count};
}

}  // namespace

NodeGroups weak_components(const LinkList& links) {
  const auto [component, count] = weak_labels(links);
  return ordered_groups(component, count);
}

bool is_weakly_connected(const LinkList& links) {
  const auto [component, count] = weak_labels(links);
  if (count == 0) throw MeasureError("connectivity is undefined for a graph without nodes");
  return count == 1;
}

// Tarjan's algorithm with an explicit stack of (node, next row entry).
NodeGroups strong_components(const LinkList& links, const AdjacencyRows& out) {
  const std::size_t n = links.node_count;
  std::vector<std::uint32_t> index(n, kNoNode), low(n, 0), component(n, kNoNode);
  std::vector<std::uint32_t> stack;                            // Tarjan's stack of open nodes
  std::vector<std::pair<std::uint32_t, std::uint64_t>> calls;  // the walk's call stack
  std::uint32_t next_index = 0, count = 0;
  for (std::uint32_t root = 0; root < n; ++root) {
    if (index[root] != kNoNode || !links.canonical[root]) continue;
    calls.emplace_back(root, out.offsets[root]);
    index[root] = low[root] = next_index++;
    stack.push_back(root);
    while (!calls.empty()) {
      auto& [node, entry] = calls.back();
      const std::uint64_t end = out.offsets[node + 1];
      bool descended = false;
      while (entry < end) {
        const std::uint32_t next = out.neighbours[entry++];
        if (index[next] == kNoNode) {
          poll_cancellation(static_cast<std::uint32_t>(out.degree(next)) + 1);
          index[next] = low[next] = next_index++;
          stack.push_back(next);
          calls.emplace_back(next, out.offsets[next]);  // `node` and `entry` are not used after this
          descended = true;
          break;
        }
        if (component[next] == kNoNode) low[node] = std::min(low[node], index[next]);
      }
      if (descended) continue;
      const std::uint32_t done = node;
      calls.pop_back();
      if (!calls.empty()) low[calls.back().first] = std::min(low[calls.back().first], low[done]);
      if (low[done] != index[done]) continue;
      std::uint32_t member;
      do {
        member = stack.back();
        stack.pop_back();
        component[member] = count;
      } while (member != done);
      ++count;
    }
  }
  return ordered_groups(component, count);
}

}  // namespace mivora
