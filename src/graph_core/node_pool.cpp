#include "graph_core/node_pool.hpp"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include "graph_core/internal_error.hpp"

namespace mivora {

thread_local NodePool* NodePool::in_use_ = nullptr;

NodePool& NodePool::in_use() {
  if (in_use_ == nullptr) fail("a node allocated outside NodePool::Use");
  return *in_use_;
}

NodePool::NodePool(NodePool&& other) noexcept
    : current_(std::exchange(other.current_, nullptr)),
      next_(std::exchange(other.next_, nullptr)),
      end_(std::exchange(other.end_, nullptr)) {}

NodePool& NodePool::operator=(NodePool&& other) noexcept {
  if (this != &other) {
    release_current();
    current_ = std::exchange(other.current_, nullptr);
    next_ = std::exchange(other.next_, nullptr);
    end_ = std::exchange(other.end_, nullptr);
  }
  return *this;
}

void* NodePool::allocate(std::size_t bytes) {
  bytes = (bytes + 15) & ~std::size_t{15};
  if (bytes > kBlockSize - sizeof(Block)) throw std::bad_alloc();
  if (static_cast<std::size_t>(end_ - next_) < bytes) start_block();
  void* slice = next_;
  next_ += bytes;
  current_->live.fetch_add(1, std::memory_order_relaxed);
  return slice;
}

void NodePool::deallocate(void* slice) noexcept {
  auto* block = reinterpret_cast<Block*>(reinterpret_cast<std::uintptr_t>(slice) & ~(kBlockSize - 1));
  if (block->live.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    block->~Block();
    std::free(block);
  }
}

void NodePool::start_block() {
  void* memory = std::aligned_alloc(kBlockSize, kBlockSize);
  if (memory == nullptr) throw std::bad_alloc();
  release_current();
  current_ = new (memory) Block{1};
  next_ = static_cast<char*>(memory) + sizeof(Block);
  end_ = static_cast<char*>(memory) + kBlockSize;
}

void NodePool::release_current() noexcept {
  if (current_ != nullptr) deallocate(current_ + 1);
  current_ = nullptr;
  next_ = end_ = nullptr;
}

}  // namespace mivora
