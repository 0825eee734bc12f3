// The Pajek format as Pajek, igraph, networkx, Gephi and Infomap write it.
//
// Sections, announced by lines starting with '*' (any letter case):
// *Network (ignored), *Vertices n [n1], *Arcs/*Edges (optionally with a
// relation ":2 \"name\""), *Arcslist/*Edgeslist, *Matrix and Infomap's
// *Bipartite k (links). *Partition, *Vector, *Permutation, *Cluster and
// *Hierarchy end the network (the other blocks of a .paj project), as does a
// second *Network. '%' and '#' lines are comments anywhere; fields are
// separated by runs of spaces and tabs.
#include <algorithm>
#include <charconv>
#include <cstdint>

#include "formats/formats.hpp"
#include "text_io/text_scan.hpp"
#include "formats/file_reader.hpp"
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
      : lines_(source), builder_(PositionUnits::UnitSquare, options.positions, source.total_size()) {}

  GraphStore read(ReadNotes& notes) {
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
      return true;
    }
    if (word == "partition" || word == "vector" || word == "permutation" || word == "cluster" || word == "hierarchy") {
      return false;
    }
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
    for (std::uint64_t id = 1; listed_ < declared_ && id <= declared_; ++id) {
      poll_cancellation();
      const std::string text = integer_text(id);
      if (builder_.find(text)) continue;
      builder_.add_vertex(text);
      ++listed_;
    }
  }

  void read_data_line(std::string_view line) {
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
      if (label->find("&#34;") != std::string_view::npos) {
        unescaped_.clear();
        std::string_view text = *label;
        for (std::size_t at; (at = text.find("&#34;")) != std::string_view::npos; text.remove_prefix(at + 5)) {
          unescaped_.append(text.substr(0, at));
          unescaped_ += '"';
        }
        unescaped_.append(text);
        label = unescaped_;
      }
    } else if (!rest.empty()) {
      label = next_field(rest);
    }
    const std::uint32_t vertex = builder_.add_vertex(id, label);
    ++listed_;
    // x y [z], then shape words; a line without two numbers has no position.
    const std::string_view x_text = next_field(rest);
    const std::string_view y_text = next_field(rest);
    double x;
    double y;
    if (y_text.empty()) return;
    if (parse_float(x_text, x) == FloatParse::Ok && parse_float(y_text, y) == FloatParse::Ok) {
      builder_.set_position(vertex, x, y);
    }
  }

  std::uint32_t vertex_of(std::string_view id) const {
    if (const auto vertex = builder_.find(id)) return *vertex;
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

  LineReader lines_;
  GraphBuilder builder_;
  Section section_ = Section::None;
  bool directed_ = false;
  bool in_vertices_ = false;
  bool seen_network_content_ = false;
  bool header_seen_ = false;
  std::string unescaped_;       // a label with its &#34; decoded
  std::size_t stray_line_ = 0;  // the first data line before any header
  std::string stray_text_;
  std::uint64_t declared_ = 0;
  std::uint64_t listed_ = 0;
  std::uint64_t mode_one_ = 0;
  std::uint64_t matrix_row_ = 0;
};

}  // namespace

GraphStore read_pajek(ByteSource& source, const ReadOptions& options, ReadNotes& notes) {
  PajekReader reader(source, options);
  return reader.read(notes);
}

}  // namespace mivora
