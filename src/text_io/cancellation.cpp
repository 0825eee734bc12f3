#include "text_io/cancellation.hpp"

#include <atomic>

namespace mivora {
namespace {

constexpr std::uint32_t kWorkBetweenClockReads = 1u << 16;
constexpr auto kTimeBetweenChecks = std::chrono::milliseconds(5);

std::atomic<CancellationCheck> installed_check{nullptr};

}  // namespace

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
