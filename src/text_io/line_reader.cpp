#include "text_io/line_reader.hpp"

#include <cstring>

namespace mivora {

LineReader::LineReader(ByteSource& source, std::size_t chunk_size) : source_(source), buffer_(chunk_size) {}

bool LineReader::refill() {
  if (at_end_) return false;
  begin_ = 0;
  end_ = source_.read(buffer_.data(), buffer_.size());
  bytes_read_ += end_;
  at_end_ = end_ == 0;
  return !at_end_;
}

std::string_view LineReader::emit(const char* start, std::size_t length) {
  ++line_number_;
  std::string_view line;
  if (carry_.empty()) {
    line = std::string_view(start, length);
  } else {
    carry_.append(start, length);
    line = carry_;
  }
  if (line_number_ == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
  return line;
}

bool LineReader::next(std::string_view& line) {
  carry_.clear();
  for (;;) {
    if (skip_feed_ && begin_ < end_) {
      if (buffer_[begin_] == '\n') ++begin_;
      skip_feed_ = false;
    }
    if (begin_ < end_) {
      const char* start = buffer_.data() + begin_;
      const std::size_t available = end_ - begin_;
      const auto* feed = static_cast<const char*>(std::memchr(start, '\n', available));
      const std::size_t span = feed != nullptr ? static_cast<std::size_t>(feed - start) : available;
      if (const auto* cr = static_cast<const char*>(std::memchr(start, '\r', span))) {
        const auto length = static_cast<std::size_t>(cr - start);
        begin_ += length + 1;
        skip_feed_ = true;  // CRLF: the LF is part of this ending
        line = emit(start, length);
        return true;
      }
      if (feed != nullptr) {
        begin_ += span + 1;
        line = emit(start, span);
        return true;
      }
      carry_.append(start, available);
      begin_ = end_;
    }
    if (!refill()) {
      skip_feed_ = false;
      if (carry_.empty()) return false;
      line = emit(nullptr, 0);
      return true;
    }
  }
}

}  // namespace mivora
