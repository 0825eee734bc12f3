#include "file_writer_core/file_writer.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include <rapidjson/prettywriter.h>

#include "file_reader_core/file_reader.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/number_text.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

// Creates or truncates a file for writing; -1 with errno set on failure.
int create_file(const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    errno = EINVAL;
    return -1;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Writes all of `data`; 0 or the error number.
int write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

std::optional<std::string> describe(int error_number) {
  if (error_number == 0) return std::nullopt;
  return describe_os_error(error_number);
}

std::optional<std::string> open_error(const std::string& path) {
  if (path.find('\0') != std::string::npos) return std::string("file name contained an unexpected NUL byte");
  return describe_os_error(errno);
}

void append_id(std::string& out, const _Node& node) {
  const auto id = node.id();
  if (!id) fail(kUnwrapNone);
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, *id).ptr);
}

// A file output stream for RapidJSON's writers with an 8192-byte buffer
// that, unlike rapidjson::FileWriteStream, keeps the first write error.
class CheckedFileStream {
 public:
  using Ch = char;

  explicit CheckedFileStream(int fd) : fd_(fd) {}

  void Put(char c) {
    if (current_ == buffer_ + sizeof buffer_) Flush();
    *current_++ = c;
  }

  void Flush() {
    if (current_ != buffer_ && error_ == 0) error_ = write_all(fd_, buffer_, static_cast<std::size_t>(current_ - buffer_));
    current_ = buffer_;
  }

  int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
  char buffer_[8192];
  char* current_ = buffer_;
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
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '\b': out += 'b'; break;
      case '\t': out += 't'; break;
      case '\n': out += 'n'; break;
      case '\f': out += 'f'; break;
      case '\r': out += 'r'; break;
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
  const _Node* source;
  const _Node* target;
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

std::string net_file_text(const _Graph& graph) {
  std::string text = "*Vertices\n";
  std::string edges;
  std::string arcs;
  text.reserve(graph.node_count() * 24 + 16);
  for (const auto& handle : graph.nodes()) {
    const _Node& node = *handle;
    poll_cancellation(static_cast<std::uint32_t>(node.connections.size()) + 1);  // the file is not touched yet
    append_id(text, node);
    text += " \"";
    text += node.label;
    text += '"';
    if (node.has_position()) {
      text += ' ';
      append_shortest(text, (node.x - kCanvasMargin) / (kCanvasWidth - kCanvasMargin));
      text += ' ';
      append_shortest(text, (node.y - kCanvasMargin) / (kCanvasHeight - kCanvasMargin));
    }
    text += '\n';
    for (const StoredConnection& connection : node.connections) {
      std::string& out = connection.directed ? arcs : edges;
      if (connection.is_local()) {
        // A target in the same graph: its id is its position there.
        append_id(out, node);
        out += ' ';
        char buffer[24];
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, connection.local_target).ptr);
      } else {
        const auto target = connection.target.lock();
        if (!target) continue;  // target gone: nothing to name
        append_id(out, node);
        out += ' ';
        append_id(out, *target);
      }
      out += ' ';
      append_shortest(out, connection.weight);
      out += '\n';
    }
  }
  if (!edges.empty()) {
    text += "*Edges\n";
    text += edges;
  }
  if (!arcs.empty()) {
    text += "*Arcs\n";
    text += arcs;
  }
  edges = std::string();
  arcs = std::string();
  return text;
}

std::optional<std::string> write_net_file(const std::string& path, const _Graph& graph) {
  const std::string text = net_file_text(graph);
  const int fd = create_file(path);
  if (fd < 0) return open_error(path);
  const int write_error = write_all(fd, text.data(), text.size());
  const int close_error = ::close(fd) == 0 ? 0 : errno;
  return describe(write_error != 0 ? write_error : close_error);
}

namespace {

// The whole JSON document into `stream`; stops early once the stream fails.
template <typename Stream>
void write_json_document(Stream& stream, const _Graph& graph) {
  std::vector<ConnectionEntry> edges;
  std::vector<ConnectionEntry> arcs;
  graph.for_each_connection([&](NodeIndex, const _Node& from, const StoredConnection& connection,
                                const _Node* target) {
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
  for (const auto& handle : graph.nodes()) {
    const _Node& node = *handle;
    writer.StartObject();
    writer.Key("label");
    emit.text(node.label);
    writer.Key("x");
    emit.optional_number(node.has_x, node.x);
    writer.Key("y");
    emit.optional_number(node.has_y, node.y);
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

std::string json_file_text(const _Graph& graph) {
  std::string text;
  StringOutputStream stream(text);
  write_json_document(stream, graph);
  return text;
}

std::optional<std::string> write_json_file(const std::string& path, const _Graph& graph) {
  const int fd = create_file(path);
  if (fd < 0) return open_error(path);
  CheckedFileStream stream(fd);
  write_json_document(stream, graph);
  const int close_error = ::close(fd) == 0 ? 0 : errno;
  return describe(stream.error() != 0 ? stream.error() : close_error);
}

}  // namespace mivora
