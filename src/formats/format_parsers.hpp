#pragma once
// Parsers of the GML, GraphML and GEXF formats. Each turns the
// bytes of one file into GraphRecords (vertices in file order, links by
// vertex number); build_graph() then makes the graph through the shared
// GraphBuilder. Malformed content ends a parse with a FormatError naming
// the line (and the column where the format has one) and what was expected.
#include "text_io/chunk_input.hpp"
#include "formats/formats.hpp"
#include "formats/graph_records.hpp"

namespace mivora {

GraphRecords parse_gml(ChunkInput& input);
// The XML formats pass their input to the XML parser's own buffer.
GraphRecords parse_graphml(const ChunkInput::Fill& fill);
GraphRecords parse_gexf(const ChunkInput::Fill& fill);

// Reads from `source`.
ChunkInput::Fill fill_from(ByteSource& source);

// The graph of the records: every vertex a node in order, every link a
// connection; positions in canvas units, placed as `options` says.
GraphStore build_graph(GraphRecords&& records, ByteSource& source, const ReadOptions& options, ReadNotes& notes);

}  // namespace mivora
