#pragma once
// The one map every reader keeps from the ids a file names its vertices by
// to vertex numbers.
//
// Numbered ids go through a direct table indexed by their number, so files
// of numbered vertices never hash. An id is numbered when it is the map's
// prefix followed by a plain decimal number (no sign, no leading zero, at
// most nine digits: "n01" and "n1" stay different ids). The prefix is what
// the first id stored has before its trailing digits: empty for files of
// plain numbers, "n" for the n0, n1, ... that yEd, igraph and Gephi write,
// "node " for "node 0". Once set it stays, so every id has one home. The
// table only grows to cover a number below four times the ids held (or
// below kFreeDirect): a large id in a small file ("0 999999999") is hashed
// like any other text instead of costing a table of its value's size, which
// keeps the map at most a few words per id. Every other id is hashed (open
// addressing over an arena that keeps each id's bytes once).
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "graph_core/types.hpp"

namespace mivora {

class VertexIds {
 public:
  // A lookup prepared ahead: its number (or hash) worked out and its slot
  // on the way into the cache, so a batch of lookups overlaps their misses.
  // It depends on the id and the prefix alone, so it stays valid while the
  // map changes; one made before the prefix was set is made again.
  struct Lookup {
    std::uint64_t key;
    bool direct;
    bool settled;  // made once the prefix was set
  };
  Lookup prepare(std::string_view id) const {
    if (!settled_) return {0, false, false};
    std::uint64_t number;
    if (numbered(id, number)) {
      if (number < direct_.size()) __builtin_prefetch(&direct_[number]);
      return {number, true, true};
    }
    const std::uint64_t hash = hash_id(id);
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    return {hash, false, true};
  }

  // The vertex of `id`, or kNoNode.
  NodeId find(std::string_view id) const { return find(id, prepare(id)); }
  NodeId find(std::string_view id, const Lookup& lookup) const {
    if (!lookup.settled) return settled_ ? find(id, prepare(id)) : kNoNode;
    if (lookup.direct) {
      if (lookup.key < direct_.size()) return direct_[lookup.key];
      if (hashed_numbers_ == 0) return kNoNode;
      return find_hashed(id, hash_id(id));
    }
    return find_hashed(id, lookup.key);
  }

  // The vertex of `id`, made by `make()` (which returns its number) when new.
  template <typename Make>
  NodeId find_or_add(std::string_view id, Make&& make) {
    return find_or_add(id, prepare(id), make);
  }
  template <typename Make>
  NodeId find_or_add(std::string_view id, const Lookup& lookup, Make&& make) {
    if (lookup.direct && lookup.key < direct_.size()) {
      NodeId& slot = direct_[lookup.key];
      if (slot == kNoNode) {
        slot = make();
        ++held_;
      }
      return slot;
    }
    const NodeId found = find(id, lookup);
    if (found != kNoNode) return found;
    const NodeId made = make();
    assign(id, lookup, made);
    return made;
  }

  // From now on `id` names `vertex` (a later vertex line takes an id over).
  void assign(std::string_view id, NodeId vertex) { assign(id, prepare(id), vertex); }
  void assign(std::string_view id, const Lookup& lookup, NodeId vertex);

 private:
  // Numbers below this always go to the direct table (1 MiB of it at most).
  static constexpr std::uint64_t kFreeDirect = std::uint64_t{1} << 18;
  // Ids of up to eight bytes live in the slot itself: a lookup then touches
  // one cache line, not two.
  static constexpr std::size_t kInline = 8;
  struct Slot {
    std::uint64_t hash = 0;
    NodeId vertex = kNoNode;
    std::uint32_t length = 0;
    union {
      char bytes[kInline];
      std::uint64_t offset;  // into arena_, for longer ids
    } key{};
  };

  // Whether `id` is the prefix and a plain number, and which.
  bool numbered(std::string_view id, std::uint64_t& number) const {
    return id.starts_with(prefix_) && plain_number(id.substr(prefix_.size()), number);
  }
  static bool plain_number(std::string_view id, std::uint64_t& number) {
    if (id.empty() || id.size() > 9 || (id[0] == '0' && id.size() > 1)) return false;
    if (std::endian::native == std::endian::little && id.size() >= 4 && id.size() <= 8) return eight_digits(id, number);
    std::uint64_t value = 0;
    for (const char c : id) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    number = value;
    return true;
  }
  // plain_number() of four to eight bytes at once rather than a digit at a
  // time (a chain of dependent multiplies per id): the digits are placed at
  // the high end of a word behind leading '0's, checked together and
  // converted with three multiplications.
  static bool eight_digits(std::string_view id, std::uint64_t& number) {
    const std::size_t n = id.size();
    std::uint32_t first, last;
    std::memcpy(&first, id.data(), 4);
    std::memcpy(&last, id.data() + n - 4, 4);
    const unsigned lead = static_cast<unsigned>(8 * (8 - n));  // bits of the leading '0's
    constexpr std::uint64_t kZeros = 0x3030303030303030ull, kHighNibbles = 0xF0F0F0F0F0F0F0F0ull;
    const std::uint64_t word = (std::uint64_t{last} << 32) | (std::uint64_t{first} << lead) |
                               (kZeros & ((std::uint64_t{1} << lead) - 1));
    if ((word & kHighNibbles) != kZeros || ((word + 0x0606060606060606ull) & kHighNibbles) != kZeros) return false;
    std::uint64_t value = word - kZeros;
    value = value * 10 + (value >> 8);  // pairs of digits
    value = (((value & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
             (((value >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
            32;
    number = value & 0xFFFFFFFFull;
    return true;
  }
  static std::uint64_t hash_id(std::string_view id);
  std::string_view key_of(const Slot& slot) const;
  bool same_id(const Slot& slot, std::string_view id) const;
  void settle_prefix(std::string_view first_id);
  void grow_direct(std::uint64_t number);
  NodeId find_hashed(std::string_view id, std::uint64_t hash) const;
  // True when `id` was new to the hashed ids.
  bool assign_hashed(std::string_view id, std::uint64_t hash, NodeId vertex);
  void rehash(std::size_t capacity);
  std::size_t probe(std::string_view id, std::uint64_t hash) const;

  std::string prefix_;
  bool settled_ = false;  // the prefix is set (by the first id stored)
  // By number; every numbered id below its size that the map holds is
  // here, even when it was hashed before the table reached it.
  std::vector<NodeId> direct_;
  std::vector<Slot> slots_;
  std::size_t used_ = 0;            // slots in use
  std::size_t hashed_numbers_ = 0;  // numbered ids among them
  std::size_t held_ = 0;            // distinct ids
  std::string arena_;
};

}  // namespace mivora
