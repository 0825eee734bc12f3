#pragma once
// Node size chosen from the size of the graph, so that a drawing of a few
// dozen nodes and one of a hundred thousand both read as networks: the
// discs together cover about a tenth of the 1480 x 680 drawing area.
#include <cstddef>

namespace mivora {

// Radius in canvas units: 20 for small graphs (the style's default), falling
// as 1 / sqrt(node_count), never below 0.5.
double suggested_node_radius(std::size_t node_count);

}  // namespace mivora
