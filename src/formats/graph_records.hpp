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
#include "graph_core/types.hpp"

namespace mivora {

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

// File ids to vertex numbers. Plain decimal ids (no sign, no leading zero,
// at most nine digits) go through a direct table: edge lists of numbered
// vertices never hash. Every other id is hashed (open addressing over an
// arena that keeps each id's bytes once).
class VertexIds {
 public:
  std::uint32_t find(std::string_view id) const;

  // A lookup prepared ahead: its hash (or number) worked out and its slot
  // on the way into the cache, so a batch of lookups overlaps their misses.
  struct Lookup {
    std::uint64_t key;
    bool direct;
  };
  Lookup prepare(std::string_view id) const {
    std::uint64_t number;
    if (plain_number(id, number) && number < kDirectLimit) {
      if (number < direct_.size()) __builtin_prefetch(&direct_[number]);
      return {number, true};
    }
    const std::uint64_t hash = hash_id(id);
    if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    return {hash, false};
  }

  // The vertex of `id`, made by `make()` (which returns its number) when new.
  template <typename Make>
  std::uint32_t find_or_add(std::string_view id, Make&& make) {
    return find_or_add(id, prepare(id), make);
  }
  template <typename Make>
  std::uint32_t find_or_add(std::string_view id, const Lookup& lookup, Make&& make) {
    if (lookup.direct) {
      if (lookup.key >= direct_.size()) grow_direct(lookup.key);
      std::uint32_t& slot = direct_[lookup.key];
      if (slot == kNoNode) slot = make();
      return slot;
    }
    const std::uint32_t found = find_hashed(id, lookup.key);
    if (found != kNoNode) return found;
    return insert_hashed(id, lookup.key, make());
  }
  void reserve(std::size_t count);

 private:
  static constexpr std::uint64_t kDirectLimit = 1'000'000'000;
  // Ids of up to eight bytes live in the slot itself: a lookup then touches
  // one cache line, not two.
  static constexpr std::size_t kInline = 8;
  struct Slot {
    std::uint64_t hash = 0;
    std::uint32_t vertex = kNoNode;
    std::uint32_t length = 0;
    union {
      char bytes[kInline];
      std::uint64_t offset;  // into arena_, for longer ids
    } key{};
  };
  bool same_id(const Slot& slot, std::string_view id) const;

  static bool plain_number(std::string_view id, std::uint64_t& number) {
    if (id.empty() || id.size() > 9 || (id[0] == '0' && id.size() > 1)) return false;
    std::uint64_t value = 0;
    for (const char c : id) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    number = value;
    return true;
  }
  void grow_direct(std::uint64_t number);
  static std::uint64_t hash_id(std::string_view id);
  std::uint32_t find_hashed(std::string_view id, std::uint64_t hash) const;
  std::uint32_t insert_hashed(std::string_view id, std::uint64_t hash, std::uint32_t vertex);
  void rehash(std::size_t capacity);
  std::size_t probe(std::string_view id, std::uint64_t hash) const;

  std::vector<std::uint32_t> direct_;
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::string arena_;
};

class GraphRecords {
 public:
  // The vertex a link or a declaration names by `id`; new ids become
  // vertices labelled with the id.
  std::uint32_t vertex(std::string_view id) {
    return ids_.find_or_add(id, [&] { return add_vertex(std::string(id)); });
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
      v = add_vertex(std::string(id));
    if (declared_.size() <= v) declared_.resize(v + 1, false);
    declared_[v] = true;
    return v;
  }
  bool is_declared(std::uint32_t v) const { return v < declared_.size() && declared_[v]; }
  std::uint32_t find(std::string_view id) const { return ids_.find(id); }
  VertexIds::Lookup prepare(std::string_view id) const { return ids_.prepare(id); }
  std::uint32_t vertex(std::string_view id, const VertexIds::Lookup& lookup) {
    return ids_.find_or_add(id, lookup, [&] { return add_vertex(std::string(id)); });
  }
  std::uint32_t add_vertex(std::string label);
  void link(std::uint32_t from, std::uint32_t to, float weight, bool directed) {
    links.push_back(LinkRecord{from, to, weight, directed});
  }
  void reserve(std::size_t vertex_count, std::size_t link_count);

  std::vector<VertexRecord> vertices;
  std::vector<LinkRecord> links;

 private:
  VertexIds ids_;
  std::vector<bool> declared_;  // by vertex: declared by the file itself
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
