#pragma once
// Hash index from label to the position of the first node carrying it.
// Open addressing with linear probing; slots hold a hash tag and a position,
// the label itself is read from the node list, so nothing is stored twice.
#include <cstdint>
#include <memory>
#include <optional>
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
  // Records `node` at `position` unless its label is already present.
  // Returns the position the index holds for the label afterwards.
  NodeIndex insert(const _Node& node, NodeIndex position);
  void reserve(std::size_t count);
  // Starts loading what find(label) will read: the first probed slot, or
  // (once that is cached) the node it names. Lets batched lookups overlap
  // their cache misses.
  void prefetch(std::string_view label, bool node) const;

 private:
  // The tag is the low half of the label's hash: it picks the home slot, so
  // growing the table needs no label again. The node pointer saves a trip
  // through the node list when comparing labels.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t position_plus_one = 0;  // 0 marks an empty slot
    const _Node* node = nullptr;
  };

  void rehash(std::size_t capacity);

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

}  // namespace mivora
