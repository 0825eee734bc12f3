#pragma once
// Every number that becomes text (files, pages, messages) is written here,
// never through the C library's locale-dependent formatting.
//
// Integers: plain decimal digits, a '-' for negatives.
// Doubles and floats for text outputs (SVG, Pajek): the fewest decimal digits
// that read back to the same value at the value's own width, written out in
// plain positional notation (padded with zeros, never an exponent: 1e20 is
// "100000000000000000000"), integral values without a fraction, and fixed
// spellings for the specials.
#include <cstdint>
#include <string>
#include <type_traits>

namespace mivora {

void append_integer(std::string& out, std::int64_t value);
void append_integer(std::string& out, std::uint64_t value);
// For the other integer widths, without ambiguity between the two above.
template <typename Integer>
  requires std::is_integral_v<Integer>
void append_integer(std::string& out, Integer value) {
  if constexpr (std::is_signed_v<Integer>) {
    append_integer(out, static_cast<std::int64_t>(value));
  } else {
    append_integer(out, static_cast<std::uint64_t>(value));
  }
}
template <typename Integer>
  requires std::is_integral_v<Integer>
std::string integer_text(Integer value) {
  std::string out;
  append_integer(out, value);
  return out;
}

void append_shortest(std::string& out, double value);
void append_shortest(std::string& out, float value);
// The shortest form as a string of its own.
std::string shortest_text(double value);
std::string shortest_text(float value);

// `digits` significant digits, trailing zeros dropped, an exponent outside
// [1e-5, 10^digits) ("0.00080032", "1.5e+07"): C's "%.<digits>g" in the C
// locale, whatever the process's locale.
void append_significant(std::string& out, double value, int digits);

// Shortest round-trip text of a number in the JSON style: integral values
// keep ".0", exponent form outside the fixed range of each width
// ("1e+16", "1.5e-7" with `signed_exponent`, "1e16" without).
void append_json_number(std::string& out, double value, bool signed_exponent);
void append_json_number(std::string& out, float value, bool signed_exponent);

}  // namespace mivora
