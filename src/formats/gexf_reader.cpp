// GEXF 1.1 to 1.3 (Gephi, networkx), whatever the namespace's spelling.
//
//   <attributes class="edge"><attribute id="0" title="weight" type="float"/></attributes>
//   <graph defaultedgetype="directed|undirected|mutual">
//     <node id="n0" label="A"><viz:position x="1" y="2" z="0"/></node>
//     <edge source="n0" target="n1" weight="2" type="directed">
//       <attvalues><attvalue for="0" value="2"/></attvalues></edge>
//
// A node's label is its `label` attribute, else its id; `viz:position` gives
// its position. An edge's weight is its `weight` attribute, else the value
// of an edge attribute titled `weight`, else 1; its direction its `type`,
// else the graph's `defaultedgetype` (undirected when absent, as Gephi
// reads it; `mutual` is undirected). Other attributes and dynamics are
// skipped; nested nodes (hierarchies) are read like the others.
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "formats/format_parsers.hpp"
#include "text_io/text_scan.hpp"
#include "formats/xml_stream.hpp"
#include "text_io/shown_text.hpp"

namespace mivora {
namespace {

std::optional<bool> direction(std::string_view type) {
  if (type == "directed") return true;
  if (type == "undirected" || type == "mutual") return false;
  return std::nullopt;
}

class GexfHandler : public XmlHandler {
 public:
  GraphRecords take() {
    links_.flush();
    return std::move(records_);
  }
  bool saw_graph() const { return saw_graph_; }

  void start(std::string_view name, const Attributes& attributes) override {
    if (name == "graph") {
      saw_graph_ = true;
      const std::string_view type = attributes.get("defaultedgetype");
      if (!type.empty()) {
        const auto given = direction(type);
        if (!given)
          throw FormatError("defaultedgetype is '" + shown_text(type) + "', not directed, undirected or mutual", 0, 0);
        directed_ = *given;
      }
    } else if (name == "attributes") {
      edge_attributes_ = attributes.get("class") == "edge";
    } else if (name == "attribute" && edge_attributes_) {
      if (equals_ignoring_case(attributes.get("title"), "weight"))
        weight_ids_.insert(std::string(attributes.get("id")));
    } else if (name == "node" && saw_graph_) {
      if (!attributes.has("id")) throw FormatError("a node has no 'id' attribute", 0, 0);
      if (open_node_ != kNoNode) outer_nodes_.push_back(open_node_);
      open_node_ = declare(attributes.get("id"));
      if (attributes.has("label")) records_.vertices[open_node_].label = attributes.get("label");
    } else if (name == "position" && open_node_ != kNoNode) {
      VertexRecord& vertex = records_.vertices[open_node_];
      vertex.x = coordinate(attributes, "x");
      vertex.y = coordinate(attributes, "y");
      vertex.has_position = true;
    } else if (name == "edge" && saw_graph_) {
      edge(attributes);
    } else if (name == "attvalue" && in_edge_ && !edge_weight_given_) {
      if (weight_ids_.contains(std::string(attributes.get("for"))) ||
          weight_ids_.contains(std::string(attributes.get("id")))) {
        *links_.last_weight() = number(attributes.get("value"), "an edge's weight");
      }
    }
  }

  void end(std::string_view name) override {
    if (name == "node" && open_node_ != kNoNode) {
      if (outer_nodes_.empty()) {
        open_node_ = kNoNode;
      } else {
        open_node_ = outer_nodes_.back();
        outer_nodes_.pop_back();
      }
    } else if (name == "edge") {
      in_edge_ = false;
    } else if (name == "attributes") {
      edge_attributes_ = false;
    }
  }

 private:
  static float number(std::string_view text, const char* what) {
    float value;
    if (parse_float(text, value) != FloatParse::Ok) {
      throw FormatError(std::string(what) + " is '" + shown_text(text) + "', not a number", 0, 0);
    }
    return value;
  }

  static double coordinate(const Attributes& attributes, const char* axis) {
    const std::string_view text = attributes.get(axis);
    if (text.empty()) return 0.0;
    double value;
    if (parse_float(text, value) != FloatParse::Ok) {
      throw FormatError(std::string("a position's ") + axis + " is '" + shown_text(text) + "', not a number", 0, 0);
    }
    return value;
  }

  std::uint32_t declare(std::string_view id) {
    links_.flush();  // earlier edges may name this id first
    return records_.declare(id);
  }

  void edge(const Attributes& attributes) {
    if (!attributes.has("source") || !attributes.has("target")) {
      throw FormatError(
          attributes.has("source") ? "an edge has no 'target' attribute" : "an edge has no 'source' attribute", 0, 0);
    }
    bool directed = directed_;
    if (attributes.has("type")) {
      const auto given = direction(attributes.get("type"));
      if (!given)
        throw FormatError(
            "an edge's type is '" + std::string(attributes.get("type")) + "', not directed, undirected or mutual", 0,
            0);
      directed = *given;
    }
    edge_weight_given_ = attributes.has("weight");
    const float weight = edge_weight_given_ ? number(attributes.get("weight"), "an edge's weight") : 1.0f;
    links_.add(attributes.get("source"), attributes.get("target"), weight, directed);
    in_edge_ = true;
  }

  GraphRecords records_;
  LinkQueue links_{records_};
  std::unordered_set<std::string> weight_ids_;
  std::vector<std::uint32_t> outer_nodes_;
  std::uint32_t open_node_ = kNoNode;
  bool saw_graph_ = false;
  bool directed_ = false;
  bool edge_attributes_ = false;
  bool in_edge_ = false;
  bool edge_weight_given_ = false;
};

}  // namespace

GraphRecords parse_gexf(const ChunkInput::Fill& fill) {
  GexfHandler handler;
  parse_xml(fill, handler);
  if (!handler.saw_graph()) throw FormatError("no <graph> element in the document", 0, 0);
  return handler.take();
}

GraphStore read_gexf(ByteSource& source, const ReadOptions& options, ReadNotes& notes) {
  return build_graph(parse_gexf(fill_from(source)), source, options, notes);
}

}  // namespace mivora
