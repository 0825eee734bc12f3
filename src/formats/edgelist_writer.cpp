// Edge lists: one row per link, `source target weight` (the weight unless
// told not to), separated by the delimiter asked for, labels quoted where
// they would otherwise not read back (a separator, a blank, a quote, a
// leading comment sign, nothing at all). With a header row the columns are
// named, and a `type` column says `directed` or `undirected` for each row
// whenever any link is directed, so the file reads back as it was. A node
// without links is a row of its own label alone. Labels holding a line
// break cannot be written in a line-based format.
#include "formats/format_text.hpp"
#include "text_io/number_text.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/shown_text.hpp"

#include <vector>

namespace mivora {
namespace {

bool has_line_break(std::string_view label) { return label.find_first_of("\n\r") != std::string_view::npos; }

bool needs_quotes(std::string_view label, char delimiter) {
  if (label.empty()) return true;
  if (label.front() == '#' || label.front() == '%' || label.front() == '"') return true;
  if (label.front() == ' ' || label.back() == ' ' || label.front() == '\t' || label.back() == '\t') return true;
  for (const char c : label) {
    if (c == delimiter || c == '"') return true;
    if (delimiter == ' ' && c == '\t') return true;
  }
  return false;
}

void append_label(std::string& out, std::string_view label, char delimiter) {
  if (has_line_break(label)) {
    throw NotWritable("the label '" + shown_text(label) + "' holds a line break, which an edge list cannot hold");
  }
  if (!needs_quotes(label, delimiter)) {
    out += label;
    return;
  }
  out += '"';
  for (const char c : label) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// Every node's label as written (quoted where needed), one after another:
// rows copy them from here instead of reaching for each link's nodes, which
// lie far apart in memory, and each label is checked and quoted once. A
// label that cannot be written is refused when its first row comes, as
// before.
class WrittenLabels {
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

}  // namespace

void write_edgelist(const GraphStore& graph, CheckedWriter& out, const WriteOptions& layout) {
  std::string& text = out.text();
  const char d = layout.delimiter;
  const bool type_column = layout.header && link_directions(graph) != LinkDirections::Undirected;
  if (layout.header) {
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
    text += '\n';
  }
  const WrittenLabels labels(graph, d);
  std::vector<bool> linked(graph.node_count(), false);
  std::size_t count = 0;
  constexpr std::size_t kAhead = 8;
  auto write_row = [&](const LinkView& link) {
    linked[link.from] = linked[link.to] = true;
    text += labels.of(link.from);
    text += d;
    text += labels.of(link.to);
    if (layout.weights) {
      text += d;
      append_shortest(text, link.weight);
    }
    if (type_column) {
      text += d;
      text += link.directed ? "directed" : "undirected";
    }
    text += '\n';
    if ((++count & 1023) == 0) {
      out.flush_if_full();
      poll_cancellation(1024);
    }
  };
  // The links are gathered in batches (in record order, as for_each_link
  // gives them), so that the labels of the rows a few ahead can be asked for
  // early whichever node they start from.
  constexpr std::size_t kBatch = 4096;
  std::vector<LinkView> batch;
  batch.reserve(kBatch);
  auto write_batch = [&] {
    for (std::size_t i = 0; i < batch.size(); ++i) {
      if (i + 2 * kAhead < batch.size()) labels.prefetch_start(batch[i + 2 * kAhead].to);
      if (i + kAhead < batch.size()) labels.prefetch_text(batch[i + kAhead].to);
      write_row(batch[i]);
    }
    batch.clear();
  };
  for_each_link(graph, [&](const LinkView& link) {
    batch.push_back(link);
    if (batch.size() == kBatch) write_batch();
  });
  write_batch();
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    if (linked[position]) continue;
    text += labels.of(static_cast<std::uint32_t>(position));
    text += '\n';
    out.flush_if_full();
  }
}

}  // namespace mivora
