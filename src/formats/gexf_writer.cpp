// GEXF 1.3 as Gephi and networkx read it: node ids are positions, labels in
// `label`, positions in viz:position (only when the node has one), weights
// in `weight`; `defaultedgetype` from the links, and `type` on each edge
// that goes the other way in a mixed graph. Attribute columns are declared
// in <attributes> (double, long, boolean, string) and given in <attvalues>;
// the columns viz:color ("#rrggbb" or "#rrggbbaa" in every value),
// viz:size and viz:thickness (numbers) become the viz elements, and a
// string link column `label` the edges' labels. A missing value is not
// written.
#include "formats/attribute_text.hpp"
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_hex_colour(std::string_view text) {
  if ((text.size() != 7 && text.size() != 9) || text[0] != '#') return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (hex_digit(text[i]) < 0) return false;
  }
  return true;
}

bool numeric(const AttributeColumn& column) {
  return column.type() == AttributeType::Float || column.type() == AttributeType::Integer;
}

// How each column of one domain is written.
struct GexfColumns {
  std::vector<std::size_t> attributes;  // declared and written as attvalues
  const AttributeColumn* colour = nullptr;
  const AttributeColumn* size = nullptr;  // viz:size (nodes) or viz:thickness (links)
  const AttributeColumn* label = nullptr;  // links only

  GexfColumns(const std::vector<NamedColumns::Entry>& columns, bool links) {
    for (std::size_t k = 0; k < columns.size(); ++k) {
      const NamedColumns::Entry& entry = columns[k];
      if (entry.name == "viz:color" && entry.column.type() == AttributeType::String && all_colours(entry.column)) {
        colour = &entry.column;
      } else if (entry.name == (links ? "viz:thickness" : "viz:size") && numeric(entry.column)) {
        size = &entry.column;
      } else if (links && entry.name == "label" && entry.column.type() == AttributeType::String) {
        label = &entry.column;
      } else {
        attributes.push_back(k);
      }
    }
  }

  static bool all_colours(const AttributeColumn& column) {
    for (std::size_t row = 0; row < column.size(); ++row) {
      if (column.has_value(row) && !is_hex_colour(column.string_at(row))) return false;
    }
    return true;
  }
};

void append_declarations(std::string& text, const std::vector<NamedColumns::Entry>& columns,
                         const GexfColumns& written, const char* domain) {
  if (written.attributes.empty()) return;
  text += "    <attributes class=\"";
  text += domain;
  text += "\">\n";
  for (const std::size_t k : written.attributes) {
    text += "      <attribute id=\"";
    append_integer(text, k);
    text += "\" title=\"";
    append_xml_escaped(text, columns[k].name);
    text += "\" type=\"";
    text += xml_type_name(columns[k].column.type());
    text += "\"/>\n";
  }
  text += "    </attributes>\n";
}

// The attvalues and viz elements of one row; true when something was written.
bool append_values(std::string& text, const std::vector<NamedColumns::Entry>& columns, const GexfColumns& written,
                   std::size_t row, bool links) {
  bool any = false;
  std::string value;
  for (const std::size_t k : written.attributes) {
    if (!columns[k].column.has_value(row)) continue;
    text += any ? "" : "<attvalues>";
    any = true;
    text += "<attvalue for=\"";
    append_integer(text, k);
    text += "\" value=\"";
    value.clear();
    append_attribute_value(value, columns[k].column, row);
    append_xml_escaped(text, value);
    text += "\"/>";
  }
  if (any) text += "</attvalues>";
  if (written.colour != nullptr && written.colour->has_value(row)) {
    const std::string_view hex = written.colour->string_at(row);
    text += "<viz:color";
    const char* channels[] = {" r=\"", " g=\"", " b=\""};
    for (std::size_t c = 0; c < 3; ++c) {
      text += channels[c];
      append_integer(text, static_cast<std::uint64_t>(hex_digit(hex[1 + 2 * c]) * 16 + hex_digit(hex[2 + 2 * c])));
      text += '"';
    }
    if (hex.size() == 9) {
      text += " a=\"";
      append_shortest(text, (hex_digit(hex[7]) * 16 + hex_digit(hex[8])) / 255.0);
      text += '"';
    }
    text += "/>";
    any = true;
  }
  if (written.size != nullptr && written.size->has_value(row)) {
    text += links ? "<viz:thickness value=\"" : "<viz:size value=\"";
    std::string number;
    append_attribute_value(number, *written.size, row);
    text += number;
    text += "\"/>";
    any = true;
  }
  return any;
}

}  // namespace

void write_gexf(const GraphStore& graph, CheckedWriter& out, const WriteOptions&) {
  std::string& text = out.text();
  const bool graph_directed = link_directions(graph) == LinkDirections::Directed;
  const WrittenColumns columns(graph);
  const GexfColumns node_columns(columns.nodes(), false);
  const GexfColumns link_columns(columns.links(), true);
  text +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gexf xmlns=\"http://gexf.net/1.3\" xmlns:viz=\"http://gexf.net/1.3/viz\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://gexf.net/1.3 http://gexf.net/1.3/gexf.xsd\" version=\"1.3\">\n";
  text += graph_directed ? "  <graph mode=\"static\" defaultedgetype=\"directed\">\n"
                         : "  <graph mode=\"static\" defaultedgetype=\"undirected\">\n";
  append_declarations(text, columns.nodes(), node_columns, "node");
  append_declarations(text, columns.links(), link_columns, "edge");
  text += "    <nodes>\n";
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    text += "      <node id=\"";
    append_integer(text, position);
    text += "\" label=\"";
    append_xml_escaped(text, node.label);
    text += '"';
    const std::size_t open = text.size();
    text += '>';
    bool children = !columns.nodes().empty() && append_values(text, columns.nodes(), node_columns, position, false);
    if (node.has_position()) {
      const GraphStore::Coordinates at = graph.coordinates(position);
      text += "<viz:position x=\"";
      append_shortest(text, at.x);
      text += "\" y=\"";
      append_shortest(text, at.y);
      text += "\" z=\"0\"/>";
      children = true;
    }
    if (children) {
      text += "</node>\n";
    } else {
      text.resize(open);
      text += "/>\n";
    }
    out.flush_if_full();
  }
  text += "    </nodes>\n    <edges>\n";
  std::size_t count = 0;
  for_each_link(graph, [&](const LinkView& link) {
    text += "      <edge id=\"";
    append_integer(text, count);
    text += "\" source=\"";
    append_integer(text, link.from);
    text += "\" target=\"";
    append_integer(text, link.to);
    text += "\" weight=\"";
    append_shortest(text, link.weight);
    text += '"';
    if (link.directed != graph_directed) text += link.directed ? " type=\"directed\"" : " type=\"undirected\"";
    const std::optional<std::size_t> row = columns.link_row(link);
    if (row && link_columns.label != nullptr && link_columns.label->has_value(*row)) {
      text += " label=\"";
      append_xml_escaped(text, link_columns.label->string_at(*row));
      text += '"';
    }
    const std::size_t open = text.size();
    text += '>';
    if (row && append_values(text, columns.links(), link_columns, *row, true)) {
      text += "</edge>\n";
    } else {
      text.resize(open);
      text += "/>\n";
    }
    if ((++count & 1023) == 0) {
      out.flush_if_full();
      poll_cancellation(1024);
    }
  });
  text += "    </edges>\n  </graph>\n</gexf>\n";
}

}  // namespace mivora
