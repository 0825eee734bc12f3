#pragma once
// Helpers shared by the fuzz targets.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/file_reader.hpp"
#include "formats/formats.hpp"
#include "formats/file_writer.hpp"
#include "graph_core/internal_error.hpp"

namespace mivora::fuzz {

// The store reports refused duplicate labels on standard output; thousands
// of executions a second would drown the terminal.
inline void silence_stdout() {
  const int null = ::open("/dev/null", O_WRONLY);
  if (null >= 0) {
    ::dup2(null, STDOUT_FILENO);
    ::close(null);
  }
}

[[noreturn]] inline void broken(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "invariant broken: %s\n%.*s\n", what, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

// Every weight finite: only then can the JSON file hold the graph (non-finite
// numbers are written as null, which the reader refuses as a weight).
inline bool finite_weights(const GraphStore& graph) {
  bool finite = true;
  graph.for_each_connection([&](NodeIndex, const NodeRecord&, const StoredConnection& c, const NodeRecord*) {
    if (!(c.weight - c.weight == 0.0f)) finite = false;
  });
  return finite;
}

// A graph's Pajek text reads back to a graph that writes the same text, up to
// the coordinates (the unit-square mapping rounds) - as long as no label
// holds a '*', which the reader takes for a section header.
// Labels must also be unique and hold no line feed, and every connection
// must stay inside the graph (a foreign target is written with its id in its
// own graph).
inline void check_net_round_trip(const GraphStore& graph) {
  if (graph.has_duplicate_labels()) return;
  for (const auto& node : graph.nodes()) {
    if (node->label.view().find_first_of("*\n") != std::string::npos) return;
    for (const StoredConnection& connection : node->connections) {
      if (!connection.is_local()) return;
    }
  }
  std::string text;
  try {
    text = net_file_text(graph);
  } catch (const NotWritable&) {
    return;  // a label with a line break or a section word
  }
  ReadResult again;
  try {
    again = read_net_text(text);
  } catch (const InternalError& error) {
    broken("written Pajek text does not read back", std::string(error.what()) + "\n" + text);
  }
  if (!again.graph) broken("written Pajek text does not read back", again.error.description);
  // Compare without the coordinates: cut each vertex line after its label.
  auto strip = [](const std::string& in) {
    std::string out;
    std::size_t start = 0;
    bool vertices = true;
    while (start < in.size()) {
      std::size_t end = in.find('\n', start);
      if (end == std::string::npos) end = in.size();
      std::string_view line(in.data() + start, end - start);
      if (line == "*Edges" || line == "*Arcs") vertices = false;
      if (vertices && !line.empty() && line.back() != '"' && line.rfind('"') != std::string_view::npos) {
        line = line.substr(0, line.rfind('"') + 1);
      }
      out.append(line);
      out += '\n';
      start = end + 1;
    }
    return out;
  };
  const std::string second = net_file_text(*again.graph);
  if (strip(second) != strip(text)) broken("Pajek text changed on a round trip", text + "\n----\n" + second);
}

// The JSON document of a graph reads back when its weights are finite and
// every target it names is a node of the graph (a foreign target is written
// under its own label); after one round, writing and reading again changes
// nothing.
inline void check_json_round_trip(const GraphStore& graph) {
  if (!finite_weights(graph)) return;
  bool targets_known = true;
  graph.for_each_connection([&](NodeIndex, const NodeRecord&, const StoredConnection& c, const NodeRecord* target) {
    if (target != nullptr && !c.is_local() && !graph.find_by_label(target->label)) targets_known = false;
  });
  if (!targets_known) return;
  std::string text = json_file_text(graph);
  for (int round = 0; round < 2; ++round) {
    ReadResult again;
    try {
      again = read_json_text(text);
    } catch (const InternalError& error) {
      broken("written JSON does not read back", std::string(error.what()) + "\n" + text);
    }
    if (!again.graph) broken("written JSON does not read back", again.error.description + "\n" + text);
    std::string next = json_file_text(*again.graph);
    if (round == 1 && next != text) broken("JSON changed on a round trip", text + "\n----\n" + next);
    text = std::move(next);
  }
}

// One reader target: read the bytes with `read`; faults in the content end
// in an InternalError with its fixed text, which is fine; whatever reads is
// written back in both formats and must read again the same.
template <typename Read>
int read_and_round_trip(Read&& read) {
  ReadResult result;
  try {
    result = read();
  } catch (const InternalError&) {
    return 0;
  }
  if (!result.graph) return 0;
  check_net_round_trip(*result.graph);
  check_json_round_trip(*result.graph);
  return 0;
}

}  // namespace mivora::fuzz
