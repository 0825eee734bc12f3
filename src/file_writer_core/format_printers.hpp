#pragma once
// Printers of the GML, GraphML, GEXF and edge-list formats. Each walks the
// graph once and hands its text to `sink` in pieces of about a mebibyte, so
// the text of a large graph is never held whole. A graph the format cannot
// hold (a connection to a node of another graph that no node here carries
// the label of, a label a line-based format cannot write) stops the printer
// with an UnwritableGraph before the sink has been given anything that could
// pass for a finished file: the caller discards what it got.
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "graph_core/graph.hpp"

namespace mivora {

class UnwritableGraph : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TextSink = std::function<void(std::string_view)>;

struct EdgeListLayout {
  char delimiter = ',';   // ' ' for runs of blanks (SNAP), '\t', ','
  bool header = true;     // a first row naming the columns; without it no type column
};

void print_gml(const _Graph& graph, const TextSink& sink);
void print_graphml(const _Graph& graph, const TextSink& sink);
void print_gexf(const _Graph& graph, const TextSink& sink);
void print_edgelist(const _Graph& graph, const EdgeListLayout& layout, const TextSink& sink);

}  // namespace mivora
