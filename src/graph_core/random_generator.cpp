#include "graph_core/random_generator.hpp"

#include <bit>

#include "text_io/system_random.hpp"

namespace mivora {

RandomGenerator::RandomGenerator() {
  for (std::uint64_t& word : state_) word = system_random_u64();
  // An all-zero state would only ever produce zeros.
  if ((state_[0] | state_[1] | state_[2] | state_[3]) == 0) state_[0] = 0x9E3779B97F4A7C15ull;
}

RandomGenerator::RandomGenerator(std::uint64_t seed) {
  for (std::uint64_t& word : state_) {
    seed += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = seed;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    word = z ^ (z >> 31);
  }
}

std::uint64_t RandomGenerator::next_u64() {
  const std::uint64_t result = std::rotl(state_[0] + state_[3], 23) + state_[0];
  const std::uint64_t shifted = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= shifted;
  state_[3] = std::rotl(state_[3], 45);
  return result;
}

double RandomGenerator::next_unit() {
  // The 52 bits become the fraction of a number in [1, 2).
  const std::uint64_t bits = (next_u64() >> 12) | 0x3FF0000000000000ull;
  return std::bit_cast<double>(bits) - 1.0;
}

RandomGenerator& thread_random() {
  thread_local RandomGenerator generator;
  return generator;
}

}  // namespace mivora
