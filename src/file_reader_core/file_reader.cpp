#include "file_reader_core/file_reader.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>

#include "file_reader_core/text_scan.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/label_index.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

std::string describe_os_error(int error_number) {
  char buffer[256];
  // GNU strerror_r may return a static string instead of filling the buffer.
  const char* text = strerror_r(error_number, buffer, sizeof buffer);
  return std::string(text) + " (os error " + std::to_string(error_number) + ")";
}

namespace {

// Canvas position of a coordinate pair from the unit square.
constexpr double kSpanX = kCanvasWidth - kCanvasMargin;   // 1480
constexpr double kSpanY = kCanvasHeight - kCanvasMargin;  // 680
// Largest count a "*Vertices n" header may make us reserve up front.
constexpr std::size_t kMaxReserve = std::size_t{1} << 22;

// Reads a file descriptor line by line through a fixed 8192-byte buffer.
// Lines that fit in the buffer are handed out in place; longer ones are
// gathered in `carry_`, so memory stays bounded by the longest line.
class LineReader {
 public:
  enum class Status { Line, End, Error };

  explicit LineReader(int fd) : fd_(fd) {}

  // The next line without its line feed; the view lives until the next call.
  Status next(std::string_view& line, int& error) {
    carry_.clear();
    for (;;) {
      if (begin_ < end_) {
        const char* start = buffer_ + begin_;
        const auto* feed = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
        if (feed != nullptr) {
          const std::size_t length = static_cast<std::size_t>(feed - start);
          begin_ += length + 1;
          if (carry_.empty()) {
            line = std::string_view(start, length);
          } else {
            carry_.append(start, length);
            line = carry_;
          }
          return Status::Line;
        }
        carry_.append(start, end_ - begin_);
        begin_ = end_ = 0;
      }
      if (at_end_) {
        if (carry_.empty()) return Status::End;
        line = carry_;
        return Status::Line;
      }
      const ssize_t count = ::read(fd_, buffer_, sizeof buffer_);
      if (count < 0) {
        if (errno == EINTR) continue;
        error = errno;
        return Status::Error;
      }
      if (count == 0) {
        at_end_ = true;
      } else {
        begin_ = 0;
        end_ = static_cast<std::size_t>(count);
      }
    }
  }

 private:
  int fd_;
  char buffer_[8192];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  std::string carry_;
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Maps the id texts of a file to node positions. Ids written as plain
// decimal numbers (the usual 1..n; no sign, no leading zero) are looked up in
// a dense array indexed by their value: each such text stands for exactly one
// number, so "01" and "1" stay different ids. All other ids go through open
// addressing over the store's seeded label hash, with keys in one arena.
class IdMap {
 public:
  void reserve(std::size_t count) {
    dense_.reserve(count + 1);
  }

  void assign(std::string_view id, NodeIndex position) {
    if (const std::size_t value = dense_value(id); value != kNotDense) {
      if (value >= dense_.size()) dense_.resize(std::max(value + 1, dense_.size() * 2), 0);
      dense_[value] = static_cast<std::uint32_t>(position + 1);
      return;
    }
    assign_hashed(id, position);
  }

  std::optional<NodeIndex> find(std::string_view id) const {
    if (const std::size_t value = dense_value(id); value != kNotDense) {
      if (value >= dense_.size() || dense_[value] == 0) return std::nullopt;
      return dense_[value] - 1;
    }
    return find_hashed(id);
  }

 private:
  static constexpr std::size_t kNotDense = ~std::size_t{0};
  static constexpr std::size_t kDenseLimit = std::size_t{1} << 22;

  static std::size_t dense_value(std::string_view id) {
    if (id.empty() || id.size() > 7 || (id[0] == '0' && id.size() > 1)) return kNotDense;
    std::size_t value = 0;
    for (const char c : id) {
      if (c < '0' || c > '9') return kNotDense;
      value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value < kDenseLimit ? value : kNotDense;
  }

  void assign_hashed(std::string_view id, NodeIndex position) {
    if ((entries_.size() + 1) * 2 > slots_.size()) rehash(std::max<std::size_t>(16, slots_.size() * 2));
    const std::uint64_t hash = hash_label(id);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      std::uint32_t& slot = slots_[i];
      if (slot == 0) {
        entries_.push_back(Entry{hash, keys_.size(), id.size(), position});
        keys_.append(id);
        slot = static_cast<std::uint32_t>(entries_.size());
        return;
      }
      Entry& entry = entries_[slot - 1];
      if (entry.hash == hash && key(entry) == id) {
        entry.position = position;  // a later vertex line takes the id over
        return;
      }
    }
  }

  std::optional<NodeIndex> find_hashed(std::string_view id) const {
    if (slots_.empty()) return std::nullopt;
    const std::uint64_t hash = hash_label(id);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint32_t slot = slots_[i];
      if (slot == 0) return std::nullopt;
      const Entry& entry = entries_[slot - 1];
      if (entry.hash == hash && key(entry) == id) return entry.position;
    }
  }

  struct Entry {
    std::uint64_t hash;
    std::size_t key_offset;
    std::size_t key_length;
    NodeIndex position;
  };

  std::string_view key(const Entry& entry) const {
    return std::string_view(keys_).substr(entry.key_offset, entry.key_length);
  }

  void rehash(std::size_t capacity) {
    if (capacity >= std::numeric_limits<std::uint32_t>::max()) fail("too many vertex ids");
    slots_.assign(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (std::size_t e = 0; e < entries_.size(); ++e) {
      std::size_t i = entries_[e].hash & mask;
      while (slots_[i] != 0) i = (i + 1) & mask;
      slots_[i] = static_cast<std::uint32_t>(e + 1);
    }
  }

  std::vector<std::uint32_t> dense_;  // position + 1; 0 marks an unknown id
  std::string keys_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;  // entry index + 1; 0 marks an empty slot
};

template <typename T>
T parse_or_fail(std::string_view token, const char* what) {
  T value;
  switch (parse_float(token, value)) {
    case FloatParse::Ok:
      return value;
    case FloatParse::Empty:
      fail(std::string(what) + ": ParseFloatError { kind: Empty }");
    case FloatParse::Invalid:
      break;
  }
  fail(std::string(what) + ": ParseFloatError { kind: Invalid }");
}

// The reader's state for one file: flags, id map and the graph being built.
class NetReader {
 public:
  void read_line(std::string_view line) {
    line = trim_unicode_whitespace(line);
    if (line.empty()) return;
    if (line.find('*') != std::string_view::npos && enter_section(line)) return;
    switch (section_) {
      case Section::Vertices:
        read_vertex(line);
        break;
      case Section::Edges:
        read_connection(line, false);
        break;
      case Section::Arcs:
        read_connection(line, true);
        break;
      case Section::None:
        break;
    }
  }

  _Graph take_graph() { return std::move(graph_); }

 private:
  enum class Section { None, Vertices, Edges, Arcs };

  static bool contains(std::string_view line, std::string_view text) {
    return line.find(text) != std::string_view::npos;
  }

  bool enter_section(std::string_view line) {
    if (contains(line, "*vertices") || contains(line, "*Vertices")) {
      section_ = Section::Vertices;
      reserve_from_header(line);
    } else if (contains(line, "*edges") || contains(line, "*Edges")) {
      section_ = Section::Edges;
    } else if (contains(line, "*arcs") || contains(line, "*Arcs")) {
      section_ = Section::Arcs;
    } else {
      return false;
    }
    return true;
  }

  // "*Vertices 34": the count is only a capacity hint, bounded so that a
  // wrong header costs nothing.
  void reserve_from_header(std::string_view line) {
    const std::size_t space = line.rfind(' ');
    if (space == std::string_view::npos) return;
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(line.data() + space + 1, line.data() + line.size(), count);
    if (error != std::errc() || end != line.data() + line.size()) return;
    count = std::min(count, kMaxReserve);
    graph_.reserve(count);
    ids_.reserve(count);
  }

  // Tokens cut at single spaces; the span from the first to the last double
  // quote stays one token, so labels may hold spaces.
  void split_vertex_line(std::string_view line, std::size_t first_quote, std::size_t last_quote) {
    tokens_.clear();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < line.size()) {
      if (i == first_quote) {
        i = last_quote + 1;
        continue;
      }
      if (line[i] == ' ') {
        tokens_.push_back(line.substr(start, i - start));
        start = i + 1;
      }
      ++i;
    }
    tokens_.push_back(line.substr(start));
  }

  void read_vertex(std::string_view line) {
    const std::size_t first = line.find('"');
    if (first == std::string_view::npos) fail(kUnwrapNone);
    const std::size_t last = line.rfind('"');
    if (last == first) fail("vertex line holds a single double quote, so its label has no end");
    const std::string_view label = line.substr(first + 1, last - first - 1);
    split_vertex_line(line, first, last);
    if (tokens_.size() == 2) {
      ids_.assign(tokens_[0], graph_.add_node(label));
    } else if (tokens_.size() >= 4) {
      const double x = parse_or_fail<double>(tokens_[tokens_.size() - 2], kInvalidX);
      const double y = parse_or_fail<double>(tokens_.back(), kInvalidY);
      ids_.assign(tokens_[0], graph_.add_node_with_pos(label, x * kSpanX + kCanvasMargin,
                                                       y * kSpanY + kCanvasMargin));
    }
  }

  void read_connection(std::string_view line, bool directed) {
    std::string_view parts[3];
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < 2) {
      const std::size_t space = line.find(' ', start);
      if (space == std::string_view::npos) break;
      parts[count++] = line.substr(start, space - start);
      start = space + 1;
    }
    if (count < 2) {
      const std::string len = std::to_string(count + 1);
      fail("index out of bounds: the len is " + len + " but the index is " + len);
    }
    const std::size_t end = line.find(' ', start);
    parts[2] = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);

    const std::optional<NodeIndex> from = ids_.find(parts[0]);
    if (!from) fail(kNoEntryForKey);
    const std::optional<NodeIndex> to = ids_.find(parts[1]);
    if (!to) fail(kNoEntryForKey);
    const float weight = parse_or_fail<float>(parts[2], kInvalidWeight);
    pending_.push_back(_Graph::PositionedConnection{static_cast<std::uint32_t>(*from),
                                                    static_cast<std::uint32_t>(*to), weight, directed});
  }

 public:
  // Adds the connections once the whole file is read, so that each node's
  // list is allocated once at its exact size (16 bytes a connection are held
  // meanwhile, less than the graph keeps for it). Both ends are nodes of
  // this graph: this is create_connection without looking labels up again.
  void add_connections() {
    graph_.add_connections(pending_);
    pending_ = {};
  }

 private:
  _Graph graph_;
  IdMap ids_;
  Section section_ = Section::None;
  std::vector<std::string_view> tokens_;
  std::vector<_Graph::PositionedConnection> pending_;
};

// Feeds every line that `next` hands out to a NetReader.
template <typename NextLine>
ReadResult read_net_lines(NextLine&& next) {
  NetReader reader;
  std::string_view line;
  int error = 0;
  for (;;) {
    switch (next(line, error)) {
      case LineReader::Status::End:
        reader.add_connections();
        return ReadResult::success(reader.take_graph());
      case LineReader::Status::Error:
        return ReadResult::failure(FileError::Stage::Read, describe_os_error(error));
      case LineReader::Status::Line:
        poll_cancellation(static_cast<std::uint32_t>(line.size()) + 1);
        if (!is_valid_utf8(line)) return ReadResult::failure(FileError::Stage::Read, kInvalidUtf8);
        reader.read_line(line);
        break;
    }
  }
}

}  // namespace

ReadResult read_net_file(const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    return ReadResult::failure(FileError::Stage::Open, "file name contained an unexpected NUL byte");
  }
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return ReadResult::failure(FileError::Stage::Open, describe_os_error(errno));
  const FileDescriptor file(fd);

  LineReader lines(file.get());
  return read_net_lines([&](std::string_view& line, int& error) { return lines.next(line, error); });
}

ReadResult read_net_text(std::string_view text) {
  return read_net_lines([&](std::string_view& line, int&) {
    if (text.empty()) return LineReader::Status::End;
    const std::size_t feed = text.find('\n');
    line = text.substr(0, feed);
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    return LineReader::Status::Line;
  });
}

}  // namespace mivora
