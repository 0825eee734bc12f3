#pragma once
// What the format printers share: a buffered text output, the walk over the
// links with the one rule for where each leads, and XML escaping.
#include <cstdint>
#include <string>
#include <string_view>

#include "file_writer_core/format_printers.hpp"
#include "graph_core/graph.hpp"

namespace mivora {

class TextOut {
 public:
  explicit TextOut(const TextSink& sink) : sink_(sink) { text_.reserve(kFlushAt + 4096); }
  std::string& text() { return text_; }
  // Hands the text so far to the sink once enough has gathered.
  void maybe_flush() {
    if (text_.size() >= kFlushAt) flush();
  }
  void flush() {
    if (!text_.empty()) sink_(text_);
    text_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1u << 20;
  const TextSink& sink_;
  std::string text_;
};

struct LinkView {
  std::uint32_t from;
  std::uint32_t to;
  Weight weight;
  bool directed;
};

// The position a stored connection leads to: its own target inside the
// graph; for a node of another graph, the first node here carrying that
// node's label. A connection with no such node cannot be written.
std::uint32_t link_target(const _Graph& graph, const _Node& from, const StoredConnection& connection);

// Calls visit(LinkView) for every link in record order.
template <typename Visit>
void for_each_link(const _Graph& graph, Visit&& visit) {
  for (NodeIndex position = 0; position < graph.node_count(); ++position) {
    const _Node& from = graph.node(position);
    for (const StoredConnection& connection : from.connections) {
      visit(LinkView{static_cast<std::uint32_t>(position), link_target(graph, from, connection), connection.weight,
                     connection.directed != 0});
    }
  }
}

// How the links go: all directed, all undirected, or both (no links: undirected).
enum class LinkDirections { Undirected, Directed, Mixed };
LinkDirections link_directions(const _Graph& graph);

bool any_position(const _Graph& graph);

// Text for XML attribute values and element content: & < > " escaped, and
// CR, LF and tab as character references so a parser gives them back.
// Characters XML 1.0 cannot hold make the label unwritable.
void append_xml_escaped(std::string& out, std::string_view text);

void append_uint(std::string& out, std::uint64_t value);

}  // namespace mivora
