#include "text_io/number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace mivora {

void append_integer(std::string& out, std::int64_t value) {
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void append_integer(std::string& out, std::uint64_t value) {
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

namespace {

template <typename T>
void append_shortest_positional(std::string& out, T value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  // The shortest digits come as "-d.ddde+XX"; lay them out positionally.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const char* p = buffer;
  if (*p == '-') {
    out += '-';
    ++p;
  }
  char digits[32];
  int count = 0;
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits[count++] = *p;
  }
  int exponent = 0;
  const char* exponent_text = p + 1;
  if (*exponent_text == '+') ++exponent_text;
  std::from_chars(exponent_text, result.ptr, exponent);
  if (count == 1 && digits[0] == '0') {
    out += '0';
    return;
  }
  if (exponent >= 0) {
    const int integral = exponent + 1;
    for (int i = 0; i < integral; ++i) out += i < count ? digits[i] : '0';
    if (count > integral) {
      out += '.';
      out.append(digits + integral, static_cast<std::size_t>(count - integral));
    }
  } else {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out.append(digits, static_cast<std::size_t>(count));
  }
}

// Most weights are decimals of few digits (0.35, 12, 7.64). For such a
// float the fewest decimals k whose nearest k-decimal number reads back as
// the value give the shortest text, as to_chars finds it: |value| * 10^k is
// exact in double, and the digits and the power of ten are exact in float,
// so the division that checks the read-back rounds as a reader does. False
// when the value is not one of these (the general path then writes it).
bool append_short_decimal(std::string& out, float value) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
  constexpr double kDigitsLimit = 1e7;  // below 2^24: exact in float
  const double magnitude = std::fabs(static_cast<double>(value));
  if (!(magnitude > 0.0) || magnitude >= kDigitsLimit) return false;
  for (int k = 0; k < 8; ++k) {
    const double scaled = magnitude * kPowers[k];
    if (scaled >= kDigitsLimit) return false;
    const double nearest = std::nearbyint(scaled);
    if (std::fabs(scaled - nearest) == 0.5) return false;  // two nearest: to_chars settles it
    if (nearest == 0.0) continue;
    if (static_cast<float>(nearest) / static_cast<float>(kPowers[k]) != static_cast<float>(magnitude)) continue;
    auto digits = static_cast<std::uint32_t>(nearest);
    char text[16];
    char* end = text + sizeof text;
    char* p = end;
    for (int i = 0; i < k; ++i, digits /= 10) *--p = static_cast<char>('0' + digits % 10);
    if (k > 0) *--p = '.';
    do {
      *--p = static_cast<char>('0' + digits % 10);
      digits /= 10;
    } while (digits != 0);
    if (value < 0) *--p = '-';
    out.append(p, static_cast<std::size_t>(end - p));
    return true;
  }
  return false;
}

}  // namespace

void append_shortest(std::string& out, double value) { append_shortest_positional(out, value); }
void append_shortest(std::string& out, float value) {
  if (!append_short_decimal(out, value)) append_shortest_positional(out, value);
}

std::string shortest_text(double value) {
  std::string out;
  append_shortest(out, value);
  return out;
}

std::string shortest_text(float value) {
  std::string out;
  append_shortest(out, value);
  return out;
}

void append_significant(std::string& out, double value, int digits) {
  if (std::isnan(value)) {
    out += std::signbit(value) ? "-nan" : "nan";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  char buffer[64];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits).ptr);
}

namespace {

// Fixed notation is used while the decimal exponent e of the leading digit
// (value = d.ddd * 10^e) satisfies min_exponent <= e < max_exponent.
template <typename T>
void append_json_number_at(std::string& out, T value, bool signed_exponent, int min_exponent, int max_exponent) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  // "-d.ddde+XX": split into sign, digits and exponent.
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  if (text.front() == '-') {
    out += '-';
    text.remove_prefix(1);
  }
  const std::size_t e_at = text.find('e');
  std::string digits;
  digits += text[0];
  if (e_at > 1) digits.append(text.substr(2, e_at - 2));
  int exponent = 0;
  const std::string_view exponent_text = text.substr(e_at + 1);
  std::from_chars(exponent_text.data() + (exponent_text[0] == '+' ? 1 : 0), exponent_text.data() + exponent_text.size(),
                  exponent);
  if (value == 0) {
    out += "0.0";
    return;
  }
  const int length = static_cast<int>(digits.size());
  if (exponent >= min_exponent && exponent < max_exponent) {
    if (exponent >= 0) {
      const int integral = exponent + 1;
      if (length <= integral) {
        out += digits;
        out.append(static_cast<std::size_t>(integral - length), '0');
        out += ".0";
      } else {
        out.append(digits, 0, static_cast<std::size_t>(integral));
        out += '.';
        out.append(digits, static_cast<std::size_t>(integral));
      }
    } else {
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    }
    return;
  }
  out += digits[0];
  if (length > 1) {
    out += '.';
    out.append(digits, 1);
  }
  out += 'e';
  if (exponent >= 0 && signed_exponent) out += '+';
  append_integer(out, exponent);
}

}  // namespace

void append_json_number(std::string& out, double value, bool signed_exponent) {
  append_json_number_at(out, value, signed_exponent, -5, 16);
}

void append_json_number(std::string& out, float value, bool signed_exponent) {
  append_json_number_at(out, value, signed_exponent, -6, 13);
}

}  // namespace mivora
