#include "text_io/xml_text.hpp"

#include <algorithm>

namespace mivora {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// The length of the UTF-8 sequence at `i`; 0 when the bytes there are not one.
std::size_t utf8_sequence_length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u; };
  const unsigned lead = byte(0);
  const auto continuation = [&](std::size_t k, unsigned low = 0x80, unsigned high = 0xBF) {
    return byte(k) >= low && byte(k) <= high;
  };
  if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : 0xBF;  // not the UTF-16 surrogates
    return continuation(1, low, high) && continuation(2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    return continuation(1, low, high) && continuation(2) && continuation(3) ? 4 : 0;
  }
  return 0;
}

}  // namespace

bool append_xml_text(std::string& out, std::string_view text, const XmlEscaping& how) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::string_view replacement;
    std::size_t length = 1;
    bool unfit = false;
    switch (byte) {
      case '&':
        replacement = "&amp;";
        break;
      case '<':
        replacement = "&lt;";
        break;
      case '>':
        replacement = "&gt;";
        break;
      case '"':
        if (how.quote) replacement = "&quot;";
        break;
      case '\t':
        if (how.whitespace_references) replacement = "&#9;";
        break;
      case '\n':
        if (how.whitespace_references) replacement = "&#10;";
        break;
      case '\r':
        if (how.whitespace_references) replacement = "&#13;";
        break;
      default:
        if (byte < 0x20) {
          unfit = true;
        } else if (byte >= 0x80) {
          length = utf8_sequence_length(text, i);
          const bool noncharacter = length == 3 && byte == 0xEF && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                                    static_cast<unsigned char>(text[i + 2]) >= 0xBE;
          unfit = length == 0 || noncharacter;
          length = std::max<std::size_t>(length, 1);
        }
        break;
    }
    if (unfit) {
      if (!how.replace_unfit) {
        out.append(text, start, i - start);
        return false;
      }
      replacement = kReplacementCharacter;
    }
    if (replacement.empty()) {
      i += length - 1;
      continue;
    }
    out.append(text, start, i - start);
    out += replacement;
    i += length - 1;
    start = i + 1;
  }
  out.append(text, start);
  return true;
}

}  // namespace mivora
