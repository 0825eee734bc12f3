#pragma once
// A map (or set) by string that is looked up by a view of one, without making a
// string: readers look up ids and names of the text they are reading.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace mivora {

struct StringViewHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

template <typename Value>
using StringMap = std::unordered_map<std::string, Value, StringViewHash, std::equal_to<>>;
using StringSet = std::unordered_set<std::string, StringViewHash, std::equal_to<>>;

}  // namespace mivora
