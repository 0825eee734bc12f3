#pragma once
// Barnes-Hut quadtree for the repulsion of the force layout: the push of
// all points on one point in O(log N) instead of O(N), far groups of points
// standing in as one point of their total mass at their centre of mass.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mivora {

class QuadTree {
 public:
  // Rebuilds the tree over the points (x[i], y[i]), i < n. O(N log N).
  void build(const double* x, const double* y, std::size_t n);

  // Sum over every point q of the tree other than those at (px, py) itself
  // of (p - q) / |p - q|^2: the direction and 1/d fall-off of 2-D electrical
  // repulsion. A cell of side s is taken whole when s < theta * distance.
  void repulsion(double px, double py, double theta, double& fx, double& fy) const;

  // The points in tree order (nearby points next to each other): walking
  // them in this order keeps the cells a walk visits in cache.
  const std::vector<std::uint32_t>& order() const { return order_; }

 private:
  struct Cell {
    double cx, cy;        // centre of mass
    double mass;          // number of points
    double side_squared;  // side of the square the cell covers, squared
    std::uint32_t next;   // the cell after this one's subtree (pre-order)
    std::uint32_t begin, end;  // the cell's points in tree order; leaves only
    bool leaf;
  };

  void build_cell(std::uint32_t begin, std::uint32_t end, double x0, double y0, double side, int depth);

  std::vector<Cell> cells_;
  std::vector<std::uint32_t> order_;
  std::vector<double> tree_x_, tree_y_;  // coordinates by tree order
  const double* x_ = nullptr;
  const double* y_ = nullptr;
};

}  // namespace mivora
