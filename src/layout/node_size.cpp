#include "layout/node_size.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graph_core/types.hpp"

namespace mivora {

namespace {
constexpr double kCoveredShare = 0.1;
constexpr double kLargest = 20.0;
constexpr double kSmallest = 0.5;
}  // namespace

double suggested_node_radius(std::size_t node_count) {
  if (node_count == 0) return kLargest;
  const double area = (kCanvasWidth - kCanvasMargin) * (kCanvasHeight - kCanvasMargin);
  // n * pi * r^2 = share * area
  const double radius = std::sqrt(kCoveredShare * area / (std::numbers::pi * static_cast<double>(node_count)));
  return std::clamp(radius, kSmallest, kLargest);
}

}  // namespace mivora
