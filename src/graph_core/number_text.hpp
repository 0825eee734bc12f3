#pragma once
// Number formatting for text outputs (SVG, Pajek). Shortest decimal that reads
// back to the same value at the value's own width, plain positional notation,
// integral values without a fraction, and fixed spellings for the specials.
#include <string>

namespace mivora {

void append_shortest(std::string& out, double value);
void append_shortest(std::string& out, float value);

}  // namespace mivora
