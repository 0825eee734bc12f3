#pragma once
// The SVG document of a graph: an arrowhead definition, one line per
// connection (and an arrow line per directed one), a circle and a label per
// node. Every element carries a class name built from node ids, which the
// viewer page's script reads back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "graph_core/graph.hpp"
#include "layout/layout.hpp"
#include "layout/style.hpp"

namespace mivora {

// A tagged attribute value; the kind decides how it is written. Numbers use
// the shortest round-trip decimal (append_shortest).
using AttributeValue = std::variant<std::string, double, std::int32_t, bool>;

// One SVG element, or a text node (is_text) standing for its `name` text.
struct Element {
  std::string name;
  std::vector<std::pair<std::string, AttributeValue>> attributes;
  std::vector<Element> children;
  bool is_text = false;

  static Element text(std::string content) { return Element{std::move(content), {}, {}, true}; }
};

// Appends the element's text, children included. Text content has & < >
// escaped; attribute texts also ".
void write_element(std::string& out, const Element& element);
std::string write_element(const Element& element);

// The document builder. Top-level elements are serialised as they are
// appended, so `text` always holds the document so far.
class Svg {
 public:
  void append(const Element& element) { write_element(text, element); }

  std::string text;
};

// Lookup from label to the node that carries it; with repeated labels the
// last node of a label is the one found.
class LabelLookup {
 public:
  explicit LabelLookup(const GraphStore& graph);
  std::optional<NodeIndex> find(std::string_view label) const;
  // The node a stored connection is drawn to, by the label it reports.
  std::optional<NodeIndex> find_target(const StoredConnection& connection, const NodeRecord* target) const;
  NodeIndex find_node(NodeIndex position) const;

 private:
  const GraphStore& graph_;
  std::vector<NodeIndex> last_of_label_;  // by first position; empty when labels are unique
};

// Lays the graph out when asked to (override_positions) or when it has no
// stored positions, then appends every element of the drawing to `svg`.
void draw_graph(Svg& svg, GraphStore& graph, const LabelLookup& lookup, LayoutKind layout, bool has_positions,
                bool override_positions, const GraphStyle& style);

// The whole document: root element around what draw_graph appends.
std::string get_svg(Svg& svg, GraphStore& graph, LayoutKind layout, bool has_positions, bool override_positions,
                    const GraphStyle& style);

// Stored positions (read from a file) and kept ones (a computed layout kept
// in the graph) are drawn as they are unless override_positions is set.
std::string output_svg(GraphStore& graph, LayoutKind layout, bool override_positions, const GraphStyle& style);

// Escaping used for text content and attribute values.
void append_escaped_text(std::string& out, std::string_view text);
void append_escaped_attribute(std::string& out, std::string_view text);

}  // namespace mivora
