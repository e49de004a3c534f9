// Comparison of coordinate sets in the tests.
#pragma once

#include <cmath>

#include "state/solute.hpp"

namespace veka::test {

// Root-mean-square distance between points 1..n of two sets (0 for n <= 0).
inline double rmsd(int n, const Xyz& a, const Xyz& b) {
  double s = 0.0;
  for (int i = 1; i <= n; ++i) {
    const double dx = a.x(i) - b.x(i), dy = a.y(i) - b.y(i), dz = a.z(i) - b.z(i);
    s += dx * dx + dy * dy + dz * dz;
  }
  return n > 0 ? std::sqrt(s / n) : 0.0;
}

}  // namespace veka::test
