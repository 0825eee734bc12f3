#pragma once
// File ids (the text a file names a vertex by) to vertex positions, shared
// by the readers.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graph_core/internal_error.hpp"
#include "graph_core/label_index.hpp"
#include "graph_core/types.hpp"

namespace mivora {

// Maps the id texts of a file to node positions. Ids written as plain
// decimal numbers (the usual 1..n; no sign, no leading zero) are looked up in
// a dense array indexed by their value: each such text stands for exactly one
// number, so "01" and "1" stay different ids. All other ids go through open
// addressing over the store's seeded label hash, with keys in one arena.
class IdMap {
 public:
  void reserve(std::size_t count) { dense_.reserve(count + 1); }

  void assign(std::string_view id, NodeIndex position) {
    if (sequential_) {
      // The usual file numbers its vertices 1, 2, 3... (or 0, 1, 2...) in
      // order: then an id's position is its value minus the first, and
      // lookups touch no table at all.
      const std::size_t value = dense_value(id);
      if (value != kNotDense && position == run_ && (run_ == 0 || value == base_ + run_)) {
        if (run_ == 0) base_ = value;
        ++run_;
        return;
      }
      leave_sequence();
    }
    if (const std::size_t value = dense_value(id); value != kNotDense) {
      if (value >= dense_.size()) dense_.resize(std::max(value + 1, dense_.size() * 2), 0);
      dense_[value] = static_cast<std::uint32_t>(position + 1);
      return;
    }
    assign_hashed(id, position);
  }

  std::optional<NodeIndex> find(std::string_view id) const {
    if (sequential_) {
      const std::size_t value = dense_value(id);
      if (value == kNotDense || value < base_ || value - base_ >= run_) return std::nullopt;
      return value - base_;
    }
    if (const std::size_t value = dense_value(id); value != kNotDense) {
      if (value >= dense_.size() || dense_[value] == 0) return std::nullopt;
      return dense_[value] - 1;
    }
    return find_hashed(id);
  }

 private:
  static constexpr std::size_t kNotDense = ~std::size_t{0};
  static constexpr std::size_t kDenseLimit = std::size_t{1} << 22;

  // Moves the run of sequential ids into the dense table.
  void leave_sequence() {
    sequential_ = false;
    if (run_ == 0) return;
    dense_.resize(std::max(dense_.size(), base_ + run_), 0);
    for (std::size_t k = 0; k < run_; ++k) dense_[base_ + k] = static_cast<std::uint32_t>(k + 1);
  }

  static std::size_t dense_value(std::string_view id) {
    if (id.empty() || id.size() > 7 || (id[0] == '0' && id.size() > 1)) return kNotDense;
    std::size_t value = 0;
    for (const char c : id) {
      if (c < '0' || c > '9') return kNotDense;
      value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value < kDenseLimit ? value : kNotDense;
  }

  void assign_hashed(std::string_view id, NodeIndex position) {
    if ((entries_.size() + 1) * 2 > slots_.size()) rehash(std::max<std::size_t>(16, slots_.size() * 2));
    const std::uint64_t hash = hash_label(id);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      std::uint32_t& slot = slots_[i];
      if (slot == 0) {
        entries_.push_back(Entry{hash, keys_.size(), id.size(), position});
        keys_.append(id);
        slot = static_cast<std::uint32_t>(entries_.size());
        return;
      }
      Entry& entry = entries_[slot - 1];
      if (entry.hash == hash && key(entry) == id) {
        entry.position = position;  // a later vertex line takes the id over
        return;
      }
    }
  }

  std::optional<NodeIndex> find_hashed(std::string_view id) const {
    if (slots_.empty()) return std::nullopt;
    const std::uint64_t hash = hash_label(id);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint32_t slot = slots_[i];
      if (slot == 0) return std::nullopt;
      const Entry& entry = entries_[slot - 1];
      if (entry.hash == hash && key(entry) == id) return entry.position;
    }
  }

  struct Entry {
    std::uint64_t hash;
    std::size_t key_offset;
    std::size_t key_length;
    NodeIndex position;
  };

  std::string_view key(const Entry& entry) const {
    return std::string_view(keys_).substr(entry.key_offset, entry.key_length);
  }

  void rehash(std::size_t capacity) {
    if (capacity >= std::numeric_limits<std::uint32_t>::max()) fail("too many vertex ids");
    slots_.assign(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (std::size_t e = 0; e < entries_.size(); ++e) {
      std::size_t i = entries_[e].hash & mask;
      while (slots_[i] != 0) i = (i + 1) & mask;
      slots_[i] = static_cast<std::uint32_t>(e + 1);
    }
  }

  bool sequential_ = true;  // every id so far is base_ + its position
  std::size_t base_ = 0;
  std::size_t run_ = 0;
  std::vector<std::uint32_t> dense_;  // position + 1; 0 marks an unknown id
  std::string keys_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;  // entry index + 1; 0 marks an empty slot
};

}  // namespace mivora
