#pragma once

#include <cstdint>

namespace mivora {

// 64 bits from the operating system's random source, for seeds and hash
// salts. The one place the process asks the system for randomness: the C
// library's arc4random is newer than the oldest glibc the wheels support.
std::uint64_t system_random_u64();

}  // namespace mivora
