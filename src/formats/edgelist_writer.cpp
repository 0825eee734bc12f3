// Edge lists: one row per link, `source target weight` (the weight unless
// told not to), separated by the delimiter asked for, labels quoted where
// they would otherwise not read back (a separator, a blank, a quote, a
// leading comment sign, nothing at all). With a header row the columns are
// named, and a `type` column says `directed` or `undirected` for each row
// whenever any link is directed, so the file reads back as it was. A node
// without links is a row of its own label alone. Labels holding a line
// break cannot be written in a line-based format.
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/shown_text.hpp"

#include <vector>

namespace mivora {
namespace {

bool needs_quotes(std::string_view label, char delimiter) {
  if (label.empty()) return true;
  if (label.front() == '#' || label.front() == '%' || label.front() == '"') return true;
  if (label.front() == ' ' || label.back() == ' ' || label.front() == '\t' || label.back() == '\t') return true;
  for (const char c : label) {
    if (c == delimiter || c == '"') return true;
    if (delimiter == ' ' && c == '\t') return true;
  }
  return false;
}

void append_label(std::string& out, std::string_view label, char delimiter) {
  if (label.find_first_of("\n\r") != std::string_view::npos) {
    throw NotWritable("the label '" + shown_text(label) + "' holds a line break, which an edge list cannot hold");
  }
  if (!needs_quotes(label, delimiter)) {
    out += label;
    return;
  }
  out += '"';
  for (const char c : label) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

void write_edgelist(const GraphStore& graph, CheckedWriter& out, const WriteOptions& layout) {
  std::string& text = out.text();
  const char d = layout.delimiter;
  const bool type_column = layout.header && link_directions(graph) != LinkDirections::Undirected;
  if (layout.header) {
    text += "source";
    text += d;
    text += "target";
    if (layout.weights) {
      text += d;
      text += "weight";
    }
    if (type_column) {
      text += d;
      text += "type";
    }
    text += '\n';
  }
  std::vector<bool> linked(graph.node_count(), false);
  std::size_t count = 0;
  for_each_link(graph, [&](const LinkView& link) {
    linked[link.from] = linked[link.to] = true;
    append_label(text, graph.node(link.from).label, d);
    text += d;
    append_label(text, graph.node(link.to).label, d);
    if (layout.weights) {
      text += d;
      append_shortest(text, link.weight);
    }
    if (type_column) {
      text += d;
      text += link.directed ? "directed" : "undirected";
    }
    text += '\n';
    if ((++count & 1023) == 0) {
      out.flush_if_full();
      poll_cancellation(1024);
    }
  });
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    if (linked[position]) continue;
    append_label(text, graph.node(position).label, d);
    text += '\n';
    out.flush_if_full();
  }
}

}  // namespace mivora
