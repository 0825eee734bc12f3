#include "formats/graph_records.hpp"

#include "formats/format_parsers.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "graph_core/label_index.hpp"
#include "text_io/number_text.hpp"

namespace mivora {
namespace {}  // namespace

void VertexIds::grow_direct(std::uint64_t number) {
  std::size_t size = std::max<std::size_t>(1024, direct_.size() * 2);
  while (size <= number) size *= 2;
  direct_.resize(size, kNoNode);
}

bool VertexIds::same_id(const Slot& slot, std::string_view id) const {
  if (slot.length != id.size()) return false;
  if (id.size() <= kInline) {
    for (std::size_t i = 0; i < id.size(); ++i) {
      if (slot.key.bytes[i] != id[i]) return false;
    }
    return true;
  }
  return std::memcmp(arena_.data() + slot.key.offset, id.data(), id.size()) == 0;
}

std::size_t VertexIds::probe(std::string_view id, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (true) {
    const Slot& slot = slots_[at];
    if (slot.vertex == kNoNode) return at;
    if (slot.hash == hash && same_id(slot, id)) return at;
    at = (at + 1) & mask;
  }
}

void VertexIds::rehash(std::size_t capacity) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  const std::size_t mask = capacity - 1;
  for (const Slot& slot : old) {
    if (slot.vertex == kNoNode) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].vertex != kNoNode) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

std::uint32_t VertexIds::insert_hashed(std::string_view id, std::uint64_t hash, std::uint32_t vertex) {
  if ((used_ + 1) * 4 > slots_.size() * 3) {
    rehash(slots_.empty() ? 1024 : slots_.size() * 2);
  }
  const std::size_t at = probe(id, hash);
  Slot& slot = slots_[at];
  if (id.size() > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("a vertex id longer than 4 GiB");
  slot.hash = hash;
  slot.length = static_cast<std::uint32_t>(id.size());
  slot.vertex = vertex;
  if (id.size() <= kInline) {
    std::memcpy(slot.key.bytes, id.data(), id.size());
  } else {
    slot.key.offset = arena_.size();
    arena_.append(id);
  }
  ++used_;
  return vertex;
}

std::uint64_t VertexIds::hash_id(std::string_view id) { return hash_label(id); }

std::uint32_t VertexIds::find_hashed(std::string_view id, std::uint64_t hash) const {
  if (slots_.empty()) return kNoNode;
  return slots_[probe(id, hash)].vertex;
}

std::uint32_t VertexIds::find(std::string_view id) const {
  std::uint64_t number;
  if (plain_number(id, number) && number < kDirectLimit) {
    return number < direct_.size() ? direct_[number] : kNoNode;
  }
  return find_hashed(id, hash_label(id));
}

void VertexIds::reserve(std::size_t count) {
  std::size_t capacity = 1024;
  while (capacity * 3 < count * 4) capacity *= 2;
  if (capacity > slots_.size()) rehash(capacity);
}

std::uint32_t GraphRecords::add_vertex(std::string label) {
  if (vertices.size() >= std::numeric_limits<std::uint32_t>::max() - 1) {
    throw std::length_error("more than 4294967294 vertices");
  }
  vertices.push_back(VertexRecord{std::move(label)});
  return static_cast<NodeId>(vertices.size() - 1);
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
  // Links are already resolved to vertex numbers: the builder's own ids
  // are only needed to be distinct, and the numbers are.
  std::string id;
  // A coordinate that is not finite (GML's "x nan") cannot be drawn: the
  // file's positions are then all dropped and the layout places every node.
  const bool positions_finite =
      std::all_of(records.vertices.begin(), records.vertices.end(), [](const VertexRecord& vertex) {
        return !vertex.has_position || (std::isfinite(vertex.x) && std::isfinite(vertex.y));
      });
  for (std::size_t v = 0; v < records.vertices.size(); ++v) {
    VertexRecord& vertex = records.vertices[v];
    id.clear();
    append_integer(id, v);
    const std::uint32_t made = builder.add_vertex(id, std::string_view(vertex.label));
    if (vertex.has_position && positions_finite) builder.set_position(made, vertex.x, vertex.y);
    std::string().swap(vertex.label);
  }
  for (const LinkRecord& link : records.links) builder.add_link(link.from, link.to, link.weight, link.directed);
  records = GraphRecords{};
  return builder.finish(notes);
}

}  // namespace mivora
