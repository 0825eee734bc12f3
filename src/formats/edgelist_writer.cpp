// Edge lists: one row per link, `source target weight` (the weight unless
// told not to), separated by the delimiter asked for, labels quoted where
// they would otherwise not read back (a separator, a blank, a quote, a
// leading comment sign, nothing at all). With a header row the columns are
// named, and a `type` column says `directed` or `undirected` for each row
// whenever any link is directed, so the file reads back as it was. A node
// without links is a row of its own label alone. Labels holding a line
// break cannot be written in a line-based format.
//
// With a header, the link attribute columns follow, named in the header: a
// missing value is an empty field, floats keep a point (2.0) so the column
// reads back as floats, bools are true/false, strings are quoted where a
// label would be and where they would read as a number or a bool.
#include <cmath>

#include "formats/attribute_text.hpp"
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/text_scan.hpp"
#include "text_io/cancellation.hpp"

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
    throw NotWritable("the label '" + std::string(label) + "' holds a line break, which an edge list cannot hold");
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

void append_field_value(std::string& out, const AttributeColumn& column, std::size_t row, char delimiter) {
  std::string value;
  append_attribute_value(value, column, row);
  if (column.type() == AttributeType::Float && std::isfinite(column.float_at(row)) &&
      value.find_first_of(".eE") == std::string::npos) {
    value += ".0";
  }
  if (value.find_first_of("\n\r") != std::string::npos) {
    throw NotWritable("the value '" + value + "' holds a line break, which an edge list cannot hold");
  }
  if (column.type() == AttributeType::String) {
    // Quoted when it would read as a number or a bool: quotes keep the column text.
    double number;
    if (parse_float(value, number) == FloatParse::Ok || equals_ignoring_case(value, "true") ||
        equals_ignoring_case(value, "false")) {
      out += '"';
      out += value;
      out += '"';
    } else {
      append_label(out, value, delimiter);
    }
  } else {
    out += value;
  }
}

}  // namespace

void write_edgelist(const GraphStore& graph, CheckedWriter& out, const WriteOptions& layout) {
  std::string& text = out.text();
  const char d = layout.delimiter;
  const bool type_column = layout.header && link_directions(graph) != LinkDirections::Undirected;
  const WrittenColumns columns(graph);
  const bool write_columns = layout.header && !columns.links().empty();
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
    if (write_columns) {
      for (const NamedColumns::Entry& entry : columns.links()) {
        text += d;
        append_label(text, entry.name, d);
      }
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
    if (write_columns) {
      const std::optional<std::size_t> row = columns.link_row(link);
      for (const NamedColumns::Entry& entry : columns.links()) {
        text += d;
        if (row && entry.column.has_value(*row)) append_field_value(text, entry.column, *row, d);
      }
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
