// Analytic derivatives of single terms against central differences, and the geometric
// conventions the terms rely on (those of the Z-matrix construction, genatm).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "fd.hpp"
#include "molecule/geometry.hpp"
#include "normalmodes/derivs.hpp"

namespace veka::nm {
namespace {

using test::finiteDifferences;

std::vector<double> flat(std::initializer_list<Vec3> pts) {
  std::vector<double> x;
  for (const Vec3& p : pts) x.insert(x.end(), p.begin(), p.end());
  return x;
}

TEST(DihedralConvention, MatchesTheZmatrixConstructionForEverySignAndQuadrant) {
  const Vec3 A{0.3, -1.2, 0.4}, B{0.0, 0.0, 0.0}, C{1.5, 0.1, -0.2};
  for (double deg : {-179.0, -120.0, -60.0, -1.0, 0.0, 35.0, 90.0, 150.0, 180.0}) {
    const double phi = deg * std::numbers::pi / 180.0;
    const veka::Vec3 d =
        genatm({A[0], A[1], A[2]}, {B[0], B[1], B[2]}, {C[0], C[1], C[2]}, 1.1, 1.9, phi);
    const Vec3 D{d.x, d.y, d.z};
    const auto x = flat({A, B, C, D});
    const double got = dihedralAngle(x.data(), 1, 2, 3, 4);
    EXPECT_NEAR(std::remainder(got - phi, 2 * std::numbers::pi), 0.0, 1e-12) << deg;
    Dihedral dq;
    ASSERT_TRUE(ddtorsion(x.data(), 1, 2, 3, 4, dq));
    EXPECT_NEAR(std::remainder(dq.phi - phi, 2 * std::numbers::pi), 0.0, 1e-12) << deg;
    // The reverse order names the same angle.
    EXPECT_NEAR(std::remainder(dihedralAngle(x.data(), 4, 3, 2, 1) - phi, 2 * std::numbers::pi),
                0.0, 1e-12);
  }
}

TEST(Torsion, CollinearAtomsLeaveTheDihedralUndefined) {
  const auto x = flat({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}});
  Dihedral dq;
  EXPECT_FALSE(ddtorsion(x.data(), 1, 2, 3, 4, dq));
}

// K (theta - theta0)^2 with theta0 given, for the triple 1-2-3.
test::Evaluator bendEnergy(double kf, double th0) {
  return [kf, th0](std::vector<double>& y, double* g, double* h) {
    Sink out{g, h, 9};
    return ddbend(out, y.data(), 1, 2, 3, kf, th0);
  };
}

TEST(Bend, HarmonicBendMatchesDifferencesFromFoldedToNearlyLinear) {
  for (double deg : {15.0, 60.0, 104.5, 150.0, 179.0, 179.9}) {
    const double th = deg * std::numbers::pi / 180.0;
    const auto x =
        flat({{1.1 * std::cos(th), 1.1 * std::sin(th), 0.2}, {0, 0, 0.2}, {0.95, 0, 0.2}});
    for (double th0deg : {109.5, 180.0}) {
      const auto err =
          finiteDifferences(x, bendEnergy(55.0, th0deg * std::numbers::pi / 180.0), 1e-7);
      EXPECT_LT(err.grad, 1e-6) << deg << " " << th0deg;
      EXPECT_LT(err.hess, 1e-5) << deg << " " << th0deg;
    }
  }
}

TEST(Bend, ExactlyCollinearTripleWithLinearEquilibriumIsStiffInBothBendingDirections) {
  // Atoms on the x axis: E = K (pi - theta)^2 is K |w|^2 with w the bend vector, so the
  // Hessian is 2K sum_p g_p g_p^T over the two perpendicular directions, with
  // g = (1/r1, -(1/r1 + 1/r2), 1/r2) on the perpendicular components.
  const double r1 = 1.2, r2 = 0.8, kf = 40.0;
  const auto x = flat({{-r1, 0, 0}, {0, 0, 0}, {r2, 0, 0}});
  std::vector<double> g(9, 0.0), h(81, 0.0);
  Sink out{g.data(), h.data(), 9};
  EXPECT_NEAR(ddbend(out, x.data(), 1, 2, 3, kf, std::numbers::pi), 0.0, 1e-20);
  const double gp[3] = {1 / r1, -(1 / r1 + 1 / r2), 1 / r2};
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b)
      for (int p = 0; p < 3; ++p)
        for (int q = 0; q < 3; ++q) {
          const double expect = (p == q && p > 0) ? 2 * kf * gp[a] * gp[b] : 0.0;
          EXPECT_NEAR(h[(3 * a + p) * 9 + 3 * b + q], expect, 1e-9 * kf) << a << b << p << q;
        }
  for (double v : g) EXPECT_NEAR(v, 0.0, 1e-12);
  // Differences of the gradient agree at the collinear point as well.
  const auto err = finiteDifferences(x, bendEnergy(kf, std::numbers::pi), 1e-6);
  EXPECT_LT(err.hess, 1e-6);
}

TEST(Stretch, CoincidentAtomsAreSkipped) {
  const auto x = flat({{0.5, 0.5, 0.5}, {0.5, 0.5, 0.5}});
  std::vector<double> g(6, 0.0), h(36, 0.0);
  Sink out{g.data(), h.data(), 6};
  Vec3 u;
  ddstretch(out, 1, 2, separation(x.data(), 1, 2, u), u, 1.0, 1.0);
  for (double v : h) EXPECT_EQ(v, 0.0);
}

}  // namespace
}  // namespace veka::nm
