// Our XML scanner against Expat on arbitrary bytes: a DOCTYPE without
// declarations sends the same document through Expat, and both must report
// the same events (names, attributes, text) and the same fault.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
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
// arrives in pieces: `first` bytes, then `piece` bytes at a time.
std::string outcome(std::string_view document, std::size_t first, std::size_t piece, bool all) {
  Recorder recorder;
  std::size_t at = 0;
  const mivora::ChunkInput::Fill fill = [&](char* into, std::size_t capacity) {
    const std::size_t size = std::min({capacity, document.size() - at, at == 0 ? first : piece});
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
  const std::optional<std::size_t> root = mivora::plain_document_root(document);
  if (document.substr(0, 6) != "<?xml " || declaration_end == std::string_view::npos ||
      document.substr(0, declaration_end).find_first_of("\r\n") != std::string_view::npos || !root) {
    return 0;  // Expat reads it either way
  }
  constexpr std::string_view kDoctype = "<!DOCTYPE r>";
  std::string through_expat(document.substr(0, declaration_end + 2));
  through_expat.append(kDoctype).append(document.substr(declaration_end + 2));
  constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();
  // Whole, the same events or the same fault.
  const std::string ours = outcome(document, kWhole, kWhole, true);
  const std::string expats = outcome(through_expat, kWhole, kWhole, true);
  if (ours != expats) mivora::fuzz::broken("the scanner and Expat disagree", ours + "\n--- Expat:\n" + expats);
  // In pieces of 7 bytes after the root's first two (the scanner decides on
  // the prolog, then reads tokens cut by the input's ends), cut at the same
  // places of the document for Expat: the same events, or a fault on the
  // line Expat gives so cut or whole. Expat's wording of some faults, and
  // even their line, depends on where its input was cut (after the root, a
  // quote opens a literal that may end lines later, or at a cut), and the
  // scanner hands Expat the rest of a faulty document in one piece.
  const std::size_t first = *root + 2;
  const std::string ours_cut = outcome(document, first, 7, false);
  const std::string expats_cut = outcome(through_expat, first + kDoctype.size(), 7, false);
  const bool line_of_expat_whole =
      ours_cut.starts_with("fault at line ") && ours_cut == outcome(through_expat, kWhole, kWhole, false);
  if (ours_cut != expats_cut && !line_of_expat_whole) {
    mivora::fuzz::broken("the scanner and Expat disagree, cut", ours_cut + "\n--- Expat:\n" + expats_cut);
  }
  return 0;
}
