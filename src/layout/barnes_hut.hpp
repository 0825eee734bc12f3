#pragma once
// Barnes-Hut quadtree for the repulsion of the force layout: the push of
// all points on one point in O(log N) instead of O(N), far groups of points
// standing in as one point of their total mass at their centre of mass.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mivora {

struct LayoutPoint {
  double x, y;
};

class QuadTree {
 public:
  // Rebuilds the tree over points[0..n) of the given masses. O(N log N).
  void build(const LayoutPoint* points, const std::uint32_t* masses, std::size_t n);

  // Sum over every point q of the tree other than those at (px, py) itself
  // of mass(q) (p - q) / |p - q|^2: the direction and 1/d fall-off of 2-D
  // electrical repulsion. A cell of side s is taken whole when
  // s < theta * distance.
  void repulsion(double px, double py, double theta, double& fx, double& fy) const;

  // The points in tree order (nearby points next to each other): walking
  // them in this order keeps the cells a walk visits in cache.
  const std::vector<std::uint32_t>& order() const { return order_; }

 private:
  struct Cell {
    double cx, cy;             // centre of mass
    double mass;               // total mass of its points
    double side_squared;       // side of the square the cell covers, squared
    std::uint32_t next;        // the cell after this one's subtree (pre-order)
    std::uint32_t begin, end;  // the cell's points in tree order; leaves only
    bool leaf;
  };

  void build_cell(std::uint32_t begin, std::uint32_t end, double x0, double y0, double side, int depth);

  std::vector<Cell> cells_;
  std::vector<std::uint32_t> order_;
  std::vector<LayoutPoint> tree_points_;  // the points by tree order
  std::vector<double> tree_masses_;
  const LayoutPoint* points_ = nullptr;
  const std::uint32_t* masses_ = nullptr;
};

}  // namespace mivora
