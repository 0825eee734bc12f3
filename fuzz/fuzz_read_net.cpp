// Pajek reader on arbitrary bytes; what it reads is written and read back.
#include "fuzz_common.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mivora::fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mivora;
  ReadResult result;
  try {
    result = read_net_text(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const InternalError&) {
    return 0;  // a fault in the content, reported with its fixed text
  }
  if (!result.graph) return 0;
  fuzz::check_net_round_trip(*result.graph);
  fuzz::check_json_round_trip(*result.graph);
  return 0;
}
