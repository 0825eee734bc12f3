#pragma once
// Hash index from label to the position of the first node carrying it.
// Open addressing with linear probing; a slot is 8 bytes, a hash tag and a
// position: the label itself is read from the graph's node list (`nodes`
// below), so nothing is stored twice.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "graph_core/node.hpp"
#include "graph_core/types.hpp"

namespace mivora {

std::uint64_t hash_label(std::string_view label);

class LabelIndex {
 public:
  using Nodes = std::span<const NodeHandle>;

  std::optional<NodeIndex> find(std::string_view label, Nodes nodes) const {
    return find(label, hash_label(label), nodes);
  }
  std::optional<NodeIndex> find(std::string_view label, std::uint64_t hash, Nodes nodes) const;
  // Starts loading the slot a lookup of `hash` begins at, so that two
  // independent lookups overlap their memory latency.
  void prefetch(std::uint64_t hash) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
  }
  // Once the slots prefetch() asked for have arrived: starts loading, for
  // each of `hashes`, the node-list entry and then the node its slot names
  // when that is the likely match, so that finds of all of them that follow
  // wait once per step instead of once per lookup.
  void prefetch_nodes(std::span<const std::uint64_t> hashes, Nodes nodes) const {
    for (const std::uint64_t hash : hashes) {
      if (const NodeIndex position = candidate(hash); position < nodes.size()) __builtin_prefetch(&nodes[position]);
    }
    for (const std::uint64_t hash : hashes) {
      if (const NodeIndex position = candidate(hash); position < nodes.size())
        __builtin_prefetch(nodes[position].get());
    }
  }
  // Records `label` at `position` unless it is present already (`hash` is
  // hash_label(label); the labels held are read from `nodes`, which need not
  // hold `position` yet). Returns the position the index holds for the
  // label afterwards.
  NodeIndex insert(std::string_view label, NodeIndex position, std::uint64_t hash, Nodes nodes);
  void reserve(std::size_t count);
  // Records nodes[i] at position i for every i from `first` on, as insert()
  // one after another would (the first of equal labels keeps its place),
  // but visits the table front to back instead of at random. Returns
  // whether a label was present already.
  bool insert_all(Nodes nodes, NodeIndex first);
  // Labels held in slots (the decimal labels aside).
  std::size_t size() const { return used_; }
  // Forgets the entry of the node at `position` (`hash` is its label's
  // hash), if it has one; the slots after it move back, so every other
  // label is still found.
  void erase(NodeIndex position, std::uint64_t hash);

  // Declares that positions 0 .. count - 1 carry the labels "0" .. the
  // decimal text of count - 1 (graphs built from integer ids). Those labels
  // are answered by reading the digits, with no slot and no hashing. Only
  // for an index that holds nothing yet.
  void set_decimal_labels(std::size_t count);
  // How many leading positions carry their own decimal text as label.
  std::size_t decimal_label_count() const { return decimal_labels_; }

 private:
  // The position the label names when it is one of the decimal labels.
  std::optional<NodeIndex> find_decimal(std::string_view label) const;

  // The tag is the low half of the label's hash: it picks the home slot, so
  // growing the table needs no label again, and a label is compared only
  // where the tags agree.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t position_plus_one = 0;  // 0 marks an empty slot
  };

  // The position the home slot of `hash` names when its tag matches (the
  // likely match of a lookup of `hash`), kNoCandidate otherwise.
  static constexpr NodeIndex kNoCandidate = ~NodeIndex{0};
  NodeIndex candidate(std::uint64_t hash) const {
    if (slots_.empty()) return kNoCandidate;
    const Slot& slot = slots_[hash & (slots_.size() - 1)];
    if (slot.position_plus_one == 0 || slot.tag != static_cast<std::uint32_t>(hash)) return kNoCandidate;
    return slot.position_plus_one - 1;
  }

  void rehash(std::size_t capacity);

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::size_t decimal_labels_ = 0;
};

}  // namespace mivora
