#pragma once
// Parsers of the GML, GraphML, GEXF and edge-list formats. Each turns the
// bytes of one file into GraphRecords (vertices in file order, links by
// vertex number); building the graph from them is the builder's job.
// Malformed content ends a parse with a ParseFailure naming the line (and
// the column where the format has one) and what was expected.
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

#include "file_reader_core/chunk_input.hpp"
#include "file_reader_core/graph_records.hpp"

namespace mivora {

class ParseFailure : public std::runtime_error {
 public:
  ParseFailure(std::size_t line, std::size_t column, const std::string& message)
      : std::runtime_error(message), line(line), column(column) {}
  std::size_t line;    // 1-based; 0 when the fault has no place in the text
  std::size_t column;  // 1-based; 0 when only the line is known
};

struct EdgeListSettings {
  // Direction of every link; unset: a `type` column decides per row, else undirected.
  std::optional<bool> directed;
  // One field separator; unset: a comma when the first row has one outside
  // quotes, else runs of spaces and tabs.
  std::optional<char> delimiter;
  // Lines starting with this text (after leading blanks) are skipped; unset: '#' and '%'.
  std::optional<std::string> comments;
  // Whether the first row names the columns; unset: detected.
  std::optional<bool> header;
  // The weight column by 0-based index or by header name; neither: a column
  // named `weight`, else the third column when it holds a number.
  std::optional<std::size_t> weight_index;
  std::optional<std::string> weight_name;
  bool unweighted = false;  // weight=False: every link weighs 1
};

GraphRecords parse_gml(ChunkInput& input);
// The XML formats pass their input to the XML parser's own buffer.
GraphRecords parse_graphml(const ChunkInput::Fill& fill);
GraphRecords parse_gexf(const ChunkInput::Fill& fill);
GraphRecords parse_edgelist(ChunkInput& input, const EdgeListSettings& settings);

}  // namespace mivora
