// GML as networkx, igraph, Gephi, graph-tool and Newman's collection write it.
//
// A file is a list of `key value` pairs; a value is a number, a "string"
// (no escapes inside; HTML entities such as &amp; &quot; &#233; stand for
// characters), a bare word (Gephi writes `id Domingo`) or a nested
// [ list ]. The first `graph [ ... ]` holds the network:
//   directed 1            every edge is an arc (an edge's own `directed` wins)
//   node [ id label name graphics [ x y ] ]
//   edge [ source target weight|value directed ]
// Every other key of a node or an edge becomes an attribute column (a
// column of numbers is an integer column when every value is an integer,
// else a float column; one with a string or a word is a string column), a
// nested list other than a node's `graphics` flattened into keys
// `list.key`. A node's `name` is a column when it has a `label` too; an
// edge's `value` is its weight when it has no `weight`, else a column.
// Top-level keys and graph attributes are skipped. Lines starting with '#'
// are comments.
//
// A node's label is its `label`, else its `name`, else its id. Edges name
// nodes by id, before or after the node itself; an id no node declares
// becomes a node labelled with the id. A node declared twice under one id
// stays two nodes; edges name the first.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/format_parsers.hpp"
#include "text_io/text_scan.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/shown_text.hpp"

namespace mivora {
namespace {

enum class Kind { Word, Number, String, Open, Close, End };

struct Token {
  Kind kind = Kind::End;
  std::string text;  // word, number or decoded string
  std::size_t line = 0;
  std::size_t column = 0;
};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool is_word_start(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_word_char(char c) { return is_word_start(c) || (c >= '0' && c <= '9'); }
// Letters of any case belong to a number: a signed Inf or NaN (igraph writes
// -Inf, networkx -INF and +INF) is one token that parse_float reads.
bool is_number_char(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void append_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Replaces the character references of a GML string: numeric ones (&#233;
// &#xE9;) and the named ones GML writers use; any other '&' stays as it is.
std::string decode_entities(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  std::size_t i = 0;
  while (i < raw.size()) {
    const char c = raw[i];
    // A reference is at most 12 bytes long: only that far is searched, so
    // a string of many '&' is decoded in linear time.
    const std::size_t found = c == '&' ? raw.substr(i + 1, 12).find(';') : std::string_view::npos;
    const std::size_t semicolon = found == std::string_view::npos ? found : i + 1 + found;
    poll_cancellation();
    if (semicolon == std::string_view::npos) {
      out += c;
      ++i;
      continue;
    }
    const std::string_view name = raw.substr(i + 1, semicolon - i - 1);
    std::uint32_t code = 0;
    bool known = true;
    if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      known = error == std::errc() && end == digits.data() + digits.size() && !digits.empty() && code <= 0x10FFFF &&
              !(code >= 0xD800 && code <= 0xDFFF);
    } else if (name == "amp")
      code = '&';
    else if (name == "lt")
      code = '<';
    else if (name == "gt")
      code = '>';
    else if (name == "quot")
      code = '"';
    else if (name == "apos")
      code = '\'';
    else if (name == "nbsp")
      code = 0xA0;
    else if (name == "NewLine")
      code = '\n';
    else if (name == "Tab")
      code = '\t';
    else
      known = false;
    if (!known) {
      out += c;
      ++i;
      continue;
    }
    append_utf8(out, code);
    i = semicolon + 1;
  }
  return out;
}

class GmlLexer {
 public:
  explicit GmlLexer(ChunkInput& input) : input_(input) {}

  Token next() {
    Token token;
    skip_space_and_comments();
    token.line = line_;
    token.column = column();
    if (!available(pos_)) return token;  // End
    const char c = at(pos_);
    if (c == '[' || c == ']') {
      token.kind = c == '[' ? Kind::Open : Kind::Close;
      ++pos_;
      return token;
    }
    if (c == '"') {
      token.kind = Kind::String;
      token.text = string_body(token);
      return token;
    }
    if (is_word_start(c)) {
      token.kind = Kind::Word;
      token.text = run(is_word_char);
      return token;
    }
    if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
      token.kind = Kind::Number;
      token.text = run(is_number_char);
      return token;
    }
    throw FormatError(std::string("unexpected character '") + printable(c) + "'", token.line, token.column);
  }

 private:
  static std::string printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) return std::string(1, c);
    static const char digits[] = "0123456789ABCDEF";
    return std::string("\\x") + digits[byte >> 4] + digits[byte & 15];
  }

  // Whether the byte at window offset `offset` (pos_ or scan_, which a
  // refill moves with the window) is there, reading on as needed.
  // Runs once a byte: the test is inlined, the reading on kept apart
  // (clang, left to itself, inlines it here and then calls available).
  bool available(const std::size_t& offset) { return offset < input_.window().size() || read_on_to(offset); }
  [[gnu::noinline]] bool read_on_to(const std::size_t& offset) {
    while (offset >= input_.window().size()) {
      if (!refill()) return false;
    }
    return true;
  }
  char at(std::size_t offset) const { return input_.window()[offset]; }

  // Keeps the window from the token's start (`keep_`) and reads on.
  bool refill() {
    const std::size_t keep = std::min({keep_from_, pos_, scan_});
    if (!input_.more(keep)) {
      rebase(keep);
      return false;
    }
    rebase(keep);
    poll_cancellation(64);
    return true;
  }
  void rebase(std::size_t dropped) {
    pos_ -= dropped;
    scan_ -= dropped;
    keep_from_ -= dropped;
    after_cr_ = after_cr_ == kNoOffset || after_cr_ < dropped ? kNoOffset : after_cr_ - dropped;
    line_start_ -= static_cast<std::int64_t>(dropped);
  }
  std::size_t column() const { return static_cast<std::size_t>(static_cast<std::int64_t>(pos_) - line_start_) + 1; }

  void newline_at(std::size_t offset) {
    // CR LF counts once: the CR ends the line, the LF only moves the start.
    const char c = at(offset);
    if (c == '\n' && after_cr_ == offset) {
      line_start_ = static_cast<std::int64_t>(offset) + 1;
      return;
    }
    ++line_;
    line_start_ = static_cast<std::int64_t>(offset) + 1;
    after_cr_ = c == '\r' ? offset + 1 : kNoOffset;
  }

  void skip_space_and_comments() {
    keep_from_ = scan_ = pos_;
    bool line_empty_so_far = column() == 1;
    while (true) {
      keep_from_ = scan_ = pos_;
      if (!available(pos_)) return;
      const char c = at(pos_);
      if (c == '\n' || c == '\r') {
        newline_at(pos_);
        ++pos_;
        line_empty_so_far = true;
      } else if (is_space(c)) {
        ++pos_;
      } else if (c == '#' && line_empty_so_far) {
        while (available(pos_) && at(pos_) != '\n' && at(pos_) != '\r') {
          keep_from_ = scan_ = ++pos_;
        }
      } else {
        keep_from_ = pos_;
        return;
      }
    }
  }

  template <typename Accept>
  std::string run(Accept accept) {
    keep_from_ = scan_ = pos_;
    while (available(scan_) && accept(at(scan_))) ++scan_;
    std::string text(input_.window().substr(keep_from_, scan_ - keep_from_));
    pos_ = keep_from_ = scan_;
    return text;
  }

  std::string string_body(const Token& token) {
    ++pos_;  // opening quote
    keep_from_ = scan_ = pos_;
    bool plain = true;
    while (true) {
      if (!available(scan_))
        throw FormatError("a string is not closed before the end of the file", token.line, token.column);
      const char c = at(scan_);
      if (c == '"') break;
      if (c == '\n' || c == '\r') newline_at(scan_);
      if (c == '&') plain = false;
      ++scan_;
    }
    const std::string_view raw = input_.window().substr(keep_from_, scan_ - keep_from_);
    if (!is_valid_utf8(raw)) throw FormatError("a string is not valid UTF-8", token.line, token.column);
    std::string text = plain ? std::string(raw) : decode_entities(raw);
    pos_ = keep_from_ = scan_ + 1;
    return text;
  }

  static constexpr std::size_t kNoOffset = ~std::size_t{0};
  ChunkInput& input_;
  std::size_t pos_ = 0;
  std::size_t keep_from_ = 0;
  std::size_t scan_ = 0;
  std::size_t line_ = 1;
  std::int64_t line_start_ = 0;
  std::size_t after_cr_ = kNoOffset;
};

class GmlParser {
 public:
  explicit GmlParser(ChunkInput& input) : lexer_(input) {}

  GraphRecords run() {
    bool graph_seen = false;
    while (true) {
      Token key = lexer_.next();
      if (key.kind == Kind::End) break;
      if (key.kind == Kind::Close) throw FormatError("']' closes no list", key.line, key.column);
      expect_key(key);
      Token value = value_after(key);
      if (key.text == "graph" && value.kind == Kind::Open && !graph_seen) {
        graph_seen = true;
        graph(value);
      } else if (value.kind == Kind::Open) {
        skip_list();
      }
    }
    if (!graph_seen) throw FormatError("no 'graph [ ... ]' list in the file", 0, 0);
    return std::move(records_);
  }

 private:
  void expect_key(const Token& token) {
    if (token.kind != Kind::Word) {
      throw FormatError(
          token.kind == Kind::Open ? "expected a key before '['" : "expected a key, found '" + token.text + "'",
          token.line, token.column);
    }
  }

  Token value_after(const Token& key) {
    Token value = lexer_.next();
    if (value.kind == Kind::End)
      throw FormatError("key '" + shown_text(key.text) + "' has no value", key.line, key.column);
    if (value.kind == Kind::Close)
      throw FormatError("key '" + shown_text(key.text) + "' has no value before ']'", value.line, value.column);
    return value;
  }

  // Reads the next key of the list being parsed; false at its ']'.
  bool next_key(Token& key, const Token& open) {
    key = lexer_.next();
    if (key.kind == Kind::Close) return false;
    if (key.kind == Kind::End) throw FormatError("the list opened here is not closed", open.line, open.column);
    expect_key(key);
    return true;
  }

  void skip_list() {
    std::size_t depth = 1;
    while (depth > 0) {
      Token token = lexer_.next();
      if (token.kind == Kind::End)
        throw FormatError("a list is not closed before the end of the file", token.line, token.column);
      if (token.kind == Kind::Open) ++depth;
      if (token.kind == Kind::Close) --depth;
    }
  }

  void graph(const Token& open) {
    Token key;
    while (next_key(key, open)) {
      Token value = value_after(key);
      if (key.text == "node" && value.kind == Kind::Open) {
        node(value);
      } else if (key.text == "edge" && value.kind == Kind::Open) {
        edge(value);
      } else if (key.text == "directed" && value.kind == Kind::Number) {
        directed_ = value.text != "0";
      } else if (value.kind == Kind::Open) {
        skip_list();
      }
      poll_cancellation();
    }
    // An edge to a node no node list declares is an error, as networkx and
    // igraph make it: the file is damaged or cut short.
    for (const Named& end : undeclared_) {
      if (!records_.is_declared(end.vertex)) {
        throw FormatError("an edge names node id '" + records_.vertices[end.vertex].label + "', which no node declares",
                          end.line, end.column);
      }
    }
    undeclared_ = {};
    for (std::size_t i = 0; i < records_.links.size(); ++i) {
      if (i < direction_given_.size() && direction_given_[i]) continue;
      records_.links[i].directed = directed_;
    }
  }

  // A value of a key the model does not use, kept until its row is known.
  struct Extra {
    std::string key;
    std::string text;
    bool quoted;
  };

  // Keys and values of a nested list, flattened to `prefix.key`.
  void flatten(const std::string& prefix, const Token& open, std::vector<Extra>& extras) {
    Token key;
    while (next_key(key, open)) {
      Token value = value_after(key);
      std::string name = prefix + "." + key.text;
      if (value.kind == Kind::Open)
        flatten(name, value, extras);
      else
        extras.push_back(Extra{std::move(name), std::move(value.text), is_text(value)});
    }
  }

  // A string, or a word other than NAN/INF (which networkx writes bare).
  static bool is_text(const Token& value) {
    if (value.kind == Kind::Number) return false;
    double number;
    return value.kind != Kind::Word || parse_float(value.text, number) != FloatParse::Ok;
  }

  static void keep(std::vector<Extra>& extras, const Token& key, Token& value) {
    const bool text = is_text(value);
    extras.push_back(Extra{key.text, std::move(value.text), text});
  }

  static void place(AttributeRecords& records, std::size_t row, std::vector<Extra>& extras) {
    for (Extra& extra : extras) {
      records.set_text(records.inferred(extra.key, false), row, extra.text, extra.quoted);
    }
  }

  void node(const Token& open) {
    std::string id, label, name;
    bool has_id = false, has_label = false, has_name = false, has_x = false, has_y = false;
    double x = 0, y = 0;
    std::vector<Extra> extras;
    Token key;
    while (next_key(key, open)) {
      Token value = value_after(key);
      if (value.kind == Kind::Open) {
        if (key.text == "graphics")
          graphics(value, x, y, has_x, has_y);
        else
          flatten(key.text, value, extras);
      } else if (key.text == "id") {
        id = std::move(value.text), has_id = true;
      } else if (key.text == "label") {
        label = std::move(value.text), has_label = true;
      } else if (key.text == "name") {
        name = value.text, has_name = true;
        keep(extras, key, value);
      } else if (key.text != "x" && key.text != "y") {
        keep(extras, key, value);
      }
    }
    if (!has_id) throw FormatError("a node has no 'id'", open.line, open.column);
    if (has_name && !has_label) {
      std::erase_if(extras, [](const Extra& extra) { return extra.key == "name"; });
    }
    const std::uint32_t number = records_.declare(id);
    place(records_.vertex_attributes, number, extras);
    VertexRecord& vertex = records_.vertices[number];
    if (has_label)
      vertex.label = std::move(label);
    else if (has_name)
      vertex.label = std::move(name);
    if (has_x && has_y) {
      vertex.x = x, vertex.y = y;
      vertex.has_position = true;
    }
  }

  void graphics(const Token& open, double& x, double& y, bool& has_x, bool& has_y) {
    Token key;
    while (next_key(key, open)) {
      Token value = value_after(key);
      if (value.kind == Kind::Open) {
        skip_list();
      } else if (key.text == "x") {
        has_x = number(value, x);
      } else if (key.text == "y") {
        has_y = number(value, y);
      }
    }
  }

  template <typename T>
  static bool number(const Token& value, T& out) {
    // NaN and inf are words; a string holding a number counts as one.
    if (value.kind == Kind::String || value.kind == Kind::Word) return parse_float(value.text, out) == FloatParse::Ok;
    if (value.kind != Kind::Number || parse_float(value.text, out) != FloatParse::Ok) {
      throw FormatError("expected a number, found '" + shown_text(value.text) + "'", value.line, value.column);
    }
    return true;
  }

  void edge(const Token& open) {
    std::string source, target;
    bool has_source = false, has_target = false, has_weight = false, has_value = false;
    std::optional<bool> directed;
    float weight = 1.0f, value_weight = 1.0f;
    std::vector<Extra> extras;
    std::optional<Extra> value_extra;
    Token key;
    while (next_key(key, open)) {
      Token value = value_after(key);
      if (value.kind == Kind::Open) {
        flatten(key.text, value, extras);
      } else if (key.text == "source") {
        source = std::move(value.text), has_source = true;
      } else if (key.text == "target") {
        target = std::move(value.text), has_target = true;
      } else if (key.text == "weight") {
        has_weight = number(value, weight);
      } else if (key.text == "value") {
        has_value = number(value, value_weight);
        value_extra = Extra{key.text, value.text, is_text(value)};
      } else if (key.text == "directed" && value.kind == Kind::Number) {
        directed = value.text != "0";
      } else if (key.text != "directed") {
        keep(extras, key, value);
      }
    }
    if (value_extra && (has_weight || !has_value)) extras.push_back(std::move(*value_extra));
    if (!has_source || !has_target) {
      throw FormatError(has_source ? "an edge has no 'target'" : "an edge has no 'source'", open.line, open.column);
    }
    const std::uint32_t from = records_.vertex(source);
    const std::uint32_t to = records_.vertex(target);
    // Nodes may follow the edges that name them: checked once the graph ends.
    if (!records_.is_declared(from)) undeclared_.push_back(Named{from, open.line, open.column});
    if (!records_.is_declared(to)) undeclared_.push_back(Named{to, open.line, open.column});
    if (directed) {
      direction_given_.resize(records_.links.size() + 1, false);
      direction_given_.back() = true;
    }
    place(records_.link_attributes, records_.links.size(), extras);
    records_.link(from, to, has_weight ? weight : has_value ? value_weight : 1.0f, directed.value_or(false));
  }

  GmlLexer lexer_;
  GraphRecords records_;
  std::vector<bool> direction_given_;  // by link; empty while no edge gives its own
  struct Named {
    std::uint32_t vertex;
    std::size_t line, column;
  };
  std::vector<Named> undeclared_;  // link ends not declared when the link was read
  bool directed_ = false;
};

}  // namespace

GraphRecords parse_gml(ChunkInput& input) { return GmlParser(input).run(); }

GraphStore read_gml(ByteSource& source, const ReadOptions& options, ReadNotes& notes) {
  ChunkInput input(fill_from(source));
  return build_graph(parse_gml(input), source, options, notes);
}

}  // namespace mivora
