#pragma once

#include <cmath>

namespace mivora {

// The length of (x, y), bit for bit as glibc 2.35 and later compute hypot on
// processors without a fast fused multiply-add (x86-64): a square root
// corrected by one Newton step (Borges, "An Improved Algorithm for
// hypot(a, b)", 2019), scaled at the ends of the range. glibc takes an fma
// branch where the processor has one (aarch64), and glibc before 2.35
// another algorithm; all are faithful, but they differ in the last bit for
// about one call in eight, which the spring layout's iterations grow into a
// different drawing. Computed here, the layout draws the same bytes on
// every architecture and C library. (Needs -ffp-contract=off, as the whole
// core is built.)
inline double plane_length(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) {
    if (std::isinf(x) || std::isinf(y)) return INFINITY;
    return x + y;
  }
  x = std::fabs(x);
  y = std::fabs(y);
  double ax = x < y ? y : x;
  double ay = x < y ? x : y;
  constexpr double kScale = 0x1p-600, kLarge = 0x1p+511, kTiny = 0x1p-511, kEpsilon = 0x1p-54;
  // ax >= ay >= 0, and squaring ax, ay and ax - ay neither overflows nor underflows.
  const auto kernel = [](double big, double small) {
    double h = std::sqrt(big * big + small * small);
    double t1, t2;
    if (h <= 2.0 * small) {
      const double delta = h - small;
      t1 = big * (2.0 * delta - big);
      t2 = (delta - 2.0 * (big - small)) * delta;
    } else {
      const double delta = h - big;
      t1 = 2.0 * delta * (big - 2.0 * small);
      t2 = (4.0 * delta - small) * small + delta * delta;
    }
    h -= (t1 + t2) / (2.0 * h);
    return h;
  };
  if (ax > kLarge) {
    if (ay <= ax * kEpsilon) return ax + ay;
    return kernel(ax * kScale, ay * kScale) / kScale;
  }
  if (ay < kTiny) {
    if (ax >= ay / kEpsilon) return ax + ay;
    return kernel(ax / kScale, ay / kScale) * kScale;
  }
  if (ay <= ax * kEpsilon) return ax + ay;
  return kernel(ax, ay);
}

}  // namespace mivora
