#include "graph_core/node_pool.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace mivora {

NodePool::NodePool(NodePool&& other) noexcept { *this = std::move(other); }

NodePool& NodePool::operator=(NodePool&& other) noexcept {
  if (this != &other) {
    release_current();
    run_ = std::exchange(other.run_, nullptr);
    next_ = std::exchange(other.next_, nullptr);
    end_ = std::exchange(other.end_, nullptr);
    run_end_ = std::exchange(other.run_end_, nullptr);
    next_run_segments_ = std::exchange(other.next_run_segments_, 1);
    counted_ahead_ = std::exchange(other.counted_ahead_, 0);
  }
  return *this;
}

void* NodePool::allocate(std::size_t bytes) {
  bytes = (bytes + kSliceAlignment - 1) & ~(kSliceAlignment - 1);
  if (bytes > kSegmentSize - sizeof(Segment)) throw std::bad_alloc();
  if (static_cast<std::size_t>(end_ - next_) < bytes) next_segment();
  void* slice = next_;
  next_ += bytes;
  --counted_ahead_;  // this slice was counted when the run began
  return slice;
}

void NodePool::deallocate(void* slice) noexcept {
  const auto* segment = reinterpret_cast<const Segment*>(reinterpret_cast<std::uintptr_t>(slice) & ~(kSegmentSize - 1));
  drop(segment->run, 1);
}

void NodePool::drop(Segment* run, std::size_t count) noexcept {
  if (run->live.fetch_sub(count, std::memory_order_acq_rel) == count) {
    run->~Segment();
    std::free(run);
  }
}

void NodePool::next_segment() {
  if (end_ != run_end_) {
    // The current run's next segment: its head is written when it is first used.
    new (end_) Segment{{0}, run_};
    next_ = end_ + sizeof(Segment);
    end_ += kSegmentSize;
    return;
  }
  const std::size_t segments = next_run_segments_;
  void* memory = std::aligned_alloc(kSegmentSize, segments * kSegmentSize);
  if (memory == nullptr) throw std::bad_alloc();
  release_current();
  next_run_segments_ = std::min(segments * 2, kMaxRunSegments);
  // Every slice the run could hold is counted now, so that handing one out
  // needs no atomic operation (which would wait for every store before it).
  counted_ahead_ = segments * kSegmentSize / kSliceAlignment;
  run_ = new (memory) Segment{{1 + counted_ahead_}, nullptr};
  run_->run = run_;
  next_ = static_cast<char*>(memory) + sizeof(Segment);
  end_ = static_cast<char*>(memory) + kSegmentSize;
  run_end_ = static_cast<char*>(memory) + segments * kSegmentSize;
}

void NodePool::release_current() noexcept {
  if (run_ != nullptr) drop(run_, counted_ahead_ + 1);
  counted_ahead_ = 0;
  run_ = nullptr;
  next_ = end_ = run_end_ = nullptr;
}

}  // namespace mivora
