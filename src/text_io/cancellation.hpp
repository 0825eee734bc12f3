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

// Calls the installed check now, whatever the clock says (before and after
// blocking system calls).
void check_cancellation_now();

// A system call that may wait for another process (opening a FIFO waits
// for its other end) runs inside a BlockingCall: the surface lets its other
// threads run meanwhile. `release` returns what `reacquire` takes back.
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

}  // namespace mivora
