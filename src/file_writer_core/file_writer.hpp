#pragma once
// Writers of the two graph file formats. Each returns the description of the
// input/output error that stopped it, or nothing on success; the Python
// surface puts "Error while creating the file: " in front.
#include <optional>
#include <string>

#include "graph_core/graph.hpp"

namespace mivora {

inline constexpr const char* kCreateFileFailed = "Error while creating the file";

// Builds the whole Pajek text in memory, then writes it in one operation, so
// a failure while building leaves an existing file untouched.
std::optional<std::string> write_net_file(const std::string& path, const _Graph& graph);
// The text write_net_file writes.
std::string net_file_text(const _Graph& graph);

// Streams the JSON document through an 8192-byte buffer.
std::optional<std::string> write_json_file(const std::string& path, const _Graph& graph);
// The document write_json_file writes, in memory.
std::string json_file_text(const _Graph& graph);

}  // namespace mivora
