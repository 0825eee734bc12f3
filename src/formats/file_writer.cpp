#include "formats/file_writer.hpp"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include <rapidjson/prettywriter.h>

#include "formats/formats.hpp"
#include "graph_core/internal_error.hpp"
#include "text_io/number_text.hpp"

namespace mivora {
namespace {

// RapidJSON's output stream over a CheckedWriter (which throws on failure).
// RapidJSON puts one character at a time: they are gathered here and
// appended a block at a time (libc++'s push_back is a call, never inlined).
class CheckedWriterStream {
 public:
  using Ch = char;

  explicit CheckedWriterStream(CheckedWriter& out) : out_(out), text_(out.text()) {}

  void Put(char c) {
    pending_[count_++] = c;
    if (count_ == kFlushEvery) Flush();
  }
  // Called by RapidJSON at the end of the document, and by write_json_document.
  void Flush() {
    text_.append(pending_, count_);
    count_ = 0;
    out_.flush_if_full();
  }
  int error() const { return 0; }

 private:
  static constexpr std::size_t kFlushEvery = 4096;
  CheckedWriter& out_;
  std::string& text_;
  char pending_[kFlushEvery];
  std::size_t count_ = 0;
};

// The same interface over a string in memory.
class StringOutputStream {
 public:
  using Ch = char;

  explicit StringOutputStream(std::string& out) : out_(out) {}
  void Put(char c) { out_ += c; }
  void Flush() {}
  int error() const { return 0; }

 private:
  std::string& out_;
};

// A JSON string literal; control characters as \b \t \n \f \r or \u00xx.
void append_json_string(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && c != '"' && c != '\\') {
      out += c;
      continue;
    }
    out += '\\';
    switch (c) {
      case '"':
        out += '"';
        break;
      case '\\':
        out += '\\';
        break;
      case '\b':
        out += 'b';
        break;
      case '\t':
        out += 't';
        break;
      case '\n':
        out += 'n';
        break;
      case '\f':
        out += 'f';
        break;
      case '\r':
        out += 'r';
        break;
      default:
        out += "u00";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
  }
  out += '"';
}

template <typename JsonWriter>
class JsonEmitter {
 public:
  explicit JsonEmitter(JsonWriter& writer) : writer_(writer) {}

  void text(std::string_view value) {
    scratch_.clear();
    append_json_string(scratch_, value);
    writer_.RawValue(scratch_.data(), scratch_.size(), rapidjson::kStringType);
  }

  template <typename T>
  void number(T value) {
    if (!std::isfinite(value)) {
      writer_.Null();
      return;
    }
    scratch_.clear();
    append_json_number(scratch_, value, true);
    writer_.RawValue(scratch_.data(), scratch_.size(), rapidjson::kNumberType);
  }

  void optional_number(bool present, double value) {
    if (present) {
      number(value);
    } else {
      writer_.Null();
    }
  }

 private:
  JsonWriter& writer_;
  std::string scratch_;
};

struct ConnectionEntry {
  const NodeRecord* source;
  const NodeRecord* target;
  Weight weight;
};

template <typename JsonWriter>
void write_connections(JsonWriter& writer, JsonEmitter<JsonWriter>& emit, const char* key,
                       const std::vector<ConnectionEntry>& entries) {
  writer.Key(key);
  writer.StartArray();
  constexpr std::size_t kAhead = 16;  // targets are scattered: load them early
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i + kAhead < entries.size()) __builtin_prefetch(entries[i + kAhead].target);
    const ConnectionEntry& entry = entries[i];
    writer.StartObject();
    writer.Key("source");
    emit.text(entry.source->label);
    writer.Key("target");
    emit.text(entry.target->label);
    writer.Key("weight");
    emit.number(entry.weight);
    writer.EndObject();
  }
  writer.EndArray();
}

}  // namespace

namespace {

// The connections of one kind (edges or arcs) under their header, if any.
void write_net_connections(const GraphStore& graph, CheckedWriter& out, bool directed) {
  std::string& text = out.text();
  bool first = true;
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    for (const StoredConnection& connection : graph.node(position).connections) {
      if (connection.directed != directed) continue;
      const std::optional<NodeIndex> target = written_target(graph, graph.node(position), connection);
      if (!target) continue;  // target gone: nothing to name
      if (first) {
        text += directed ? "*Arcs\n" : "*Edges\n";
        first = false;
      }
      append_integer(text, position);
      text += ' ';
      append_integer(text, *target);
      text += ' ';
      append_shortest(text, connection.weight);
      text += '\n';
    }
    out.flush_if_full();
  }
}

}  // namespace

void write_net(const GraphStore& graph, CheckedWriter& out) {
  std::string& text = out.text();
  text += "*Vertices\n";
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    check_pajek_label(node.label);
    append_pajek_vertex(text, position, graph, position);
    out.flush_if_full();
  }
  write_net_connections(graph, out, false);
  write_net_connections(graph, out, true);
}

std::string net_file_text(const GraphStore& graph) {
  std::string text;
  CheckedWriter out(&text);
  write_net(graph, out);
  return text;
}

std::optional<std::string> write_net_file(const std::string& path, const GraphStore& graph) {
  try {
    CheckedWriter out(path);
    write_net(graph, out);
    out.commit();
  } catch (const FileError& error) {
    return error.description();
  }
  return std::nullopt;
}

namespace {

// The whole JSON document into `stream`; stops early once the stream fails.
template <typename Stream>
void write_json_document(Stream& stream, const GraphStore& graph) {
  std::vector<ConnectionEntry> edges;
  std::vector<ConnectionEntry> arcs;
  graph.for_each_connection(
      [&](NodeIndex, const NodeRecord& from, const StoredConnection& connection, const NodeRecord* target) {
        if (target == nullptr) return;
        (connection.directed ? arcs : edges).push_back(ConnectionEntry{&from, target, connection.weight});
      });

  using JsonWriter = rapidjson::PrettyWriter<Stream>;
  JsonWriter writer(stream);
  writer.SetIndent(' ', 2);
  JsonEmitter<JsonWriter> emit(writer);

  writer.StartObject();
  writer.Key("nodes");
  writer.StartArray();
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    const GraphStore::Coordinates at = node.has_position() ? graph.coordinates(position) : GraphStore::Coordinates{};
    writer.StartObject();
    writer.Key("label");
    emit.text(node.label);
    writer.Key("x");
    emit.optional_number(node.has_x, at.x);
    writer.Key("y");
    emit.optional_number(node.has_y, at.y);
    writer.EndObject();
    if (stream.error() != 0) break;  // the disk refused: no point going on
  }
  writer.EndArray();
  write_connections(writer, emit, "edges", edges);
  write_connections(writer, emit, "arcs", arcs);
  writer.EndObject();
  stream.Flush();
}

}  // namespace

std::string json_file_text(const GraphStore& graph) {
  std::string text;
  StringOutputStream stream(text);
  write_json_document(stream, graph);
  return text;
}

void write_json(const GraphStore& graph, CheckedWriter& out, const WriteOptions&) {
  CheckedWriterStream stream(out);
  write_json_document(stream, graph);
}

std::optional<std::string> write_json_file(const std::string& path, const GraphStore& graph) {
  try {
    CheckedWriter out(path);
    write_json(graph, out, WriteOptions{});
    out.commit();
  } catch (const FileError& error) {
    return error.description();
  }
  return std::nullopt;
}

}  // namespace mivora
