// GEXF 1.3 as Gephi and networkx read it: node ids are positions, labels in
// `label`, positions in viz:position (only when the node has one), weights
// in `weight`; `defaultedgetype` from the links, and `type` on each edge
// that goes the other way in a mixed graph.
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {

void write_gexf(const GraphStore& graph, CheckedWriter& out, const WriteOptions&) {
  std::string& text = out.text();
  const bool graph_directed = link_directions(graph) == LinkDirections::Directed;
  text +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gexf xmlns=\"http://gexf.net/1.3\" xmlns:viz=\"http://gexf.net/1.3/viz\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://gexf.net/1.3 http://gexf.net/1.3/gexf.xsd\" version=\"1.3\">\n";
  text += graph_directed ? "  <graph mode=\"static\" defaultedgetype=\"directed\">\n"
                         : "  <graph mode=\"static\" defaultedgetype=\"undirected\">\n";
  text += "    <nodes>\n";
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    text += "      <node id=\"";
    append_integer(text, position);
    text += "\" label=\"";
    append_xml_escaped(text, node.label);
    if (node.has_position()) {
      text += "\"><viz:position x=\"";
      append_shortest(text, node.x);
      text += "\" y=\"";
      append_shortest(text, node.y);
      text += "\" z=\"0\"/></node>\n";
    } else {
      text += "\"/>\n";
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
    text += "/>\n";
    if ((++count & 1023) == 0) {
      out.flush_if_full();
      poll_cancellation(1024);
    }
  });
  text += "    </edges>\n  </graph>\n</gexf>\n";
}

}  // namespace mivora
