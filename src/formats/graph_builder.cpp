#include "formats/graph_builder.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "graph_core/internal_error.hpp"
#include "text_io/cancellation.hpp"
#include "text_io/number_text.hpp"

namespace mivora {
namespace {

// Vertices a reservation may cover when the input's size is unknown.
constexpr std::uint64_t kBlindReserve = 1 << 12;
constexpr std::uint32_t kMaxVertices = std::numeric_limits<std::uint32_t>::max() - 2;

}  // namespace

GraphBuilder::GraphBuilder(PositionUnits units, PositionMode mode, std::optional<std::uint64_t> input_size)
    : units_(units), mode_(mode), input_size_(input_size) {}

void GraphBuilder::expect_vertices(std::uint64_t count, std::uint64_t bytes_per_vertex) {
  const std::uint64_t bound = input_size_ ? *input_size_ / std::max<std::uint64_t>(bytes_per_vertex, 1) : kBlindReserve;
  const auto reserve = static_cast<std::size_t>(std::min(count, bound));
  label_ends_.reserve(reserve);
  labels_.reserve(reserve * 4);
}

void GraphBuilder::reserve(std::size_t vertices, std::size_t links) {
  label_ends_.reserve(vertices);
  links_.reserve(links);
}

NodeId GraphBuilder::add_vertex(std::string_view label) {
  if (label_ends_.size() >= kMaxVertices) fail("too many vertices");
  const auto vertex = static_cast<NodeId>(label_ends_.size());
  labels_.append(label);
  label_ends_.push_back(labels_.size());
  return vertex;
}

void GraphBuilder::set_position(std::uint32_t vertex, double x, double y) {
  positions_.push_back(Position{vertex, x, y});
}

void GraphBuilder::add_link(std::uint32_t from, std::uint32_t to, Weight weight, bool directed) {
  links_.push_back(GraphStore::PositionedConnection{from, to, weight, directed});
}

std::string_view GraphBuilder::label(std::size_t vertex) const {
  const std::size_t begin = vertex == 0 ? 0 : label_ends_[vertex - 1];
  return std::string_view(labels_).substr(begin, label_ends_[vertex] - begin);
}

void GraphBuilder::place_positions() {
  if (mode_ == PositionMode::File || positions_.empty()) return;
  double min_x = INFINITY, min_y = INFINITY, max_x = -INFINITY, max_y = -INFINITY;
  for (const Position& p : positions_) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    min_x = std::min(min_x, p.x);
    max_x = std::max(max_x, p.x);
    min_y = std::min(min_y, p.y);
    max_y = std::max(max_y, p.y);
  }
  const double span_x = kCanvasWidth - kCanvasMargin;   // 1480
  const double span_y = kCanvasHeight - kCanvasMargin;  // 680
  if (min_x > max_x) return;                            // nothing finite to place
  if (units_ == PositionUnits::UnitSquare && min_x >= 0 && max_x <= 1 && min_y >= 0 && max_y <= 1) {
    for (Position& p : positions_) {
      p.x = p.x * span_x + kCanvasMargin;
      p.y = p.y * span_y + kCanvasMargin;
    }
    return;
  }
  if (units_ == PositionUnits::Canvas && min_x >= kCanvasMargin && max_x <= kCanvasWidth && min_y >= kCanvasMargin &&
      max_y <= kCanvasHeight) {
    return;
  }
  // One factor for both axes; the drawing centred in the free room.
  const double width = max_x - min_x;
  const double height = max_y - min_y;
  double scale = std::min(width > 0 ? span_x / width : INFINITY, height > 0 ? span_y / height : INFINITY);
  if (!std::isfinite(scale)) scale = 0;  // every position the same point
  const double offset_x = kCanvasMargin + (span_x - width * scale) / 2;
  const double offset_y = kCanvasMargin + (span_y - height * scale) / 2;
  for (Position& p : positions_) {
    p.x = offset_x + (p.x - min_x) * scale;
    p.y = offset_y + (p.y - min_y) * scale;
  }
}

namespace {

void fill_column(AttributeColumn& column, const AttributeColumnRecord& record) {
  column.reserve(record.rows());
  for (std::size_t row = 0; row < record.rows(); ++row) {
    if (!record.present[row]) continue;
    switch (record.type) {
      case AttributeType::Float:
        column.set_float(row, record.floats[row]);
        break;
      case AttributeType::Integer:
        column.set_integer(row, record.integers[row]);
        break;
      case AttributeType::Bool:
        column.set_bool(row, record.bools[row] != 0);
        break;
      case AttributeType::String:
        column.set_string(row, record.strings[row]);
        break;
    }
  }
  column.extend(record.rows());
}

std::string skipped_column(std::string_view domain, std::string_view name) {
  return "the " + std::string(domain) + " attribute '" + std::string(name) +
         "' has the name of a field the graph keeps itself and is skipped";
}

}  // namespace

void GraphBuilder::attach_attributes(GraphStore& graph, ReadNotes& notes) {
  GraphAttributes& attributes = graph.attributes();
  node_attributes_.finish(graph.node_count());
  for (const AttributeColumnRecord& record : node_attributes_.columns) {
    if (is_node_field_name(record.name)) {
      notes.warnings.push_back(skipped_column("node", record.name));
      continue;
    }
    fill_column(attributes.nodes().add(record.name, record.type), record);
  }
  node_attributes_ = {};
  if (link_attributes_.empty()) return;
  link_attributes_.finish(links_.size());
  std::vector<std::uint32_t> sources(links_.size());
  for (std::size_t i = 0; i < links_.size(); ++i) sources[i] = links_[i].from;
  const std::vector<std::size_t> rows = attributes.rows_of_appended(graph, sources);
  for (const AttributeColumnRecord& record : link_attributes_.columns) {
    if (is_connection_field_name(record.name)) {
      notes.warnings.push_back(skipped_column("link", record.name));
      continue;
    }
    AttributeColumn gathered(record.type);
    fill_column(gathered, record);
    place_rows(gathered, rows, attributes.connections().add(record.name, record.type));
  }
  link_attributes_ = {};
}

GraphStore GraphBuilder::finish(ReadNotes& notes) {
  place_positions();
  // The last position given for a vertex counts.
  std::vector<std::uint32_t> position_of(positions_.empty() ? 0 : label_ends_.size(), 0);
  for (std::size_t i = 0; i < positions_.size(); ++i)
    position_of[positions_[i].vertex] = static_cast<std::uint32_t>(i + 1);

  GraphStore graph;
  graph.reserve(label_ends_.size());
  std::size_t repeated = 0;
  std::string first_repeated;
  for (std::size_t vertex = 0; vertex < label_ends_.size(); ++vertex) {
    poll_cancellation();
    const std::string_view text = label(vertex);
    const Position* position =
        position_of.empty() || position_of[vertex] == 0 ? nullptr : &positions_[position_of[vertex] - 1];
    const double xy[2] = {position != nullptr ? position->x : 0.0, position != nullptr ? position->y : 0.0};
    if (graph.add_node_if_new(text, position != nullptr ? xy : nullptr)) continue;
    if (repeated++ == 0) first_repeated = std::string(text);
    if (position != nullptr) {
      graph.append_node_unchecked(std::string(text), position->x, position->y);
    } else {
      graph.append_node_unchecked(std::string(text));
    }
  }
  if (repeated > 0) {
    notes.warnings.push_back(integer_text(repeated) + (repeated == 1 ? " vertex repeats" : " vertices repeat") +
                             " the label of an earlier vertex (first: '" + first_repeated +
                             "'); each is kept as its own node, and a lookup by label finds the first");
  }
  labels_ = std::string();
  label_ends_ = {};
  positions_ = {};
  graph.add_connections(links_);
  if (!node_attributes_.empty() || !link_attributes_.empty()) attach_attributes(graph, notes);
  links_ = {};
  return graph;
}

}  // namespace mivora
