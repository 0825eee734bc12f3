#pragma once
// Our own scanner for the documents graph files nearly always are: UTF-8,
// no DOCTYPE. It makes Expat's well-formedness checks (characters, names,
// references, nesting, attributes, comments, processing instructions,
// CDATA) and calls the handler as the Expat loop does, at a fraction of
// Expat's cost. It never words a fault itself: a malformed document is
// handed back to Expat from the token that fails, after the open elements,
// so the message and position are Expat's own.
#include <cstddef>
#include <optional>
#include <string_view>

#include "formats/xml_stream.hpp"
#include "text_io/chunk_input.hpp"

namespace mivora {

// Where the root element starts, when `start` (the document's first bytes)
// opens a document the scanner reads: an optional UTF-8 byte-order mark, an
// optional declaration of XML 1.0 in UTF-8, then only white space, comments
// and processing instructions up to the root's start tag. Anything else
// (another encoding, a DTD, a prolog longer than `start`) is Expat's.
std::optional<std::size_t> plain_document_root(std::string_view start);

// Scans the document whose root element starts at `root` in the input's
// window, calling `handler` as parse_xml does.
void scan_plain_xml(ChunkInput& input, std::size_t root, XmlHandler& handler);

// A fault the scanner found, as Expat needs it to state it: the markup that
// reopens the elements open at the failing token (or closes a root, after
// it), where that token starts in the input's window, and its line and
// column (from 0, as Expat counts).
struct XmlFault {
  std::string_view context;
  ChunkInput& input;
  std::size_t token;
  long line;
  long column;
};

// The columns `text` takes as Expat counts them: one per character.
long xml_columns(std::string_view text);

// Throws the FormatError Expat gives for the fault, reading on from the
// token as far as Expat needs (xml_stream.cpp).
[[noreturn]] void fail_as_expat(const XmlFault& fault);

}  // namespace mivora
