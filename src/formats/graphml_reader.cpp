// GraphML, in the spellings networkx, igraph, yEd, NetLogo and Gephi write.
//
//   <key id="d0" for="node|edge|all" attr.name="weight" attr.type="double"><default>1</default></key>
//   <graph edgedefault="directed|undirected">
//     <node id="n0"><data key="d1">label</data></node>
//     <edge source="n0" target="n1" directed="true"><data key="d0">2.5</data></edge>
//
// Keys are resolved by their id and their `for`: one id may name a node key
// and an edge key at once. A node's label is the value of a key named
// `label` or `name` (any letter case), else its id; `x` and `y` keys give
// its position. An edge's weight is the value of a key named `weight`
// (else that key's default, else 1); its direction its `directed`
// attribute, else the graph's `edgedefault` (directed when absent, as
// GraphML says). Other keys, graph data, ports and hyperedges are skipped.
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/format_parsers.hpp"
#include "text_io/text_scan.hpp"
#include "formats/xml_stream.hpp"
#include "text_io/shown_text.hpp"

namespace mivora {
namespace {

enum class Meaning { None, Label, Name, X, Y, Weight };

struct KeyMeanings {
  Meaning node = Meaning::None;
  Meaning edge = Meaning::None;
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
      if (!attributes.has("id")) throw FormatError("a node has no 'id' attribute", 0, 0);
      // Declared where it starts: a node holding a graph comes before the
      // nodes inside it, in document order.
      links_.flush();  // earlier edges may name this id first
      node_.vertex = records_.declare(attributes.get("id"));
      in_node_ = true;
    } else if (name == "edge" && !directed_.empty()) {
      edge_ = EdgeState{};
      if (!attributes.has("source") || !attributes.has("target")) {
        throw FormatError(
            attributes.has("source") ? "an edge has no 'target' attribute" : "an edge has no 'source' attribute", 0, 0);
      }
      edge_.source = attributes.get("source");
      edge_.target = attributes.get("target");
      edge_.directed = directed_.back();
      if (attributes.has("directed")) {
        const auto given = truth(attributes.get("directed"));
        if (!given)
          throw FormatError(
              "an edge's 'directed' is '" + std::string(attributes.get("directed")) + "', not true or false", 0, 0);
        edge_.directed = *given;
      }
      in_edge_ = true;
    } else if (name == "data" && (in_node_ || in_edge_)) {
      data_meaning_ = meaning_of(attributes.get("key"), in_edge_);
      text_.clear();
    }
  }

  void end(std::string_view name) override {
    if (name == "key") {
      current_key_.reset();
    } else if (name == "default" && reading_default_) {
      reading_default_ = false;
      if (current_key_ && current_key_->edge == Meaning::Weight) {
        float weight;
        if (parse_float(trimmed(text_), weight) == FloatParse::Ok) default_weight_ = weight;
      }
    } else if (name == "graph" && !directed_.empty()) {
      directed_.pop_back();
    } else if (name == "data" && data_meaning_ != Meaning::None) {
      data(data_meaning_);
      data_meaning_ = Meaning::None;
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

  bool wants_text() const override { return data_meaning_ != Meaning::None || reading_default_; }
  void text(std::string_view piece) override { text_.append(piece); }

 private:
  struct NodeState {
    std::uint32_t vertex = 0;
    std::optional<std::string> label, name;
    std::optional<double> x, y;
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
    Meaning node = Meaning::None, edge = Meaning::None;
    if (equals_ignoring_case(name, "label"))
      node = Meaning::Label;
    else if (equals_ignoring_case(name, "name"))
      node = Meaning::Name;
    else if (name == "x")
      node = Meaning::X;
    else if (name == "y")
      node = Meaning::Y;
    if (equals_ignoring_case(name, "weight")) edge = Meaning::Weight;
    KeyMeanings& meanings = keys_.try_emplace(std::string(id)).first->second;
    const bool for_node = domain == "node" || domain == "all" || domain.empty();
    const bool for_edge = domain == "edge" || domain == "all" || domain.empty();
    if (for_node) meanings.node = node;
    if (for_edge) meanings.edge = edge;
    current_key_ = KeyMeanings{for_node ? node : Meaning::None, for_edge ? edge : Meaning::None};
  }

  Meaning meaning_of(std::string_view key, bool edge) const {
    const auto found = keys_.find(key);
    if (found == keys_.end()) return Meaning::None;
    return edge ? found->second.edge : found->second.node;
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
          throw FormatError(
              "a node's " + std::string(meaning == Meaning::X ? "x" : "y") + " is '" + text_ + "', not a number", 0, 0);
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
  // By id, found by a view of the id without making a string: some files
  // declare thousands of keys, and every <data> element looks one up.
  struct IdHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
  };
  std::unordered_map<std::string, KeyMeanings, IdHash, std::equal_to<>> keys_;
  std::optional<KeyMeanings> current_key_;
  std::vector<bool> directed_;  // edgedefault of each open graph
  std::size_t graph_depth_max_ = 0;
  NodeState node_;
  std::vector<NodeState> nested_nodes_;
  EdgeState edge_;
  bool in_node_ = false, in_edge_ = false, reading_default_ = false;
  Meaning data_meaning_ = Meaning::None;
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
