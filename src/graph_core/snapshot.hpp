#pragma once
// Snapshot: a read-only, compressed picture of a graph's connections by node
// position (CSR), taken in one O(N + E) pass. Measures, exports and, where it
// fits, walks and layouts run on it rather than on the store, so the rule for
// which node a connection means lives here once.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "graph_core/graph.hpp"

namespace mivora {

// What a connection to a node outside the graph means.
enum class OutsideTargets {
  ByLabel,  // the first graph node carrying the target's label, if any (the record view)
  Skip,     // nothing: the connection is left out
};

// The position of the node of `graph` that a connection stored on one of its
// nodes leads to, or nothing. Inside the graph: the first node carrying the
// target's label (the target itself unless labels repeat). Outside: as
// `outside` says. A target that is gone leads nowhere.
std::optional<NodeIndex> resolve_target(const GraphStore& graph, const StoredConnection& connection,
                                        const NodeRecord* target, OutsideTargets outside);

// Compressed rows: row i holds entries offsets[i] .. offsets[i + 1].
struct AdjacencyRows {
  std::vector<std::uint64_t> offsets;  // node_count + 1 entries
  std::vector<std::uint32_t> neighbours;
  std::vector<Weight> weights;
  std::vector<std::uint32_t> links;  // the link each entry comes from

  std::size_t degree(NodeIndex node) const { return offsets[node + 1] - offsets[node]; }
  std::span<const std::uint32_t> neighbours_of(NodeIndex node) const {
    return {neighbours.data() + offsets[node], degree(node)};
  }
  std::span<const Weight> weights_of(NodeIndex node) const { return {weights.data() + offsets[node], degree(node)}; }
  std::span<const std::uint32_t> links_of(NodeIndex node) const { return {links.data() + offsets[node], degree(node)}; }
};

// One column of a LinkList: a view into the list's storage.
template <typename T>
class LinkColumn {
 public:
  using value_type = T;

  T* data() noexcept { return data_; }
  const T* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  T& operator[](std::size_t i) noexcept { return data_[i]; }
  const T& operator[](std::size_t i) const noexcept { return data_[i]; }
  T* begin() noexcept { return data_; }
  T* end() noexcept { return data_ + size_; }
  const T* begin() const noexcept { return data_; }
  const T* end() const noexcept { return data_ + size_; }

 private:
  friend struct LinkList;
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

// The links alone: what measures that ignore direction and need no rows
// (weak components, spanning trees, the simple undirected picture) run on.
struct LinkList {
  std::size_t node_count = 0;
  // Whether the node at each position is the first carrying its label; the
  // others (repeated labels of a matrix graph) have no links of their own:
  // every link is counted on the first node of its label.
  std::vector<std::uint8_t> canonical;

  // The links kept, in record order (node order, then the order each node's
  // connections were added), by canonical position.
  LinkColumn<std::uint32_t> link_source;
  LinkColumn<std::uint32_t> link_target;
  LinkColumn<Weight> link_weight;
  LinkColumn<std::uint8_t> link_directed;

  // Stored connections whose target is held by handle rather than position:
  // nodes of other graphs, alive or gone. Where there are none, both
  // OutsideTargets rules give the same links.
  std::size_t outside_connections = 0;

  std::size_t link_count() const { return link_source.size(); }

  // Room for `count` links in the four columns, their values unset. The
  // columns share one allocation: freed, a block of that size is what the
  // C library keeps for the next list of the graph, where four smaller ones
  // were given back to the system and faulted in again page by page.
  void allocate_links(std::size_t count);
  // Keeps the first `count` links.
  void keep_links(std::size_t count);
  // The bytes the columns take.
  std::size_t link_bytes() const { return storage_bytes_; }

 private:
  std::unique_ptr<std::byte[]> storage_;
  std::size_t storage_bytes_ = 0;
};

struct Snapshot : LinkList {
  // Out-rows: an arc from its source, an edge from both ends (a self-loop
  // edge once). In-rows: the same links seen from their heads.
  AdjacencyRows out;
  AdjacencyRows in;
};

// The links of `graph`, without rows: one pass over the store.
LinkList take_link_list(const GraphStore& graph, OutsideTargets outside);
// Out-rows or in-rows of a link list alone (a walk that only goes forward
// needs no in-rows).
AdjacencyRows out_rows(const LinkList& links);
AdjacencyRows in_rows(const LinkList& links);
// The links and both kinds of rows.
Snapshot take_snapshot(const GraphStore& graph, OutsideTargets outside);

// The links of `graph` (OutsideTargets::Skip) as the embedding program keeps
// them while the graph is unchanged, shared with its measures; null when it
// keeps none for this graph. The program installs the lookup once.
using KeptLinksLookup = std::shared_ptr<const LinkList> (*)(const GraphStore& graph);
void set_kept_links_lookup(KeptLinksLookup lookup);

// The links of `graph` under `outside`'s rule for drawings and exports: the
// kept ones when they fit (always under Skip; under ByLabel when no
// connection leads outside the graph), otherwise taken now.
std::shared_ptr<const LinkList> current_links(const GraphStore& graph, OutsideTargets outside);

}  // namespace mivora
