#pragma once
// What every file reader feeds: vertices by number, each with its label and
// optional position, and links between them; finish() then builds the graph.
//
// How a file maps onto the store, the same for every format:
// - a vertex's label is the file's label, else its id as written;
// - every vertex becomes its own node, in file order: a vertex whose label
//   repeats an earlier one's is kept too (lookups by label find the first)
//   and finish() reports it in a warning;
// - every link becomes a connection, in file order, parallel links and
//   self-loops included; a link without weight weighs 1;
// - positions: with PositionMode::File the file's numbers are kept. With
//   PositionMode::Canvas they are placed on the drawing canvas
//   ([20, 1500] x [20, 700]) so that a drawing shows the file's layout:
//   coordinates a format gives in the unit square (Pajek) map x to
//   20 + 1480 x and y to 20 + 680 y, the inverse of what our writers write;
//   coordinates a format gives in canvas units are kept when all of them lie
//   on the canvas. Otherwise the bounding box of all positions is scaled by
//   one factor (so shapes keep their proportions) to fit the canvas inside
//   its 20-unit margin, centred.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/attribute_records.hpp"
#include "graph_core/graph.hpp"

namespace mivora {

// What a read noticed without failing; the surface shows them as warnings.
struct ReadNotes {
  std::vector<std::string> warnings;
};

// The units a format writes coordinates in.
enum class PositionUnits { UnitSquare, Canvas };
// Whether a read places positions on the canvas or keeps the file's numbers.
enum class PositionMode { Canvas, File };

class GraphBuilder {
 public:
  // `input_size`: bytes of the input when known, which bounds reservations.
  GraphBuilder(PositionUnits units, PositionMode mode, std::optional<std::uint64_t> input_size);

  // A file declares how many vertices follow ("*Vertices 34"): reserves for
  // them, but never more than the input could hold at `bytes_per_vertex`
  // bytes each.
  void expect_vertices(std::uint64_t count, std::uint64_t bytes_per_vertex = 2);

  // Exact counts of what follows (the records of a parsed file).
  void reserve(std::size_t vertices, std::size_t links);

  // A new vertex, numbered in the order of these calls from 0; the readers
  // keep their own map from file ids to these numbers.
  NodeId add_vertex(std::string_view label);
  void set_position(std::uint32_t vertex, double x, double y);
  std::size_t vertex_count() const { return label_ends_.size(); }

  void add_link(std::uint32_t from, std::uint32_t to, Weight weight, bool directed);
  std::size_t link_count() const { return links_.size(); }

  // Attribute columns by vertex number and by link number (in the order
  // add_link was called); finish() hands them to the graph.
  AttributeRecords& node_attributes() { return node_attributes_; }
  AttributeRecords& link_attributes() { return link_attributes_; }

  // Builds the graph; repeated labels are reported in `notes`.
  GraphStore finish(ReadNotes& notes);

 private:
  std::string_view label(std::size_t vertex) const;
  // Hands the attribute columns to `graph` (nodes by vertex, connections by
  // the order of add_link); a column named like a field of the model is
  // skipped with a warning.
  void attach_attributes(GraphStore& graph, ReadNotes& notes);
  void place_positions();

  PositionUnits units_;
  PositionMode mode_;
  std::optional<std::uint64_t> input_size_;
  std::string labels_;                   // every label, back to back
  std::vector<std::size_t> label_ends_;  // end of each vertex's label in labels_
  struct Position {
    std::uint32_t vertex;
    double x;
    double y;
  };
  std::vector<Position> positions_;
  std::vector<GraphStore::PositionedConnection> links_;
  AttributeRecords node_attributes_;
  AttributeRecords link_attributes_;
};

}  // namespace mivora
