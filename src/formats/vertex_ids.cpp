#include "formats/vertex_ids.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "graph_core/label_index.hpp"

namespace mivora {

std::uint64_t VertexIds::hash_id(std::string_view id) { return hash_label(id); }

void VertexIds::assign(std::string_view id, const Lookup& lookup, NodeId vertex) {
  if (!lookup.settled) {
    if (!settled_) settle_prefix(id);
    assign(id, prepare(id), vertex);
    return;
  }
  if (lookup.direct) {
    if (lookup.key >= direct_.size() && lookup.key < std::max<std::uint64_t>(kFreeDirect, 4 * (held_ + 1))) {
      grow_direct(lookup.key);
    }
    if (lookup.key < direct_.size()) {
      NodeId& slot = direct_[lookup.key];
      if (slot == kNoNode) ++held_;
      slot = vertex;
      return;
    }
    if (assign_hashed(id, hash_id(id), vertex)) ++hashed_numbers_;
    return;
  }
  assign_hashed(id, lookup.key, vertex);
}

void VertexIds::settle_prefix(std::string_view first_id) {
  // A long prefix would cost every lookup its comparison; such ids hash.
  constexpr std::size_t kLongestPrefix = 16;
  std::size_t lead = first_id.size();
  while (lead > 0 && first_id[lead - 1] >= '0' && first_id[lead - 1] <= '9') --lead;
  if (lead < first_id.size() && lead <= kLongestPrefix) prefix_.assign(first_id.substr(0, lead));
  settled_ = true;
}

void VertexIds::grow_direct(std::uint64_t number) {
  std::size_t size = std::max<std::size_t>(1024, direct_.size() * 2);
  while (size <= number) size *= 2;
  const std::size_t old_size = direct_.size();
  direct_.resize(size, kNoNode);
  if (hashed_numbers_ == 0) return;
  // Numbers hashed while the table was smaller now have their place in it.
  for (const Slot& slot : slots_) {
    std::uint64_t hashed;
    if (slot.vertex != kNoNode && numbered(key_of(slot), hashed) && hashed >= old_size && hashed < size) {
      direct_[hashed] = slot.vertex;
    }
  }
}

std::string_view VertexIds::key_of(const Slot& slot) const {
  if (slot.length <= kInline) return std::string_view(slot.key.bytes, slot.length);
  return std::string_view(arena_).substr(slot.key.offset, slot.length);
}

bool VertexIds::same_id(const Slot& slot, std::string_view id) const {
  if (slot.length != id.size()) return false;
  if (id.size() <= kInline) {
    for (std::size_t i = 0; i < id.size(); ++i) {
      if (slot.key.bytes[i] != id[i]) return false;
    }
    return true;
  }
  return std::memcmp(arena_.data() + slot.key.offset, id.data(), id.size()) == 0;
}

std::size_t VertexIds::probe(std::string_view id, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (true) {
    const Slot& slot = slots_[at];
    if (slot.vertex == kNoNode) return at;
    if (slot.hash == hash && same_id(slot, id)) return at;
    at = (at + 1) & mask;
  }
}

void VertexIds::rehash(std::size_t capacity) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  const std::size_t mask = capacity - 1;
  for (const Slot& slot : old) {
    if (slot.vertex == kNoNode) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].vertex != kNoNode) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

bool VertexIds::assign_hashed(std::string_view id, std::uint64_t hash, NodeId vertex) {
  if ((used_ + 1) * 4 > slots_.size() * 3) {
    rehash(slots_.empty() ? 1024 : slots_.size() * 2);
  }
  Slot& slot = slots_[probe(id, hash)];
  if (slot.vertex != kNoNode) {
    slot.vertex = vertex;
    return false;
  }
  if (id.size() > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("a vertex id longer than 4 GiB");
  slot.hash = hash;
  slot.length = static_cast<std::uint32_t>(id.size());
  slot.vertex = vertex;
  if (id.size() <= kInline) {
    std::memcpy(slot.key.bytes, id.data(), id.size());
  } else {
    slot.key.offset = arena_.size();
    arena_.append(id);
  }
  ++used_;
  ++held_;
  return true;
}

NodeId VertexIds::find_hashed(std::string_view id, std::uint64_t hash) const {
  if (slots_.empty()) return kNoNode;
  return slots_[probe(id, hash)].vertex;
}

}  // namespace mivora
