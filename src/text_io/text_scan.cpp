#include "text_io/text_scan.hpp"

#include <charconv>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

namespace mivora {

std::size_t valid_utf8_prefix(std::string_view text, bool& cut_short) {
  cut_short = false;
  const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* p = begin;
  const unsigned char* end = p + text.size();
  while (p < end) {
    // ASCII runs, eight bytes at a time.
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      if (word & 0x8080808080808080ull) break;
      p += 8;
    }
    if (p == end) break;
    const unsigned char lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
      break;
    }
    const std::size_t available = static_cast<std::size_t>(end - p);
    bool fits = available < 2 || (p[1] >= low && p[1] <= high);
    for (std::size_t i = 2; fits && i < std::min(length, available); ++i) fits = (p[i] & 0xC0) == 0x80;
    if (!fits) break;
    if (available < length) {
      cut_short = true;
      break;
    }
    p += length;
  }
  return static_cast<std::size_t>(p - begin);
}

bool is_valid_utf8(std::string_view text) {
  bool cut_short = false;
  return valid_utf8_prefix(text, cut_short) == text.size();
}

namespace {

bool is_ascii_space(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// Length of the white-space character starting at `p`, or 0.
std::size_t whitespace_at(const unsigned char* p, std::size_t left) {
  if (left == 0) return 0;
  if (is_ascii_space(p[0])) return 1;
  if (left >= 2 && p[0] == 0xC2 && (p[1] == 0x85 || p[1] == 0xA0)) return 2;
  if (left >= 3) {
    if (p[0] == 0xE1 && p[1] == 0x9A && p[2] == 0x80) return 3;
    if (p[0] == 0xE2 && p[1] == 0x80 && (p[2] <= 0x8A || p[2] == 0xA8 || p[2] == 0xA9 || p[2] == 0xAF)) {
      return p[2] >= 0x80 ? 3 : 0;
    }
    if (p[0] == 0xE2 && p[1] == 0x81 && p[2] == 0x9F) return 3;
    if (p[0] == 0xE3 && p[1] == 0x80 && p[2] == 0x80) return 3;
  }
  return 0;
}

}  // namespace

std::string_view trim_unicode_whitespace(std::string_view text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end) {
    const std::size_t width = whitespace_at(data + begin, end - begin);
    if (width == 0) break;
    begin += width;
  }
  while (end > begin) {
    const unsigned char last = data[end - 1];
    if (last < 0x80) {
      if (!is_ascii_space(last)) break;
      --end;
      continue;
    }
    // Step back to the lead byte of the last character.
    std::size_t start = end - 1;
    while (start > begin && (data[start] & 0xC0) == 0x80) --start;
    const std::size_t width = whitespace_at(data + start, end - start);
    if (width != end - start) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

bool equals_ignoring_case(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks the token's syntax; on success `magnitude` is the decimal order of
// its leading significant digit (how large the value is; used only when the
// value falls outside the type's range).
bool check_syntax(std::string_view body, long long& magnitude) {
  if (equals_ignoring_case(body, "inf") || equals_ignoring_case(body, "infinity") ||
      equals_ignoring_case(body, "nan")) {
    magnitude = 0;
    return true;
  }
  std::size_t i = 0;
  std::size_t integral = 0, fraction = 0;
  long long first_significant = -1;  // index among all mantissa digits
  std::size_t digit_index = 0;
  while (i < body.size() && is_digit(body[i])) {
    if (first_significant < 0 && body[i] != '0') first_significant = static_cast<long long>(digit_index);
    ++digit_index, ++integral, ++i;
  }
  if (i < body.size() && body[i] == '.') {
    ++i;
    while (i < body.size() && is_digit(body[i])) {
      if (first_significant < 0 && body[i] != '0') first_significant = static_cast<long long>(digit_index);
      ++digit_index, ++fraction, ++i;
    }
  }
  if (integral + fraction == 0) return false;
  long long exponent = 0;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) negative = body[i++] == '-';
    if (i == body.size() || !is_digit(body[i])) return false;
    while (i < body.size() && is_digit(body[i])) {
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (body[i] - '0');
      ++i;
    }
    if (negative) exponent = -exponent;
  }
  if (i != body.size()) return false;
  magnitude = first_significant < 0 ? 0 : static_cast<long long>(integral) - first_significant + exponent;
  return true;
}

// Plain decimals of few digits ("0.35", "12", "7.") are the usual weights:
// their digits as an integer and the power of ten are both exact in T, so
// one division gives the correctly rounded value, as from_chars would.
template <typename T>
bool parse_short_decimal(std::string_view body, T& value) {
  constexpr std::size_t kMaxDigits = std::is_same_v<T, float> ? 7 : 15;
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (body.size() > kMaxDigits + 1) return false;
  std::uint64_t digits = 0;
  std::size_t count = 0, point = body.size();
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (is_digit(c)) {
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      ++count;
    } else if (c == '.' && point == body.size()) {
      point = i;
    } else {
      return false;
    }
  }
  if (count == 0 || count > kMaxDigits) return false;
  const std::size_t decimals = point == body.size() ? 0 : body.size() - point - 1;
  value = static_cast<T>(digits) / static_cast<T>(kPowers[decimals]);
  return true;
}

template <typename T>
FloatParse parse_float_at(std::string_view token, T& value) {
  if (token.empty()) return FloatParse::Empty;
  std::string_view body = token;
  bool negative = false;
  if (body[0] == '+' || body[0] == '-') {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  if (parse_short_decimal(body, value)) {
    if (negative) value = -value;
    return FloatParse::Ok;
  }
  long long magnitude = 0;
  if (!check_syntax(body, magnitude)) return FloatParse::Invalid;
  const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (error == std::errc::result_out_of_range) {
    value = magnitude > 0 ? std::numeric_limits<T>::infinity() : T(0);
  } else if (error != std::errc() || end != body.data() + body.size()) {
    return FloatParse::Invalid;
  }
  if (negative) value = -value;
  return FloatParse::Ok;
}

}  // namespace

FloatParse parse_float(std::string_view token, double& value) { return parse_float_at(token, value); }
FloatParse parse_float(std::string_view token, float& value) { return parse_float_at(token, value); }

}  // namespace mivora
