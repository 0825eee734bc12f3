#pragma once
// Node layouts on the 1500 x 700 canvas.
#include "graph_core/graph.hpp"

namespace mivora {

// The value is the index into the table of layout functions.
enum class LayoutKind : int { Random = 0, Circular = 1, Spring = 2 };

}  // namespace mivora
