#include "formats/format_text.hpp"

#include <charconv>

#include "text_io/shown_text.hpp"
#include "text_io/xml_text.hpp"

namespace mivora {

LinkDirections link_directions(const GraphStore& graph) {
  bool directed = false, undirected = false;
  for (const auto& node : graph.nodes()) {
    for (const StoredConnection& connection : node->connections) {
      (connection.directed ? directed : undirected) = true;
    }
  }
  if (directed && undirected) return LinkDirections::Mixed;
  return directed ? LinkDirections::Directed : LinkDirections::Undirected;
}

bool any_position(const GraphStore& graph) {
  for (const auto& node : graph.nodes()) {
    if (node->has_position()) return true;
  }
  return false;
}

void append_xml_escaped(std::string& out, std::string_view text) {
  if (append_xml_text(out, text, XmlEscaping{.quote = true, .whitespace_references = true, .replace_unfit = false}))
    return;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      throw NotWritable("the label '" + shown_text(text) + "' holds a control character, which XML cannot hold");
    }
  }
  throw NotWritable("a label holds U+FFFE, U+FFFF or bytes that are not UTF-8, which XML cannot hold");
}

}  // namespace mivora
