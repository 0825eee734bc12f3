#include "formats/format_by_content.hpp"

#include <cstddef>

#include "text_io/text_scan.hpp"

namespace mivora {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

// The local name of the first element of an XML document ("" when there is
// none in `text`), after the declaration, comments, processing
// instructions and a document type.
std::string xml_root(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && is_space(text[i])) ++i;
    if (i == text.size() || text[i] != '<') return {};
    if (text.substr(i).starts_with("<!--")) {
      const std::size_t end = text.find("-->", i + 4);
      if (end == std::string_view::npos) return {};
      i = end + 3;
    } else if (text.substr(i).starts_with("<?") || text.substr(i).starts_with("<!")) {
      const std::size_t end = text.find('>', i + 2);
      if (end == std::string_view::npos) return {};
      i = end + 1;
    } else {
      std::size_t end = i + 1;
      while (end < text.size() && is_name_char(text[end])) ++end;
      std::string_view name = text.substr(i + 1, end - i - 1);
      if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
      return std::string(name);
    }
  }
  return {};
}

// The first line of `text` that is neither blank nor a comment ('%' or '#').
std::string_view first_content_line(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string_view line = text.substr(start, end - start);
    while (!line.empty() && is_space(line.front())) line.remove_prefix(1);
    if (!line.empty() && line.front() != '%' && line.front() != '#') return line;
    start = end + 1;
  }
  return {};
}

std::string pajek_keyword(std::string_view line) {
  std::string word;
  if (line.empty() || line.front() != '*') return word;
  for (std::size_t i = 1; i < line.size() && lower(line[i]) >= 'a' && lower(line[i]) <= 'z'; ++i)
    word += lower(line[i]);
  return word;
}

// A GML `graph [` among the top-level keys at the start of the text
// (comment lines and quoted values skipped).
bool has_gml_graph(std::string_view text) {
  std::size_t i = 0;
  std::size_t keys = 0;
  while (i < text.size() && keys < 64) {
    while (i < text.size() && is_space(text[i])) ++i;
    if (i == text.size()) return false;
    if (text[i] == '#') {
      while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
      continue;
    }
    // A key, then its value.
    const std::size_t start = i;
    while (i < text.size() && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z') ||
                               (text[i] >= '0' && text[i] <= '9') || text[i] == '_')) {
      ++i;
    }
    if (i == start) return false;
    const std::string_view key = text.substr(start, i - start);
    while (i < text.size() && is_space(text[i])) ++i;
    if (i == text.size()) return false;
    if (equals_ignoring_case(key, "graph")) return text[i] == '[';
    ++keys;
    if (text[i] == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      i = close + 1;
    } else if (text[i] == '[') {
      // Another list before the graph (a comment block): skipped whole.
      std::size_t depth = 0;
      for (; i < text.size(); ++i) {
        if (text[i] == '"') {
          const std::size_t close = text.find('"', i + 1);
          if (close == std::string_view::npos) return false;
          i = close;
        } else if (text[i] == '[') {
          ++depth;
        } else if (text[i] == ']' && --depth == 0) {
          break;
        }
      }
      if (i == text.size()) return false;
      ++i;
    } else {
      while (i < text.size() && !is_space(text[i])) ++i;
    }
  }
  return false;
}

}  // namespace

ContentFormat format_by_content(std::string_view head) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  std::size_t first = 0;
  while (first < head.size() && is_space(head[first])) ++first;
  const std::string_view text = head.substr(first);
  if (text.empty()) return {};
  if (text.front() == '<') {
    const std::string root = xml_root(text);
    if (equals_ignoring_case(root, "graphml")) return {"graphml", "an XML root element <graphml>"};
    if (equals_ignoring_case(root, "gexf")) return {"gexf", "an XML root element <gexf>"};
    return {"xml", root.empty() ? "XML markup" : "an XML root element <" + root + ">"};
  }
  if (text.front() == '{') return {"json", "a JSON object"};
  const std::string word = pajek_keyword(first_content_line(text));
  if (word == "network" || word == "vertices" || word == "arcs" || word == "edges" || word == "arcslist" ||
      word == "edgeslist" || word == "matrix") {
    return {"pajek", "a Pajek *" + word + " line"};
  }
  if (has_gml_graph(text)) return {"gml", "a GML graph [ block"};
  return {};
}

}  // namespace mivora
