#pragma once
// Cancellation of long operations. The core cannot see signals itself; the
// surface installs a check (for Python: is a KeyboardInterrupt pending?) and
// long loops call poll_cancellation() as they go. When the check says stop,
// poll_cancellation throws Cancelled; whoever catches it discards what the
// operation had half built.
#include <chrono>
#include <cstdint>
#include <exception>

namespace mivora {

class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "operation cancelled"; }
};

// Returns true when the running operation must stop. Called on the thread
// that runs the operation, from inside the operation.
using CancellationCheck = bool (*)();

// Installs the check (nullptr: operations are never cancelled).
void set_cancellation_check(CancellationCheck check);

namespace detail {
struct CancellationClock {
  std::uint32_t countdown = 0;
  std::chrono::steady_clock::time_point next_check{};
};
inline thread_local CancellationClock cancellation_clock;
void poll_cancellation_slow();
}  // namespace detail

// Cheap enough for inner loops: counts `work` units down and, once about
// 64 Ki units have passed, asks the clock whether ~5 ms have gone by since
// the last check, and only then calls the installed check.
inline void poll_cancellation(std::uint32_t work = 1) {
  auto& clock = detail::cancellation_clock;
  if (clock.countdown > work) {
    clock.countdown -= work;
    return;
  }
  detail::poll_cancellation_slow();
}

// For the hottest loops: gathers work in a local count and polls once per
// few thousand units, as the clock is thread-local, which code in a shared
// library reaches through a call.
class BatchedPolling {
 public:
  void poll(std::uint32_t work) {
    pending_ += work;
    if (pending_ < kBatch) return;
    poll_cancellation(pending_);
    pending_ = 0;
  }

 private:
  static constexpr std::uint32_t kBatch = 4096;
  std::uint32_t pending_ = 0;
};

// Calls the installed check now, whatever the clock says (before and after
// blocking system calls).
void check_cancellation_now();

// A system call that may wait for another process or thread (opening,
// reading or writing a FIFO waits for its other end) runs inside a
// BlockingCall: the surface lets its other threads run meanwhile. `release` returns what `reacquire` takes back.
struct BlockingHooks {
  void* (*release)() = nullptr;
  void (*reacquire)(void*) = nullptr;
};
void set_blocking_hooks(BlockingHooks hooks);

class BlockingCall {
 public:
  BlockingCall();
  ~BlockingCall();
  BlockingCall(const BlockingCall&) = delete;
  BlockingCall& operator=(const BlockingCall&) = delete;

 private:
  void (*reacquire_)(void*) = nullptr;
  void* token_ = nullptr;
};

// ---- progress -------------------------------------------------------------------------
// Long operations say how far they are through the same polling: a scope
// declares the work ahead (in any unit) and the operation advances it; the
// installed check reads it with progress_fraction() when it is called.
// Only the outermost scope of a thread counts (reading a file builds a
// graph in bulk, and the file's bytes tell how far the whole call is).

namespace detail {
struct ProgressState {
  std::uint64_t done = 0;
  std::uint64_t total = 0;  // 0: no operation says how far it is
};
inline thread_local ProgressState progress_state;
}  // namespace detail

class ProgressScope {
 public:
  ProgressScope() = default;  // says nothing until started
  explicit ProgressScope(std::uint64_t total) { start(total); }
  void start(std::uint64_t total) {
    if (active_ || detail::progress_state.total != 0 || total == 0) return;
    active_ = true;
    detail::progress_state = {0, total};
  }
  ~ProgressScope() {
    if (active_) detail::progress_state = {};
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

  void advance(std::uint64_t work = 1) const {
    if (active_) detail::progress_state.done += work;
  }
  void set_done(std::uint64_t done) const {
    if (active_) detail::progress_state.done = done;
  }

 private:
  bool active_ = false;
};

// The share of the running operation done, in [0, 1]; negative when no
// operation says.
inline double progress_fraction() {
  const detail::ProgressState& state = detail::progress_state;
  if (state.total == 0) return -1.0;
  return state.done >= state.total ? 1.0 : static_cast<double>(state.done) / static_cast<double>(state.total);
}

}  // namespace mivora
