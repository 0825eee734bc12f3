#pragma once
// The interactive viewer page: the drawing's SVG text, a data block listing
// the graph's connections, and the page script, pasted into the page
// template (page.html and page.js, embedded at build time).
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "graph_core/graph.hpp"
#include "layout/layout.hpp"
#include "layout/style.hpp"

namespace mivora {

// Something that writes a text to a file.
class Writeable {
 public:
  // What went wrong in a write, as the operating system describes it.
  struct Error {
    std::string description;
    int code = 0;  // the errno value, when the operating system gave one
  };

  virtual ~Writeable() = default;
  // Writes `content` through this writer to the file (replaced only once
  // complete); no value on success.
  virtual std::optional<Error> write_file(std::string_view file_name, std::string_view content) const = 0;
};

// Writes a viewer page around an SVG text. The page also carries
// `graph_data` (see page_graph_data), which its downloads need for the
// weights and directions that the SVG does not hold exactly.
class HtmlWriter : public Writeable {
 public:
  static constexpr std::string_view kEmptyGraphData = "{\"connections\":[]}";

  HtmlWriter() = default;
  explicit HtmlWriter(std::string graph_data) : graph_data_(std::move(graph_data)) {}

  std::optional<Error> write_file(std::string_view file_name, std::string_view svg) const override;

  // The page text for an SVG text, as write_file writes it.
  std::string build_page(std::string_view svg) const;

 private:
  std::string graph_data_{kEmptyGraphData};
};

// The page's data block: {"connections":[[from id, to id, "weight", directed], ...]},
// one entry per connection in record order, the ends resolved as the drawing
// resolves them (by label, a later node of a repeated label winning).
// Weights are the shortest text of their single-precision value, so the
// page copies them into the Pajek download unchanged. Ends that name no node
// of the graph fail with "no entry found for key", as the drawing does.
std::string page_graph_data(const GraphStore& graph);

// The viewer page of the graph's drawing (laid out as output_svg would),
// written to `file_name`. Drawing failures are thrown before the file is
// touched; a failed write is returned.
std::optional<Writeable::Error> output_html(GraphStore& graph, std::string_view file_name, LayoutKind layout,
                                            bool override_positions, const GraphStyle& style);

// A placeholder of a page template ("ESCAPE_…") and the text that replaces it.
struct TemplateField {
  std::string_view placeholder;
  std::string_view text;
};

// The template with each placeholder replaced by its text, in one pass.
std::string fill_template(std::string_view page, std::span<const TemplateField> fields);

// Writes `content` whole to `file_name`, replacing an existing file only
// once the new one is complete; a failed write throws FileError.
void write_text_file(std::string_view file_name, std::string_view content);
// The same, with a failed write returned.
std::optional<Writeable::Error> write_whole_file(std::string_view file_name, std::string_view content);

}  // namespace mivora
