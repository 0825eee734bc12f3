// JSON reader on arbitrary bytes; what it reads is written and read back.
#include "fuzz_common.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mivora::fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mivora;
  ReadResult result;
  try {
    result = read_json_text(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const InternalError&) {
    return 0;  // a connection naming an unknown label
  }
  if (!result.graph) return 0;
  fuzz::check_json_round_trip(*result.graph);
  fuzz::check_net_round_trip(*result.graph);
  return 0;
}
