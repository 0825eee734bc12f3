#include <memory>
#include <string>

#include "formats/formats.hpp"

namespace mivora {

GraphStore read_graph_file(const std::string& path, GraphReader read, const ReadOptions& options, ReadNotes& notes) {
  try {
    FileSource file(path);
    std::unique_ptr<ByteSource> decoder;
    return read(decoded(file, options.encoding, decoder), options, notes);
  } catch (FormatError& error) {
    error.set_file_name(path);  // the reader knew the bytes, not where they came from
    throw;
  }
}

GraphStore read_graph_file_by_content(const std::string& path,
                                      const std::function<GraphReader(std::string_view head)>& choose,
                                      const ReadOptions& options, bool guess_encoding,
                                      std::optional<TextEncoding>& guessed, ReadNotes& notes) {
  constexpr std::size_t kHeadBytes = std::size_t{1} << 16;
  try {
    FileSource file(path);
    std::unique_ptr<ByteSource> decoder;
    std::unique_ptr<GuessingSource> guesser;
    ByteSource* text = &file;
    if (guess_encoding) {
      guesser = std::make_unique<GuessingSource>(file);
      text = guesser.get();
    } else {
      text = &decoded(file, options.encoding, decoder);
    }
    // The start of the text, handed to the reader again in front of the rest.
    std::string head(kHeadBytes, '\0');
    std::size_t have = 0;
    while (have < head.size()) {
      const std::size_t got = text->read(head.data() + have, head.size() - have);
      if (got == 0) break;
      have += got;
    }
    head.resize(have);
    // A UTF-8 byte-order mark is no part of the text, whatever the format.
    if (head.starts_with("\xEF\xBB\xBF")) head.erase(0, 3);
    const GraphReader read = choose(head);
    PrefixedSource source(std::move(head), *text);
    GraphStore graph = read(source, options, notes);
    if (guesser) guessed = guesser->guessed();
    return graph;
  } catch (FormatError& error) {
    error.set_file_name(path);
    throw;
  }
}

}  // namespace mivora
