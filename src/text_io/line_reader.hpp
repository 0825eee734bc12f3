#pragma once
// Lines of a ByteSource: ends at LF, CRLF or a lone CR; a UTF-8 byte-order
// mark at the start is dropped. Lines that fit in the chunk buffer are handed
// out in place; longer ones are gathered, so memory is bounded by the chunk
// and the longest line, never by the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text_io/byte_source.hpp"

namespace mivora {

class LineReader {
 public:
  explicit LineReader(ByteSource& source, std::size_t chunk_size = std::size_t{1} << 16);

  // The next line without its ending, valid until the next call; false at
  // the end. Throws what the source throws.
  bool next(std::string_view& line);

  // 1-based number of the line `next` returned last.
  std::size_t line_number() const { return line_number_; }

  // Bytes taken from the source so far (read ahead of the lines handed out).
  std::uint64_t bytes_read() const { return bytes_read_; }

 private:
  bool refill();
  std::string_view emit(const char* start, std::size_t length);

  ByteSource& source_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  bool skip_feed_ = false;  // a CR ended the last chunk: a LF next belongs to it
  std::string carry_;
  std::size_t line_number_ = 0;
  std::uint64_t bytes_read_ = 0;
};

}  // namespace mivora
