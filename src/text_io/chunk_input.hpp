#pragma once
// A window over input that arrives in chunks: the readers of GML and edge
// lists scan the window and ask for more only at its end, keeping the bytes
// of an unfinished token or line. Memory stays at one chunk plus the longest
// token, whatever the size of the file.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

namespace mivora {

class ChunkInput {
 public:
  // Fills up to `capacity` bytes at `into`; returns how many (0: the end).
  using Fill = std::function<std::size_t(char* into, std::size_t capacity)>;

  explicit ChunkInput(Fill fill, std::size_t chunk = 1u << 18) : fill_(std::move(fill)), chunk_(chunk) {}

  std::string_view window() const { return {buffer_.data(), size_}; }
  bool at_end() const { return ended_; }

  // Drops the window's bytes before `keep`, then appends the next chunk.
  // Returns false (and leaves the window as it was, minus the dropped
  // bytes) once the input has ended.
  bool more(std::size_t keep) {
    const std::size_t kept = size_ - keep;
    if (keep > 0 && kept > 0) std::memmove(buffer_.data(), buffer_.data() + keep, kept);
    size_ = kept;
    if (ended_) return false;
    if (buffer_.size() < size_ + chunk_) buffer_.resize(size_ + chunk_);
    const std::size_t got = fill_(buffer_.data() + size_, chunk_);
    if (got == 0) {
      ended_ = true;
      return false;
    }
    size_ += got;
    return true;
  }

 private:
  Fill fill_;
  std::size_t chunk_;
  std::vector<char> buffer_;
  std::size_t size_ = 0;
  bool ended_ = false;
};

}  // namespace mivora
