#pragma once
// Byte-level text helpers of the readers: UTF-8 validation, Unicode
// white-space trimming and the number syntax of the Pajek dialect.
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

}  // namespace mivora
