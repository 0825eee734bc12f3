#include <memory>

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

}  // namespace mivora
