#pragma once
// Hash index from label to the position of the first node carrying it.
// Open addressing with linear probing; slots hold a hash tag and a position,
// the label itself is read from the node list, so nothing is stored twice.
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
  std::optional<NodeIndex> find(std::string_view label) const { return find(label, hash_label(label)); }
  std::optional<NodeIndex> find(std::string_view label, std::uint64_t hash) const;
  // Starts loading the slot a lookup of `hash` begins at, so that two
  // independent lookups overlap their memory latency.
  void prefetch(std::uint64_t hash) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
  }
  // Once the slot prefetch(hash) asked for has arrived: starts loading the
  // node that slot names when it is the likely match of a lookup of `hash`,
  // and returns that node's position (kNoCandidate otherwise).
  static constexpr NodeIndex kNoCandidate = ~NodeIndex{0};
  NodeIndex prefetch_node(std::uint64_t hash) const {
    if (slots_.empty()) return kNoCandidate;
    const Slot& slot = slots_[hash & (slots_.size() - 1)];
    if (slot.position_plus_one == 0 || slot.tag != static_cast<std::uint32_t>(hash)) return kNoCandidate;
    __builtin_prefetch(slot.node);
    return slot.position_plus_one - 1;
  }
  // Records `node` at `position` unless its label is already present.
  // Returns the position the index holds for the label afterwards.
  NodeIndex insert(const NodeRecord& node, NodeIndex position) {
    return insert(node, position, hash_label(node.label));
  }
  // The same with the label's hash at hand (`hash` must be hash_label(node.label)).
  NodeIndex insert(const NodeRecord& node, NodeIndex position, std::uint64_t hash);
  void reserve(std::size_t count);
  // Records nodes[i] at position first + i for every i, as insert() one
  // after another would (the first of equal labels keeps its place), but
  // visits the table front to back instead of at random. Returns whether a
  // label was present already.
  bool insert_all(std::span<const NodeHandle> nodes, NodeIndex first);
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
  // growing the table needs no label again. The node pointer saves a trip
  // through the node list when comparing labels.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t position_plus_one = 0;  // 0 marks an empty slot
    const NodeRecord* node = nullptr;
  };

  void rehash(std::size_t capacity);

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::size_t decimal_labels_ = 0;
};

}  // namespace mivora
