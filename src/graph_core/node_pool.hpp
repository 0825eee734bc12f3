#pragma once
// Storage for the nodes a graph creates. A heap allocation per node costs
// about as much as the rest of add_node and leaves nodes scattered; the pool
// hands out consecutive slices of 64 KiB segments instead (a pointer bump),
// so the nodes of a graph lie together in creation order.
//
// Segments come in runs, one heap allocation each, of one segment at first
// and twice as many each time up to 16: a small graph holds 64 KiB, and a
// large one loses little to the padding the heap adds around each aligned
// allocation (about 8 KiB a run).
//
// A node may outlive its graph (a Python Node can hold it, and a connection
// from another graph can keep its memory), so each run counts the slices still in use and is freed
// with the last of them; the pool's own hold on its current run ends when
// it moves on to a new run or is destroyed. A new run counts every slice it
// could hold as in use at once, and the pool takes back those it never
// handed out when it lets go of the run. Releasing a slice needs no
// pool: its segment is found by aligning the slice's address down, and the
// segment names its run.
#include <atomic>
#include <cstddef>

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
  // The head of every segment; `live` counts only in a run's first one:
  // slices in use in the run, plus, while it is the pool's current run, one
  // and the slices not handed out yet.
  struct alignas(64) Segment {
    std::atomic<std::size_t> live;
    Segment* run;
  };
  static constexpr std::size_t kSegmentSize = std::size_t{1} << 16;
  static constexpr std::size_t kMaxRunSegments = 16;
  static constexpr std::size_t kSliceAlignment = 8;  // a node's alignment: 40-byte nodes lie back to back

  void next_segment();
  void release_current() noexcept;
  // Ends `count` of the run's slices, freeing the run with its last one.
  static void drop(Segment* run, std::size_t count) noexcept;

  Segment* run_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;      // of the current segment
  char* run_end_ = nullptr;  // of the current run
  std::size_t next_run_segments_ = 1;
  std::size_t counted_ahead_ = 0;  // slices of the current run counted as in use but not handed out
};

}  // namespace mivora
