#include "text_io/system_random.hpp"

#include <chrono>
#include <cstring>

#if defined(__linux__)
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__)
#include <stdlib.h>
#elif defined(_WIN32)
#include <random>
#endif

namespace mivora {
namespace {

#if defined(__linux__)
// The getrandom system call directly (its C library wrapper came with glibc
// 2.25), else /dev/urandom on kernels older than 3.17.
bool read_kernel_random(void* out, std::size_t size) {
#if defined(SYS_getrandom)
  if (syscall(SYS_getrandom, out, size, 0) == static_cast<long>(size)) return true;
#endif
  const int descriptor = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool complete = read(descriptor, out, size) == static_cast<ssize_t>(size);
  close(descriptor);
  return complete;
}
#endif

}  // namespace

std::uint64_t system_random_u64() {
  std::uint64_t value = 0;
#if defined(__linux__)
  if (read_kernel_random(&value, sizeof value)) return value;
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__)
  arc4random_buf(&value, sizeof value);
  return value;
#elif defined(_WIN32)
  std::random_device device;
  return (std::uint64_t{device()} << 32) ^ device();
#endif
  // No random source at all (a sandbox without /dev): the clock, mixed, is
  // still different from run to run.
  value = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  value ^= reinterpret_cast<std::uintptr_t>(&value);
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

}  // namespace mivora
