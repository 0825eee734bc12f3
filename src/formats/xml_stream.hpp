#pragma once
// Streaming XML for the GraphML and GEXF readers, over Expat. The input is
// parsed chunk by chunk as it arrives, so memory holds one chunk and what
// the handler keeps, never the whole document.
//
// Entities: a document whose DOCTYPE declares any entity, or a default value
// for an attribute (copied into every element that lacks it), is refused
// (the graph formats need neither); external entities and parameter
// entities are never loaded. The vendored Expat is built without general
// and parameter entities at all (third_party/expat/expat_config.h); a
// system Expat keeps its own amplification limits besides.
//
// Element and attribute names reach the handler without their namespace
// prefix ("viz:position" -> "position"): files in the wild carry every
// spelling of the namespaces, and the names alone decide.
#include <array>
#include <cstddef>
#include <string_view>

#include "text_io/chunk_input.hpp"

namespace mivora {

class XmlHandler {
 public:
  // One attribute of a start tag: its name as written (prefix and all) and
  // its value, references decoded. Views valid during the call only.
  struct Attribute {
    std::string_view name, value;
  };
  // A start tag's attributes, asked for by name without prefix.
  struct Attributes {
    const Attribute* first;
    std::size_t count;
    const Attribute* begin() const { return first; }
    const Attribute* end() const { return first + count; }
    std::string_view get(std::string_view name) const;
    bool has(std::string_view name) const;
    // The values of several attributes in one pass (nullptr where absent):
    // an element read a million times asks for its few at once.
    template <std::size_t N>
    std::array<const std::string_view*, N> values(const std::array<std::string_view, N>& names) const {
      std::array<const std::string_view*, N> found{};
      for (const Attribute& attribute : *this) {
        for (std::size_t i = 0; i < N; ++i) {
          if (found[i] == nullptr && named(attribute.name, names[i])) {
            found[i] = &attribute.value;
            break;
          }
        }
      }
      return found;
    }
    // Whether the attribute name `full` is `name`, with or without a prefix.
    static bool named(std::string_view full, std::string_view name);
  };

  virtual ~XmlHandler() = default;
  virtual void start(std::string_view name, const Attributes& attributes) = 0;
  virtual void end(std::string_view name) = 0;
  // Text inside an element, in pieces; only sent while wants_text() is true.
  virtual void text(std::string_view piece) { (void)piece; }
  virtual bool wants_text() const { return false; }
};

// Parses the document `fill` delivers, calling `handler`. A malformed
// document, a refused DOCTYPE or a FormatError thrown by the handler (line
// 0: "here") end the parse with a FormatError carrying the line and column.
void parse_xml(const ChunkInput::Fill& fill, XmlHandler& handler);

// The name without its namespace prefix.
std::string_view local_name(std::string_view name);

}  // namespace mivora
