#pragma once
// Writers of the two graph file formats. Each returns the description of the
// input/output error that stopped it, or nothing on success; the Python
// surface puts "Error while creating the file: " in front. A graph the
// format cannot hold is refused with NotWritable before the file changes.
#include <optional>
#include <string>
#include <string_view>

#include "graph_core/graph.hpp"
#include "text_io/checked_writer.hpp"

namespace mivora {

inline constexpr const char* kCreateFileFailed = "Error while creating the file";

// Our Pajek dialect: "*Vertices" without a count, ids from 0, positions in
// the unit square of the canvas. An existing file is replaced only once the
// new one is complete.
void write_net(const GraphStore& graph, CheckedWriter& out);
std::optional<std::string> write_net_file(const std::string& path, const GraphStore& graph);
// The text write_net_file writes.
std::string net_file_text(const GraphStore& graph);

// Streams the JSON document; replaces an existing file once complete.
std::optional<std::string> write_json_file(const std::string& path, const GraphStore& graph);
// The document write_json_file writes, in memory.
std::string json_file_text(const GraphStore& graph);

// Refuses (NotWritable) a label a Pajek file cannot hold: a line break
// splits the vertex line, and "*Arcs"-like words read as section headers
// by tools that look for them anywhere in a line.
void check_pajek_label(std::string_view label);

// One vertex line: the number, the quoted label and, for a placed node, its
// position scaled to the unit square.
void append_pajek_vertex(std::string& text, std::size_t number, const GraphStore& graph, NodeIndex position,
                         bool quotes_as_entity = false);

}  // namespace mivora
