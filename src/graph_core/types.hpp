#pragma once
// Vocabulary types shared by every part of the core.
#include <cstddef>
#include <cstdint>

namespace mivora {

using NodeIndex = std::size_t;  // position of a node in its graph's node list
using Weight = float;           // connection weights are single precision everywhere

// The drawing canvas: layouts keep nodes inside [20, 1500] x [20, 700].
inline constexpr double kCanvasWidth = 1500.0;
inline constexpr double kCanvasHeight = 700.0;
inline constexpr double kCanvasMargin = 20.0;

}  // namespace mivora
