#include "pages/webgl_writer.hpp"

#include <array>
#include <cmath>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "embedded_page.hpp"
#include "formats/attribute_text.hpp"
#include "measures/components_by_size.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/snapshot.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/number_text.hpp"

namespace mivora {
namespace {

constexpr std::string_view kDataPlaceholder = "ESCAPE_DATA";
constexpr std::string_view kScriptPlaceholder = "ESCAPE_SCRIPT";

// Little-endian bytes of numbers, as JavaScript typed arrays read them on
// every platform browsers run on.
class ByteArray {
 public:
  explicit ByteArray(std::size_t reserve) { bytes_.reserve(reserve); }

  template <typename Unsigned>
  void put(Unsigned value) {
    for (std::size_t i = 0; i < sizeof(Unsigned); ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  void put_double(double value) { put(std::bit_cast<std::uint64_t>(value)); }
  void put_float(float value) { put(std::bit_cast<std::uint32_t>(value)); }

  std::span<const std::uint8_t> bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

void append_base64(std::string& out, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out += kDigits[group >> 18];
    out += kDigits[(group >> 12) & 63];
    out += kDigits[(group >> 6) & 63];
    out += kDigits[group & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return;
  const std::uint32_t group = (bytes[i] << 16) | (rest == 2 ? bytes[i + 1] << 8 : 0);
  out += kDigits[group >> 18];
  out += kDigits[(group >> 12) & 63];
  out += rest == 2 ? kDigits[(group >> 6) & 63] : '=';
  out += '=';
}

// A JSON string whose text never holds '<' (so never "</script>").
void append_json_string(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || c == '<') {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void append_field(std::string& out, std::string_view name, const ByteArray& array) {
  out += ",\"";
  out += name;
  out += "\":\"";
  append_base64(out, array.bytes());
  out += '"';
}

void append_column_value(std::string& out, const AttributeColumn& column, std::size_t row) {
  switch (column.type()) {
    case AttributeType::Float: {
      const double value = column.float_at(row);
      if (std::isnan(value)) {
        out += "\"NaN\"";
      } else if (std::isinf(value)) {
        out += value < 0 ? "\"-inf\"" : "\"inf\"";
      } else {
        append_json_number(out, value, true);
      }
      break;
    }
    case AttributeType::Integer:
      append_integer(out, column.integer_at(row));
      break;
    case AttributeType::Bool:
      out += column.bool_at(row) ? "true" : "false";
      break;
    case AttributeType::String:
      append_json_string(out, column.string_at(row));
      break;
  }
}

// name, type and values of each column; `rows` maps the page's items to
// the columns' rows (empty: item i is row i).
void append_columns(std::string& out, std::string_view field, const std::vector<NamedColumns::Entry>& columns,
                    std::size_t count, const std::vector<std::size_t>& rows) {
  out += ",\"";
  out += field;
  out += "\":[";
  for (std::size_t k = 0; k < columns.size(); ++k) {
    const AttributeColumn& column = columns[k].column;
    if (k != 0) out += ',';
    out += "{\"name\":";
    append_json_string(out, columns[k].name);
    out += ",\"type\":\"";
    out += attribute_type_name(column.type());
    out += "\",\"values\":[";
    for (std::size_t i = 0; i < count; ++i) {
      if (i != 0) out += ',';
      const std::size_t row = rows.empty() ? i : rows[i];
      if (row != GraphAttributes::kNoRow && column.has_value(row)) {
        append_column_value(out, column, row);
      } else {
        out += "null";
      }
      if ((i & 4095) == 0) poll_cancellation();
    }
    out += "]}";
  }
  out += ']';
}

void append_attribute_columns(std::string& out, const GraphStore& graph, std::size_t links) {
  const GraphAttributes& attributes = graph.attributes();
  if (!attributes.nodes().empty())
    append_columns(out, "nodeColumns", attributes.nodes().entries(), graph.node_count(), {});
  if (attributes.connections().empty()) return;
  GraphAttributes::ListedRows listed = attributes.listed_connection_rows(graph);
  // The page's links are the link list's, the same connections in the same
  // order unless a connection leads to a node of another graph.
  if (listed.count != links) return;
  append_columns(out, "linkColumns", attributes.connections().entries(), links, listed.rows);
}

void append_drawing_options(std::string& out, const WebglOptions& options) {
  if (options.color_by) {
    out += ",\"colorBy\":";
    append_json_string(out, *options.color_by);
  }
  if (options.size_by) {
    out += ",\"sizeBy\":";
    append_json_string(out, *options.size_by);
  }
  if (options.file_style) out += ",\"fileStyle\":true";
}

bool every_node_positioned(const GraphStore& graph) {
  for (const auto& node : graph.nodes()) {
    if (!node->has_position()) return false;
  }
  return true;
}

}  // namespace

void place_for_viewer(GraphStore& graph, std::optional<LayoutKind> layout, bool override_positions) {
  if (!override_positions && every_node_positioned(graph)) return;
  generate_positions(graph, layout.value_or(kViewerLayout));
}

std::string webgl_page_data(const GraphStore& graph, const WebglOptions& options) {
  // Held for the call: the kept links stay alive whatever the polls run.
  const std::shared_ptr<const LinkList> drawn = current_links(graph, OutsideTargets::ByLabel);
  const std::size_t n = graph.node_count();
  const std::size_t m = drawn->link_count();

  std::string out;
  out.reserve(n * 40 + m * 16 + 256);
  out += "{\"labels\":[";
  ByteArray positions(n * 16);
  for (NodeIndex i = 0; i < n; ++i) {
    poll_cancellation();
    const NodeRecord& node = graph.node(i);
    if (!node.has_position()) fail(kUnwrapNone);
    if (i != 0) out += ',';
    append_json_string(out, node.label);
    const GraphStore::Coordinates at = graph.coordinates(i);
    positions.put_double(at.x);
    positions.put_double(at.y);
  }
  out += ']';
  append_field(out, "positions", positions);

  ByteArray links(m * 8);
  ByteArray weights(m * 4);
  ByteArray directed(m);
  for (std::size_t link = 0; link < m; ++link) {
    links.put(drawn->link_source[link]);
    links.put(drawn->link_target[link]);
    weights.put_float(drawn->link_weight[link]);
    directed.put(drawn->link_directed[link]);
  }
  append_field(out, "links", links);
  append_field(out, "weights", weights);
  append_field(out, "directed", directed);

  ByteArray components(n * 4);
  for (const std::uint32_t component : components_by_size(*drawn).of_node) components.put(component);
  append_field(out, "components", components);
  append_attribute_columns(out, graph, m);
  append_drawing_options(out, options);
  out += '}';
  return out;
}

std::string build_webgl_page(const GraphStore& graph, const WebglOptions& options) {
  const std::string data = webgl_page_data(graph, options);
  const std::array<TemplateField, 2> fields{{
      {kDataPlaceholder, data},
      {kScriptPlaceholder, kWebglPageJs},
  }};
  return fill_template(kWebglPageHtml, fields);
}

void output_webgl(GraphStore& graph, std::string_view file_name, std::optional<LayoutKind> layout,
                  bool override_positions, const WebglOptions& options) {
  place_for_viewer(graph, layout, override_positions);
  write_text_file(file_name, build_webgl_page(graph, options));
}

}  // namespace mivora
