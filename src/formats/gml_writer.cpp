// GML as networkx and igraph read it: one `graph [ ... ]` with integer node
// ids (the node's position), labels as ASCII strings (everything else as
// &#N; references, so readers that insist on ASCII take it), positions in a
// `graphics [ x y ]` list and weights in `weight`. A graph whose links all
// go one way says so once with `directed`; in a mixed graph each edge whose
// direction differs from the graph's carries its own `directed`.
//
// Attribute columns are keys of their nodes and edges (a missing value is
// not written): integers as they are, floats always with a point or as
// NAN/INF (so they read back as floats), bools as 1/0, strings quoted. A
// column named `a.b` is key b of a nested list a, as the reader flattens
// it. A name that is no GML key (letters, digits and '_', a letter first)
// or that the format uses itself (id, label, graphics) is refused.
#include <cmath>

#include "formats/attribute_text.hpp"
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

bool is_gml_key(std::string_view key) {
  if (key.empty() || !((key[0] >= 'a' && key[0] <= 'z') || (key[0] >= 'A' && key[0] <= 'Z'))) return false;
  for (const char c : key) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  return true;
}

void check_gml_names(const std::vector<NamedColumns::Entry>& columns, const char* domain) {
  for (const NamedColumns::Entry& entry : columns) {
    std::string_view rest = entry.name;
    bool fits = true;
    while (fits) {
      const std::size_t dot = rest.find('.');
      fits = is_gml_key(rest.substr(0, dot));
      if (dot == std::string_view::npos) break;
      rest.remove_prefix(dot + 1);
    }
    const std::string_view first = std::string_view(entry.name).substr(0, entry.name.find('.'));
    if (!fits || first == "id" || first == "label" || first == "graphics") {
      throw NotWritable("the " + std::string(domain) + " attribute '" + entry.name +
                        "' is no GML key (letters, digits and '_', a letter first; not id, label or graphics)");
    }
  }
}

void append_gml_value(std::string& out, const AttributeColumn& column, std::size_t row) {
  switch (column.type()) {
    case AttributeType::Float: {
      const double value = column.float_at(row);
      if (std::isnan(value)) {
        out += "NAN";
      } else if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
      } else {
        const std::size_t start = out.size();
        append_shortest(out, value);
        if (out.find_first_of(".eE", start) == std::string::npos) out += ".0";
      }
      break;
    }
    case AttributeType::Integer:
      append_integer(out, column.integer_at(row));
      break;
    case AttributeType::Bool:
      out += column.bool_at(row) ? '1' : '0';
      break;
    case AttributeType::String:
      append_gml_string(out, column.string_at(row));
      break;
  }
}

// The row's values as keys, `a.b` inside a list `a [ ... ]` (consecutive
// columns of one list share it).
void append_gml_columns(std::string& out, const std::vector<NamedColumns::Entry>& columns, std::size_t row) {
  std::vector<std::string_view> open;  // the nested lists open now
  auto indent = [&] { out.append(4 + 2 * open.size(), ' '); };
  for (const NamedColumns::Entry& entry : columns) {
    if (!entry.column.has_value(row)) continue;
    std::vector<std::string_view> path;
    std::string_view rest = entry.name;
    for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
      path.push_back(rest.substr(0, dot));
      rest.remove_prefix(dot + 1);
    }
    std::size_t shared = 0;
    while (shared < open.size() && shared < path.size() && open[shared] == path[shared]) ++shared;
    while (open.size() > shared) {
      open.pop_back();
      indent();
      out += "]\n";
    }
    for (std::size_t i = shared; i < path.size(); ++i) {
      indent();
      out += path[i];
      out += " [\n";
      open.push_back(path[i]);
    }
    indent();
    out += rest;
    out += ' ';
    append_gml_value(out, entry.column, row);
    out += '\n';
  }
  while (!open.empty()) {
    open.pop_back();
    indent();
    out += "]\n";
  }
}

}  // namespace

void write_gml(const GraphStore& graph, CheckedWriter& out, const WriteOptions&) {
  std::string& text = out.text();
  const LinkDirections directions = link_directions(graph);
  const bool graph_directed = directions == LinkDirections::Directed;
  const WrittenColumns columns(graph);
  check_gml_names(columns.nodes(), "node");
  check_gml_names(columns.links(), "link");
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
      const GraphStore::Coordinates at = graph.coordinates(position);
      text += "    graphics [\n      x ";
      append_shortest(text, at.x);
      text += "\n      y ";
      append_shortest(text, at.y);
      text += "\n    ]\n";
    }
    if (!columns.nodes().empty()) append_gml_columns(text, columns.nodes(), position);
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
    if (const std::optional<std::size_t> row = columns.link_row(link)) append_gml_columns(text, columns.links(), *row);
    text += "  ]\n";
    if ((++count & 1023) == 0) {
      out.flush_if_full();
      poll_cancellation(1024);
    }
  });
  text += "]\n";
}

}  // namespace mivora
