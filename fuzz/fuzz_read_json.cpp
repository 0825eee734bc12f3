// JSON reader on arbitrary bytes; what it reads is written and read back.
#include "fuzz_common.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mivora::fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return mivora::fuzz::read_and_round_trip(
      [&] { return mivora::read_json_text(std::string(reinterpret_cast<const char*>(data), size)); });
}
