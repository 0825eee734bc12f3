#pragma once
// The one pseudo-random generator: xoshiro256++, the same numbers for the
// same seed on every platform (the standard library's distributions are
// not). Layouts and community detection draw from it; one per thread, seeded
// from the operating system, serves callers that give no seed.
#include <cstdint>

namespace mivora {

class RandomGenerator {
 public:
  // Seeded from the operating system.
  RandomGenerator();
  // The same numbers for the same seed (splitmix64 fills the state).
  explicit RandomGenerator(std::uint64_t seed);
  std::uint64_t next_u64();
  // Uniform in [0, 1) from the top 52 bits of one word.
  double next_unit();
  // Uniform in [0, bound), bound > 0 (multiply-shift; bias below 2^-32 for
  // any bound a graph can have).
  std::uint32_t below(std::uint32_t bound) {
    return static_cast<std::uint32_t>(((next_u64() >> 32) * static_cast<std::uint64_t>(bound)) >> 32);
  }

 private:
  std::uint64_t state_[4];
};

RandomGenerator& thread_random();

}  // namespace mivora
