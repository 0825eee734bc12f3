#include "measures/graph_views.hpp"

namespace mivora {

// Each view is built aside and only then kept, so that a view handed out
// earlier stays where it is while another is built.
const LinkList& GraphViews::links() {
  if (!has_links_) {
    LinkList links = take_link_list(graph_, OutsideTargets::Skip);
    if (!has_links_) static_cast<LinkList&>(snapshot_) = std::move(links);
    has_links_ = true;
  }
  return snapshot_;
}

const AdjacencyRows& GraphViews::out() {
  if (!has_out_) {
    AdjacencyRows rows = out_rows(links());
    if (!has_out_) snapshot_.out = std::move(rows);
    has_out_ = true;
  }
  return snapshot_.out;
}

const AdjacencyRows& GraphViews::in() {
  if (!has_in_) {
    AdjacencyRows rows = in_rows(links());
    if (!has_in_) snapshot_.in = std::move(rows);
    has_in_ = true;
  }
  return snapshot_.in;
}

const Snapshot& GraphViews::snapshot() {
  out();
  in();
  return snapshot_;
}

const MeasuredNodes& GraphViews::nodes() {
  if (!nodes_) {
    links();
    MeasuredNodes built = measured_nodes(snapshot_);
    if (!nodes_) nodes_.emplace(std::move(built));
  }
  return *nodes_;
}

const SimpleRows& GraphViews::simple() {
  if (!simple_) {
    SimpleRows built = simple_undirected_rows(links());
    if (!simple_) simple_.emplace(std::move(built));
  }
  return *simple_;
}

const LinkRows& GraphViews::link_rows() {
  if (!link_rows_) {
    LinkRows built = link_rows_of(links());
    if (!link_rows_) link_rows_.emplace(std::move(built));
  }
  return *link_rows_;
}

const std::vector<DegreeRecord>* GraphViews::degrees() {
  if (!degrees_) {
    for (NodeIndex position = 0; position < graph_.node_count(); ++position) {
      if (graph_.node(position).has_outside_handles) return nullptr;
    }
    std::vector<DegreeRecord> built = compute_all_degrees(graph_);
    if (!degrees_) degrees_.emplace(std::move(built));
  }
  return &*degrees_;
}

namespace {

template <typename T, typename Allocator>
std::size_t bytes_of(const std::vector<T, Allocator>& values) {
  return values.capacity() * sizeof(T);
}

std::size_t bytes_of(const AdjacencyRows& rows) {
  return bytes_of(rows.offsets) + bytes_of(rows.neighbours) + bytes_of(rows.weights) + bytes_of(rows.links);
}

}  // namespace

std::size_t GraphViews::memory_bytes() const {
  std::size_t total = sizeof(*this) + bytes_of(snapshot_.canonical) + snapshot_.link_bytes() + bytes_of(snapshot_.out) +
                      bytes_of(snapshot_.in);
  if (nodes_) total += bytes_of(nodes_->positions) + bytes_of(nodes_->id_of);
  if (simple_) total += bytes_of(simple_->offsets) + bytes_of(simple_->neighbours);
  if (link_rows_) total += link_rows_->memory_bytes();
  if (degrees_) total += bytes_of(*degrees_);
  return total;
}

}  // namespace mivora
