#include "file_writer_core/format_text.hpp"

#include <charconv>

namespace mivora {

std::uint32_t link_target(const _Graph& graph, const _Node& from, const StoredConnection& connection) {
  if (connection.is_local()) return connection.local_target;
  const std::shared_ptr<_Node> target = connection.target.lock();
  if (target) {
    if (const auto found = graph.find_by_label(target->label)) return static_cast<std::uint32_t>(*found);
    throw UnwritableGraph("node '" + from.label + "' has a connection to node '" + target->label +
                          "' of another graph, and no node of this graph carries that label");
  }
  throw UnwritableGraph("node '" + from.label + "' has a connection to a node that no longer exists");
}

LinkDirections link_directions(const _Graph& graph) {
  bool directed = false, undirected = false;
  for (const auto& node : graph.nodes()) {
    for (const StoredConnection& connection : node->connections) {
      (connection.directed ? directed : undirected) = true;
    }
  }
  if (directed && undirected) return LinkDirections::Mixed;
  return directed ? LinkDirections::Directed : LinkDirections::Undirected;
}

bool any_position(const _Graph& graph) {
  for (const auto& node : graph.nodes()) {
    if (node->has_position()) return true;
  }
  return false;
}

void append_xml_escaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      case '\t': out += "&#9;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          throw UnwritableGraph("the label '" + std::string(text) + "' holds a control character, which XML cannot hold");
        }
        out += c;
    }
  }
}

void append_uint(std::string& out, std::uint64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace mivora
