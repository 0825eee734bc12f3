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
// of an edge attribute titled `weight` in any case, else 1 (a title spelled
// otherwise than `weight` also makes a column); its direction its `type`,
// else the graph's `defaultedgetype` (undirected when absent, as Gephi
// reads it; `mutual` is undirected). Every other declared attribute becomes
// an attribute column of its type (named by its title, else its id; its
// <default> fills the rows without a value; of a dynamic attribute the last
// value counts), as do an edge's `label`, `viz:color` ("#rrggbb", with the
// alpha appended as "aa" below 1), a node's `viz:size` and an edge's
// `viz:thickness`. Spells and other dynamics are skipped; nested nodes
// (hierarchies) are read like the others.
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "formats/format_parsers.hpp"
#include "text_io/text_scan.hpp"
#include "formats/xml_stream.hpp"
#include "text_io/shown_text.hpp"
#include "text_io/string_map.hpp"

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
      in_attributes_ = true;
    } else if (name == "attribute" && in_attributes_) {
      // An edge attribute titled like the weight gives the weight of edges
      // without their own; spelled otherwise than "weight" it is a column as
      // well, so that a user's "Weight" column comes back from our files.
      if (edge_attributes_ && equals_ignoring_case(attributes.get("title"), "weight"))
        weight_ids_.insert(std::string(attributes.get("id")));
      declare_column(attributes);
    } else if (name == "default" && declared_column_) {
      reading_default_ = true;
      text_.clear();
    } else if (name == "attvalue" && (in_edge_ || open_node_ != kNoNode)) {
      attribute_value(attributes);
      if (in_edge_ && !edge_weight_given_ &&
          (weight_ids_.contains(std::string(attributes.get("for"))) ||
           weight_ids_.contains(std::string(attributes.get("id"))))) {
        *links_.last_weight() = number(attributes.get("value"), "an edge's weight");
      }
    } else if ((name == "color" || name == "size" || name == "thickness") && (in_edge_ || open_node_ != kNoNode)) {
      drawing(name, attributes);
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
    }
  }

  bool wants_text() const override { return reading_default_; }
  void text(std::string_view piece) override { text_.append(piece); }

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
      in_attributes_ = false;
    } else if (name == "attribute") {
      declared_column_.reset();
    } else if (name == "default" && reading_default_) {
      reading_default_ = false;
      AttributeRecords& records = edge_attributes_ ? records_.link_attributes : records_.vertex_attributes;
      if (declared_column_ && !records.set_default(*declared_column_, text_)) {
        throw FormatError("the default of attribute '" + shown_text(records.columns[*declared_column_].name) +
                              "' is '" + shown_text(text_) + "', not of its type",
                          0, 0);
      }
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

  // ---- attribute columns ----

  static bool model_field(std::string_view name, bool edge) {
    return edge ? name == "source" || name == "target" || name == "weight" || name == "directed"
                : name == "label" || name == "x" || name == "y";
  }

  void declare_column(const Attributes& attributes) {
    const std::string_view id = attributes.get("id");
    const std::string_view title = attributes.get("title").empty() ? id : attributes.get("title");
    if (model_field(title, edge_attributes_)) return;
    AttributeRecords& records = edge_attributes_ ? records_.link_attributes : records_.vertex_attributes;
    declared_column_ = records.declare(title, attribute_type_named(attributes.get("type")));
    auto& ids = edge_attributes_ ? edge_columns_ : node_columns_;
    ids.try_emplace(std::string(id), *declared_column_);  // the first declaration of an id counts
  }

  void set_value(AttributeRecords& records, std::size_t column, std::string_view text) {
    const std::size_t row = in_edge_ ? edges_seen_ - 1 : open_node_;
    if (!records.set_text(column, row, text)) {
      throw FormatError(std::string(in_edge_ ? "an edge's '" : "a node's '") +
                            shown_text(records.columns[column].name) + "' is '" + shown_text(text) +
                            "', not of its type",
                        0, 0);
    }
  }

  void attribute_value(const Attributes& attributes) {
    const std::string_view id = attributes.has("for") ? attributes.get("for") : attributes.get("id");
    const auto& ids = in_edge_ ? edge_columns_ : node_columns_;
    const auto found = ids.find(id);
    if (found != ids.end())
      set_value(in_edge_ ? records_.link_attributes : records_.vertex_attributes, found->second,
                attributes.get("value"));
  }

  // viz:color, viz:size and viz:thickness.
  void drawing(std::string_view name, const Attributes& attributes) {
    AttributeRecords& records = in_edge_ ? records_.link_attributes : records_.vertex_attributes;
    if (name == "color") {
      std::string hex(attributes.has("hex") ? attributes.get("hex") : std::string_view("#"));
      if (!attributes.has("hex")) {
        static constexpr char kDigits[] = "0123456789abcdef";
        for (const char* channel : {"r", "g", "b"}) {
          std::int64_t value = 0;
          if (!parse_attribute_integer(attributes.get(channel), value) || value < 0 || value > 255) {
            throw FormatError(std::string("a colour's ") + channel + " is '" + std::string(attributes.get(channel)) +
                                  "', not a number from 0 to 255",
                              0, 0);
          }
          hex += kDigits[value / 16];
          hex += kDigits[value % 16];
        }
        double alpha = 1.0;
        if (attributes.has("a") && parse_float(attributes.get("a"), alpha) == FloatParse::Ok && alpha >= 0 &&
            alpha < 1) {
          const auto byte = static_cast<int>(alpha * 255 + 0.5);
          hex += kDigits[byte / 16];
          hex += kDigits[byte % 16];
        }
      }
      set_value(records, records.declare("viz:color", AttributeType::String), hex);
    } else if ((name == "size" && !in_edge_) || (name == "thickness" && in_edge_)) {
      set_value(records, records.declare(name == "size" ? "viz:size" : "viz:thickness", AttributeType::Float),
                attributes.get("value"));
    }
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
    ++edges_seen_;
    if (attributes.has("label"))
      set_value(records_.link_attributes, records_.link_attributes.declare("label", AttributeType::String),
                attributes.get("label"));
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
  bool in_attributes_ = false;
  bool reading_default_ = false;
  std::optional<std::size_t> declared_column_;
  // Attribute id -> column: a file may declare thousands, and every
  // attvalue looks one up.
  StringMap<std::size_t> node_columns_, edge_columns_;
  std::size_t edges_seen_ = 0;
  std::string text_;
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
