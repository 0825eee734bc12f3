#pragma once
// The connections leaving one node. Every node carries a list, so it takes
// 16 bytes (an address and two 32-bit counts) where a std::vector takes 24,
// and offers only the vector operations the store uses.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>

#include "graph_core/types.hpp"

namespace mivora {

// One connection leaving a node, 8 bytes. A connection to a node of the same
// graph holds the target's position: the graph keeps all its nodes alive, so
// no handle is needed. Any other target (a node of another graph, or of
// none) is named by a handle kept beside the node (its outside handles),
// which does not hold it: once every NodeHandle of such a target is gone,
// the connection reads as "[Removed]".
struct StoredConnection {
  // The largest position a connection stores; the rare connections to nodes
  // further on in a graph of over a billion nodes go by handle.
  static constexpr std::uint32_t kMaxTarget = (1u << 30) - 1;

  Weight weight;
  // Local: the target's position in the graph. Outside: which of the
  // node's outside handles holds the target.
  std::uint32_t target : 30;
  std::uint32_t outside : 1;
  std::uint32_t directed : 1;

  static StoredConnection local(NodeIndex position, bool is_directed, Weight weight) {
    return {weight, static_cast<std::uint32_t>(position), 0, is_directed};
  }
  bool is_local() const { return outside == 0; }
};
static_assert(sizeof(StoredConnection) == 8);
// Copied as bytes when a list grows.
static_assert(std::is_trivially_copyable_v<StoredConnection>);

class ConnectionList {
 public:
  ConnectionList() noexcept = default;
  // Lives in its node, which never moves.
  ConnectionList(const ConnectionList&) = delete;
  ConnectionList& operator=(const ConnectionList&) = delete;
  ~ConnectionList() { ::operator delete(data_); }

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  const StoredConnection* data() const noexcept { return data_; }
  const StoredConnection* begin() const noexcept { return data_; }
  const StoredConnection* end() const noexcept { return data_ + size_; }
  StoredConnection* begin() noexcept { return data_; }
  StoredConnection* end() noexcept { return data_ + size_; }
  const StoredConnection& operator[](std::size_t i) const noexcept { return data_[i]; }
  StoredConnection& operator[](std::size_t i) noexcept { return data_[i]; }
  StoredConnection& back() noexcept { return data_[size_ - 1]; }

  void push_back(const StoredConnection& connection) {
    if (size_ == capacity_) grow_to(std::max<std::size_t>(std::size_t{capacity_} * 2, 1));
    data_[size_++] = connection;
  }
  void pop_back() noexcept { --size_; }
  // Room for `count` connections in all (exactly that many when it grows).
  void reserve(std::size_t count) {
    if (count > capacity_) grow_to(count);
  }
  // Room for `count` more connections, which the caller writes from the
  // returned address on and then counts in with add_written().
  StoredConnection* room_for(std::size_t count) {
    if (count > kMaxSize - size_) too_many();
    reserve(size_ + count);
    return data_ + size_;
  }
  void add_written(std::size_t count) noexcept { size_ += static_cast<std::uint32_t>(count); }

 private:
  static constexpr std::size_t kMaxSize = std::numeric_limits<std::uint32_t>::max();

  // Out of line: push_back stays small where it is inlined.
  [[noreturn]] static void too_many() { throw std::length_error("a node holds at most 4294967295 connections"); }
  [[gnu::noinline]] void grow_to(std::size_t capacity) {
    if (size_ == kMaxSize) too_many();
    capacity = std::min(capacity, kMaxSize);
    auto* grown = static_cast<StoredConnection*>(::operator new(capacity * sizeof(StoredConnection)));
    if (size_ != 0) std::memcpy(grown, data_, std::size_t{size_} * sizeof(StoredConnection));
    ::operator delete(data_);
    data_ = grown;
    capacity_ = static_cast<std::uint32_t>(capacity);
  }

  StoredConnection* data_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = 0;
};

}  // namespace mivora
