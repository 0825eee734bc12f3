#include "formats/format_text.hpp"

#include <charconv>

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
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\t':
        out += "&#9;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          throw NotWritable("the label '" + std::string(text) + "' holds a control character, which XML cannot hold");
        }
        out += c;
    }
  }
}

}  // namespace mivora
