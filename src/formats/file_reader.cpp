#include "formats/file_reader.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>

#include "formats/vertex_ids.hpp"
#include "text_io/text_scan.hpp"
#include "text_io/line_reader.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/label_index.hpp"
#include "text_io/number_text.hpp"

namespace mivora {

namespace {

// Canvas position of a coordinate pair from the unit square.
constexpr double kSpanX = kCanvasWidth - kCanvasMargin;   // 1480
constexpr double kSpanY = kCanvasHeight - kCanvasMargin;  // 680
// Largest count a "*Vertices n" header may make us reserve up front, and
// the fewest bytes a vertex line takes ("1\n").
constexpr std::size_t kMaxReserve = std::size_t{1} << 22;
constexpr std::size_t kMinVertexLine = 2;

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
  explicit NetReader(std::optional<std::uint64_t> input_size) : input_size_(input_size) {}

  void read_line(std::string_view line) {
    line = trim_unicode_whitespace(line);
    if (line.empty()) return;
    // A header starts with '*': a vertex whose label holds "*Arcs" stays a vertex.
    if (line.front() == '*' && enter_section(line)) return;
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

  GraphStore take_graph() { return std::move(graph_); }

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

  // "*Vertices 34": the count is only a capacity hint, bounded by what the
  // input can hold, so that a wrong header costs nothing.
  void reserve_from_header(std::string_view line) {
    const std::size_t space = line.rfind(' ');
    if (space == std::string_view::npos) return;
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(line.data() + space + 1, line.data() + line.size(), count);
    if (error != std::errc() || end != line.data() + line.size()) return;
    count = std::min(count, kMaxReserve);
    if (input_size_) count = std::min<std::uint64_t>(count, *input_size_ / kMinVertexLine);
    graph_.reserve(count);
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
      ids_.assign(tokens_[0], static_cast<NodeId>(graph_.add_node(label)));
    } else if (tokens_.size() >= 4) {
      const double x = parse_or_fail<double>(tokens_[tokens_.size() - 2], kInvalidX);
      const double y = parse_or_fail<double>(tokens_.back(), kInvalidY);
      ids_.assign(tokens_[0], static_cast<NodeId>(graph_.add_node_with_pos(label, x * kSpanX + kCanvasMargin,
                                                                           y * kSpanY + kCanvasMargin)));
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
      const std::string len = integer_text(count + 1);
      fail("index out of bounds: the len is " + len + " but the index is " + len);
    }
    const std::size_t end = line.find(' ', start);
    parts[2] = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);

    const NodeId from = ids_.find(parts[0]);
    if (from == kNoNode) fail(kNoEntryForKey);
    const NodeId to = ids_.find(parts[1]);
    if (to == kNoNode) fail(kNoEntryForKey);
    const float weight = parse_or_fail<float>(parts[2], kInvalidWeight);
    pending_.push_back(GraphStore::PositionedConnection{from, to, weight, directed});
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
  std::optional<std::uint64_t> input_size_;
  GraphStore graph_;
  VertexIds ids_;
  Section section_ = Section::None;
  std::vector<std::string_view> tokens_;
  std::vector<GraphStore::PositionedConnection> pending_;
};

}  // namespace

ReadResult read_net_source(ByteSource& source) {
  try {
    NetReader reader(source.total_size());
    LineReader lines(source);
    std::string_view line;
    while (lines.next(line)) {
      if (!is_valid_utf8(line)) return ReadResult::failure(FileError::Stage::Read, kInvalidUtf8);
      reader.read_line(line);
    }
    reader.add_connections();
    return ReadResult::success(reader.take_graph());
  } catch (const FileError& error) {
    return ReadResult::failure(error.stage(), error.description());
  }
}

ReadResult read_net_file(const std::string& path) {
  try {
    FileSource source(path);
    return read_net_source(source);
  } catch (const FileError& error) {
    return ReadResult::failure(error.stage(), error.description());
  }
}

ReadResult read_net_text(std::string_view text) {
  MemorySource source(text);
  return read_net_source(source);
}

}  // namespace mivora
