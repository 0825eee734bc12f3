// The standard Pajek file: "*Vertices n", ids from 1, quoted labels,
// positions in the unit square; what igraph, networkx and Pajek read.
#include <charconv>

#include "formats/attribute_text.hpp"
#include "formats/format_text.hpp"
#include "formats/formats.hpp"
#include "formats/file_writer.hpp"
#include "formats/pajek_label.hpp"
#include "text_io/number_text.hpp"

namespace mivora {
namespace {

// The label as the message shows it: line breaks and other controls escaped.
std::string shown(std::string_view label) {
  std::string out = "'";
  for (const char c : label) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out + "'";
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool has_header_word(std::string_view label) {
  static constexpr std::string_view kWords[] = {"vertices", "arcs",      "edges",  "matrix",
                                                "network",  "partition", "vector", "permutation"};
  for (std::size_t star = label.find('*'); star != std::string_view::npos; star = label.find('*', star + 1)) {
    const std::string_view rest = label.substr(star + 1);
    for (const std::string_view word : kWords) {
      if (rest.size() < word.size()) continue;
      bool same = true;
      for (std::size_t i = 0; i < word.size() && same; ++i) same = lower(rest[i]) == word[i];
      if (same) return true;
    }
  }
  return false;
}

}  // namespace

void append_pajek_vertex(std::string& text, std::size_t number, const GraphStore& graph, NodeIndex position,
                         bool quotes_as_entity) {
  const NodeRecord& node = graph.node(position);
  append_integer(text, number);
  text += " \"";
  if (quotes_as_entity)
    append_pajek_label(text, node.label);
  else
    text += node.label;
  text += '"';
  if (node.has_position()) {
    const GraphStore::Coordinates at = graph.coordinates(position);
    text += ' ';
    append_shortest(text, (at.x - kCanvasMargin) / (kCanvasWidth - kCanvasMargin));
    text += ' ';
    append_shortest(text, (at.y - kCanvasMargin) / (kCanvasHeight - kCanvasMargin));
  }
  text += '\n';
}

void check_pajek_label(std::string_view label) {
  if (has_line_break(label)) {
    throw NotWritable("the label " + shown(label) + " holds a line break, which a Pajek file cannot hold");
  }
  if (has_header_word(label)) {
    throw NotWritable("the label " + shown(label) +
                      " holds a Pajek section word ('*' and a header name), which Pajek tools read as a header");
  }
}

namespace {

// The drawing words Pajek reads after a vertex's coordinates (ic, bc and a
// shape), from the string columns of those names; values holding a blank or
// a quote cannot be words and are left out.
void append_drawing_words(std::string& text, const GraphStore& graph, NodeIndex position) {
  for (const char* name : {"shape", "ic", "bc"}) {
    const AttributeColumn* column = graph.attributes().nodes().find(name);
    if (column == nullptr || column->type() != AttributeType::String || !column->has_value(position)) continue;
    const std::string_view value = column->string_at(position);
    if (value.empty() || value.find_first_of(" \t\"*") != std::string_view::npos) continue;
    text += ' ';
    if (std::string_view(name) != "shape") {
      text += name;
      text += ' ';
    }
    text += value;
  }
}

// Integer and float node columns without a missing value, as the
// partitions and vectors of a .paj project after the network.
void append_partitions(std::string& text, const GraphStore& graph, CheckedWriter& out) {
  const std::size_t n = graph.node_count();
  for (const NamedColumns::Entry& entry : graph.attributes().nodes().entries()) {
    const AttributeColumn& column = entry.column;
    const bool integer = column.type() == AttributeType::Integer;
    if ((!integer && column.type() != AttributeType::Float) || n == 0 || column.size() < n ||
        column.present_count() < n || has_line_break(entry.name)) {
      continue;
    }
    text += integer ? "*Partition " : "*Vector ";
    text += entry.name;
    text += "\n*Vertices ";
    append_integer(text, n);
    text += '\n';
    for (NodeIndex position = 0; position < n; ++position) {
      append_attribute_value(text, column, position);
      text += '\n';
      if ((position & 1023) == 0) out.flush_if_full();
    }
  }
}

}  // namespace

void write_pajek(const GraphStore& graph, CheckedWriter& out, const WriteOptions&) {
  std::string& text = out.text();
  text += "*Vertices ";
  append_integer(text, graph.node_count());
  text += '\n';
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    check_pajek_label(node.label);
    append_pajek_vertex(text, position + 1, graph, position, true);
    if (node.has_position() && !graph.attributes().nodes().empty()) {
      text.pop_back();
      append_drawing_words(text, graph, position);
      text += '\n';
    }
    out.flush_if_full();
  }
  // A section header only for what is there (igraph reads any "*Arcs" as a
  // directed graph); an empty graph of links still says "*Edges".
  std::size_t arcs = 0;
  std::size_t edges = 0;
  graph.for_each_connection([&](NodeIndex, const NodeRecord&, const StoredConnection& connection, const NodeRecord*) {
    ++(connection.directed ? arcs : edges);
  });
  for (const bool directed : {true, false}) {
    if (directed ? arcs == 0 : edges == 0 && arcs > 0) continue;
    text += directed ? "*Arcs\n" : "*Edges\n";
    for (NodeIndex position = 0; position < graph.node_count(); ++position) {
      for (const StoredConnection& connection : graph.node(position).connections) {
        if (connection.directed != directed) continue;
        const std::optional<NodeIndex> target = written_target(graph, graph.node(position), connection);
        if (!target) continue;
        append_integer(text, position + 1);
        text += ' ';
        append_integer(text, *target + 1);
        text += ' ';
        append_shortest(text, connection.weight);
        text += '\n';
      }
      out.flush_if_full();
    }
  }
  if (!graph.attributes().nodes().empty()) append_partitions(text, graph, out);
}

}  // namespace mivora
