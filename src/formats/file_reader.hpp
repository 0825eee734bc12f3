#pragma once
// Readers of the two graph file formats: the Pajek `.net` dialect and the
// JSON graph document, with the JSON record types both directions share.
//
// Failures to open, read or decode a file come back as a ReadFailure (the
// Python surface puts its fixed prefix in front of the description); faults
// in the content that stop a Pajek read, and store errors while a graph is
// built, are internal errors thrown with their fixed texts.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graph_core/graph.hpp"
#include "text_io/byte_source.hpp"
#include "text_io/file_error.hpp"

namespace mivora {

struct ReadFailure {
  FileError::Stage stage = FileError::Stage::Read;
  std::string description;  // "No such file or directory (os error 2)"
};

// A graph read from a file, or what stopped the read.
struct ReadResult {
  std::optional<GraphStore> graph;
  ReadFailure error;  // meaningful when `graph` is empty

  static ReadResult success(GraphStore&& graph) { return ReadResult{std::move(graph), {}}; }
  static ReadResult failure(FileError::Stage stage, std::string description) {
    return ReadResult{std::nullopt, ReadFailure{stage, std::move(description)}};
  }
};

inline constexpr const char* kInvalidUtf8 = "stream did not contain valid UTF-8";

// ---- Pajek -----------------------------------------------------------------

inline constexpr const char* kInvalidX = "Invalid x pos";
inline constexpr const char* kInvalidY = "Invalid y pos";
inline constexpr const char* kInvalidWeight = "Invalid weight";

// Streams the file line by line.
ReadResult read_net_file(const std::string& path);
// The same over any source, and over text in memory.
ReadResult read_net_source(ByteSource& source);
ReadResult read_net_text(std::string_view text);

// ---- JSON -------------------------------------------------------------------

struct JsonNode {
  std::string label;
  std::optional<double> x;
  std::optional<double> y;
};

struct JsonConnection {
  std::string source;
  std::string target;
  float weight = 0.0f;
};

struct JsonGraph {
  std::vector<JsonNode> nodes;
  std::optional<std::vector<JsonConnection>> edges;  // undirected
  std::optional<std::vector<JsonConnection>> arcs;   // directed
};

// Why a JSON document could not be decoded, and where: the 1-based line and
// the column of the last byte the decoder consumed.
struct JsonDecodeError {
  std::string message;
  std::size_t line = 0;
  std::size_t column = 0;
  // "{message} at line L column C"
  std::string description() const;
};

// Decodes a whole JSON document into the records.
struct JsonDecodeResult {
  std::optional<JsonGraph> graph;
  JsonDecodeError error;
};
JsonDecodeResult decode_json_graph(const std::string& text);

// Reads the whole file, decodes it, then builds the graph through the store.
ReadResult read_json_file(const std::string& path);
ReadResult read_json_source(ByteSource& source);
// The same over text in memory (checked for UTF-8 like a file).
ReadResult read_json_text(const std::string& text);

}  // namespace mivora
