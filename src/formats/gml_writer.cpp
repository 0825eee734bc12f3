// GML as networkx and igraph read it: one `graph [ ... ]` with integer node
// ids (the node's position), labels as ASCII strings (everything else as
// &#N; references, so readers that insist on ASCII take it), positions in a
// `graphics [ x y ]` list and weights in `weight`. A graph whose links all
// go one way says so once with `directed`; in a mixed graph each edge whose
// direction differs from the graph's carries its own `directed`.
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/cancellation.hpp"

namespace mivora {
namespace {

// Decodes one UTF-8 sequence at `i` (labels are valid UTF-8).
std::uint32_t next_code_point(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[k])); };
  const std::uint32_t first = byte(i);
  std::size_t length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
  if (i + length > text.size()) length = 1;
  std::uint32_t code = length == 1 ? first : length == 2 ? first & 0x1F : length == 3 ? first & 0x0F : first & 0x07;
  for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (byte(i + k) & 0x3F);
  i += length;
  return code;
}

void append_gml_string(std::string& out, std::string_view text) {
  out += '"';
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '&') {
      out += "&amp;";
      ++i;
    } else if (c == '"') {
      out += "&quot;";
      ++i;
    } else if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F) {
      out += c;
      ++i;
    } else {
      out += "&#";
      append_integer(out, next_code_point(text, i));
      out += ';';
    }
  }
  out += '"';
}

}  // namespace

void write_gml(const GraphStore& graph, CheckedWriter& out, const WriteOptions&) {
  std::string& text = out.text();
  const LinkDirections directions = link_directions(graph);
  const bool graph_directed = directions == LinkDirections::Directed;
  text += "graph [\n  directed ";
  text += graph_directed ? '1' : '0';
  // Parallel links are kept: without this networkx refuses them.
  text += "\n  multigraph 1\n";
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const NodeRecord& node = graph.node(position);
    text += "  node [\n    id ";
    append_integer(text, position);
    text += "\n    label ";
    append_gml_string(text, node.label);
    text += '\n';
    if (node.has_position()) {
      text += "    graphics [\n      x ";
      append_shortest(text, node.x);
      text += "\n      y ";
      append_shortest(text, node.y);
      text += "\n    ]\n";
    }
    text += "  ]\n";
    out.flush_if_full();
  }
  std::size_t count = 0;
  for_each_link(graph, [&](const LinkView& link) {
    text += "  edge [\n    source ";
    append_integer(text, link.from);
    text += "\n    target ";
    append_integer(text, link.to);
    text += "\n    weight ";
    append_shortest(text, link.weight);
    text += '\n';
    if (link.directed != graph_directed) text += link.directed ? "    directed 1\n" : "    directed 0\n";
    text += "  ]\n";
    if ((++count & 1023) == 0) {
      out.flush_if_full();
      poll_cancellation(1024);
    }
  });
  text += "]\n";
}

}  // namespace mivora
