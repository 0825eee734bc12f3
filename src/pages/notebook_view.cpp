#include "pages/notebook_view.hpp"

#include <cstdint>

#include "pages/webgl_writer.hpp"
#include "measures/components_by_size.hpp"
#include "graph_core/snapshot.hpp"
#include "svg_creation/svg_creation.hpp"
#include "text_io/number_text.hpp"
#include "text_io/xml_text.hpp"

namespace mivora {
namespace {

// Text for a double-quoted HTML attribute.
void append_attribute_text(std::string& out, std::string_view text) { append_xml_text(out, text, XmlEscaping{}); }

void append_row(std::string& out, std::string_view name, std::string_view value) {
  out += "<tr><th style=\"text-align:left\">";
  out += name;
  out += "</th><td style=\"text-align:right\">";
  append_escaped_text(out, value);
  out += "</td></tr>";
}

std::string six_digits(double value) {
  std::string text;
  append_significant(text, value, 6);
  return text;
}

}  // namespace

std::string summary_html(const GraphStore& graph) {
  const std::shared_ptr<const LinkList> drawn = current_links(graph, OutsideTargets::ByLabel);
  const std::size_t n = graph.node_count();
  std::size_t arcs = 0;
  for (const std::uint8_t is_arc : drawn->link_directed) arcs += is_arc;
  const std::size_t links = drawn->link_count();
  const ComponentsBySize components = components_by_size(*drawn);

  // Links over the node pairs they could join: ordered pairs once any link
  // has a direction, unordered pairs otherwise.
  const double pairs = static_cast<double>(n) * (static_cast<double>(n) - 1.0) / (arcs > 0 ? 1.0 : 2.0);

  std::string out = "<table class=\"mivora-summary\"><caption style=\"text-align:left\">mivora Graph</caption>";
  append_row(out, "nodes", integer_text(n));
  append_row(out, "edges (undirected)", integer_text(links - arcs));
  append_row(out, "arcs (directed)", integer_text(arcs));
  append_row(out, "density", pairs > 0 ? six_digits(static_cast<double>(links) / pairs) : std::string("-"));
  append_row(out, "weakly connected components", integer_text(components.sizes.size()));
  append_row(out, "largest component (nodes)",
             components.sizes.empty() ? std::string("0") : integer_text(components.sizes.front()));
  out += "</table>";
  return out;
}

std::string notebook_html(GraphStore& graph) {
  if (graph.node_count() > kInlineViewLimit) return summary_html(graph);
  place_for_viewer(graph, std::nullopt, false);
  const std::string page = build_webgl_page(graph);
  std::string out = "<iframe class=\"mivora-view\" style=\"width:100%;height:520px;border:1px solid #ddd\" srcdoc=\"";
  out.reserve(out.size() + page.size() + page.size() / 8 + 16);
  append_attribute_text(out, page);
  out += "\"></iframe>";
  return out;
}

}  // namespace mivora
