#pragma once
// The connections leaving one node. Every node carries a list, so it takes
// 8 bytes (one address; a list's counts lie in front of its connections, on
// the cache line its first connections take) where a std::vector takes 24,
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
  ~ConnectionList() { ::operator delete(block_); }

  std::size_t size() const noexcept { return block_ == nullptr ? 0 : block_->size; }
  bool empty() const noexcept { return size() == 0; }
  const StoredConnection* data() const noexcept { return block_ == nullptr ? nullptr : block_->items(); }
  StoredConnection* data() noexcept { return block_ == nullptr ? nullptr : block_->items(); }
  const StoredConnection* begin() const noexcept { return data(); }
  const StoredConnection* end() const noexcept { return data() + size(); }
  StoredConnection* begin() noexcept { return data(); }
  StoredConnection* end() noexcept { return data() + size(); }
  const StoredConnection& operator[](std::size_t i) const noexcept { return block_->items()[i]; }
  StoredConnection& operator[](std::size_t i) noexcept { return block_->items()[i]; }
  StoredConnection& back() noexcept { return block_->items()[block_->size - 1]; }
  // Where the list's counts and first connections lie (null when it never
  // held one): a pass over many lists asks for that line ahead.
  const void* first_line() const noexcept { return block_; }

  void push_back(const StoredConnection& connection) {
    if (block_ == nullptr || block_->size == block_->capacity) grow_to(std::max<std::size_t>(size() * 2, 1));
    block_->items()[block_->size++] = connection;
  }
  void pop_back() noexcept { --block_->size; }
  // Room for `count` connections in all (exactly that many when it grows).
  void reserve(std::size_t count) {
    if (count > capacity()) grow_to(count);
  }
  // Room for `count` more connections, which the caller writes from the
  // returned address on and then counts in with add_written().
  StoredConnection* room_for(std::size_t count) {
    if (count > kMaxSize - size()) too_many();
    reserve(size() + count);
    return data() + size();
  }
  void add_written(std::size_t count) noexcept {
    if (count != 0) block_->size += static_cast<std::uint32_t>(count);
  }

 private:
  static constexpr std::size_t kMaxSize = std::numeric_limits<std::uint32_t>::max();

  // The counts, with the connections right behind them.
  struct Block {
    std::uint32_t size;
    std::uint32_t capacity;
    StoredConnection* items() noexcept { return reinterpret_cast<StoredConnection*>(this + 1); }
  };
  static_assert(sizeof(Block) == sizeof(StoredConnection) && alignof(Block) <= alignof(StoredConnection));

  std::size_t capacity() const noexcept { return block_ == nullptr ? 0 : block_->capacity; }
  // Out of line: push_back stays small where it is inlined.
  [[noreturn]] static void too_many() { throw std::length_error("a node holds at most 4294967295 connections"); }
  [[gnu::noinline]] void grow_to(std::size_t capacity) {
    const std::size_t size = this->size();
    if (size == kMaxSize) too_many();
    capacity = std::min(capacity, kMaxSize);
    auto* grown = static_cast<Block*>(::operator new(sizeof(Block) + capacity * sizeof(StoredConnection)));
    grown->size = static_cast<std::uint32_t>(size);
    grown->capacity = static_cast<std::uint32_t>(capacity);
    if (size != 0) std::memcpy(grown->items(), block_->items(), size * sizeof(StoredConnection));
    ::operator delete(block_);
    block_ = grown;
  }

  Block* block_ = nullptr;
};
static_assert(sizeof(ConnectionList) == 8);

}  // namespace mivora
