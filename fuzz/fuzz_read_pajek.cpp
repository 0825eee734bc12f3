// The full Pajek reader (Graph.read) on arbitrary bytes: malformed content
// ends in a FormatError, never anything else; whatever reads is written as a
// standard Pajek file and must read back to the same labels and connections.
#include <algorithm>
#include <vector>

#include "formats/formats.hpp"
#include "fuzz_common.hpp"

namespace {

using namespace mivora;

GraphStore read_text(std::string_view text) {
  MemorySource source(text);
  ReadNotes notes;
  return read_pajek(source, ReadOptions{}, notes);
}

// The connections as sorted text: the writer puts arcs before edges, so a
// node's mix of the two comes back grouped by kind.
std::string connections_text(const GraphStore& graph) {
  std::vector<std::string> lines;
  graph.for_each_connection([&](NodeIndex from, const NodeRecord&, const StoredConnection& c, const NodeRecord*) {
    const float weight = c.weight;
    lines.push_back(std::to_string(from) + (c.directed ? ">" : "-") + std::to_string(c.target) + ":" +
                    (weight != weight ? std::string("NaN") : std::to_string(weight)));
  });
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mivora::fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // "*Vertices n" declares n vertices whether listed or not: a count of six
  // digits or more would spend the run building one big graph.
  std::size_t digits = 0;
  for (std::size_t i = 0; i < size; ++i) {
    digits = data[i] >= '0' && data[i] <= '9' ? digits + 1 : 0;
    if (digits >= 6) return 0;
  }
  std::optional<GraphStore> graph;
  try {
    graph = read_text(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const FormatError&) {
    return 0;
  }
  std::string text;
  try {
    CheckedWriter out(&text);
    write_pajek(*graph, out, WriteOptions{});
  } catch (const NotWritable&) {
    return 0;  // a label Pajek cannot hold
  }
  GraphStore again = [&] {
    try {
      return read_text(text);
    } catch (const FormatError& error) {
      mivora::fuzz::broken("written Pajek file does not read back", std::string(error.what()) + "\n" + text);
    }
  }();
  if (again.node_count() != graph->node_count()) mivora::fuzz::broken("node count changed", text);
  for (NodeIndex i = 0; i < graph->node_count(); ++i) {
    if (again.node(i).label != graph->node(i).label) mivora::fuzz::broken("label changed", text);
  }
  if (connections_text(again) != connections_text(*graph)) mivora::fuzz::broken("connections changed", text);
  return 0;
}
