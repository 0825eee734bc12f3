#include "graph_core/label_index.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>

#include "graph_core/internal_error.hpp"
#include "text_io/system_random.hpp"

namespace mivora {
namespace {

// Seeded once per process so that crafted labels cannot force collisions.
const std::uint64_t kHashSeed = system_random_u64() ^ 0x9E3779B97F4A7C15ull;

inline std::uint64_t fold_multiply(std::uint64_t a, std::uint64_t b) {
  unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

inline std::uint32_t tag_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash); }

// The table is at most three quarters full: linear probing still finds a
// label in about two slots (one cache line), and a table sized for a known
// count ends between three eighths and three quarters full instead of
// between a quarter and a half, which halves the index's bytes per node.
std::size_t slots_for(std::size_t count) { return std::bit_ceil(std::max<std::size_t>(16, count + (count + 2) / 3)); }

}  // namespace

std::uint64_t hash_label(std::string_view label) {
  constexpr std::uint64_t kMul = 0xA0761D6478BD642Full;
  const char* p = label.data();
  std::size_t n = label.size();
  std::uint64_t h = kHashSeed ^ (n * kMul);
  while (n >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = fold_multiply(h ^ word, kMul);
    p += 8;
    n -= 8;
  }
  // The last 0..7 bytes without a variable-length copy: two overlapping
  // 4-byte loads, or first, middle and last byte (the length is mixed in above).
  std::uint64_t tail = 0;
  if (n >= 4) {
    std::uint32_t first, last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + n - 4, 4);
    tail = (std::uint64_t{first} << 32) | last;
  } else if (n > 0) {
    const auto byte = [&](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
    tail = (byte(0) << 16) | (byte(n >> 1) << 8) | byte(n - 1);
  }
  h = fold_multiply(h ^ tail ^ 0xE7037ED1A0B428DBull, kMul);
  return fold_multiply(h, 0x8EBC6AF09C88C6E3ull);
}

std::optional<NodeIndex> LabelIndex::find_decimal(std::string_view label) const {
  // The shortest decimal text only: "07" or "+7" is another label.
  if (label.empty() || label.size() > 20 || (label[0] == '0' && label.size() > 1)) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(label.data(), label.data() + label.size(), value);
  if (error != std::errc() || end != label.data() + label.size() || value >= decimal_labels_) return std::nullopt;
  return static_cast<NodeIndex>(value);
}

void LabelIndex::set_decimal_labels(std::size_t count) {
  if (used_ != 0 || decimal_labels_ != 0) fail("decimal labels on an index in use");
  if (count >= std::numeric_limits<std::uint32_t>::max() - 1) fail("graph has too many nodes");
  decimal_labels_ = count;
}

std::optional<NodeIndex> LabelIndex::find(std::string_view label, std::uint64_t hash, Nodes nodes) const {
  if (decimal_labels_ != 0) {
    if (const auto position = find_decimal(label)) return position;
  }
  if (slots_.empty()) return std::nullopt;
  const std::uint32_t tag = tag_of(hash);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.position_plus_one == 0) return std::nullopt;
    if (slot.tag == tag && nodes[slot.position_plus_one - 1]->label == label) return slot.position_plus_one - 1;
  }
}

NodeIndex LabelIndex::insert(std::string_view label, NodeIndex position, std::uint64_t hash, Nodes nodes) {
  if (position >= std::numeric_limits<std::uint32_t>::max() - 1) fail("graph has too many nodes");
  if (decimal_labels_ != 0) {
    if (const auto present = find_decimal(label)) return *present;
  }
  if (slots_for(used_ + 1) > slots_.size()) rehash(slots_for(used_ + 1));
  const std::uint32_t tag = tag_of(hash);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.position_plus_one == 0) {
      slot = Slot{tag, static_cast<std::uint32_t>(position + 1)};
      ++used_;
      return position;
    }
    if (slot.tag == tag && nodes[slot.position_plus_one - 1]->label == label) return slot.position_plus_one - 1;
  }
}

bool LabelIndex::insert_all(Nodes nodes, NodeIndex first) {
  if (first >= nodes.size()) return false;
  const std::size_t count = nodes.size() - first;
  if (nodes.size() >= std::numeric_limits<std::uint32_t>::max() - 1) fail("graph has too many nodes");
  reserve(used_ + count);
  std::vector<std::uint64_t> hashes(count);
  for (std::size_t i = 0; i < count; ++i) hashes[i] = hash_label(nodes[first + i]->label);
  // The nodes in the order of their home slots (by the slot's leading bits,
  // stably, so that equal labels keep their order).
  const int slot_bits = std::countr_zero(slots_.size());
  const int bucket_bits = std::min(slot_bits, 16);
  const auto bucket_of = [&](std::uint64_t hash) {
    return (tag_of(hash) & (slots_.size() - 1)) >> (slot_bits - bucket_bits);
  };
  std::vector<std::uint32_t> start((std::size_t{1} << bucket_bits) + 1, 0);
  for (const std::uint64_t hash : hashes) ++start[bucket_of(hash) + 1];
  for (std::size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
  std::vector<std::uint32_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[start[bucket_of(hashes[i])]++] = static_cast<std::uint32_t>(i);
  bool present = false;
  for (const std::uint32_t i : order) {
    const NodeIndex position = first + i;
    if (insert(nodes[position]->label, position, hashes[i], nodes) != position) present = true;
  }
  return present;
}

void LabelIndex::reserve(std::size_t count) {
  const std::size_t wanted = slots_for(count);
  if (wanted > slots_.size()) rehash(wanted);
}

void LabelIndex::erase(NodeIndex position, std::uint64_t hash) {
  if (slots_.empty()) return;
  const std::size_t mask = slots_.size() - 1;
  std::size_t hole = tag_of(hash) & mask;
  for (;; hole = (hole + 1) & mask) {
    if (slots_[hole].position_plus_one == 0) return;
    if (slots_[hole].position_plus_one == position + 1) break;
  }
  slots_[hole] = Slot{};
  --used_;
  // Linear probing without tombstones: a later slot whose home lies
  // cyclically outside (hole, next] fills the hole, and the hole moves on.
  for (std::size_t next = (hole + 1) & mask; slots_[next].position_plus_one != 0; next = (next + 1) & mask) {
    const std::size_t home = slots_[next].tag & mask;
    const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (stays) continue;
    slots_[hole] = slots_[next];
    slots_[next] = Slot{};
    hole = next;
  }
}

void LabelIndex::rehash(std::size_t capacity) {
  // Beyond 2^32 slots the tag no longer covers the home slot's bits.
  if (capacity > (std::size_t{1} << 32)) fail("graph has too many nodes");
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  const std::size_t mask = capacity - 1;
  for (const Slot& slot : old) {
    if (slot.position_plus_one == 0) continue;
    std::size_t i = slot.tag & mask;
    while (slots_[i].position_plus_one != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

}  // namespace mivora
