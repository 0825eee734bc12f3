#pragma once
// Number formatting for text outputs (SVG, Pajek). The fewest decimal digits
// that read back to the same value at the value's own width, written out in
// plain positional notation (padded with zeros, never an exponent: 1e20 is
// "100000000000000000000"), integral values without a fraction, and fixed
// spellings for the specials.
#include <cstdint>
#include <string>

namespace mivora {

void append_shortest(std::string& out, double value);
void append_shortest(std::string& out, float value);
// Decimal digits of an integer, with a minus sign when negative.
void append_integer(std::string& out, std::int64_t value);
void append_integer(std::string& out, std::uint64_t value);

// Shortest round-trip text of a number in the JSON style: integral values
// keep ".0", exponent form outside the fixed range of each width
// ("1e+16", "1.5e-7" with `signed_exponent`, "1e16" without).
void append_json_number(std::string& out, double value, bool signed_exponent);
void append_json_number(std::string& out, float value, bool signed_exponent);

}  // namespace mivora
