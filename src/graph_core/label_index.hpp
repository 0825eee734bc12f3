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
  using NodeList = std::vector<std::shared_ptr<_Node>>;

  std::optional<NodeIndex> find(std::string_view label, const NodeList& nodes) const;
  // Records `position` for `label` unless the label is already present.
  // Returns the position the index holds for the label afterwards.
  NodeIndex insert(std::string_view label, NodeIndex position, const NodeList& nodes);
  void reserve(std::size_t count, const NodeList& nodes);
  // Starts loading what find(label) will read: the first probed slot, or
  // (once that is cached) the node it names. Lets batched lookups overlap
  // their cache misses.
  void prefetch(std::string_view label, const NodeList& nodes, bool node) const;

 private:
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t position_plus_one = 0;  // 0 marks an empty slot
  };

  void rehash(std::size_t capacity, const NodeList& nodes);

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

}  // namespace mivora
