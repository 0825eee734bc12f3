// Arbitrary bytes read as Graph.read reads a file it is told nothing about:
// the encoding guessed (what comes out must be UTF-8 once a code page is
// chosen, and ASCII must pass unchanged), the format found from the first
// bytes, then that format's reader, which may only end in a FormatError.
#include <string>
#include <string_view>

#include "formats/format_by_content.hpp"
#include "fuzz_common.hpp"
#include "text_io/text_scan.hpp"

namespace {

using Reader = mivora::GraphStore (*)(mivora::ByteSource&, const mivora::ReadOptions&, mivora::ReadNotes&);

Reader reader_for(const std::string& format) {
  if (format == "pajek") return mivora::read_pajek;
  if (format == "gml") return mivora::read_gml;
  if (format == "graphml" || format == "xml") return mivora::read_graphml;
  if (format == "gexf") return mivora::read_gexf;
  if (format == "json") return mivora::read_json;
  return mivora::read_edgelist;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mivora::fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The decoded text, read in small uneven pieces to cross every boundary.
  {
    mivora::MemorySource raw(bytes);
    mivora::GuessingSource text(raw);
    std::string out;
    char piece[7];
    for (std::size_t got; (got = text.read(piece, sizeof piece)) != 0;) out.append(piece, got);
    if (text.guessed() && !mivora::is_valid_utf8(out))
      mivora::fuzz::broken("a guessed code page gave text that is not UTF-8");
    bool cut_short = false;
    if (!text.guessed() && mivora::valid_utf8_prefix(bytes, cut_short) == size && out != bytes)
      mivora::fuzz::broken("UTF-8 text changed on its way through the guess");
  }
  mivora::MemorySource raw(bytes);
  mivora::GuessingSource text(raw);
  std::string head(1024, '\0');
  std::size_t have = 0;
  for (std::size_t got; have < head.size() && (got = text.read(head.data() + have, head.size() - have)) != 0;)
    have += got;
  head.resize(have);
  const Reader read = reader_for(mivora::format_by_content(head).format);
  mivora::PrefixedSource source(std::move(head), text);
  mivora::ReadOptions options;
  mivora::ReadNotes notes;
  try {
    read(source, options, notes);
  } catch (const mivora::FormatError&) {
  }
  return 0;
}
