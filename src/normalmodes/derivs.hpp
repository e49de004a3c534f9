// Analytic Cartesian first and second derivatives of the force-field terms of the
// normal-mode analysis.
//
// Coordinates are one array x[3 (i - 1) + c] (atom i = 1..n, c = 0, 1, 2 for x, y, z).
// Gradients are accumulated into g (length 3n) and Hessians into the full (both
// triangles) row-major 3n x 3n matrix h with leading dimension ld; either may be null.
//
//  ddstretch  any radial pair term E(r): bonds, restraints, nonbonded pairs
//  ddcbend    the cosine of a bend angle, its gradient and Hessian (smooth everywhere)
//  ddbend     the harmonic bend K (theta - theta0)^2 through the chain rule on the cosine,
//             stable for collinear and nearly collinear triples
//  ddtorsion  the dihedral angle, its gradient and Hessian (proper and improper)
#pragma once

#include <array>

namespace veka::nm {

struct Sink {
  double* g = nullptr;  // gradient, 3n
  double* h = nullptr;  // Hessian, 3n x 3n row-major
  int ld = 0;           // leading dimension of h
};

using Vec3 = std::array<double, 3>;

inline Vec3 position(const double* x, int i) {
  const double* p = x + 3 * (i - 1);
  return {p[0], p[1], p[2]};
}

// Distance from atom j to atom i and the unit vector (r_i - r_j) / r.
double separation(const double* x, int i, int j, Vec3& u);

// Adds a radial term with first derivative e1 = dE/dr and second e2 = d2E/dr2 for the
// pair (i, j) at distance r along u = (r_i - r_j) / r. Pairs closer than 1e-6 A are
// skipped: their direction is undefined.
void ddstretch(Sink& out, int i, int j, double r, const Vec3& u, double e1, double e2);

// Cosine c of the angle i-j-k (vertex j) with its gradient (9, atoms i, j, k in that
// order) and Hessian (9 x 9 row-major). Returns false when an arm has zero length.
struct Cosine {
  double c = 1.0;
  std::array<double, 9> g{};
  std::array<double, 81> h{};
};
bool ddcbend(const double* x, int i, int j, int k, Cosine& out);

// Harmonic bend energy K (theta - theta0)^2 of the angle i-j-k (theta0 in radians),
// accumulated into out; returns the energy. theta is the angle in [0, pi].
double ddbend(Sink& out, const double* x, int i, int j, int k, double kf, double theta0);

// The bend angle i-j-k in radians, in [0, pi].
double bendAngle(const double* x, int i, int j, int k);

// Dihedral angle i-j-k-l in (-pi, pi] with gradient (12, atoms i, j, k, l) and Hessian
// (12 x 12). The sign follows the usual convention: looking along j -> k, positive when the
// far bond k-l is rotated clockwise from the near bond j-i. Returns false (nothing
// defined) when i-j-k or j-k-l is collinear within sin < 1e-8.
struct Dihedral {
  double phi = 0.0;
  std::array<double, 12> g{};
  std::array<double, 144> h{};
};
bool ddtorsion(const double* x, int i, int j, int k, int l, Dihedral& out);

// The dihedral angle i-j-k-l alone (0 when undefined).
double dihedralAngle(const double* x, int i, int j, int k, int l);

// Adds e1 * grad q + (e2 grad q grad q^T + e1 hess q) for an internal coordinate q of m
// atoms whose gradient (3m) and Hessian (3m x 3m) are given.
void addCoordinateTerm(Sink& out, const int* atoms, int m, const double* gq, const double* hq,
                       double e1, double e2);

}  // namespace veka::nm
