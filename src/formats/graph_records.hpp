#pragma once
// What the GML, GraphML, GEXF and edge-list readers collect before the graph
// is built: vertices in file order (label, optional position) and links by
// vertex number. Vertices are found by the id the file gives them; an id
// seen for the first time makes a vertex labelled with the id itself.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "formats/attribute_records.hpp"
#include "formats/vertex_ids.hpp"
#include "graph_core/types.hpp"

namespace mivora {

class GraphStore;

struct VertexRecord {
  std::string label;
  double x = 0.0;
  double y = 0.0;
  bool has_position = false;
};

struct LinkRecord {
  std::uint32_t from;
  std::uint32_t to;
  float weight;
  bool directed;
};

class GraphRecords {
 public:
  // The vertex a link or a declaration names by `id`; new ids become
  // vertices labelled with the id.
  std::uint32_t vertex(std::string_view id) {
    return ids_.find_or_add(id, [&] { return add_vertex(id); });
  }
  // A vertex the file declares (a node element, not a link end): the vertex
  // links already named by this id if it has not been declared yet, else a
  // new one. A file that declares an id twice gets two vertices; links keep
  // naming the first.
  std::uint32_t declare(std::string_view id) {
    std::uint32_t v = ids_.find(id);
    if (v == kNoNode)
      v = vertex(id);
    else if (v < declared_.size() && declared_[v])
      v = add_vertex(id);
    if (declared_.size() <= v) declared_.resize(v + 1, false);
    declared_[v] = true;
    return v;
  }
  bool is_declared(std::uint32_t v) const { return v < declared_.size() && declared_[v]; }
  std::uint32_t find(std::string_view id) const { return ids_.find(id); }
  VertexIds::Lookup prepare(std::string_view id) const { return ids_.prepare(id); }
  std::uint32_t vertex(std::string_view id, const VertexIds::Lookup& lookup) {
    return ids_.find_or_add(id, lookup, [&] { return add_vertex(id); });
  }
  std::uint32_t add_vertex(std::string_view label);
  // From now on each new vertex is made a node of `graph` at once, numbered
  // by its position there, instead of a record in `vertices`: for a reader
  // whose ids are the labels and that says nothing more of a vertex (an edge
  // list without attributes). Called with `graph` empty, before any vertex
  // is made; declare() must not be used after it (its ids would repeat).
  void make_nodes_in(GraphStore& graph) { nodes_into_ = &graph; }
  void link(std::uint32_t from, std::uint32_t to, float weight, bool directed) {
    links.push_back(LinkRecord{from, to, weight, directed});
  }
  void reserve(std::size_t vertex_count, std::size_t link_count);

  std::vector<VertexRecord> vertices;
  std::vector<LinkRecord> links;
  // Attribute columns by vertex number and by link number (file order).
  AttributeRecords vertex_attributes;
  AttributeRecords link_attributes;

 private:
  VertexIds ids_;
  std::vector<bool> declared_;  // by vertex: declared by the file itself
  GraphStore* nodes_into_ = nullptr;  // see make_nodes_in()
};

// Links named by ids, queued so that the lookups of a batch overlap their
// cache misses; resolved in order, so vertices appear in file order. A
// reader that declares vertices flushes the queue first.
class LinkQueue {
 public:
  explicit LinkQueue(GraphRecords& records) : records_(records) {}
  void add(std::string_view from, std::string_view to, float weight, bool directed) {
    Pending& p = pending_[size_++];
    p.from.assign(from);
    p.to.assign(to);
    p.from_lookup = records_.prepare(p.from);
    p.to_lookup = records_.prepare(p.to);
    p.weight = weight;
    p.directed = directed;
    if (size_ == kBatch) flush();
  }
  // The weight of the link queued last (GEXF gives it after the edge starts).
  float* last_weight() { return size_ == 0 ? &records_.links.back().weight : &pending_[size_ - 1].weight; }
  void flush() {
    for (std::size_t i = 0; i < size_; ++i) {
      const Pending& p = pending_[i];
      const std::uint32_t from = records_.vertex(p.from, p.from_lookup);
      const std::uint32_t to = records_.vertex(p.to, p.to_lookup);
      records_.link(from, to, p.weight, p.directed);
    }
    size_ = 0;
  }

 private:
  static constexpr std::size_t kBatch = 16;
  struct Pending {
    std::string from, to;
    VertexIds::Lookup from_lookup{}, to_lookup{};
    float weight = 1.0f;
    bool directed = false;
  };
  GraphRecords& records_;
  std::array<Pending, kBatch> pending_;
  std::size_t size_ = 0;
};

}  // namespace mivora
