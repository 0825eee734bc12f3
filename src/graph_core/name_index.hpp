#pragma once
// Where each name stands in a list of names that grows at its end: the
// attribute columns of a graph or of a file being read. A short list is
// scanned; a long one (a file may declare tens of thousands of columns) is
// hashed, so that declaring n columns costs O(n), not O(n^2).
//
// The owner hands the list over on each lookup (its length and the name at
// a position) and calls clear() when it removes or reorders names; names
// appended since the last lookup are indexed on the next one.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text_io/string_map.hpp"

namespace mivora {

class NameIndex {
 public:
  // The first position below `count` whose name is `name`.
  template <typename NameAt>
  std::optional<std::size_t> find(std::string_view name, std::size_t count, NameAt&& name_at) const {
    if (count <= kScanned) {
      for (std::size_t i = 0; i < count; ++i) {
        if (name_at(i) == name) return i;
      }
      return std::nullopt;
    }
    if (indexed_ > count) clear();
    for (; indexed_ < count; ++indexed_) positions_.emplace(std::string(name_at(indexed_)), indexed_);
    const auto found = positions_.find(name);
    if (found == positions_.end()) return std::nullopt;
    return found->second;
  }

  void clear() const {
    positions_.clear();
    indexed_ = 0;
  }

 private:
  static constexpr std::size_t kScanned = 16;

  // Filled lazily by the const lookups.
  mutable StringMap<std::size_t> positions_;
  mutable std::size_t indexed_ = 0;
};

}  // namespace mivora
