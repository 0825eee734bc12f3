// The JSON graph document: RapidJSON's SAX reader with a handler that maps
// the three record types (object or array form) and words its failures as
// "{message} at line {L} column {C}", with line and column also as fields.

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <rapidjson/error/error.h>
#include <rapidjson/reader.h>
#include <rapidjson/stream.h>

#include "formats/file_reader.hpp"
#include "formats/formats.hpp"
#include "formats/vertex_ids.hpp"
#include "text_io/text_scan.hpp"
#include "text_io/number_text.hpp"
#include "graph_core/internal_error.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/shown_text.hpp"

namespace mivora {

// ---- numbers in the JSON style --------------------------------------------------

namespace {

// ---- the record mapping -----------------------------------------------------------

constexpr int kNoField = -1;
constexpr int kIgnoredField = 3;
// Nesting depth at which decoding gives up, as the usual JSON decoders do.
constexpr int kMaxDepth = 128;

enum class Want { Graph, NodeList, ConnectionList, Node, Connection, Text, OptionalF64, F32, Ignored, TooMany };

struct RecordShape {
  const char* expecting;  // "struct JsonNode"
  const char* fields[3];
  Want wants[3];
  unsigned required;  // bit per field
};

constexpr RecordShape kGraphShape{"struct JsonGraph",
                                  {"nodes", "edges", "arcs"},
                                  {Want::NodeList, Want::ConnectionList, Want::ConnectionList},
                                  0b001};
constexpr RecordShape kNodeShape{
    "struct JsonNode", {"label", "x", "y"}, {Want::Text, Want::OptionalF64, Want::OptionalF64}, 0b001};
constexpr RecordShape kConnectionShape{
    "struct JsonConnection", {"source", "target", "weight"}, {Want::Text, Want::Text, Want::F32}, 0b111};

const char* expecting(Want want) {
  switch (want) {
    case Want::Graph:
      return kGraphShape.expecting;
    case Want::Node:
      return kNodeShape.expecting;
    case Want::Connection:
      return kConnectionShape.expecting;
    case Want::NodeList:
    case Want::ConnectionList:
      return "a sequence";
    case Want::Text:
      return "a string";
    case Want::OptionalF64:
      return "f64";
    case Want::F32:
      return "f32";
    default:
      return "";
  }
}

// A number's text as the decoder saw it: an integer (fits 64 bits) or a float.
struct Number {
  enum class Kind { Unsigned, Signed, Float } kind;
  std::uint64_t unsigned_value = 0;
  std::int64_t signed_value = 0;
  double float_value = 0;
  bool out_of_range = false;
};

Number read_number(std::string_view text) {
  Number number{Number::Kind::Float};
  const bool integral = text.find_first_of(".eE") == std::string_view::npos;
  if (integral) {
    if (text[0] != '-') {
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number.unsigned_value);
      if (error == std::errc()) {
        number.kind = Number::Kind::Unsigned;
        return number;
      }
    } else if (text != "-0") {
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number.signed_value);
      if (error == std::errc()) {
        number.kind = Number::Kind::Signed;
        return number;
      }
    }
  }
  double value = 0;
  if (parse_float(text, value) != FloatParse::Ok) value = 0;  // cannot happen: the decoder checked the syntax
  number.float_value = value;
  number.out_of_range = std::isinf(value);
  return number;
}

double as_f64(const Number& number) {
  switch (number.kind) {
    case Number::Kind::Unsigned:
      return static_cast<double>(number.unsigned_value);
    case Number::Kind::Signed:
      return static_cast<double>(number.signed_value);
    default:
      return number.float_value;
  }
}

float as_f32(const Number& number) {
  switch (number.kind) {
    case Number::Kind::Unsigned:
      return static_cast<float>(number.unsigned_value);
    case Number::Kind::Signed:
      return static_cast<float>(number.signed_value);
    default:
      return static_cast<float>(number.float_value);
  }
}

// A string shown inside a message: quoted, with quotes, backslashes and
// control characters escaped.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char hex[8];
          const auto end =
              std::to_chars(hex, hex + sizeof hex, static_cast<unsigned>(static_cast<unsigned char>(c)), 16).ptr;
          out += "\\u{";
          out.append(hex, end);
          out += '}';
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

class GraphHandler {
 public:
  GraphHandler(std::string_view text, const rapidjson::StringStream& stream) : text_(text), stream_(stream) {}

  // ---- events --------------------------------------------------------------------
  // The decoder hands literals over once consumed, numbers and strings while
  // the stream still stands at their first character.
  bool Null() { return scalar(Scalar::Null, {}, stream_.Tell() - 4, stream_.Tell()); }
  bool Bool(bool value) {
    const std::size_t end = stream_.Tell();
    return scalar(value ? Scalar::True : Scalar::False, {}, end - (value ? 4 : 5), end);
  }
  bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
    return scalar(Scalar::Number, {text, length}, stream_.Tell(), stream_.Tell() + length);
  }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    if (lone_trailing_surrogate({text, length})) return false;
    return scalar(Scalar::String, {text, length}, stream_.Tell(), string_end(stream_.Tell()));
  }
  // Not called with numbers parsed as text.
  bool Int(int) { return false; }
  bool Uint(unsigned) { return false; }
  bool Int64(std::int64_t) { return false; }
  bool Uint64(std::uint64_t) { return false; }
  bool Double(double) { return false; }

  bool StartObject() { return start(true); }
  bool StartArray() { return start(false); }

  bool Key(const char* text, rapidjson::SizeType length, bool) {
    if (lone_trailing_surrogate({text, length})) return false;
    Frame& frame = frames_.back();
    if (frame.kind == Kind::Skip) return true;
    const std::string_view key(text, length);
    const RecordShape& shape = *frame.shape;
    for (int field = 0; field < 3; ++field) {
      if (key != shape.fields[field]) continue;
      if (frame.seen & (1u << field)) {
        // Reported where the key ends, past the white space after it.
        std::size_t index = string_end(stream_.Tell());
        while (index < text_.size() && is_json_space(text_[index])) ++index;
        return error_at(std::string("duplicate field `") + shape.fields[field] + "`", index);
      }
      frame.seen |= 1u << field;
      frame.field = field;
      return true;
    }
    frame.field = kIgnoredField;
    return true;
  }

  bool EndObject(rapidjson::SizeType) {
    Frame& frame = frames_.back();
    if (frame.kind == Kind::Skip) return end_skip();
    const RecordShape& shape = *frame.shape;
    const std::size_t after = stream_.Tell() + 1;  // past the closing brace
    for (int field = 0; field < 3; ++field) {
      if ((shape.required & (1u << field)) && !(frame.seen & (1u << field))) {
        return error_at(std::string("missing field `") + shape.fields[field] + "`", after);
      }
    }
    frames_.pop_back();
    --depth_;
    value_done();
    return true;
  }

  bool EndArray(rapidjson::SizeType) {
    Frame& frame = frames_.back();
    if (frame.kind == Kind::Skip) return end_skip();
    if (frame.kind == Kind::RecordArray && frame.field < 3) {
      return error_at(
          "invalid length " + integer_text(frame.field) + ", expected " + frame.shape->expecting + " with 3 elements",
          stream_.Tell() + 1);
    }
    frames_.pop_back();
    --depth_;
    value_done();
    return true;
  }

  // ---- results -------------------------------------------------------------------
  JsonGraph& graph() { return graph_; }
  bool failed() const { return !error_.message.empty(); }
  const JsonDecodeError& error() const { return error_; }

  static bool is_json_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

  // A failure noticed with the input consumed up to `index` (the column is
  // that of the last byte consumed).
  JsonDecodeError located(std::string_view message, std::size_t index) const {
    index = std::min(index, text_.size());
    const std::string_view before = text_.substr(0, index);
    const std::size_t feed = before.rfind('\n');
    const std::size_t line_start = feed == std::string_view::npos ? 0 : feed + 1;
    std::size_t line = 1;
    for (std::size_t i = 0; i < line_start; ++i) line += text_[i] == '\n';
    return JsonDecodeError{std::string(message), line, index - line_start};
  }

 private:
  enum class Kind { RecordObject, RecordArray, List, Skip };
  enum class Scalar { Null, True, False, Number, String };

  struct Frame {
    Kind kind;
    const RecordShape* shape = nullptr;  // records
    Want element = Want::Ignored;        // lists
    int field = kNoField;                // objects: field of the coming value; arrays: index of the next element
    unsigned seen = 0;
    std::size_t skip_depth = 0;
    int record = 0;  // 0 graph, 1 node, 2 connection
    std::vector<JsonConnection>* connections = nullptr;
  };

  bool error_at(std::string message, std::size_t index) {
    error_ = located(message, index);
    return false;
  }

  // The decoder refuses a lone leading surrogate escape but turns a lone
  // trailing one (\uDC00 to \uDFFF) into three bytes that are not UTF-8.
  // Such a string is refused too, where its escape ends; the input itself
  // was valid UTF-8, so only that escape can make the decoded text invalid.
  bool lone_trailing_surrogate(std::string_view decoded) {
    if (is_valid_utf8(decoded)) return false;
    const std::size_t start = stream_.Tell();
    const std::size_t end = string_end(start);
    auto surrogate_escape = [&](std::size_t i, char low, char high) {
      if (i + 5 >= end || text_[i + 1] != 'u' || (text_[i + 2] | 0x20) != 'd') return false;
      const char c = static_cast<char>(text_[i + 3] | 0x20);
      return c >= low && c <= high;
    };
    std::size_t at = start;
    for (std::size_t i = start + 1; i < end; ++i) {
      if (text_[i] != '\\') continue;
      if (surrogate_escape(i, 'c', 'f')) {
        at = i;
        break;
      }
      // A pair is decoded as one; any other escape is skipped whole.
      i += surrogate_escape(i, '8', 'b') ? 11 : 1;
    }
    error_at("lone leading surrogate in hex escape", at + 6);
    return true;
  }

  Want wanted() {
    if (frames_.empty()) return Want::Graph;
    const Frame& frame = frames_.back();
    switch (frame.kind) {
      case Kind::List:
        return frame.element;
      case Kind::RecordObject:
        return frame.field == kIgnoredField ? Want::Ignored : frame.shape->wants[frame.field];
      case Kind::RecordArray:
        return frame.field >= 3 ? Want::TooMany : frame.shape->wants[frame.field];
      case Kind::Skip:
        break;
    }
    return Want::Ignored;
  }

  // A value of the current frame is complete.
  void value_done() {
    if (frames_.empty()) return;
    Frame& frame = frames_.back();
    if (frame.kind == Kind::RecordObject) {
      frame.field = kNoField;
    } else if (frame.kind == Kind::RecordArray) {
      ++frame.field;
    }
  }

  bool end_skip() {
    --depth_;
    if (--frames_.back().skip_depth == 0) {
      frames_.pop_back();
      value_done();
    }
    return true;
  }

  // A fourth element of a record given as an array is trailing text.
  bool too_many(std::size_t start) { return error_at("trailing characters", start + 1); }

  // Index just past the closing quote of the string literal opening at `start`.
  std::size_t string_end(std::size_t start) const {
    std::size_t i = start + 1;
    while (i < text_.size() && text_[i] != '"') i += text_[i] == '\\' ? 2 : 1;
    return std::min(i + 1, text_.size());
  }

  std::string unexpected(Scalar scalar, std::string_view text) const {
    switch (scalar) {
      case Scalar::Null:
        return "null";
      case Scalar::True:
        return "boolean `true`";
      case Scalar::False:
        return "boolean `false`";
      case Scalar::String:
        return "string " + quoted(text);
      case Scalar::Number: {
        const Number number = read_number(text);
        if (number.kind == Number::Kind::Unsigned) return "integer `" + integer_text(number.unsigned_value) + "`";
        if (number.kind == Number::Kind::Signed) return "integer `" + integer_text(number.signed_value) + "`";
        std::string out = "floating point `";
        append_json_number(out, number.float_value, false);
        return out + "`";
      }
    }
    return "";
  }

  bool invalid_type(const std::string& found, Want want, std::size_t index) {
    return error_at("invalid type: " + found + ", expected " + expecting(want), index);
  }

  bool scalar(Scalar scalar, std::string_view text, std::size_t start, std::size_t after) {
    if (!frames_.empty() && frames_.back().kind == Kind::Skip) return true;
    const Want want = wanted();
    switch (want) {
      case Want::Ignored:
        break;
      case Want::TooMany:
        return too_many(start);
      case Want::ConnectionList:
        if (scalar != Scalar::Null) return invalid_type(unexpected(scalar, text), want, after);
        break;  // null: no connections of this kind
      case Want::Text:
        if (scalar != Scalar::String) return invalid_type(unexpected(scalar, text), want, after);
        store_text(text);
        break;
      case Want::OptionalF64:
      case Want::F32: {
        if (scalar == Scalar::Null && want == Want::OptionalF64) break;
        if (scalar == Scalar::Null) {
          // Writers spell NaN and the infinities as null; NaN is what can be read back.
          frames_.back().connections->back().weight = std::numeric_limits<float>::quiet_NaN();
          break;
        }
        if (scalar != Scalar::Number) return invalid_type(unexpected(scalar, text), want, after);
        const Number number = read_number(text);
        if (number.out_of_range) return error_at("number out of range", after);
        store_number(number);
        break;
      }
      default:
        return invalid_type(unexpected(scalar, text), want, after);
    }
    value_done();
    return true;
  }

  bool start(bool object) {
    const std::size_t at = stream_.Tell();  // the opening bracket, not yet consumed
    if (++depth_ >= kMaxDepth) return error_at("recursion limit exceeded", at + 1);
    if (!frames_.empty() && frames_.back().kind == Kind::Skip) {
      ++frames_.back().skip_depth;
      return true;
    }
    const Want want = wanted();
    const Kind record_kind = object ? Kind::RecordObject : Kind::RecordArray;
    switch (want) {
      case Want::Ignored:
        frames_.push_back(Frame{Kind::Skip});
        frames_.back().skip_depth = 1;
        return true;
      case Want::TooMany:
        return too_many(at);
      case Want::Graph:
        frames_.push_back(Frame{record_kind, &kGraphShape});
        frames_.back().record = 0;
        break;
      case Want::Node:
        graph_.nodes.emplace_back();
        frames_.push_back(Frame{record_kind, &kNodeShape});
        frames_.back().record = 1;
        break;
      case Want::Connection:
        frames_.back().connections->emplace_back();
        frames_.push_back(Frame{record_kind, &kConnectionShape});
        frames_.back().record = 2;
        frames_.back().connections = frames_[frames_.size() - 2].connections;
        break;
      case Want::NodeList:
      case Want::ConnectionList:
        if (object) return invalid_type("map", want, at);
        frames_.push_back(Frame{Kind::List});
        if (want == Want::NodeList) {
          frames_.back().element = Want::Node;
        } else {
          frames_.back().element = Want::Connection;
          auto& slot = connection_slot();
          slot.emplace();
          frames_.back().connections = &*slot;
        }
        return true;
      default:
        return invalid_type(object ? "map" : "sequence", want, at);
    }
    frames_.back().field = object ? kNoField : 0;
    return true;
  }

  // The edges or arcs list the graph record's current field names.
  std::optional<std::vector<JsonConnection>>& connection_slot() {
    const Frame& graph_frame = frames_[frames_.size() - 2];
    return graph_frame.field == 1 ? graph_.edges : graph_.arcs;
  }

  void store_text(std::string_view text) {
    const Frame& frame = frames_.back();
    if (frame.record == 1) {
      graph_.nodes.back().label.assign(text);
    } else {
      JsonConnection& connection = frame.connections->back();
      (frame.field == 0 ? connection.source : connection.target).assign(text);
    }
  }

  void store_number(const Number& number) {
    const Frame& frame = frames_.back();
    if (frame.record == 1) {
      (frame.field == 1 ? graph_.nodes.back().x : graph_.nodes.back().y) = as_f64(number);
    } else {
      frame.connections->back().weight = as_f32(number);
    }
  }

  std::string_view text_;
  const rapidjson::StringStream& stream_;
  std::vector<Frame> frames_;
  JsonGraph graph_;
  int depth_ = 0;
  JsonDecodeError error_;
};

// Words a syntax error of the decoder like the record errors.
JsonDecodeError describe_syntax_error(const GraphHandler& handler, std::string_view text,
                                      rapidjson::ParseErrorCode code, std::size_t offset) {
  const bool at_end = offset >= text.size();
  const char c = at_end ? '\0' : text[offset];
  const std::size_t peek = offset + 1;
  auto previous_is_comma = [&] {
    std::size_t i = offset;
    while (i > 0 && GraphHandler::is_json_space(text[i - 1])) --i;
    return i > 0 && text[i - 1] == ',';
  };
  switch (code) {
    case rapidjson::kParseErrorDocumentEmpty:
      return handler.located("EOF while parsing a value", text.size());
    case rapidjson::kParseErrorObjectMissName:
      if (at_end) return handler.located("EOF while parsing an object", text.size());
      if (c == '}') return handler.located("trailing comma", peek);
      return handler.located("key must be a string", peek);
    case rapidjson::kParseErrorObjectMissColon:
      if (at_end) return handler.located("EOF while parsing an object", text.size());
      return handler.located("expected `:`", peek);
    case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
      if (at_end) return handler.located("EOF while parsing an object", text.size());
      return handler.located("expected `,` or `}`", peek);
    case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
      if (at_end) return handler.located("EOF while parsing a list", text.size());
      return handler.located("expected `,` or `]`", peek);
    case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
    case rapidjson::kParseErrorStringEscapeInvalid:
    case rapidjson::kParseErrorStringMissQuotationMark:
    case rapidjson::kParseErrorStringInvalidEncoding:
      if (at_end) return handler.located("EOF while parsing a string", text.size());
      if (static_cast<unsigned char>(c) < 0x20) {
        return handler.located("control character (\\u0000-\\u001F) found while parsing a string", peek);
      }
      return handler.located("invalid escape", peek);
    case rapidjson::kParseErrorStringUnicodeSurrogateInvalid: {
      // Newer RapidJSON refuses a lone trailing surrogate itself, at its
      // backslash; like the check of the decoded text, report where that
      // escape ends.
      const auto lower = [&](std::size_t i) { return static_cast<char>(text[i] | 0x20); };
      const bool trailing = offset + 5 < text.size() && text[offset + 1] == 'u' && lower(offset + 2) == 'd' &&
                            lower(offset + 3) >= 'c' && lower(offset + 3) <= 'f';
      return handler.located("lone leading surrogate in hex escape", trailing ? offset + 6 : peek);
    }
    case rapidjson::kParseErrorNumberTooBig: {
      // Reported once the whole number is read.
      std::size_t end = offset;
      while (end < text.size() && std::strchr("0123456789+-.eE", text[end]) != nullptr && text[end] != '\0') ++end;
      return handler.located("number out of range", end);
    }
    case rapidjson::kParseErrorNumberMissFraction:
    case rapidjson::kParseErrorNumberMissExponent:
      if (at_end) return handler.located("EOF while parsing a value", text.size());
      return handler.located("invalid number", peek);
    default:
      break;
  }
  // An invalid value.
  if (at_end) return handler.located("EOF while parsing a value", text.size());
  if (c == ']' && previous_is_comma()) return handler.located("trailing comma", peek);
  if (c == '-' || (c >= '0' && c <= '9')) return handler.located("invalid number", peek);
  // A literal that breaks off: true, false and null are matched letter by letter.
  std::size_t start = offset;
  while (start > 0 && std::isalpha(static_cast<unsigned char>(text[start - 1]))) --start;
  if (start < offset && (text[start] == 'n' || text[start] == 't' || text[start] == 'f')) {
    return handler.located("expected ident", peek);
  }
  return handler.located("expected value", peek);
}

}  // namespace

std::string JsonDecodeError::description() const {
  std::string text = message + " at line ";
  append_integer(text, line);
  text += " column ";
  append_integer(text, column);
  return text;
}

JsonDecodeResult decode_json_graph(const std::string& owned) {
  // RapidJSON reads up to a NUL; std::string keeps one past the end, and a
  // NUL inside the text is caught as trailing or invalid text below.
  rapidjson::StringStream stream(owned.c_str());
  GraphHandler handler(owned, stream);
  rapidjson::Reader reader;
  constexpr unsigned kFlags =
      rapidjson::kParseIterativeFlag | rapidjson::kParseStopWhenDoneFlag | rapidjson::kParseNumbersAsStringsFlag;
  const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, handler);
  if (result.IsError()) {
    if (handler.failed()) return {std::nullopt, handler.error()};
    return {std::nullopt, describe_syntax_error(handler, owned, result.Code(), result.Offset())};
  }
  std::size_t index = stream.Tell();
  while (index < owned.size() && GraphHandler::is_json_space(owned[index])) ++index;
  if (index < owned.size()) return {std::nullopt, handler.located("trailing characters", index + 1)};
  return {std::move(handler.graph()), {}};
}

namespace {

// Builds the graph of decoded records through the store.
ReadResult build_json_graph(const JsonGraph& records) {
  GraphStore graph;
  graph.reserve(records.nodes.size());
  for (const JsonNode& node : records.nodes) {
    poll_cancellation();
    if (node.x && node.y) {
      graph.add_node_with_pos(node.label, *node.x, *node.y);
    } else {
      graph.add_node(node.label);
    }
  }
  // Labels are looked up in random order: each batch is hashed once, then
  // its index slots, node-list entries and nodes are prefetched before its
  // ends are resolved. The connections are added once all are resolved, so
  // that each node's list is allocated once at its exact size; a missing
  // label fails as create_connection would, at the same record.
  constexpr std::size_t kBatch = 32;
  const LabelIndex& index = graph.label_index();
  const GraphStore::NodeList& nodes = graph.nodes();
  std::vector<GraphStore::PositionedConnection> resolved;
  resolved.reserve((records.edges ? records.edges->size() : 0) + (records.arcs ? records.arcs->size() : 0));
  std::uint64_t hashes[2 * kBatch];
  for (const auto* list : {&records.edges, &records.arcs}) {
    if (!*list) continue;
    const bool directed = list == &records.arcs;
    const std::vector<JsonConnection>& connections = **list;
    for (std::size_t begin = 0; begin < connections.size(); begin += kBatch) {
      const std::size_t count = std::min(kBatch, connections.size() - begin);
      poll_cancellation(static_cast<std::uint32_t>(count));
      for (std::size_t k = 0; k < count; ++k) {
        hashes[2 * k] = hash_label(connections[begin + k].source);
        hashes[2 * k + 1] = hash_label(connections[begin + k].target);
        index.prefetch(hashes[2 * k]);
        index.prefetch(hashes[2 * k + 1]);
      }
      index.prefetch_nodes(std::span(hashes, 2 * count), nodes);
      for (std::size_t k = 0; k < count; ++k) {
        const JsonConnection& connection = connections[begin + k];
        const auto from = index.find(connection.source, hashes[2 * k], nodes);
        if (!from) fail(kFromNotFound);
        const auto to = index.find(connection.target, hashes[2 * k + 1], nodes);
        if (!to) fail(kToNotFound);
        resolved.push_back(GraphStore::PositionedConnection{static_cast<NodeId>(*from), static_cast<NodeId>(*to),
                                                            connection.weight, directed});
      }
    }
  }
  graph.add_connections(resolved);
  return ReadResult::success(std::move(graph));
}

}  // namespace

ReadResult read_json_source(ByteSource& source) {
  std::string text;
  try {
    read_all(source, text);
  } catch (const FileError& error) {
    return ReadResult::failure(FileError::Stage::Read, error.description());
  }
  return read_json_text(text);
}

ReadResult read_json_file(const std::string& path) {
  try {
    FileSource source(path);
    return read_json_source(source);
  } catch (const FileError& error) {
    return ReadResult::failure(FileError::Stage::Read, error.description());
  }
}

ReadResult read_json_text(const std::string& text) {
  if (!is_valid_utf8(text)) return ReadResult::failure(FileError::Stage::Read, kInvalidUtf8);
  JsonDecodeResult decoded = decode_json_graph(text);
  if (!decoded.graph) return ReadResult::failure(FileError::Stage::Read, decoded.error.description());
  return build_json_graph(*decoded.graph);
}

namespace {

// The 1-based line holding the first byte that is not UTF-8.
std::size_t line_of_invalid_utf8(std::string_view text) {
  std::size_t line = 1;
  while (!text.empty()) {
    const std::size_t feed = text.find('\n');
    if (!is_valid_utf8(text.substr(0, feed))) return line;
    if (feed == std::string_view::npos) break;
    text.remove_prefix(feed + 1);
    ++line;
  }
  return line;
}

}  // namespace

GraphStore read_json(ByteSource& source, const ReadOptions&, ReadNotes& notes) {
  std::string text;
  read_all(source, text);
  if (!is_valid_utf8(text)) throw FormatError(kInvalidUtf8, line_of_invalid_utf8(text));
  JsonDecodeResult decoded = decode_json_graph(text);
  text = std::string();
  if (!decoded.graph) throw FormatError(decoded.error.message, decoded.error.line, decoded.error.column);
  const JsonGraph& records = *decoded.graph;
  // Our own format: positions are canvas coordinates already.
  GraphBuilder builder(PositionUnits::Canvas, PositionMode::File, std::nullopt);
  builder.expect_vertices(records.nodes.size());
  // Connections name nodes by label: the first node of a label is the one
  // they mean, as in the store.
  VertexIds ids;
  for (const JsonNode& node : records.nodes) {
    const NodeId vertex = builder.add_vertex(node.label);
    ids.find_or_add(node.label, [vertex] { return vertex; });
    if (node.x && node.y) builder.set_position(vertex, *node.x, *node.y);
  }
  for (const auto* list : {&records.edges, &records.arcs}) {
    if (!*list) continue;
    const bool directed = list == &records.arcs;
    for (const JsonConnection& connection : **list) {
      const NodeId from = ids.find(connection.source);
      if (from == kNoNode)
        throw FormatError("the source '" + shown_text(connection.source) + "' of a connection names no node", 0);
      const NodeId to = ids.find(connection.target);
      if (to == kNoNode)
        throw FormatError("the target '" + shown_text(connection.target) + "' of a connection names no node", 0);
      builder.add_link(from, to, connection.weight, directed);
    }
  }
  return builder.finish(notes);
}

}  // namespace mivora
