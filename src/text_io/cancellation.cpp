#include "text_io/cancellation.hpp"

#include <atomic>

namespace mivora {
namespace {

constexpr std::uint32_t kWorkBetweenClockReads = 1u << 16;
constexpr auto kTimeBetweenChecks = std::chrono::milliseconds(5);

std::atomic<CancellationCheck> installed_check{nullptr};

std::atomic<void* (*)()> blocking_release{nullptr};
std::atomic<void (*)(void*)> blocking_reacquire{nullptr};

}  // namespace

void set_blocking_hooks(BlockingHooks hooks) {
  blocking_reacquire.store(hooks.reacquire, std::memory_order_relaxed);
  blocking_release.store(hooks.release, std::memory_order_relaxed);
}

BlockingCall::BlockingCall() {
  void* (*release)() = blocking_release.load(std::memory_order_relaxed);
  reacquire_ = blocking_reacquire.load(std::memory_order_relaxed);
  if (release != nullptr && reacquire_ != nullptr)
    token_ = release();
  else
    reacquire_ = nullptr;
}

BlockingCall::~BlockingCall() {
  if (reacquire_ != nullptr) reacquire_(token_);
}

void set_cancellation_check(CancellationCheck check) { installed_check.store(check, std::memory_order_relaxed); }

void check_cancellation_now() {
  const CancellationCheck check = installed_check.load(std::memory_order_relaxed);
  if (check != nullptr && check()) throw Cancelled();
}

namespace detail {

void poll_cancellation_slow() {
  CancellationClock& clock = cancellation_clock;
  clock.countdown = kWorkBetweenClockReads;
  const auto now = std::chrono::steady_clock::now();
  if (now < clock.next_check) return;
  clock.next_check = now + kTimeBetweenChecks;
  check_cancellation_now();
}

}  // namespace detail
}  // namespace mivora
