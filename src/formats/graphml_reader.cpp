// GraphML, in the spellings networkx, igraph, yEd, NetLogo and Gephi write.
//
//   <key id="d0" for="node|edge|all" attr.name="weight" attr.type="double"><default>1</default></key>
//   <graph edgedefault="directed|undirected">
//     <node id="n0"><data key="d1">label</data></node>
//     <edge source="n0" target="n1" directed="true"><data key="d0">2.5</data></edge>
//
// Keys are resolved by their id and their `for`: one id may name a node key
// and an edge key at once. A node's label is the value of a key named
// `label` or `name` (any letter case; a key named exactly `label` leaves
// the other spellings of it columns), else its id; `x` and `y` keys give
// its position. An edge's weight is the value of a key named `weight`
// (likewise), else that key's default, else 1; its direction its `directed`
// attribute, else the graph's `edgedefault` (directed when absent, as
// GraphML says). Every other node or edge key becomes an attribute column
// of its `attr.type` (named by `attr.name`, else by its id), its <default>
// filling the rows without data; a `name` key is a column too when a label
// key gives the labels. yEd's graphics keys (`yfiles.type`), graph data,
// ports and hyperedges are skipped.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "formats/format_parsers.hpp"
#include "text_io/text_scan.hpp"
#include "formats/xml_stream.hpp"
#include "text_io/shown_text.hpp"
#include "text_io/string_map.hpp"

namespace mivora {
namespace {

enum class Meaning { None, Label, Name, X, Y, Weight };

// What a key id means on a node and on an edge: a field of the model, or
// an attribute column.
struct KeyMeanings {
  Meaning node = Meaning::None;
  Meaning edge = Meaning::None;
  std::optional<std::size_t> node_column, edge_column;
};

std::optional<bool> truth(std::string_view value) {
  if (value == "true" || value == "1" || value == "True" || value == "TRUE") return true;
  if (value == "false" || value == "0" || value == "False" || value == "FALSE") return false;
  return std::nullopt;
}

class GraphmlHandler : public XmlHandler {
 public:
  GraphRecords take() {
    links_.flush();
    drop_name_column_unless_labelled();
    return std::move(records_);
  }
  bool saw_graph() const { return graph_depth_max_ > 0; }

  void start(std::string_view name, const Attributes& attributes) override {
    if (name == "key") {
      key(attributes);
    } else if (name == "default" && current_key_) {
      reading_default_ = true;
      text_.clear();
    } else if (name == "graph") {
      const std::string_view edgedefault = attributes.get("edgedefault");
      directed_.push_back(edgedefault.empty() ? (directed_.empty() || directed_.back()) : edgedefault != "undirected");
      graph_depth_max_ = std::max<std::size_t>(graph_depth_max_, directed_.size());
    } else if (name == "node" && !directed_.empty()) {
      if (in_node_) nested_nodes_.push_back(std::move(node_));
      node_ = NodeState{};
      const auto [id] = attributes.values<1>({"id"});
      if (id == nullptr) throw FormatError("a node has no 'id' attribute", 0, 0);
      // Declared where it starts: a node holding a graph comes before the
      // nodes inside it, in document order.
      links_.flush();  // earlier edges may name this id first
      node_.vertex = records_.declare(*id);
      in_node_ = true;
    } else if (name == "edge" && !directed_.empty()) {
      const auto [source, target, directed] = attributes.values<3>({"source", "target", "directed"});
      if (source == nullptr || target == nullptr) {
        throw FormatError(source != nullptr ? "an edge has no 'target' attribute" : "an edge has no 'source' attribute",
                          0, 0);
      }
      edge_.source = *source;
      edge_.target = *target;
      edge_.weight.reset();
      edge_.directed = directed_.back();
      if (directed != nullptr) {
        const auto given = truth(*directed);
        if (!given)
          throw FormatError("an edge's 'directed' is '" + std::string(*directed) + "', not true or false", 0, 0);
        edge_.directed = *given;
      }
      in_edge_ = true;
      edge_row_ = edges_seen_++;
    } else if (name == "data" && (in_node_ || in_edge_)) {
      const auto found = keys_.find(attributes.get("key"));
      if (found == keys_.end()) {
        data_meaning_ = Meaning::None;
        data_column_.reset();
      } else {
        data_meaning_ = in_edge_ ? found->second.edge : found->second.node;
        data_column_ = in_edge_ ? found->second.edge_column : found->second.node_column;
      }
      text_.clear();
    }
  }

  void end(std::string_view name) override {
    if (name == "key") {
      current_key_.reset();
      current_variant_ = nullptr;
    } else if (name == "default" && reading_default_) {
      reading_default_ = false;
      if (current_key_ && current_key_->edge == Meaning::Weight) {
        float weight;
        if (parse_float(trimmed(text_), weight) == FloatParse::Ok) default_weight_ = weight;
      }
      if (current_variant_ != nullptr) current_variant_->default_text = text_;
      column_default(text_);
    } else if (name == "graph" && !directed_.empty()) {
      directed_.pop_back();
    } else if (name == "data" && (data_meaning_ != Meaning::None || data_column_)) {
      if (data_meaning_ != Meaning::None) data(data_meaning_);
      if (data_column_) column_data(*data_column_);
      data_meaning_ = Meaning::None;
      data_column_.reset();
    } else if (name == "node" && in_node_) {
      finish_node();
      if (!nested_nodes_.empty()) {
        node_ = std::move(nested_nodes_.back());
        nested_nodes_.pop_back();
      } else {
        in_node_ = false;
      }
    } else if (name == "edge" && in_edge_) {
      finish_edge();
      in_edge_ = false;
    }
  }

  bool wants_text() const override { return data_meaning_ != Meaning::None || data_column_ || reading_default_; }
  void text(std::string_view piece) override { text_.append(piece); }

 private:
  struct NodeState {
    std::uint32_t vertex = 0;
    std::optional<std::string> label, name;
    std::optional<double> x, y;
    std::vector<std::pair<std::size_t, std::string>> values;  // by column, until the vertex is known
  };
  struct EdgeState {
    std::string source, target;
    bool directed = true;
    std::optional<float> weight;
  };

  static std::string_view trimmed(std::string_view text) {
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
      text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
      text.remove_suffix(1);
    return text;
  }

  void key(const Attributes& attributes) {
    const std::string_view id = attributes.get("id");
    const std::string_view domain = attributes.get("for");
    const std::string_view name = attributes.get("attr.name");
    const bool for_node = domain == "node" || domain == "all" || domain.empty();
    const bool for_edge = domain == "edge" || domain == "all" || domain.empty();
    // Other tools name the label key "Label" or "LABEL" and the weight key
    // "Weight": such a key gives the field, unless the file also declares
    // the exact name (as our writer always does), which then gives it and
    // leaves the other spellings ordinary columns. Without that, a column
    // "Label" written by us would come back as the label.
    const bool label_variant = name != "label" && equals_ignoring_case(name, "label");
    const bool weight_variant = name != "weight" && equals_ignoring_case(name, "weight");
    if (for_node && name == "label") demote_variants(label_variants_, false);
    if (for_edge && name == "weight") demote_variants(weight_variants_, true);
    Meaning node = Meaning::None, edge = Meaning::None;
    if (name == "label" || (label_variant && !exact_label_))
      node = Meaning::Label;
    else if (equals_ignoring_case(name, "name"))
      node = Meaning::Name;
    else if (name == "x")
      node = Meaning::X;
    else if (name == "y")
      node = Meaning::Y;
    if (name == "weight" || (weight_variant && !exact_weight_)) edge = Meaning::Weight;
    KeyMeanings& meanings = keys_.try_emplace(std::string(id)).first->second;
    if (for_node) meanings.node = node;
    if (for_edge) meanings.edge = edge;
    current_key_ = KeyMeanings{for_node ? node : Meaning::None, for_edge ? edge : Meaning::None, {}, {}};
    const KeySpelling spelling{std::string(id),
                               std::string(name.empty() ? id : name),
                               attribute_type_named(attributes.get("attr.type")),
                               attributes.has("yfiles.type"),
                               {}};
    key_columns(spelling, for_node && (node == Meaning::None || node == Meaning::Name),
                for_edge && edge == Meaning::None);
    current_variant_ = nullptr;
    if (for_node && node == Meaning::Label && label_variant) current_variant_ = &label_variants_.emplace_back(spelling);
    if (for_edge && edge == Meaning::Weight && weight_variant)
      current_variant_ = &weight_variants_.emplace_back(spelling);
    if (for_node && node == Meaning::Label) labelled_ = true;
  }

  // What a key said, kept for a key that gives the label or the weight under
  // another spelling until a key of the exact name may turn it into a column.
  struct KeySpelling {
    std::string id, name;
    AttributeType type = AttributeType::String;
    bool yfiles = false;
    std::optional<std::string> default_text;
  };

  // A key of the exact name arrived: the earlier spellings become columns,
  // their defaults with them (values already read stay where they went).
  void demote_variants(std::deque<KeySpelling>& variants, bool edge) {
    (edge ? exact_weight_ : exact_label_) = true;
    if (variants.empty()) return;
    if (edge) default_weight_ = 1.0f;  // only these keys could have set it
    for (const KeySpelling& spelling : variants) {
      KeyMeanings& meanings = keys_[spelling.id];
      Meaning& meaning = edge ? meanings.edge : meanings.node;
      if (meaning != Meaning::Weight && meaning != Meaning::Label) continue;  // declared again since
      meaning = Meaning::None;
      key_columns(spelling, !edge, edge);
      if (spelling.default_text) column_default(*spelling.default_text);
    }
    variants.clear();
    current_variant_ = nullptr;
  }

  // ---- attribute columns ----

  struct KeyColumns {
    std::optional<std::size_t> node, edge;
  };

  static bool model_field(std::string_view name, bool edge) {
    return edge ? name == "source" || name == "target" || name == "weight" || name == "directed"
                : name == "label" || name == "x" || name == "y";
  }

  void key_columns(const KeySpelling& key, bool node, bool edge) {
    KeyColumns columns;
    if (!key.yfiles) {
      if (node && !model_field(key.name, false)) {
        columns.node = records_.vertex_attributes.declare(key.name, key.type);
        if (equals_ignoring_case(key.name, "name")) name_column_ = columns.node;
      }
      if (edge && !model_field(key.name, true)) columns.edge = records_.link_attributes.declare(key.name, key.type);
    }
    KeyMeanings& found = keys_.try_emplace(key.id).first->second;
    if (columns.node) found.node_column = columns.node;
    if (columns.edge) found.edge_column = columns.edge;
    current_columns_ = columns;
  }

  void column_default(const std::string& text) {
    for (const auto& [records, column] : {std::pair{&records_.vertex_attributes, current_columns_.node},
                                          std::pair{&records_.link_attributes, current_columns_.edge}}) {
      if (column && !records->set_default(*column, text)) {
        throw FormatError("the default of key '" + shown_text(records->columns[*column].name) + "' is '" +
                              shown_text(text) + "', not " + type_phrase(records->columns[*column].type),
                          0, 0);
      }
    }
  }

  static const char* type_phrase(AttributeType type) {
    switch (type) {
      case AttributeType::Float:
        return "a number";
      case AttributeType::Integer:
        return "an integer";
      case AttributeType::Bool:
        return "true or false";
      case AttributeType::String:
        break;
    }
    return "a string";
  }

  void column_data(std::size_t column) {
    if (in_edge_) {
      if (!records_.link_attributes.set_text(column, edge_row_, text_)) bad_value(records_.link_attributes, column);
    } else {
      node_.values.emplace_back(column, text_);
    }
  }

  [[noreturn]] void bad_value(const AttributeRecords& records, std::size_t column) const {
    throw FormatError(std::string(in_edge_ ? "an edge's '" : "a node's '") + shown_text(records.columns[column].name) +
                          "' is '" + shown_text(text_) + "', not " + type_phrase(records.columns[column].type),
                      0, 0);
  }

  // Without a label key, `name` gave the labels: no column of its own.
  void drop_name_column_unless_labelled() {
    if (!name_column_ || labelled_) return;
    records_.vertex_attributes.remove(*name_column_);
  }

  void data(Meaning meaning) {
    switch (meaning) {
      case Meaning::Label:
        node_.label = text_;
        break;
      case Meaning::Name:
        node_.name = text_;
        break;
      case Meaning::X:
      case Meaning::Y: {
        double value;
        if (parse_float(trimmed(text_), value) != FloatParse::Ok) {
          throw FormatError("a node's " + std::string(meaning == Meaning::X ? "x" : "y") + " is '" + shown_text(text_) +
                                "', not a number",
                            0, 0);
        }
        (meaning == Meaning::X ? node_.x : node_.y) = value;
        break;
      }
      case Meaning::Weight: {
        float value;
        if (parse_float(trimmed(text_), value) != FloatParse::Ok) {
          throw FormatError("an edge's weight is '" + shown_text(text_) + "', not a number", 0, 0);
        }
        edge_.weight = value;
        break;
      }
      case Meaning::None:
        break;
    }
  }

  void finish_node() {
    for (auto& [column, text] : node_.values) {
      if (!records_.vertex_attributes.set_text(column, node_.vertex, text)) {
        text_ = std::move(text);
        bad_value(records_.vertex_attributes, column);
      }
    }
    VertexRecord& vertex = records_.vertices[node_.vertex];
    if (node_.label)
      vertex.label = std::move(*node_.label);
    else if (node_.name)
      vertex.label = std::move(*node_.name);
    if (node_.x && node_.y) {
      vertex.x = *node_.x, vertex.y = *node_.y;
      vertex.has_position = true;
    }
  }

  void finish_edge() { links_.add(edge_.source, edge_.target, edge_.weight.value_or(default_weight_), edge_.directed); }

  GraphRecords records_;
  LinkQueue links_{records_};
  // By id: some files declare thousands of keys, and every <data> element
  // looks one up.
  StringMap<KeyMeanings> keys_;
  std::optional<KeyMeanings> current_key_;
  std::vector<bool> directed_;  // edgedefault of each open graph
  std::size_t graph_depth_max_ = 0;
  NodeState node_;
  std::vector<NodeState> nested_nodes_;
  EdgeState edge_;
  bool in_node_ = false, in_edge_ = false, reading_default_ = false;
  Meaning data_meaning_ = Meaning::None;
  KeyColumns current_columns_;
  std::optional<std::size_t> data_column_;
  std::optional<std::size_t> name_column_;
  bool labelled_ = false;
  bool exact_label_ = false, exact_weight_ = false;           // a key named exactly "label" / "weight" was declared
  std::deque<KeySpelling> label_variants_, weight_variants_;  // deque: current_variant_ stays valid
  KeySpelling* current_variant_ = nullptr;                    // the variant whose <default> is being read
  std::size_t edges_seen_ = 0, edge_row_ = 0;
  std::string text_;
  float default_weight_ = 1.0f;
};

}  // namespace

GraphRecords parse_graphml(const ChunkInput::Fill& fill) {
  GraphmlHandler handler;
  parse_xml(fill, handler);
  if (!handler.saw_graph()) throw FormatError("no <graph> element in the document", 0, 0);
  return handler.take();
}

GraphStore read_graphml(ByteSource& source, const ReadOptions& options, ReadNotes& notes) {
  return build_graph(parse_graphml(fill_from(source)), source, options, notes);
}

}  // namespace mivora
