// Our XML scanner against Expat on arbitrary bytes: a DOCTYPE without
// declarations sends the same document through Expat, and both must report
// the same events (names, attributes, text) and the same fault.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "formats/xml_scanner.hpp"
#include "formats/xml_stream.hpp"
#include "fuzz_common.hpp"
#include "text_io/format_error.hpp"

namespace {

class Recorder : public mivora::XmlHandler {
 public:
  std::string events;
  void start(std::string_view name, const Attributes& attributes) override {
    flush_text();
    events.append("<").append(name);
    for (const Attribute& attribute : attributes) {
      events.append(" ").append(attribute.name).append("=").append(attribute.value).append(";");
    }
    events.append(">");
  }
  void end(std::string_view name) override {
    flush_text();
    events.append("</").append(name).append(">");
  }
  void text(std::string_view piece) override { text_.append(piece); }
  bool wants_text() const override { return true; }
  void flush_text() {
    if (!text_.empty()) events.append("[").append(text_).append("]");
    text_.clear();
  }

 private:
  std::string text_;
};

// The events, or the fault with its line (and its message and column below
// the first line, which the DOCTYPE shifts, when `all` says so). The input
// arrives in pieces of `piece` bytes.
std::string outcome(std::string_view document, std::size_t piece, bool all) {
  Recorder recorder;
  std::size_t at = 0;
  const mivora::ChunkInput::Fill fill = [&](char* into, std::size_t capacity) {
    const std::size_t size = std::min({capacity, document.size() - at, piece});
    std::memcpy(into, document.data() + at, size);
    at += size;
    return size;
  };
  try {
    mivora::parse_xml(fill, recorder);
  } catch (const mivora::FormatError& failure) {
    if (!all) return "fault at line " + std::to_string(failure.line());
    return "fault " + failure.message() + " line " + std::to_string(failure.line()) +
           (failure.line() > 1 ? " column " + std::to_string(failure.column()) : "");
  }
  recorder.flush_text();
  return recorder.events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view document(reinterpret_cast<const char*>(data), size);
  const std::size_t declaration_end = document.find("?>");
  if (document.substr(0, 6) != "<?xml " || declaration_end == std::string_view::npos ||
      document.substr(0, declaration_end).find_first_of("\r\n") != std::string_view::npos ||
      !mivora::plain_document_root(document)) {
    return 0;  // Expat reads it either way
  }
  std::string through_expat(document.substr(0, declaration_end + 2));
  through_expat.append("<!DOCTYPE r>").append(document.substr(declaration_end + 2));
  // Whole, the same events or the same fault; in small pieces (tokens cut by
  // the input's ends) the same events or a fault on the same line: Expat's
  // own wording of some faults depends on where its input was cut.
  for (const std::size_t piece : {std::numeric_limits<std::size_t>::max(), std::size_t{7}}) {
    const bool whole = piece > 7;
    const std::string ours = outcome(document, piece, whole);
    const std::string expats = outcome(through_expat, piece, whole);
    if (ours != expats) mivora::fuzz::broken("the scanner and Expat disagree", ours + "\n--- Expat:\n" + expats);
  }
  return 0;
}
