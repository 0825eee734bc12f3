// Edge lists: one row per link, `source target weight` (the weight unless
// told not to), separated by the delimiter asked for, labels quoted where
// they would otherwise not read back: a character the reader may take for
// a separator (the delimiter, a comma, semicolon, pipe or tab), a quote, a
// control character, a blank at either end, a leading comment sign or
// byte-order mark, nothing at all. With a header row the columns are named,
// and a `type` column says `directed` or `undirected` for each row whenever
// any link is directed (or a link attribute is named `type`), so the file
// reads back as it was. Unless told, the
// header is written when it is needed to read the file back: for link
// attribute columns, for directed links, and when the first rows would
// otherwise be taken for a header (a word above numbers, as `alice 42`
// above `42 bob`, or ends named like `from to`). A node without links is a
// row of its own label alone. Labels holding a line break cannot be written
// in a line-based format.
//
// With a header, the link attribute columns follow, named in the header: a
// missing value is an empty field, floats keep a point (2.0) so the column
// reads back as floats, bools are true/false, strings are quoted where a
// label would be and where they would read as a number or a bool.
#include <algorithm>
#include <cmath>

#include "formats/attribute_text.hpp"
#include "formats/edgelist_dialect.hpp"
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/text_scan.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/helper_thread.hpp"
#include "text_io/shown_text.hpp"

#include <memory>
#include <span>
#include <vector>

namespace mivora {
namespace {

bool needs_quotes(std::string_view label, char delimiter) {
  if (label.empty()) return true;
  if (label.front() == '#' || label.front() == '%' || label.front() == '"') return true;
  if (label.front() == ' ' || label.back() == ' ' || label.front() == '\t' || label.back() == '\t') return true;
  if (label.starts_with("\xEF\xBB\xBF")) return true;
  for (const char c : label) {
    // Any separator the reader may find in the first rows, not only ours.
    if (c == delimiter || c == '"' || c == ',' || c == ';' || c == '|') return true;
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

void append_label(std::string& out, std::string_view label, char delimiter) {
  if (!needs_quotes(label, delimiter)) {  // a line break needs them (a control character)
    out += label;
    return;
  }
  if (has_line_break(label)) {
    throw NotWritable("the label '" + shown_text(label) + "' holds a line break, which an edge list cannot hold");
  }
  out += '"';
  for (const char c : label) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void append_field_value(std::string& out, const AttributeColumn& column, std::size_t row, char delimiter) {
  std::string value;
  append_attribute_value(value, column, row);
  if (column.type() == AttributeType::Float && std::isfinite(column.float_at(row)) &&
      value.find_first_of(".eE") == std::string::npos) {
    value += ".0";
  }
  if (has_line_break(value)) {
    throw NotWritable("the value '" + value + "' holds a line break, which an edge list cannot hold");
  }
  if (column.type() == AttributeType::String) {
    // Quoted when it would read as a number or a bool: quotes keep the column text.
    double number;
    if (parse_float(value, number) == FloatParse::Ok || equals_ignoring_case(value, "true") ||
        equals_ignoring_case(value, "false")) {
      out += '"';
      out += value;
      out += '"';
    } else {
      append_label(out, value, delimiter);
    }
  } else {
    out += value;
  }
}

// Every node's label as written (quoted where needed), one after another:
// rows copy them from here instead of reaching for each link's nodes, which
// lie far apart in memory, and each label is checked and quoted once. A
// label that cannot be written is refused when its first row comes, as
// before.
// Aligned to lines of its own: a helper thread reads it while this one writes
// the locals beside it.
class alignas(64) WrittenLabels {
 public:
  WrittenLabels(const GraphStore& graph, char delimiter) : graph_(graph), delimiter_(delimiter) {
    starts_.reserve(graph.node_count() + 1);
    for (NodeIndex position = 0; position < graph.node_count(); ++position) {
      starts_.push_back(text_.size());
      const std::string_view label = graph.node(position).label;
      if (!has_line_break(label)) append_label(text_, label, delimiter);
    }
    starts_.push_back(text_.size());
  }
  // Two steps, at two distances: the start of a label, then its text.
  void prefetch_start(std::uint32_t position) const { __builtin_prefetch(&starts_[position]); }
  void prefetch_text(std::uint32_t position) const { __builtin_prefetch(text_.data() + starts_[position]); }
  std::string_view of(std::uint32_t position) const {
    const std::uint64_t start = starts_[position], end = starts_[position + 1];
    if (start == end) {  // only an unwritable label is written as nothing
      std::string refused;
      append_label(refused, graph_.node(position).label, delimiter_);
    }
    return std::string_view(text_).substr(start, end - start);
  }

 private:
  const GraphStore& graph_;
  char delimiter_;
  std::string text_;
  std::vector<std::uint64_t> starts_;  // node_count + 1 entries
};

// What a row holds besides its link. Passed by value, so that a helper
// thread formatting rows reads its own copy, not a stack line this thread
// writes to.
struct RowLayout {
  const WrittenLabels* labels;
  const WrittenColumns* columns;
  char delimiter;
  bool weights;
  bool type_column;     // `directed` or `undirected`
  bool write_columns;   // the link attribute columns
};

// Appends a row for each link to `rows`; touches nothing else, so that a
// helper thread may run it too.
void format_rows(const RowLayout layout, std::span<const LinkView> links, std::string& rows) {
  const WrittenLabels& labels = *layout.labels;
  const char d = layout.delimiter;
  constexpr std::size_t kAhead = 8;
  for (std::size_t i = 0; i < links.size(); ++i) {
    // The labels of the rows a few ahead are asked for early, whichever node they start from.
    if (i + 2 * kAhead < links.size()) labels.prefetch_start(links[i + 2 * kAhead].to);
    if (i + kAhead < links.size()) labels.prefetch_text(links[i + kAhead].to);
    const LinkView& link = links[i];
    rows += labels.of(link.from);
    rows += d;
    rows += labels.of(link.to);
    if (layout.weights) {
      rows += d;
      append_shortest(rows, link.weight);
    }
    if (layout.type_column) {
      rows += d;
      rows += link.directed ? "directed" : "undirected";
    }
    if (layout.write_columns) {
      const std::optional<std::size_t> row = layout.columns->link_row(link);
      for (const NamedColumns::Entry& entry : layout.columns->links()) {
        rows += d;
        if (row && entry.column.has_value(*row))
          append_field_value(rows, entry.column, *row, d);
        else if (d == ' ' || d == '\t')
          rows += "\"\"";  // an empty field would vanish in a run of blanks; this one reads as missing
      }
    }
    rows += '\n';
  }
}

// The first rows as the reader will split them (labels unquoted), up to the
// number of rows it looks at to settle the layout of a file.
std::vector<std::vector<std::string>> first_rows(const GraphStore& graph, bool weights) {
  constexpr std::size_t kRows = 16;
  std::vector<std::vector<std::string>> rows;
  std::vector<bool> linked;
  for (NodeIndex position = 0; position < graph.node_count() && rows.size() < kRows; ++position) {
    for (const StoredConnection& connection : graph.node(position).connections) {
      if (rows.size() == kRows) break;
      const std::optional<NodeIndex> target = written_target(graph, graph.node(position), connection);
      if (!target) continue;
      std::vector<std::string>& row = rows.emplace_back();
      row.emplace_back(graph.node(position).label);
      row.emplace_back(graph.node(*target).label);
      if (weights) append_shortest(row.emplace_back(), connection.weight);
      if (linked.size() < graph.node_count()) linked.resize(graph.node_count(), false);
      linked[position] = linked[*target] = true;
    }
  }
  for (NodeIndex position = 0; position < graph.node_count() && rows.size() < kRows; ++position) {
    if (position >= linked.size() || !linked[position]) rows.push_back({graph.node(position).label.text()});
  }
  return rows;
}

}  // namespace

void write_edgelist(const GraphStore& graph, CheckedWriter& out, const WriteOptions& layout) {
  std::string& text = out.text();
  const char d = layout.delimiter;
  const WrittenColumns columns(graph);
  const bool directed = link_directions(graph) != LinkDirections::Undirected;
  const bool header = layout.header.value_or(!graph.attributes().connections().empty() || directed ||
                                             reads_as_header(first_rows(graph, layout.weights)));
  // The first link attribute column the reader would take for one of its
  // own columns (by `names`), if any.
  const auto column_named = [&](bool (*names)(std::string_view)) -> const NamedColumns::Entry* {
    const auto found = std::find_if(columns.links().begin(), columns.links().end(),
                                    [&](const NamedColumns::Entry& entry) { return names(entry.name); });
    return found == columns.links().end() ? nullptr : &*found;
  };
  // An attribute column named `type` would be read back as the links'
  // directions: our own `type` column, first, keeps it an attribute.
  const bool type_column = header && (directed || column_named(names_type_column) != nullptr);
  const bool write_columns = header && !columns.links().empty();
  // Without our weight column, one named like it would be read back as the
  // weights, and the attribute lost: refused, as the file would not read back.
  if (write_columns && !layout.weights) {
    if (const NamedColumns::Entry* named_weight = column_named(names_weight_column)) {
      throw NotWritable("the link attribute '" + shown_text(named_weight->name) +
                        "' would be read back as the weights: write the weights too or rename it");
    }
  }
  if (header) {
    text += "source";
    text += d;
    text += "target";
    if (layout.weights) {
      text += d;
      text += "weight";
    }
    if (type_column) {
      text += d;
      text += "type";
    }
    if (write_columns) {
      for (const NamedColumns::Entry& entry : columns.links()) {
        text += d;
        append_label(text, entry.name, d);
      }
    }
    text += '\n';
  }
  const WrittenLabels labels(graph, d);
  const RowLayout row_layout{&labels, &columns, d, layout.weights, type_column, write_columns};
  // The links are gathered in blocks, in record order (as for_each_link
  // gives them). With many links, a helper thread formats every other block
  // while this one formats the block after it, and the two go to the file
  // in order (formatting the rows is most of a write). The helper is
  // declared after what its jobs use, so that an exception waits for its
  // job before those go.
  constexpr std::size_t kBlock = std::size_t{1} << 15;
  std::vector<LinkView> block, handed;  // `handed`: the helper's block
  std::string helper_rows, own_rows;
  block.reserve(kBlock);
  const std::unique_ptr<HelperThread> helper =
      graph.get_edge_count() >= 4 * kBlock ? HelperThread::start() : nullptr;
  const auto write_block = [&] {
    if (helper && !helper->busy() && block.size() == kBlock) {
      std::swap(block, handed);
      block.clear();
      helper->run([&] {
        // Formatted into a string on the helper's own stack: one beside this
        // thread's strings would share a cache line with them at every append.
        std::string rows = std::move(helper_rows);
        rows.clear();
        format_rows(row_layout, handed, rows);
        helper_rows = std::move(rows);
      });
      return;
    }
    if (helper && helper->busy()) {
      own_rows.clear();
      try {
        format_rows(row_layout, block, own_rows);
      } catch (...) {
        helper->wait();  // an error in the helper's block, earlier in the file, comes first
        throw;
      }
      helper->wait();
      out.write(helper_rows);
      out.write(own_rows);
    } else {
      format_rows(row_layout, block, text);
      out.flush_if_full();
    }
    poll_cancellation(static_cast<std::uint32_t>(block.size()));
    block.clear();
  };
  std::vector<bool> linked(graph.node_count(), false);
  for_each_link(graph, [&](const LinkView& link) {
    linked[link.from] = linked[link.to] = true;
    block.push_back(link);
    if (block.size() == kBlock) write_block();
  });
  write_block();
  // A row of one label: quoted when it holds a blank too, so that the
  // reader sees one id and not a row its separator fails to split.
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    if (linked[position]) continue;
    const std::string_view label = graph.node(position).label;
    if (label.find(' ') != std::string_view::npos)
      append_label(text, label, ' ');
    else
      text += labels.of(static_cast<std::uint32_t>(position));
    text += '\n';
    out.flush_if_full();
  }
}

}  // namespace mivora
