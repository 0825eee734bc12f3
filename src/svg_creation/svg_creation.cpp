#include "svg_creation/svg_creation.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "graph_core/internal_error.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/number_text.hpp"
#include "text_io/xml_text.hpp"

namespace mivora {

// ---- elements -------------------------------------------------------------------

namespace {

void append_value(std::string& out, const AttributeValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    append_escaped_attribute(out, *text);
  } else if (const auto* number = std::get_if<double>(&value)) {
    append_shortest(out, *number);
  } else if (const auto* integer = std::get_if<std::int32_t>(&value)) {
    append_integer(out, *integer);
  } else {
    out += std::get<bool>(value) ? "true" : "false";
  }
}

}  // namespace

// Characters XML cannot hold become U+FFFD: a drawing is always well-formed.
void append_escaped_text(std::string& out, std::string_view text) {
  append_xml_text(out, text, XmlEscaping{.quote = false});
}
void append_escaped_attribute(std::string& out, std::string_view text) { append_xml_text(out, text, XmlEscaping{}); }

void write_element(std::string& out, const Element& element) {
  if (element.is_text) {
    append_escaped_text(out, element.name);
    return;
  }
  out += '<';
  out += element.name;
  for (const auto& [name, value] : element.attributes) {
    out += ' ';
    out += name;
    out += "=\"";
    append_value(out, value);
    out += '"';
  }
  if (element.children.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  for (const Element& child : element.children) write_element(out, child);
  out += "</";
  out += element.name;
  out += '>';
}

std::string write_element(const Element& element) {
  std::string out;
  write_element(out, element);
  return out;
}

// ---- label lookup ------------------------------------------------------------------

LabelLookup::LabelLookup(const GraphStore& graph) : graph_(graph) {
  if (!graph.has_duplicate_labels()) return;
  last_of_label_.resize(graph.node_count());
  for (NodeIndex i = 0; i < graph.node_count(); ++i) last_of_label_[graph.canonical_position(i)] = i;
}

std::optional<NodeIndex> LabelLookup::find(std::string_view label) const {
  const auto first = graph_.find_by_label(label);
  if (!first || last_of_label_.empty()) return first;
  return last_of_label_[*first];
}

NodeIndex LabelLookup::find_node(NodeIndex position) const {
  return last_of_label_.empty() ? position : last_of_label_[graph_.canonical_position(position)];
}

std::optional<NodeIndex> LabelLookup::find_target(const StoredConnection& connection, const NodeRecord* target) const {
  const auto first = graph_.record_target_position(connection, target);
  if (!first || last_of_label_.empty()) return first;
  return last_of_label_[*first];
}

// ---- drawing -----------------------------------------------------------------------

namespace {

constexpr std::string_view kOpeningTag =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="20 20 1480 680" width="100%" height="100%">)";
constexpr std::string_view kClosingTag = "</svg>";

// The largest weight in the IEEE total order of single-precision floats
// (NaN with the sign bit clear above +inf, with it set below -inf).
std::int32_t total_order_key(float value) {
  const auto bits = std::bit_cast<std::int32_t>(value);
  return bits < 0 ? bits ^ 0x7FFFFFFF : bits;
}

float largest_weight(const GraphStore& graph) {
  bool any = false;
  float largest = 1.0f;
  graph.for_each_connection([&](NodeIndex, const NodeRecord&, const StoredConnection& connection, const NodeRecord*) {
    if (!any || total_order_key(connection.weight) > total_order_key(largest)) largest = connection.weight;
    any = true;
  });
  return largest;
}

// Single precision throughout, in this order; widened only for writing.
float line_width(const GraphStyle& style, float weight, float largest) {
  if (!style.dynamic_line_size) return 1.0f;
  if (largest == 1.0f) return weight;
  const float min = static_cast<float>(style.line_min_width);
  const float max = static_cast<float>(style.line_max_width);
  const float numerator = weight - 1.0f;
  const float denominator = largest - 1.0f;
  const float fraction = numerator / denominator;
  const float scaled = (max - min) * fraction;
  return scaled + min;
}

Element arrowhead_definition(const GraphStyle& style) {
  Element path{"path", {{"d", style.marker_svg}, {"fill", style.marker_fill}}, {}};
  Element marker{"marker",
                 {{"id", std::string("marker")},
                  {"markerWidth", integer_text(style.marker_width)},
                  {"markerHeight", integer_text(style.marker_height)},
                  {"refX", std::string("29")},
                  {"refY", std::string("3")},
                  {"orient", std::string("auto")},
                  {"markerUnits", std::string("strokeWidth")}},
                 {}};
  marker.children.push_back(std::move(path));
  Element defs{"defs", {}, {}};
  defs.children.push_back(std::move(marker));
  return defs;
}

// The text of each node's x, y, y + 35 and id, written once and reused by
// every element that names the node.
class NodeTexts {
 public:
  explicit NodeTexts(const GraphStore& graph) : bounds_(graph.node_count() * kFields + 1) {
    text_.reserve(graph.node_count() * 64);
    for (NodeIndex i = 0; i < graph.node_count(); ++i) {
      const NodeRecord& node = graph.node(i);
      std::size_t* bound = &bounds_[i * kFields];
      bound[0] = text_.size();
      if (node.has_position()) {
        const GraphStore::Coordinates at = graph.coordinates(i);
        append_shortest(text_, at.x);
        bound[1] = text_.size();
        append_shortest(text_, at.y);
        bound[2] = text_.size();
        append_shortest(text_, at.y + 35.0);
      } else {
        bound[1] = bound[2] = text_.size();
      }
      bound[3] = text_.size();
      append_integer(text_, i);
      bound[4] = text_.size();
    }
    positioned_.reserve(graph.node_count());
    for (NodeIndex i = 0; i < graph.node_count(); ++i) positioned_.push_back(graph.node(i).has_position());
  }

  bool has_position(NodeIndex i) const { return positioned_[i]; }
  std::string_view x(NodeIndex i) const { return field(i, 0); }
  std::string_view y(NodeIndex i) const { return field(i, 1); }
  std::string_view label_y(NodeIndex i) const { return field(i, 2); }
  std::string_view id(NodeIndex i) const { return field(i, 3); }
  std::size_t size() const { return text_.size(); }

 private:
  static constexpr std::size_t kFields = 4;
  std::string_view field(NodeIndex i, std::size_t f) const {
    const std::size_t begin = bounds_[i * kFields + f];
    return std::string_view(text_).substr(begin, bounds_[i * kFields + f + 1] - begin);
  }

  std::string text_;
  std::vector<std::size_t> bounds_;
  std::vector<bool> positioned_;
};

// Shorthand for a run of appends.
class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  Writer& operator<<(std::string_view piece) {
    out_.append(piece.data(), piece.size());
    return *this;
  }

 private:
  std::string& out_;
};

struct ArrowLine {
  NodeIndex from, to;
};

}  // namespace

void draw_graph(Svg& svg, GraphStore& graph, const LabelLookup& lookup, LayoutKind layout, bool has_positions,
                bool override_positions, const GraphStyle& style) {
  if (override_positions || !has_positions) generate_positions(graph, layout);

  const float largest = largest_weight(graph);
  svg.append(arrowhead_definition(style));

  std::string stroke, border, fill;
  append_escaped_attribute(stroke, style.line_color);
  append_escaped_attribute(border, style.node_border);
  append_escaped_attribute(fill, style.node_color);
  const std::string radius_text = integer_text(style.node_radius);

  const NodeTexts texts(graph);
  const std::size_t n = graph.node_count();
  const std::size_t edges = graph.get_edge_count();
  // Room for the whole document, assuming coordinates of average length.
  const std::size_t average = n == 0 ? 0 : texts.size() / n;
  std::string& out = svg.text;
  out.reserve(out.size() + edges * (2 * average + stroke.size() + 160) +
              n * (2 * average + border.size() + fill.size() + 130) + kClosingTag.size());
  Writer write(out);

  std::vector<ArrowLine> arrows;
  float last_width = 0.0f;
  std::string width_text = "0";
  graph.for_each_connection(
      [&](NodeIndex from_position, const NodeRecord&, const StoredConnection& connection, const NodeRecord* target) {
        const NodeIndex from = lookup.find_node(from_position);
        const auto to = lookup.find_target(connection, target);
        // Polled once `target` is used: Python code run by the poll may drop its last owner.
        poll_cancellation();
        if (!to) fail(kNoEntryForKey);
        if (!texts.has_position(from) || !texts.has_position(*to)) fail(kUnwrapNone);
        const float width = line_width(style, connection.weight, largest);
        if (std::bit_cast<std::uint32_t>(width) != std::bit_cast<std::uint32_t>(last_width)) {
          last_width = width;
          width_text.clear();
          append_shortest(width_text, static_cast<double>(width));
        }
        write << "<line x1=\"" << texts.x(from) << "\" y1=\"" << texts.y(from) << "\" x2=\"" << texts.x(*to)
              << "\" y2=\"" << texts.y(*to) << "\" stroke=\"" << stroke << "\" stroke-width=\"" << width_text
              << "\" class=\"" << texts.id(from) << "line" << texts.id(*to) << "\"/>";
        if (connection.directed) arrows.push_back({from, *to});
      });
  for (const auto [from, to] : arrows) {
    write << "<line x1=\"" << texts.x(from) << "\" y1=\"" << texts.y(from) << "\" x2=\"" << texts.x(to) << "\" y2=\""
          << texts.y(to) << R"~(" stroke="none" stroke-width="1" marker-end="url(#marker)" class=")~" << texts.id(from)
          << "line" << texts.id(to) << "\"/>";
  }
  for (NodeIndex i = 0; i < n; ++i) {
    poll_cancellation();
    if (!texts.has_position(i)) fail(kUnwrapNone);
    write << "<circle cx=\"" << texts.x(i) << "\" cy=\"" << texts.y(i) << "\" stroke=\"" << border << "\" fill=\""
          << fill << "\" r=\"" << radius_text << "\" class=\"node" << texts.id(i)
          << R"("/><text text-anchor="middle" x=")" << texts.x(i) << "\" y=\"" << texts.label_y(i) << "\" class=\"label"
          << texts.id(i) << "\">";
    append_escaped_text(out, graph.node(i).label);
    write << "</text>";
  }
}

std::string get_svg(Svg& svg, GraphStore& graph, LayoutKind layout, bool has_positions, bool override_positions,
                    const GraphStyle& style) {
  const LabelLookup lookup(graph);
  svg.text += kOpeningTag;
  draw_graph(svg, graph, lookup, layout, has_positions, override_positions, style);
  svg.text += kClosingTag;
  return std::move(svg.text);
}

std::string output_svg(GraphStore& graph, LayoutKind layout, bool override_positions, const GraphStyle& style) {
  Svg svg;
  const bool has_positions = graph.has_positions() || graph.has_kept_positions();
  return get_svg(svg, graph, layout, has_positions, override_positions, style);
}

}  // namespace mivora
