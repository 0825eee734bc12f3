#pragma once
// The readers and writers of every file format, as the surface calls them.
//
// A reader takes its bytes from a ByteSource (already decoded to UTF-8 when
// the caller asked for another encoding) and feeds a GraphBuilder; it throws
// FormatError for malformed content (with line and, where it knows it,
// column), FileError when the source fails, Cancelled when interrupted. What
// it noticed without failing (repeated labels, skipped attributes) goes into
// `notes`.
//
// A writer appends its text to a CheckedWriter (flush_if_full() every so
// often); the caller commits. A graph it cannot express faithfully
// (a label the format cannot hold, a connection to a node of another graph
// that no node of this graph stands for) is refused with NotWritable before
// anything reaches the file.
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "formats/graph_builder.hpp"
#include "graph_core/graph.hpp"
#include "text_io/byte_source.hpp"
#include "text_io/checked_writer.hpp"
#include "text_io/format_error.hpp"

namespace mivora {

struct ReadOptions {
  // The source handed to a reader is UTF-8 already; kept for messages.
  TextEncoding encoding = TextEncoding::Utf8;
  PositionMode positions = PositionMode::Canvas;
  // Edge lists only.
  std::optional<bool> directed;       // default: undirected
  char delimiter = 0;                 // 0: runs of spaces and tabs, or ',' / '\t' found in the first line
  std::string comments = "#%";        // a line starting with one of these is skipped
  std::optional<bool> header;         // nullopt: detect a header row
  std::optional<std::size_t> weight;  // 0-based column of the weight; nullopt: the third if present
};

struct WriteOptions {
  // Edge lists only.
  char delimiter = ' ';
  // nullopt: a header row when the file needs one to read back as written
  // (link attribute columns, directed links, first rows that would pass for
  // a header).
  std::optional<bool> header;
  bool weights = true;
};

// A graph that a format cannot hold as it is.
class NotWritable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The node a connection of `graph` leads to, as a position in `graph`:
// a target in another graph stands for the node of `graph` with the same
// label; nullopt for a target that is gone (nothing to write). Throws
// NotWritable when a foreign target's label names no node of `graph`.
std::optional<NodeIndex> written_target(const GraphStore& graph, const NodeRecord& from,
                                        const StoredConnection& connection);

GraphStore read_pajek(ByteSource& source, const ReadOptions& options, ReadNotes& notes);
GraphStore read_json(ByteSource& source, const ReadOptions& options, ReadNotes& notes);
GraphStore read_gml(ByteSource& source, const ReadOptions& options, ReadNotes& notes);
GraphStore read_graphml(ByteSource& source, const ReadOptions& options, ReadNotes& notes);
GraphStore read_gexf(ByteSource& source, const ReadOptions& options, ReadNotes& notes);
GraphStore read_edgelist(ByteSource& source, const ReadOptions& options, ReadNotes& notes);

using GraphReader = GraphStore (*)(ByteSource& source, const ReadOptions& options, ReadNotes& notes);
// Opens the file at `path`, decodes it from options.encoding and reads it
// with `read`. A FormatError leaves carrying the file's name.
GraphStore read_graph_file(const std::string& path, GraphReader read, const ReadOptions& options, ReadNotes& notes);
// The same with the reader chosen from the start of the text: `choose` gets
// up to the first 64 KiB (decoded, without a UTF-8 byte-order mark) and
// returns the reader, which then reads the whole text. With
// `guess_encoding`, text that is not UTF-8 is decoded from the code page
// its bytes fit, set in `guessed`; else from options.encoding.
GraphStore read_graph_file_by_content(const std::string& path,
                                      const std::function<GraphReader(std::string_view head)>& choose,
                                      const ReadOptions& options, bool guess_encoding,
                                      std::optional<TextEncoding>& guessed, ReadNotes& notes);

void write_pajek(const GraphStore& graph, CheckedWriter& out, const WriteOptions& options);
void write_json(const GraphStore& graph, CheckedWriter& out, const WriteOptions& options);
void write_gml(const GraphStore& graph, CheckedWriter& out, const WriteOptions& options);
void write_graphml(const GraphStore& graph, CheckedWriter& out, const WriteOptions& options);
void write_gexf(const GraphStore& graph, CheckedWriter& out, const WriteOptions& options);
void write_edgelist(const GraphStore& graph, CheckedWriter& out, const WriteOptions& options);

// Thrown by a format whose reader or writer is not part of this build.
class FormatNotBuilt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace mivora
