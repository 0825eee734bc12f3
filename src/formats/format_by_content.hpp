#pragma once
// Which graph format the first bytes of a file are written in, for files
// whose name does not tell (KONECT's out.*, .txt, .dat, no extension) and to
// catch a file whose name promises one format while it holds another.
#include <string>
#include <string_view>

namespace mivora {

struct ContentFormat {
  // "pajek", "gml", "graphml", "gexf", "json"; empty when nothing plainly
  // names a format (an edge list, or text of no format).
  std::string format;
  // What gave it away, for messages: "an XML root element <gexf>".
  std::string evidence;
};

// Looks at `head`, the first bytes of the text (UTF-8, maybe after a
// byte-order mark): an XML root element named graphml or gexf, a GML
// `graph [`, a Pajek *Network / *Vertices / *Arcs / *Edges line (after
// comments), a JSON object. Any other XML root is reported as "xml".
ContentFormat format_by_content(std::string_view head);

}  // namespace mivora
