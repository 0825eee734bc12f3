// The writers on graphs built from fuzz input: a small program of store
// operations (nodes with and without positions, connections by label and
// between nodes, nodes of other graphs and free-standing nodes as targets,
// some of them dropped so their connections read "[Removed]", repeated
// labels as from a matrix), then the SVG drawing with a fuzzed style and
// layout, and the Pajek and JSON texts, read back where they must be.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "text_io/text_scan.hpp"
#include "fuzz_common.hpp"
#include "svg_creation/svg_creation.hpp"

namespace {

using namespace mivora;

constexpr std::size_t kMaxNodes = 48;  // the spring layout is quadratic

std::string take_label(FuzzedDataProvider& in) {
  std::string label = in.ConsumeRandomLengthString(12);
  if (!is_valid_utf8(label)) label = "?";  // labels come from Python text
  return label;
}

GraphStyle take_style(FuzzedDataProvider& in) {
  GraphStyle style;
  if (!in.ConsumeBool()) return style;
  style.node_color = in.ConsumeRandomLengthString(8);
  style.node_radius = in.ConsumeIntegral<std::int32_t>();
  style.marker_width = in.ConsumeIntegral<std::int32_t>();
  style.marker_height = in.ConsumeIntegral<std::int32_t>();
  style.line_min_width = in.ConsumeIntegral<std::int32_t>();
  style.line_max_width = in.ConsumeIntegral<std::int32_t>();
  style.dynamic_line_size = in.ConsumeBool();
  return style;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  GraphStore graph;
  std::vector<GraphStore> others;                  // graphs whose nodes become foreign targets
  std::vector<NodeHandle> loose;  // free-standing nodes, kept alive
  std::vector<NodeHandle> held;   // graph nodes held from outside
  // A node of the graph to change through its own handle: the graph is told,
  // as Node.add_connection tells it.
  auto any_node = [&]() -> NodeHandle {
    const std::size_t n = graph.node_count();
    if (n == 0) return nullptr;
    graph.note_change();
    return graph.nodes()[in.ConsumeIntegralInRange<std::size_t>(0, n - 1)];
  };
  for (int step = 0; step < 256 && in.remaining_bytes() > 0; ++step) {
    const bool room = graph.node_count() < kMaxNodes;
    switch (in.ConsumeIntegralInRange(0, 8)) {
      case 0:
        if (room) graph.add_node(take_label(in));
        break;
      case 1:
        if (room) {
          const std::string label = take_label(in);
          const double x = in.ConsumeFloatingPoint<double>();
          graph.add_node_with_pos(label, x, in.ConsumeFloatingPoint<double>());
        }
        break;
      case 2:
        if (room) graph.append_node_unchecked(take_label(in));
        break;
      case 3: {
        const std::string from = take_label(in);
        const std::string to = take_label(in);
        const bool directed = in.ConsumeBool();
        try {
          graph.create_connection(from, to, directed, in.ConsumeFloatingPoint<float>());
        } catch (const InternalError&) {
        }
        break;
      }
      case 4: {
        auto from = any_node();
        auto to = any_node();
        if (from) from->add_connection(to, in.ConsumeBool(), in.ConsumeFloatingPoint<float>());
        break;
      }
      case 5: {  // a free-standing target, maybe dropped again at once
        auto from = any_node();
        auto target = NodeRecord::make(take_label(in), nullptr);
        if (from) from->add_connection(target, in.ConsumeBool(), in.ConsumeFloatingPoint<float>());
        if (in.ConsumeBool()) loose.push_back(std::move(target));
        break;
      }
      case 6: {  // a node of another graph, which may be dropped later
        if (others.size() < 4) others.emplace_back();
        GraphStore& other = others[in.ConsumeIntegralInRange<std::size_t>(0, others.size() - 1)];
        const NodeIndex position = other.add_node(take_label(in));
        auto from = any_node();
        if (from) from->add_connection(other.nodes()[position], in.ConsumeBool(), in.ConsumeFloatingPoint<float>());
        if (in.ConsumeBool()) held.push_back(other.nodes()[position]);
        break;
      }
      case 7:
        if (!others.empty())
          others.erase(others.begin() + in.ConsumeIntegralInRange<std::size_t>(0, others.size() - 1));
        break;
      case 8:
        if (!loose.empty()) loose.pop_back();
        if (!held.empty() && in.ConsumeBool()) held.pop_back();
        break;
    }
  }

  const auto layout = static_cast<LayoutKind>(in.ConsumeIntegralInRange(0, 2));
  const bool override_positions = in.ConsumeBool();
  const GraphStyle style = take_style(in);
  try {
    const std::string svg = output_svg(graph, layout, override_positions, style);
    if (svg.empty()) fuzz::broken("empty SVG document");
  } catch (const InternalError&) {
    // a node without a position in a graph with stored positions
  }
  try {
    (void)net_file_text(graph);
  } catch (const NotWritable&) {
    // a free-standing target no node of the graph stands for, or a label
    // a Pajek file cannot hold
  }
  (void)json_file_text(graph);
  fuzz::check_net_round_trip(graph);
  fuzz::check_json_round_trip(graph);
  return 0;
}
