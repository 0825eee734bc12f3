#include "formats/graph_records.hpp"

#include "formats/format_parsers.hpp"
#include "graph_core/graph.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace mivora {

std::uint32_t GraphRecords::add_vertex(std::string_view label) {
  const std::size_t count = nodes_into_ != nullptr ? nodes_into_->node_count() : vertices.size();
  if (count >= std::numeric_limits<std::uint32_t>::max() - 1) throw std::length_error("more than 4294967294 vertices");
  if (nodes_into_ != nullptr) return static_cast<NodeId>(nodes_into_->append_distinct_node(label));
  vertices.emplace_back().label.assign(label);
  return static_cast<NodeId>(count);
}

void GraphRecords::reserve(std::size_t vertex_count, std::size_t link_count) {
  vertices.reserve(vertex_count);
  links.reserve(link_count);
}

ChunkInput::Fill fill_from(ByteSource& source) {
  return [&source](char* into, std::size_t capacity) { return source.read(into, capacity); };
}

GraphStore build_graph(GraphRecords&& records, ByteSource& source, const ReadOptions& options, ReadNotes& notes) {
  GraphBuilder builder(PositionUnits::Canvas, options.positions, source.total_size());
  builder.reserve(records.vertices.size(), records.links.size());
  // A coordinate that is not finite (GML's "x nan") cannot be drawn: the
  // file's positions are then all dropped and the layout places every node.
  const bool positions_finite =
      std::all_of(records.vertices.begin(), records.vertices.end(), [](const VertexRecord& vertex) {
        return !vertex.has_position || (std::isfinite(vertex.x) && std::isfinite(vertex.y));
      });
  for (VertexRecord& vertex : records.vertices) {
    const NodeId made = builder.add_vertex(vertex.label);
    if (vertex.has_position && positions_finite) builder.set_position(made, vertex.x, vertex.y);
    std::string().swap(vertex.label);
  }
  for (const LinkRecord& link : records.links) builder.add_link(link.from, link.to, link.weight, link.directed);
  builder.node_attributes() = std::move(records.vertex_attributes);
  builder.link_attributes() = std::move(records.link_attributes);
  records = GraphRecords{};
  return builder.finish(notes);
}

}  // namespace mivora
