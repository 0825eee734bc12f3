// The graphml reader on arbitrary bytes; what it reads is written and read back.
#include "fuzz_read_formats.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mivora::fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return mivora::fuzz::read_write_read(data, size, mivora::read_graphml, mivora::write_graphml, true);
}
