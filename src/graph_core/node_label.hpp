#pragma once
// NodeLabel: a node's label, fixed when the node is made, in 16 bytes where
// a std::string takes 32. Labels of up to 15 bytes (nearly all of them) lie
// in place; a longer one lies on the heap behind its size.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace mivora {

class NodeLabel {
 public:
  explicit NodeLabel(std::string_view text) {
    if (text.size() <= kInPlace) {
      if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());
      bytes_[kTag] = static_cast<char>(text.size());
      return;
    }
    char* block = new char[sizeof(std::size_t) + text.size()];
    const std::size_t size = text.size();
    std::memcpy(block, &size, sizeof size);
    std::memcpy(block + sizeof size, text.data(), size);
    std::memcpy(bytes_, &block, sizeof block);
    bytes_[kTag] = kOnHeap;
  }
  NodeLabel(const NodeLabel&) = delete;
  NodeLabel& operator=(const NodeLabel&) = delete;
  ~NodeLabel() {
    if (on_heap()) delete[] heap_block();
  }

  std::string_view view() const noexcept {
    if (!on_heap()) return {bytes_, static_cast<unsigned char>(bytes_[kTag])};
    const char* block = heap_block();
    std::size_t size;
    std::memcpy(&size, block, sizeof size);
    return {block + sizeof size, size};
  }
  operator std::string_view() const noexcept { return view(); }
  std::size_t size() const noexcept { return view().size(); }
  std::string text() const { return std::string(view()); }

  friend bool operator==(const NodeLabel& a, const NodeLabel& b) noexcept { return a.view() == b.view(); }
  friend bool operator==(const NodeLabel& a, std::string_view b) noexcept { return a.view() == b; }

 private:
  static constexpr std::size_t kInPlace = 15;
  static constexpr std::size_t kTag = 15;  // the size in place, or kOnHeap
  static constexpr char kOnHeap = static_cast<char>(0xFF);

  bool on_heap() const noexcept { return bytes_[kTag] == kOnHeap; }
  char* heap_block() const noexcept {
    char* block;
    std::memcpy(&block, bytes_, sizeof block);
    return block;
  }

  alignas(8) char bytes_[16];
};
static_assert(sizeof(NodeLabel) == 16);

}  // namespace mivora
