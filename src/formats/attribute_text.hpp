#pragma once
// What the writers share to write attribute columns: the columns of a graph
// with the row of each link, and a value's text in the spellings the
// formats read back (numbers through number_text, bools as true/false).
#include <optional>
#include <string>
#include <vector>

#include "formats/format_text.hpp"
#include "graph_core/graph.hpp"
#include "text_io/number_text.hpp"

namespace mivora {

class WrittenColumns {
 public:
  explicit WrittenColumns(const GraphStore& graph)
      : graph_(graph), nodes_(graph.attributes().nodes().entries()),
        links_(graph.attributes().connections().entries()) {}

  const std::vector<NamedColumns::Entry>& nodes() const { return nodes_; }
  const std::vector<NamedColumns::Entry>& links() const { return links_; }
  bool empty() const { return nodes_.empty() && links_.empty(); }
  // The row of a link in the link columns, if it has one.
  std::optional<std::size_t> link_row(const LinkView& link) const {
    if (links_.empty()) return std::nullopt;
    return graph_.attributes().connection_rows().find(link.from, link.slot);
  }

 private:
  const GraphStore& graph_;
  const std::vector<NamedColumns::Entry>& nodes_;
  const std::vector<NamedColumns::Entry>& links_;
};

// The value of `row` (which holds one) as text: floats shortest ("NaN",
// "inf", "-inf" for the specials), integers in decimal, bools as
// true/false, strings as they are (the caller escapes).
void append_attribute_value(std::string& out, const AttributeColumn& column, std::size_t row);
// The GraphML/GEXF type name of a column: double, long, boolean, string.
const char* xml_type_name(AttributeType type);

}  // namespace mivora
