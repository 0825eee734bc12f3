#pragma once
// File content quoted in a message or warning: control characters (C0, DEL,
// C1) and bytes that are not UTF-8 are written as \xNN, so that content can
// neither move the cursor, recolour a terminal nor start a line of its own,
// and content longer than kShownBytes is cut there with "...".
#include <cstddef>
#include <string>
#include <string_view>

namespace mivora {

inline constexpr std::size_t kShownBytes = 200;

// Valid UTF-8 whatever `raw` holds.
std::string shown_text(std::string_view raw);

}  // namespace mivora
