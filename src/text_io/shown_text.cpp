#include "text_io/shown_text.hpp"

#include <cstdint>

namespace mivora {
namespace {

// The length of the well-formed UTF-8 sequence at `text[i]`, 0 if there is none.
std::size_t sequence_length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void append_escape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 15];
}

}  // namespace

std::string shown_text(std::string_view raw) {
  const bool cut = raw.size() > kShownBytes;
  const std::size_t end = cut ? kShownBytes : raw.size();
  std::string out;
  out.reserve(end + 8);
  std::size_t i = 0;
  while (i < end) {
    const auto byte = static_cast<unsigned char>(raw[i]);
    const std::size_t length = sequence_length(raw, i);
    if (length > 1 && i + length > end) break;  // a character the cut falls into
    if (length == 0) {
      append_escape(out, byte);
      ++i;
    } else if (length == 1 && (byte < 0x20 || byte == 0x7F)) {
      append_escape(out, byte);
      ++i;
    } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(raw[i + 1]) < 0xA0) {
      append_escape(out, static_cast<unsigned char>(raw[i + 1]));  // C1: U+0080..U+009F
      i += 2;
    } else {
      out.append(raw.substr(i, length));
      i += length;
    }
  }
  if (cut) out += "...";
  return out;
}

}  // namespace mivora
