#include "pages/webgl_writer.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "embedded_page.hpp"
#include "measures/components_by_size.hpp"
#include "graph_core/internal_error.hpp"
#include "graph_core/snapshot.hpp"
#include "text_io/cancellation.hpp"

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

std::string webgl_page_data(const GraphStore& graph) {
  const Snapshot snapshot = take_snapshot(graph, OutsideTargets::ByLabel);
  const std::size_t n = graph.node_count();
  const std::size_t m = snapshot.link_count();

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
    positions.put_double(node.x);
    positions.put_double(node.y);
  }
  out += ']';
  append_field(out, "positions", positions);

  ByteArray links(m * 8);
  ByteArray weights(m * 4);
  ByteArray directed(m);
  for (std::size_t link = 0; link < m; ++link) {
    links.put(snapshot.link_source[link]);
    links.put(snapshot.link_target[link]);
    weights.put_float(snapshot.link_weight[link]);
    directed.put(snapshot.link_directed[link]);
  }
  append_field(out, "links", links);
  append_field(out, "weights", weights);
  append_field(out, "directed", directed);

  ByteArray components(n * 4);
  for (const std::uint32_t component : components_by_size(snapshot).of_node) components.put(component);
  append_field(out, "components", components);
  out += '}';
  return out;
}

std::string build_webgl_page(const GraphStore& graph) {
  const std::string data = webgl_page_data(graph);
  const std::array<TemplateField, 2> fields{{
      {kDataPlaceholder, data},
      {kScriptPlaceholder, kWebglPageJs},
  }};
  return fill_template(kWebglPageHtml, fields);
}

void output_webgl(GraphStore& graph, std::string_view file_name, std::optional<LayoutKind> layout,
                  bool override_positions) {
  place_for_viewer(graph, layout, override_positions);
  write_text_file(file_name, build_webgl_page(graph));
}

}  // namespace mivora
