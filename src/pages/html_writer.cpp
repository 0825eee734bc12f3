#include "pages/html_writer.hpp"

#include <array>
#include <charconv>

#include "embedded_page.hpp"
#include "graph_core/internal_error.hpp"
#include "text_io/checked_writer.hpp"
#include "text_io/number_text.hpp"
#include "svg_creation/svg_creation.hpp"

namespace mivora {
namespace {

constexpr std::string_view kSvgPlaceholder = "ESCAPE_SVG";
constexpr std::string_view kDataPlaceholder = "ESCAPE_DATA";
constexpr std::string_view kScriptPlaceholder = "ESCAPE_SCRIPT";

}  // namespace

std::string page_graph_data(const GraphStore& graph) {
  const LabelLookup lookup(graph);
  std::string out = "{\"connections\":[";
  out.reserve(out.size() + graph.get_edge_count() * 24 + 3);
  bool first = true;
  graph.for_each_connection(
      [&](NodeIndex from_position, const NodeRecord&, const StoredConnection& connection, const NodeRecord* target) {
        const NodeIndex from = lookup.find_node(from_position);
        const std::optional<NodeIndex> to = lookup.find_target(connection, target);
        if (!to) fail(kNoEntryForKey);
        out += first ? "[" : ",[";
        first = false;
        append_integer(out, from);
        out += ',';
        append_integer(out, *to);
        out += ",\"";
        append_shortest(out, connection.weight);
        out += connection.directed ? "\",true]" : "\",false]";
      });
  out += "]}";
  return out;
}

// One pass over the template: each placeholder is replaced where the
// template has it, and the inserted texts are never searched again. So SVG
// text that happens to contain "ESCAPE_SCRIPT" (a label, say) stays as it
// is, where replacing the placeholders one after the other over the whole
// text would paste the script into it.
std::string fill_template(std::string_view page, std::span<const TemplateField> fields) {
  std::size_t room = page.size();
  for (const auto& [placeholder, text] : fields) room += text.size();
  std::string out;
  out.reserve(room);
  std::size_t copied = 0;
  std::size_t at = 0;
  while ((at = page.find("ESCAPE_", at)) != std::string_view::npos) {
    bool replaced = false;
    for (const auto& [placeholder, text] : fields) {
      if (page.substr(at).starts_with(placeholder)) {
        out.append(page.substr(copied, at - copied));
        out.append(text);
        at += placeholder.size();
        copied = at;
        replaced = true;
        break;
      }
    }
    if (!replaced) ++at;
  }
  out.append(page.substr(copied));
  return out;
}

std::string HtmlWriter::build_page(std::string_view svg) const {
  const std::array<TemplateField, 3> fields{{
      {kSvgPlaceholder, svg},
      {kDataPlaceholder, graph_data_},
      {kScriptPlaceholder, kPageJs},
  }};
  return fill_template(kPageHtml, fields);
}

std::optional<Writeable::Error> HtmlWriter::write_file(std::string_view file_name, std::string_view svg) const {
  return write_whole_file(file_name, build_page(svg));
}

std::optional<Writeable::Error> output_html(GraphStore& graph, std::string_view file_name, LayoutKind layout,
                                            bool override_positions, const GraphStyle& style) {
  // Everything is built before the file is opened: a drawing failure leaves
  // an existing file as it was.
  const std::string svg = output_svg(graph, layout, override_positions, style);
  const HtmlWriter writer(page_graph_data(graph));
  return writer.write_file(file_name, svg);
}

void write_text_file(std::string_view file_name, std::string_view content) {
  CheckedWriter out{std::string(file_name)};
  // Handed over in chunks, so a long write still notices a pending Ctrl-C.
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  for (std::size_t at = 0; at < content.size(); at += kChunk) out.write(content.substr(at, kChunk));
  out.commit();
}

std::optional<Writeable::Error> write_whole_file(std::string_view file_name, std::string_view content) {
  try {
    write_text_file(file_name, content);
  } catch (const FileError& error) {
    return Writeable::Error{error.description(), error.error_number()};
  }
  return std::nullopt;
}

}  // namespace mivora
