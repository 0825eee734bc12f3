#pragma once
// Vocabulary types shared by every part of the core.
#include <cstddef>
#include <cstdint>

namespace mivora {

using NodeIndex = std::size_t;  // position of a node in its graph's node list
// A node's number in the 32-bit arrays every snapshot, CSR row and measure
// uses (a graph holds fewer than 2^32 - 1 nodes).
using NodeId = std::uint32_t;
// "No node": an unreached node's parent, an absent target, a node that takes
// no part.
inline constexpr NodeId kNoNode = ~NodeId{0};
using Weight = float;  // connection weights are single precision everywhere

// The drawing canvas: layouts keep nodes inside [20, 1500] x [20, 700].
inline constexpr double kCanvasWidth = 1500.0;
inline constexpr double kCanvasHeight = 700.0;
inline constexpr double kCanvasMargin = 20.0;

}  // namespace mivora
