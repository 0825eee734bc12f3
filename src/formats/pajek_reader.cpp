// The Pajek format as Pajek, igraph, networkx, Gephi and Infomap write it.
//
// Sections, announced by lines starting with '*' (any letter case):
// *Network (ignored), *Vertices n [n1], *Arcs/*Edges (optionally with a
// relation ":2 \"name\""), *Arcslist/*Edgeslist, *Matrix and Infomap's
// *Bipartite k (links). *Partition, *Vector, *Permutation, *Cluster and
// *Hierarchy end the network (the other blocks of a .paj project), as does a
// second *Network. '%' and '#' lines are comments anywhere; fields are
// separated by runs of spaces and tabs.
//
// A .paj project's partitions and vectors of the first network ("*Partition
// name", "*Vertices n", then one value per line) become integer and float
// vertex columns named after them; one whose size or values do not fit the
// network is skipped with a warning. The drawing words of a vertex line
// (`ic Red`, `bc Black`, a shape such as `box`) become the string columns
// ic, bc and shape.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>

#include "formats/formats.hpp"
#include "text_io/text_scan.hpp"
#include "formats/file_reader.hpp"
#include "formats/pajek_label.hpp"
#include "formats/vertex_ids.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/line_reader.hpp"
#include "text_io/number_text.hpp"
#include "text_io/shown_text.hpp"

namespace mivora {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// The next field of `rest` (removed from it); empty at the end.
std::string_view next_field(std::string_view& rest) {
  std::size_t begin = 0;
  while (begin < rest.size() && is_blank(rest[begin])) ++begin;
  std::size_t end = begin;
  while (end < rest.size() && !is_blank(rest[end])) ++end;
  const std::string_view field = rest.substr(begin, end - begin);
  rest.remove_prefix(end);
  return field;
}

std::string_view skip_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  return text;
}

// How much of a line a message quotes.
constexpr std::size_t kShownBytes = 40;

// The most vertices a graph can hold.
constexpr std::uint64_t kMaxDeclared = std::uint64_t{1} << 31;

// Vertices that "*Vertices n" declares but no line lists cost memory (about
// 200 bytes each) without costing bytes in the file: a file may leave one
// per byte it holds unlisted, and any file this many, so that a 20-byte
// "*Vertices 2000000000" is refused instead of filling the memory.
constexpr std::uint64_t kUnlistedAnyFile = std::uint64_t{1} << 16;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The header's keyword in lower case: the letters after '*'.
std::string keyword_of(std::string_view line) {
  std::string word;
  for (std::size_t i = 1; i < line.size(); ++i) {
    const char c = lower(line[i]);
    if (c < 'a' || c > 'z') break;
    word += c;
  }
  return word;
}

bool parse_count(std::string_view text, std::uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// A field that looks like a number to a reader: a digit, sign or point first.
bool looks_numeric(std::string_view field) {
  const char c = field.front();
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

class PajekReader {
 public:
  PajekReader(ByteSource& source, const ReadOptions& options)
      : source_(source), lines_(source), builder_(PositionUnits::UnitSquare, options.positions, source.total_size()) {}

  GraphStore read(ReadNotes& notes) {
    notes_ = &notes;
    std::string_view line;
    while (lines_.next(line)) {
      if (!is_valid_utf8(line)) error(kInvalidUtf8);
      line = trim_unicode_whitespace(line);
      if (line.empty() || line.front() == '%' || line.front() == '#') continue;
      if (line.front() == '*') {
        if (!enter_section(line)) break;
        continue;
      }
      if (section_ == Section::None && !header_seen_ && stray_line_ == 0) {
        stray_line_ = lines_.line_number();
        std::size_t shown = std::min<std::size_t>(line.size(), kShownBytes);
        while (shown < line.size() && shown > 0 && (static_cast<unsigned char>(line[shown]) & 0xC0) == 0x80) --shown;
        stray_text_ = std::string(line.substr(0, shown));
      }
      read_data_line(line);
    }
    // Text and no header at all: not a Pajek file.
    if (!header_seen_ && stray_line_ != 0) {
      throw FormatError(
          "expected a Pajek section header (*Vertices, *Arcs, *Edges or *Network), found '" + stray_text_ + "'",
          stray_line_);
    }
    end_vertices();
    finish_block();
    return builder_.finish(notes);
  }

 private:
  enum class Section { None, Vertices, Links, List, Matrix };

  [[noreturn]] void error(const std::string& message) const { throw FormatError(message, lines_.line_number()); }

  // False when the header ends the network.
  bool enter_section(std::string_view line) {
    header_seen_ = true;
    const std::string word = keyword_of(line);
    std::string_view rest = line.substr(1 + word.size());
    if (word != "vertices") end_vertices();
    if (word == "network") {
      if (seen_network_content_) return false;
      finish_block();  // a block before the network has no network to fit
      return true;
    }
    if (word == "partition" || word == "vector" || word == "permutation" || word == "cluster" || word == "hierarchy") {
      start_block(word, rest);
      return true;
    }
    if (block_ != Block::None) return block_vertices(word, rest);
    if (word == "vertices") {
      if (seen_network_content_) return false;  // a block of a .paj project
      read_vertices_header(rest);
    } else if (word == "arcs" || word == "edges" || word == "bipartite") {
      section_ = Section::Links;
      directed_ = word == "arcs";
    } else if (word == "arcslist" || word == "edgeslist") {
      section_ = Section::List;
      directed_ = word == "arcslist";
    } else if (word == "matrix") {
      section_ = Section::Matrix;
      // A one-mode matrix holds arcs; a two-mode one, rows by columns, edges.
      directed_ = mode_one_ == 0;
      matrix_row_ = 0;
    } else {
      error("unknown section header '*" + shown_text(line.substr(1, word.size())) +
            "': expected *Vertices, *Arcs, *Edges, *Arcslist, *Edgeslist, *Matrix or *Network");
    }
    return true;
  }

  void read_vertices_header(std::string_view rest) {
    section_ = Section::Vertices;
    in_vertices_ = true;
    seen_network_content_ = true;
    const std::string_view count = next_field(rest);
    if (count.empty()) return;
    if (!parse_count(count, declared_) || declared_ > kMaxDeclared) {
      error("expected the number of vertices after *Vertices, found '" + shown_text(count) + "'");
    }
    vertices_line_ = lines_.line_number();
    builder_.expect_vertices(declared_);
    const std::string_view first_mode = next_field(rest);
    if (!first_mode.empty() && (!parse_count(first_mode, mode_one_) || mode_one_ > declared_)) {
      error("expected the size of the first mode after *Vertices " + std::string(count) + ", found '" +
            shown_text(first_mode) + "'");
    }
  }

  // Vertices the count declares but no line lists: labelled by their ids.
  void end_vertices() {
    if (!in_vertices_) return;
    in_vertices_ = false;
    refuse_unlisted_beyond_file();
    for (std::uint64_t id = 1; listed_ < declared_ && id <= declared_; ++id) {
      poll_cancellation();
      const std::string text = integer_text(id);
      if (ids_.find(text) != kNoNode) continue;
      ids_.assign(text, builder_.add_vertex(text));
      ++listed_;
    }
  }

  void refuse_unlisted_beyond_file() const {
    const std::uint64_t unlisted = declared_ > listed_ ? declared_ - listed_ : 0;
    // A stream's size is known only at its end: the bytes read so far count.
    const std::optional<std::uint64_t> file_size = source_.total_size();
    const std::uint64_t bytes = file_size ? *file_size : lines_.bytes_read();
    if (unlisted <= std::max(kUnlistedAnyFile, bytes)) return;
    throw FormatError("*Vertices " + integer_text(declared_) + " leaves " + integer_text(unlisted) +
                          " vertices without a line, more than " + (file_size ? "a file of " : "the first ") +
                          integer_text(bytes) + " bytes may leave unlisted (one per byte of the file, and " +
                          integer_text(kUnlistedAnyFile) + " in any file)",
                      vertices_line_);
  }

  // ---- the blocks of a project after the network ----

  enum class Block { None, Partition, Vector, Skipped };

  void start_block(const std::string& word, std::string_view rest) {
    finish_block();
    section_ = Section::None;
    block_ = word == "partition" ? Block::Partition : word == "vector" ? Block::Vector : Block::Skipped;
    std::string_view name = skip_blanks(rest);
    while (!name.empty() && is_blank(name.back())) name.remove_suffix(1);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    block_name_ = name.empty() ? word : std::string(name);
    block_values_.clear();
    block_declared_ = 0;
    block_fits_ = true;
  }

  // "*Vertices n" inside a block; any other header ends the project's use.
  bool block_vertices(const std::string& word, std::string_view rest) {
    if (word != "vertices") {
      finish_block();
      block_ = Block::Skipped;
      return false;
    }
    const std::string_view count = next_field(rest);
    if (!parse_count(count, block_declared_)) block_fits_ = false;
    return true;
  }

  void read_block_value(std::string_view line) {
    if (block_ == Block::Skipped || !block_fits_) return;
    std::string_view rest = line;
    const std::string_view text = next_field(rest);
    if (block_ == Block::Partition) {
      std::int64_t value;
      if (!parse_attribute_integer(text, value)) block_fits_ = false;
    } else {
      double value;
      if (parse_float(text, value) != FloatParse::Ok) block_fits_ = false;
    }
    block_values_.emplace_back(text);
  }

  void finish_block() {
    const Block block = block_;
    block_ = Block::None;
    if (block != Block::Partition && block != Block::Vector) return;
    const std::size_t vertices = builder_.vertex_count();
    if (!block_fits_ || block_values_.size() != vertices || (block_declared_ != 0 && block_declared_ != vertices)) {
      notes_->warnings.push_back(std::string(block == Block::Partition ? "partition '" : "vector '") + block_name_ +
                                 "' does not fit the network's " + integer_text(vertices) + " vertices and is skipped");
      return;
    }
    AttributeRecords& columns = builder_.node_attributes();
    const std::size_t column =
        columns.declare(block_name_, block == Block::Partition ? AttributeType::Integer : AttributeType::Float);
    for (std::size_t i = 0; i < block_values_.size(); ++i) {
      const NodeId vertex = ids_.find(integer_text(i + 1));
      if (vertex != kNoNode) columns.set_text(column, vertex, block_values_[i]);
    }
  }

  // The drawing words after a vertex's coordinates: "ic Red", "bc Black",
  // a shape; the values of other parameters are passed over.
  void read_drawing_words(std::uint32_t vertex, std::string_view rest) {
    static constexpr std::string_view kShapes[] = {"ellipse", "box", "diamond", "triangle", "cross", "empty"};
    static constexpr std::string_view kWithValue[] = {"x_fact", "y_fact", "phi",  "r",  "q",  "lr",   "lphi",
                                                      "bw",     "fos",    "font", "lc", "la", "size", "s_size"};
    AttributeRecords& columns = builder_.node_attributes();
    for (std::string_view word = next_field(rest); !word.empty(); word = next_field(rest)) {
      if (word == "ic" || word == "bc") {
        const std::string_view value = next_field(rest);
        if (value.empty()) return;
        columns.set_text(columns.declare(word, AttributeType::String), vertex, value);
      } else if (std::find(std::begin(kShapes), std::end(kShapes), word) != std::end(kShapes)) {
        columns.set_text(columns.declare("shape", AttributeType::String), vertex, word);
      } else if (std::find(std::begin(kWithValue), std::end(kWithValue), word) != std::end(kWithValue)) {
        next_field(rest);
      }
    }
  }

  void read_data_line(std::string_view line) {
    if (block_ != Block::None) {
      read_block_value(line);
      return;
    }
    switch (section_) {
      case Section::None:
        return;  // text before the first header
      case Section::Vertices:
        read_vertex(line);
        return;
      case Section::Links:
        read_link(line);
        return;
      case Section::List:
        read_list(line);
        return;
      case Section::Matrix:
        read_matrix_row(line);
        return;
    }
  }

  void read_vertex(std::string_view line) {
    std::string_view rest = line;
    const std::string_view id = next_field(rest);
    rest = skip_blanks(rest);
    std::optional<std::string_view> label;
    if (!rest.empty() && rest.front() == '"') {
      // To the first quote that ends a field (later quoted values are
      // drawing words: `"a b" ic Red fos "Arial"`); a quote inside a word
      // (`"say "hi""`) belongs to the label. Without a closing quote the
      // label runs to the end of the line.
      std::size_t close = 1;
      while ((close = rest.find('"', close)) != std::string_view::npos) {
        if (close + 1 == rest.size() || is_blank(rest[close + 1])) break;
        ++close;
      }
      if (close == std::string_view::npos) {
        label = rest.substr(1);
        rest = {};
      } else {
        label = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
      }
      // A double quote inside a label, as igraph and our writer put it.
      if (has_pajek_reference(*label)) {
        decode_pajek_label(*label, unescaped_);
        label = unescaped_;
      }
    } else if (!rest.empty()) {
      label = next_field(rest);
    }
    // A later line with the same id takes the id over.
    const NodeId vertex = builder_.add_vertex(label ? *label : id);
    ids_.assign(id, vertex);
    ++listed_;
    // x y [z], then shape words; a line without two numbers has no position.
    const std::string_view words = rest;
    const std::string_view x_text = next_field(rest);
    const std::string_view y_text = next_field(rest);
    double x;
    double y;
    if (!y_text.empty() && parse_float(x_text, x) == FloatParse::Ok && parse_float(y_text, y) == FloatParse::Ok) {
      builder_.set_position(vertex, x, y);
      std::string_view after = rest;
      double z;
      if (parse_float(next_field(after), z) == FloatParse::Ok) rest = after;
      read_drawing_words(vertex, rest);
    } else {
      read_drawing_words(vertex, words);
    }
  }

  std::uint32_t vertex_of(std::string_view id) const {
    if (const NodeId vertex = ids_.find(id); vertex != kNoNode) return vertex;
    error("the link names vertex '" + shown_text(id) + "', which no vertex line declares");
  }

  // "a b [weight] [words]", optionally after a relation number "2:".
  void read_link(std::string_view line) {
    std::string_view rest = line;
    std::string_view from = next_field(rest);
    if (from.back() == ':') from = next_field(rest);
    const std::string_view to = next_field(rest);
    if (to.empty()) error("expected two vertex ids and an optional weight, found '" + shown_text(line) + "'");
    const std::uint32_t source = vertex_of(from);
    const std::uint32_t target = vertex_of(to);
    float weight = 1.0f;
    // A word after the ids (Pajek's "c Blue", networkx's "{}") is no weight;
    // a field that starts like a number and is none is an error.
    if (const std::string_view weight_text = next_field(rest); !weight_text.empty()) {
      if (parse_float(weight_text, weight) != FloatParse::Ok) {
        if (looks_numeric(weight_text))
          error("expected a number as the weight, found '" + shown_text(weight_text) + "'");
        weight = 1.0f;
      }
    }
    builder_.add_link(source, target, weight, directed_);
    seen_network_content_ = true;
  }

  // "a b c d": a linked to each of b, c and d.
  void read_list(std::string_view line) {
    std::string_view rest = line;
    std::string_view from = next_field(rest);
    if (from.back() == ':') from = next_field(rest);
    const std::uint32_t source = vertex_of(from);
    for (std::string_view to = next_field(rest); !to.empty(); to = next_field(rest)) {
      builder_.add_link(source, vertex_of(to), 1.0f, directed_);
    }
  }

  // One row per line; each cell that is not zero is a link weighted by it.
  void read_matrix_row(std::string_view line) {
    const std::uint64_t vertices = builder_.vertex_count();
    const std::uint64_t rows = mode_one_ != 0 ? mode_one_ : vertices;
    const std::uint64_t column_base = mode_one_ != 0 ? mode_one_ : 0;
    if (matrix_row_ >= rows) error("the matrix has more rows than the " + integer_text(rows) + " vertices it is for");
    std::string_view rest = line;
    std::uint64_t column = 0;
    for (std::string_view cell = next_field(rest); !cell.empty(); cell = next_field(rest), ++column) {
      float value;
      if (parse_float(cell, value) != FloatParse::Ok)
        error("expected a number in the matrix, found '" + shown_text(cell) + "'");
      if (column_base + column >= vertices) error("the matrix row has more cells than there are vertices");
      if (value != 0.0f) {
        builder_.add_link(static_cast<NodeId>(matrix_row_), static_cast<NodeId>(column_base + column), value,
                          directed_);
      }
    }
    ++matrix_row_;
    seen_network_content_ = true;
  }

  ByteSource& source_;
  LineReader lines_;
  GraphBuilder builder_;
  VertexIds ids_;
  Section section_ = Section::None;
  bool directed_ = false;
  bool in_vertices_ = false;
  bool seen_network_content_ = false;
  bool header_seen_ = false;
  std::string unescaped_;       // a label with its references decoded
  std::size_t stray_line_ = 0;  // the first data line before any header
  std::string stray_text_;
  std::uint64_t declared_ = 0;
  std::size_t vertices_line_ = 0;  // the line of "*Vertices n"
  std::uint64_t listed_ = 0;
  std::uint64_t mode_one_ = 0;
  std::uint64_t matrix_row_ = 0;
  ReadNotes* notes_ = nullptr;
  Block block_ = Block::None;
  std::string block_name_;
  std::vector<std::string> block_values_;
  std::uint64_t block_declared_ = 0;
  bool block_fits_ = true;
};

}  // namespace

GraphStore read_pajek(ByteSource& source, const ReadOptions& options, ReadNotes& notes) {
  PajekReader reader(source, options);
  return reader.read(notes);
}

}  // namespace mivora
