#pragma once
// Text inside XML and HTML documents we write (GraphML, GEXF, SVG, pages):
// one escaper, so that nothing we write is refused by an XML parser, our
// own readers included.
#include <string>
#include <string_view>

namespace mivora {

struct XmlEscaping {
  // '"' as &quot; (text for a double-quoted attribute value).
  bool quote = true;
  // Tab, LF and CR as character references, so that a parser gives them
  // back from an attribute value instead of turning them into spaces.
  bool whitespace_references = false;
  // What happens to a character XML 1.0 cannot hold (C0 controls other than
  // tab, LF and CR; U+FFFE; U+FFFF; bytes that are not UTF-8): true puts
  // U+FFFD in its place (drawings), false stops (files must not lose text).
  bool replace_unfit = true;
};

// Appends `text` with & < > (and " when asked) as entities. Returns false,
// having appended only part of the text, when it meets a character XML
// cannot hold and `how.replace_unfit` is false.
bool append_xml_text(std::string& out, std::string_view text, const XmlEscaping& how);

}  // namespace mivora
