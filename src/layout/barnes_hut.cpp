#include "layout/barnes_hut.hpp"

#include <algorithm>
#include <numeric>

namespace mivora {

namespace {
// A cell with at most this many points is not split; nor is one so deep
// that its points coincide.
constexpr std::uint32_t kLeafSize = 8;
constexpr int kMaxDepth = 40;
}  // namespace

void QuadTree::build(const LayoutPoint* points, const std::uint32_t* masses, std::size_t n) {
  points_ = points;
  masses_ = masses;
  cells_.clear();
  order_.resize(n);
  std::iota(order_.begin(), order_.end(), 0u);
  if (n == 0) return;
  double min_x = points[0].x, max_x = min_x, min_y = points[0].y, max_y = min_y;
  for (std::size_t i = 1; i < n; ++i) {
    min_x = std::min(min_x, points[i].x);
    max_x = std::max(max_x, points[i].x);
    min_y = std::min(min_y, points[i].y);
    max_y = std::max(max_y, points[i].y);
  }
  const double side = std::max({max_x - min_x, max_y - min_y, 1e-9});
  cells_.reserve(n / 2 + 16);
  build_cell(0, static_cast<std::uint32_t>(n), min_x, min_y, side, 0);
  tree_points_.resize(n);
  tree_masses_.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    tree_points_[k] = points[order_[k]];
    tree_masses_[k] = masses[order_[k]];
  }
}

void QuadTree::build_cell(std::uint32_t begin, std::uint32_t end, double x0, double y0, double side, int depth) {
  const auto index = static_cast<std::uint32_t>(cells_.size());
  cells_.push_back(Cell{0.0, 0.0, 0.0, side * side, 0, begin, end, false});
  if (end - begin <= kLeafSize || depth >= kMaxDepth) {
    double sx = 0.0, sy = 0.0, mass = 0.0;
    for (std::uint32_t k = begin; k < end; ++k) {
      const double m = masses_[order_[k]];
      sx += m * points_[order_[k]].x;
      sy += m * points_[order_[k]].y;
      mass += m;
    }
    Cell& cell = cells_[index];
    cell.mass = mass;
    cell.cx = sx / cell.mass;
    cell.cy = sy / cell.mass;
    cell.leaf = true;
    cell.next = index + 1;
    return;
  }
  // Quadrants in the order bottom-left, bottom-right, top-left, top-right.
  const double half = side / 2.0, mid_x = x0 + half, mid_y = y0 + half;
  std::uint32_t* first = order_.data() + begin;
  std::uint32_t* last = order_.data() + end;
  std::uint32_t* split_y = std::partition(first, last, [&](std::uint32_t i) { return points_[i].y < mid_y; });
  std::uint32_t* split_low = std::partition(first, split_y, [&](std::uint32_t i) { return points_[i].x < mid_x; });
  std::uint32_t* split_high = std::partition(split_y, last, [&](std::uint32_t i) { return points_[i].x < mid_x; });
  const std::uint32_t bounds[5] = {begin, static_cast<std::uint32_t>(split_low - order_.data()),
                                   static_cast<std::uint32_t>(split_y - order_.data()),
                                   static_cast<std::uint32_t>(split_high - order_.data()), end};
  double sx = 0.0, sy = 0.0, mass = 0.0;
  for (int q = 0; q < 4; ++q) {
    if (bounds[q] == bounds[q + 1]) continue;
    const auto child = static_cast<std::uint32_t>(cells_.size());
    build_cell(bounds[q], bounds[q + 1], (q & 1) ? mid_x : x0, (q & 2) ? mid_y : y0, half, depth + 1);
    sx += cells_[child].cx * cells_[child].mass;
    sy += cells_[child].cy * cells_[child].mass;
    mass += cells_[child].mass;
  }
  Cell& cell = cells_[index];
  cell.mass = mass;
  cell.cx = sx / cell.mass;
  cell.cy = sy / cell.mass;
  cell.next = static_cast<std::uint32_t>(cells_.size());
}

void QuadTree::repulsion(double px, double py, double theta, double& fx, double& fy) const {
  const double theta_squared = theta * theta;
  double ax = 0.0, ay = 0.0;
  const auto count = static_cast<std::uint32_t>(cells_.size());
  std::uint32_t i = 0;
  while (i < count) {
    const Cell& cell = cells_[i];
    const double dx = px - cell.cx, dy = py - cell.cy;
    const double d2 = dx * dx + dy * dy;
    if (cell.side_squared < theta_squared * d2) {
      const double push = cell.mass / d2;
      ax += push * dx;
      ay += push * dy;
      i = cell.next;
    } else if (cell.leaf) {
      for (std::uint32_t k = cell.begin; k < cell.end; ++k) {
        const double ex = px - tree_points_[k].x, ey = py - tree_points_[k].y;
        const double e2 = ex * ex + ey * ey;
        const double push = e2 > 0.0 ? tree_masses_[k] / e2 : 0.0;
        ax += push * ex;
        ay += push * ey;
      }
      i = cell.next;
    } else {
      ++i;
    }
  }
  fx += ax;
  fy += ay;
}

}  // namespace mivora
