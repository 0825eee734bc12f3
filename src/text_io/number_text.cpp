#include "text_io/number_text.hpp"

#include <charconv>
#include <cmath>

namespace mivora {
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

}  // namespace

void append_shortest(std::string& out, double value) { append_shortest_positional(out, value); }
void append_shortest(std::string& out, float value) { append_shortest_positional(out, value); }

}  // namespace mivora
