#pragma once
// The body the GML, GraphML, GEXF and edge-list fuzz targets share: read
// arbitrary bytes; malformed content must end in a FormatError, nothing
// else. What reads is written back in the same format (unless the format
// cannot hold it: NotWritable) and must read again to the same graph.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>
#include <algorithm>

#include "formats/formats.hpp"
#include "fuzz_common.hpp"

namespace mivora::fuzz {

using Reader = GraphStore (*)(ByteSource&, const ReadOptions&, ReadNotes&);
using Writer = void (*)(const GraphStore&, CheckedWriter&, const WriteOptions&);

// A link as text: labels, the weight's bits (NaN included), the direction.
using LinkText = std::tuple<std::string, std::string, std::uint32_t, bool>;

inline std::vector<LinkText> link_texts(const GraphStore& graph) {
  std::vector<LinkText> links;
  graph.for_each_connection([&](NodeIndex, const NodeRecord& from, const StoredConnection& c, const NodeRecord* to) {
    std::uint32_t bits;
    std::memcpy(&bits, &c.weight, sizeof bits);
    links.emplace_back(from.label.text(), to == nullptr ? std::string("[Removed]") : to->label.text(), bits,
                       c.directed != 0);
  });
  return links;
}

inline std::vector<std::string> labels_of(const GraphStore& graph) {
  std::vector<std::string> labels;
  for (const auto& node : graph.nodes()) labels.push_back(node->label.text());
  return labels;
}

inline bool same_positions(const GraphStore& a, const GraphStore& b) {
  for (NodeIndex i = 0; i < a.node_count(); ++i) {
    const NodeRecord& p = a.node(i);
    const NodeRecord& q = b.node(i);
    if (p.has_position() != q.has_position()) return false;
    if (!p.has_position()) continue;
    const GraphStore::Coordinates s = a.coordinates(i);
    const GraphStore::Coordinates t = b.coordinates(i);
    if (std::memcmp(&s.x, &t.x, sizeof s.x) != 0 && !(s.x != s.x && t.x != t.x)) return false;
    if (std::memcmp(&s.y, &t.y, sizeof s.y) != 0 && !(s.y != s.y && t.y != t.y)) return false;
  }
  return true;
}

// `ordered`: the format keeps node order and positions (not edge lists,
// whose nodes come back in the order the rows name them).
inline int read_write_read(const std::uint8_t* data, std::size_t size, Reader read, Writer write, bool ordered) {
  ReadOptions options;
  options.positions = PositionMode::File;
  ReadNotes notes;
  std::optional<GraphStore> graph;
  try {
    MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    graph.emplace(read(source, options, notes));
  } catch (const FormatError&) {
    return 0;
  }
  WriteOptions layout;
  layout.header = true;  // names the columns: no row can pass for a header or a count line
  std::string text;
  try {
    CheckedWriter out(&text);
    write(*graph, out, layout);
    out.commit();
  } catch (const NotWritable&) {
    return 0;
  }
  std::optional<GraphStore> again;
  try {
    MemorySource source(text);
    again.emplace(read(source, options, notes));
  } catch (const FormatError& error) {
    broken("written text does not read back", error.message() + "\n" + text);
  }
  std::vector<LinkText> before = link_texts(*graph), after = link_texts(*again);
  std::vector<std::string> labels_before = labels_of(*graph), labels_after = labels_of(*again);
  if (!ordered) {
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::sort(labels_before.begin(), labels_before.end());
    labels_before.erase(std::unique(labels_before.begin(), labels_before.end()), labels_before.end());
    std::sort(labels_after.begin(), labels_after.end());
  }
  if (labels_before != labels_after) broken("labels changed on a round trip", text);
  if (before != after) broken("links changed on a round trip", text);
  if (ordered && !same_positions(*graph, *again)) broken("positions changed on a round trip", text);
  return 0;
}

}  // namespace mivora::fuzz
