// The Z-matrix construction of Cartesian coordinates, for building test molecules.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>

namespace veka::test {

using P3 = std::array<double, 3>;

// Places D bonded to C at distance r with angle D-C-B = theta and dihedral D-C-B-A = phi.
inline P3 place(const P3& A, const P3& B, const P3& C, double r, double theta, double phi) {
  auto sub = [](P3 p, P3 q) { return P3{p[0] - q[0], p[1] - q[1], p[2] - q[2]}; };
  auto cross = [](P3 p, P3 q) {
    return P3{p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0]};
  };
  auto unit = [](P3 p) {
    const double l = std::sqrt(std::max(p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1e-36));
    return P3{p[0] / l, p[1] / l, p[2] / l};
  };
  const P3 a = sub(A, C), b = sub(B, C);
  const P3 n1 = unit(cross(a, b)), n2 = unit(cross(b, n1)), n3 = unit(cross(n2, n1));
  P3 d;
  for (int k = 0; k < 3; ++k)
    d[k] = C[k] - r * std::cos(theta) * n3[k] + r * std::sin(theta) * std::cos(phi) * n2[k] +
           r * std::sin(theta) * std::sin(phi) * n1[k];
  return d;
}

// Atom `i` (1-based) of a Z-matrix from the coordinates of the earlier atoms xyz[1..i-1]:
// atom 1 at the origin, atom 2 on +x, atom 3 in the xy plane, the rest by `place`.
template <class Coords>
P3 zmatrixAtom(const Coords& xyz, int i, int j, double r, int k, double theta, int l, double phi) {
  if (i == 1) return {0, 0, 0};
  if (i == 2) return {r, 0, 0};
  if (i == 3) {
    if (j == 1) return {r * std::cos(theta), r * std::sin(theta), 0};
    return {xyz[2][0] - r * std::cos(theta), r * std::sin(theta), 0};
  }
  return place(xyz[static_cast<std::size_t>(l)], xyz[static_cast<std::size_t>(k)],
               xyz[static_cast<std::size_t>(j)], r, theta, phi);
}

}  // namespace veka::test
