#pragma once
// Storage for the nodes a graph creates. A heap allocation per node costs
// about as much as the rest of add_node and leaves nodes scattered; the pool
// hands out consecutive slices of 64 KiB blocks instead (a pointer bump), so
// the nodes of a graph lie together in creation order.
//
// A node may outlive its graph (a Python Node or another node's connection
// can hold it), so each block counts the slices still in use and is freed
// with the last of them; the pool's own hold on its current block ends when
// it moves on to a new block or is destroyed. Releasing a slice needs no
// pool: the block is found by aligning the slice's address down.
#include <atomic>
#include <cstddef>
#include <memory>

namespace mivora {

class NodePool {
 public:
  NodePool() = default;
  NodePool(NodePool&& other) noexcept;
  NodePool& operator=(NodePool&& other) noexcept;
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;
  ~NodePool() { release_current(); }

  void* allocate(std::size_t bytes);
  static void deallocate(void* slice) noexcept;

 private:
  struct alignas(64) Block {
    std::atomic<std::size_t> live;  // slices in use, plus one while it is the pool's current block
  };
  static constexpr std::size_t kBlockSize = std::size_t{1} << 16;

  void start_block();
  void release_current() noexcept;

  Block* current_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;
};

// Allocator for std::allocate_shared: one node with its shared count per slice.
template <typename T>
struct NodeAllocator {
  using value_type = T;

  explicit NodeAllocator(NodePool& node_pool) noexcept : pool(&node_pool) {}
  template <typename U>
  NodeAllocator(const NodeAllocator<U>& other) noexcept : pool(other.pool) {}

  T* allocate(std::size_t count) { return static_cast<T*>(pool->allocate(count * sizeof(T))); }
  // Never touches the pool, which may be gone by then.
  void deallocate(T* slice, std::size_t) noexcept { NodePool::deallocate(slice); }

  template <typename U>
  bool operator==(const NodeAllocator<U>& other) const noexcept {
    return pool == other.pool;
  }

  NodePool* pool;
};

}  // namespace mivora
