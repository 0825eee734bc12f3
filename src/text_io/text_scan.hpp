#pragma once
// Byte-level text helpers of the readers: UTF-8 validation, Unicode
// white-space trimming, the number syntax of the Pajek dialect and line
// ends (LF or CR) found eight bytes at a time.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace mivora {

bool is_valid_utf8(std::string_view text);
// How many leading bytes of `text` are whole, valid UTF-8 sequences;
// `cut_short` says whether what follows is only the start of a sequence
// that the end of `text` cuts off (more bytes may complete it).
std::size_t valid_utf8_prefix(std::string_view text, bool& cut_short);

// Strips Unicode white space (the White_Space property: ASCII space, tab,
// line feed, vertical tab, form feed, carriage return, U+0085, U+00A0,
// U+1680, U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000) from both
// ends of valid UTF-8 text.
std::string_view trim_unicode_whitespace(std::string_view text);

// Whether ASCII `text` equals `lower` (given in lower case) ignoring the case
// of ASCII letters.
bool equals_ignoring_case(std::string_view text, std::string_view lower);

enum class FloatParse { Ok, Empty, Invalid };

// An optional sign, digits with an optional fraction (".5" and "5." too), an
// optional exponent; or inf, infinity, nan in any case. Nothing else may
// stand in the token. Correctly rounded at the target width; magnitudes
// beyond the range become infinity or zero.
FloatParse parse_float(std::string_view token, double& value);
FloatParse parse_float(std::string_view token, float& value);

// Eight bytes tested at once (the usual has-less and has-zero tests): the
// top bit of each byte of `word` below `bound` (at most 0x80), or equal to
// `value`. Exact for the lowest such byte; a byte above it may be marked
// too, by the borrow.
constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
inline std::uint64_t bytes_below(std::uint64_t word, unsigned char bound) {
  return (word - kEveryByte * bound) & ~word & (kEveryByte * 0x80);
}
inline std::uint64_t bytes_equal(std::uint64_t word, unsigned char value) {
  return bytes_below(word ^ (kEveryByte * value), 1);
}

// Whether any of the 8 bytes of `word` is an LF or a CR.
inline bool holds_line_end(std::uint64_t word) { return (bytes_equal(word, '\n') | bytes_equal(word, '\r')) != 0; }

// The position of the last LF or CR in `text`, else npos. Tested eight
// bytes at a time: a line of many megabytes is searched once per chunk of it.
inline std::size_t last_line_end(std::string_view text) {
  std::size_t i = text.size();
  while (i >= 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i - 8, 8);
    if (holds_line_end(word)) break;
    i -= 8;
  }
  for (; i > 0; --i) {
    if (text[i - 1] == '\n' || text[i - 1] == '\r') return i - 1;
  }
  return std::string_view::npos;
}

// The position of the first LF or CR in `text` at or after `from`, else
// its size.
inline std::size_t next_line_end(std::string_view text, std::size_t from) {
  std::size_t i = from;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (holds_line_end(word)) break;
  }
  while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
  return i;
}

}  // namespace mivora
