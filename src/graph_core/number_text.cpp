#include "graph_core/number_text.hpp"

#include <charconv>
#include <cmath>

namespace mivora {
namespace {

template <typename T>
void append_shortest_fixed(std::string& out, T value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  // Fixed notation of the largest double has 309 integral digits; the
  // smallest subnormal needs ~770 fractional digits.
  char buffer[1100];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  out.append(buffer, result.ptr);
}

}  // namespace

void append_shortest(std::string& out, double value) { append_shortest_fixed(out, value); }
void append_shortest(std::string& out, float value) { append_shortest_fixed(out, value); }

}  // namespace mivora
