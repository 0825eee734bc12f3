#include "layout/x86_level.hpp"

#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>

#include <cstdint>
#endif

namespace mivora {

#if defined(__x86_64__) && defined(__GNUC__)
namespace {

bool has_bits(unsigned value, unsigned mask) { return (value & mask) == mask; }

// The register state the operating system saves on a context switch.
std::uint64_t saved_state() {
  std::uint32_t low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

int detect_level() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return 1;
  // SSE3, SSSE3, CMPXCHG16B, SSE4.1, SSE4.2, POPCNT
  const bool v2_leaf1 = has_bits(c, 1u << 0 | 1u << 9 | 1u << 13 | 1u << 19 | 1u << 20 | 1u << 23);
  // FMA, MOVBE, XSAVE, OSXSAVE, AVX, F16C
  const bool v3_leaf1 = has_bits(c, 1u << 12 | 1u << 22 | 1u << 26 | 1u << 27 | 1u << 28 | 1u << 29);
  unsigned ext_c = 0;
  if (__get_cpuid(0x80000001u, &a, &b, &ext_c, &d) == 0) ext_c = 0;
  const bool lahf = has_bits(ext_c, 1u << 0), lzcnt = has_bits(ext_c, 1u << 5);
  if (!v2_leaf1 || !lahf) return 1;
  unsigned leaf7_b = 0;
  if (!__get_cpuid_count(7, 0, &a, &leaf7_b, &c, &d)) leaf7_b = 0;
  // BMI1, AVX2, BMI2
  const bool v3_leaf7 = has_bits(leaf7_b, 1u << 3 | 1u << 5 | 1u << 8);
  if (!v3_leaf1 || !v3_leaf7 || !lzcnt) return 2;
  const std::uint64_t state = saved_state();
  if (!has_bits(static_cast<unsigned>(state), 0x6u)) return 2;  // SSE and AVX registers
  // AVX512F, AVX512DQ, AVX512CD, AVX512BW, AVX512VL
  const bool v4_leaf7 = has_bits(leaf7_b, 1u << 16 | 1u << 17 | 1u << 28 | 1u << 30 | 1u << 31);
  if (!v4_leaf7 || !has_bits(static_cast<unsigned>(state), 0xE6u)) return 3;  // and opmask, ZMM
  return 4;
}

}  // namespace

int x86_64_level() {
  static const int level = detect_level();
  return level;
}
#else
int x86_64_level() { return 1; }
#endif

}  // namespace mivora
