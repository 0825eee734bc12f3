// GraphML as networkx, igraph and yEd read it: typed keys for the label,
// the position (only when some node has one) and the weight; node ids
// n<position>; `edgedefault` from the links, and `directed` on each edge
// that goes the other way in a mixed graph. Attribute columns become keys
// n<k> (nodes) and e<k> (links) of their type (double, long, boolean,
// string); a missing value has no <data>.
#include "formats/attribute_text.hpp"
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

void append_keys(std::string& text, const std::vector<NamedColumns::Entry>& columns, const char* domain, char prefix) {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    text += "  <key id=\"";
    text += prefix;
    append_integer(text, k);
    text += "\" for=\"";
    text += domain;
    text += "\" attr.name=\"";
    append_xml_escaped(text, columns[k].name);
    text += "\" attr.type=\"";
    text += xml_type_name(columns[k].column.type());
    text += "\"/>\n";
  }
}

void append_data(std::string& text, const std::vector<NamedColumns::Entry>& columns, char prefix,
                 std::optional<std::size_t> row) {
  if (!row) return;
  std::string value;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (!columns[k].column.has_value(*row)) continue;
    text += "<data key=\"";
    text += prefix;
    append_integer(text, k);
    text += "\">";
    value.clear();
    append_attribute_value(value, columns[k].column, *row);
    append_xml_escaped(text, value);
    text += "</data>";
  }
}

}  // namespace

void write_graphml(const GraphStore& graph, CheckedWriter& out, const WriteOptions&) {
  std::string& text = out.text();
  const bool graph_directed = link_directions(graph) == LinkDirections::Directed;
  const bool positions = any_position(graph);
  text +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://graphml.graphdrawing.org/xmlns "
      "http://graphml.graphdrawing.org/xmlns/1.0/graphml.xsd\">\n"
      "  <key id=\"label\" for=\"node\" attr.name=\"label\" attr.type=\"string\"/>\n";
  if (positions) {
    text +=
        "  <key id=\"x\" for=\"node\" attr.name=\"x\" attr.type=\"double\"/>\n"
        "  <key id=\"y\" for=\"node\" attr.name=\"y\" attr.type=\"double\"/>\n";
  }
  text += "  <key id=\"weight\" for=\"edge\" attr.name=\"weight\" attr.type=\"double\"/>\n";
  const WrittenColumns columns(graph);
  append_keys(text, columns.nodes(), "node", 'n');
  append_keys(text, columns.links(), "edge", 'e');
  text += graph_directed ? "  <graph id=\"G\" edgedefault=\"directed\">\n"
                         : "  <graph id=\"G\" edgedefault=\"undirected\">\n";
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    text += "    <node id=\"n";
    append_integer(text, position);
    text += "\"><data key=\"label\">";
    append_xml_escaped(text, node.label);
    text += "</data>";
    if (node.has_position()) {
      const GraphStore::Coordinates at = graph.coordinates(position);
      text += "<data key=\"x\">";
      append_shortest(text, at.x);
      text += "</data><data key=\"y\">";
      append_shortest(text, at.y);
      text += "</data>";
    }
    append_data(text, columns.nodes(), 'n', position);
    text += "</node>\n";
    out.flush_if_full();
  }
  std::size_t count = 0;
  for_each_link(graph, [&](const LinkView& link) {
    text += "    <edge source=\"n";
    append_integer(text, link.from);
    text += "\" target=\"n";
    append_integer(text, link.to);
    text += '"';
    if (link.directed != graph_directed) text += link.directed ? " directed=\"true\"" : " directed=\"false\"";
    text += "><data key=\"weight\">";
    append_shortest(text, link.weight);
    text += "</data>";
    append_data(text, columns.links(), 'e', columns.link_row(link));
    text += "</edge>\n";
    if ((++count & 1023) == 0) {
      out.flush_if_full();
      poll_cancellation(1024);
    }
  });
  text += "  </graph>\n</graphml>\n";
}

}  // namespace mivora
