// Z-matrix geometry: placing atoms, measuring internal coordinates, superposition and
// reorientation.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "molecule/geometry.hpp"
#include "support/coords.hpp"

namespace veka {
namespace {

constexpr double kPi = 3.141592653589793;

Vec3 randomPoint(std::mt19937_64& g, double span = 3.0) {
  std::uniform_real_distribution<double> u(-span, span);
  return {u(g), u(g), u(g)};
}

// A Z-matrix of n atoms in plain arrays.
struct Chain {
  std::array<int, MAXATM> iz1{}, iz2{}, iz3{};
  std::array<double, MAXATM> bnd{}, ang{}, dih{};
  ZmatView view(int n) const {
    return {n, iz1.data(), iz2.data(), iz3.data(), bnd.data(), ang.data(), dih.data()};
  }
};

TEST(Makmol, FirstThreeAtomsFollowTheirFixedFrame) {
  auto c = std::make_unique<Chain>();
  auto out = std::make_unique<Xyz>();
  out->x(4000) = 9.0;  // the whole capacity is cleared
  c->iz1 = {0, 1, 2};
  c->iz2 = {0, 0, 1};
  c->bnd = {0, 1.5, 1.2};
  c->ang = {0, 0, kPi};
  // Atom 2 on +x; atom 3 bonded to atom 2 with a straight angle lies beyond it.
  makmol(*out, c->view(3));
  EXPECT_EQ(std::tuple(out->x(4000), out->x(1) + out->y(1) + out->z(1) + out->y(2) + out->z(2),
                       out->x(2)),
            std::tuple(0.0, 0.0, 1.5));
  EXPECT_NEAR(out->x(3), 2.7, 1e-15);
  EXPECT_NEAR(out->y(3), 0.0, 1e-15);
  // Bonded to atom 1 at 90 degrees: on the y axis.
  c->iz1[2] = 1;
  c->iz2[2] = 2;
  c->ang[2] = kPi / 2;
  makmol(*out, c->view(3));
  EXPECT_NEAR(out->x(3), 0.0, 1e-15);
  EXPECT_NEAR(out->y(3), 1.2, 1e-15);
  EXPECT_EQ(out->z(3), 0.0);
}

TEST(Makmol, AtomsBuiltFromCollinearStartStayFinite) {
  // Atoms 1-3 on a line (angle 180), atom 4 needs a dihedral about that line.
  auto c = std::make_unique<Chain>();
  auto out = std::make_unique<Xyz>();
  c->iz1 = {0, 1, 2, 3};
  c->iz2 = {0, 0, 1, 2};
  c->iz3 = {0, 0, 0, 1};
  c->bnd = {0, 1.2, 1.2, 1.0};
  c->ang = {0, 0, kPi, 1.9};
  c->dih = {0, 0, 0, 1.0};
  makmol(*out, c->view(4));
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(std::isfinite(out->x(i) + out->y(i) + out->z(i))) << i;
  EXPECT_NEAR(distance(atom(*out, 4), atom(*out, 3)), 1.0, 1e-12);
  EXPECT_NEAR(bondAngle(atom(*out, 4), atom(*out, 3), atom(*out, 2)), 1.9, 1e-9);
  // The normalisations hit their floor instead of dividing by zero.
  EXPECT_EQ(dihedral({2, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}), 0.0);
  EXPECT_NEAR(bondAngle({0, 0, 0}, {0, 0, 0}, {1, 0, 0}), kPi / 2, 1e-15);
}

TEST(Makmol, RebuildFromTheFirstChangedAtomEqualsAFullBuild) {
  auto c = std::make_unique<Chain>();
  std::mt19937_64 g(23);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const int n = 700;
  for (int i = 1; i < n; ++i) {  // element i is atom i + 1
    const auto k = static_cast<std::size_t>(i);
    c->iz1[k] = std::max(1, i - static_cast<int>(g() % 4));
    c->iz2[k] = i >= 2 ? (c->iz1[k] == 1 ? 2 : c->iz1[k] - 1) : 0;
    c->iz3[k] = i >= 3 ? (c->iz2[k] == 1 ? (c->iz1[k] == 2 ? 3 : 2) : c->iz2[k] - 1) : 0;
    if (i >= 3 && c->iz3[k] == c->iz1[k]) c->iz3[k] = 3;
    c->bnd[k] = 1.0 + u(g);
    c->ang[k] = 1.5 + u(g);
    c->dih[k] = 6.0 * u(g) - 3.0;
  }
  auto full = std::make_unique<Xyz>();
  auto part = std::make_unique<Xyz>();
  makmol(*part, c->view(n));
  for (int first : {500, 4, 137, 700}) {
    c->dih[static_cast<std::size_t>(first - 1)] += 0.3;
    makmol(*full, c->view(n));
    makmolFrom(*part, c->view(n), first);
    for (int i = 1; i <= n; ++i) {
      ASSERT_EQ(full->x(i), part->x(i)) << first << " " << i;
      ASSERT_EQ(full->z(i), part->z(i)) << first << " " << i;
    }
  }
}

using Rotation = std::array<std::array<double, 3>, 3>;

Vec3 rotate(const Rotation& u, const Vec3& p, const Vec3& shift = {}) {
  return {u[0][0] * p.x + u[0][1] * p.y + u[0][2] * p.z + shift.x,
          u[1][0] * p.x + u[1][1] * p.y + u[1][2] * p.z + shift.y,
          u[2][0] * p.x + u[2][1] * p.y + u[2][2] * p.z + shift.z};
}

// Random rotation matrix from a random unit quaternion.
Rotation randomRotation(std::mt19937_64& g) {
  std::normal_distribution<double> n;
  double q[4], s = 0;
  for (double& v : q) {
    v = n(g);
    s += v * v;
  }
  for (double& v : q) v /= std::sqrt(s);
  const double a = q[0], b = q[1], c = q[2], d = q[3];
  return {{{a * a + b * b - c * c - d * d, 2 * (b * c - a * d), 2 * (b * d + a * c)},
           {2 * (b * c + a * d), a * a - b * b + c * c - d * d, 2 * (c * d - a * b)},
           {2 * (b * d - a * c), 2 * (c * d + a * b), a * a - b * b - c * c + d * d}}};
}

TEST(Qtrf, ReturnsARotatedAndShiftedCopyToTheReference) {
  std::mt19937_64 g(11);
  auto ref = std::make_unique<Xyz>();
  auto mov = std::make_unique<Xyz>();
  for (int n : {3, 4, 10, 100, 4500}) {
    for (int trial = 0; trial < 5; ++trial) {
      const auto u = randomRotation(g);
      const Vec3 shift = randomPoint(g, 50.0);
      for (int i = 1; i <= n; ++i) {
        const Vec3 p = randomPoint(g, 10.0);
        setAtom(*ref, i, p);
        setAtom(*mov, i, rotate(u, p, shift));
      }
      ASSERT_GT(test::rmsd(n, *ref, *mov), 1.0);
      qtrf(n, *ref, *mov);
      EXPECT_LT(test::rmsd(n, *ref, *mov), 1e-10) << "n=" << n;
    }
  }
}

TEST(Qtrf, FindsTheLeastSquaresFitOfNoisyCopies) {
  // With noise the fitted RMSD must not be improved by any small extra rotation.
  std::mt19937_64 g(5);
  std::normal_distribution<double> noise(0.0, 0.2);
  auto ref = std::make_unique<Xyz>();
  auto mov = std::make_unique<Xyz>();
  const int n = 50;
  const auto u = randomRotation(g);
  for (int i = 1; i <= n; ++i) {
    const Vec3 p = randomPoint(g, 5.0);
    setAtom(*ref, i, p);
    setAtom(*mov, i, rotate(u, p, {noise(g), noise(g), noise(g)}));
  }
  qtrf(n, *ref, *mov);
  const double best = test::rmsd(n, *ref, *mov);
  EXPECT_LT(best, 0.5);
  auto probe = std::make_unique<Xyz>();
  for (int axis = 0; axis < 3; ++axis)
    for (double angle : {-0.01, 0.01}) {
      const double c = std::cos(angle), s = std::sin(angle);
      Rotation r{};
      r[axis][axis] = 1.0;
      const int a = (axis + 1) % 3, b = (axis + 2) % 3;
      r[a][a] = r[b][b] = c, r[a][b] = -s, r[b][a] = s;
      for (int i = 1; i <= n; ++i) setAtom(*probe, i, rotate(r, atom(*mov, i)));
      EXPECT_GT(test::rmsd(n, *ref, *probe), best);
    }
}

TEST(Jacobi, StopsOnAMatrixThatIsNotANumber) {
  std::array<std::array<double, 4>, 4> a{};
  a[0][1] = a[1][0] = std::nan("");
  std::array<double, 4> d{};
  std::array<std::array<double, 4>, 4> v{};
  EXPECT_EQ(jacobi(a, d, v), 0);  // returns at once instead of sweeping forever
}

}  // namespace
}  // namespace veka

namespace veka {
namespace {

TEST(SinCos, AgreesWithTheLibraryEverywhere) {
  std::mt19937_64 g(17);
  std::vector<double> x;
  std::uniform_real_distribution<double> small(-7.0, 7.0), mid(-1000.0, 1000.0), big(-8.0e5, 8.0e5);
  for (int i = 0; i < 20000; ++i) x.push_back(small(g));
  for (int i = 0; i < 5000; ++i) x.push_back(mid(g));
  for (int i = 0; i < 5000; ++i) x.push_back(big(g));
  const double pi = 3.141592653589793;
  for (double v : {0.0, -0.0, pi / 4, -pi / 4, pi / 2, pi, -pi, 1.5 * pi, 2 * pi, 1e-300, 3e6,
                   -1e12, 1e300, std::numeric_limits<double>::infinity(), std::nan("")})
    x.push_back(v);
  std::vector<double> s(x.size()), c(x.size());
  sinCos(x.data(), s.data(), c.data(), static_cast<int>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (std::isnan(std::sin(x[i]))) {
      EXPECT_TRUE(std::isnan(s[i]) && std::isnan(c[i])) << x[i];
      continue;
    }
    // Within two units in the last place of a value of size 1 (the argument reduction
    // loses no more than that for the arguments met here).
    EXPECT_NEAR(s[i], std::sin(x[i]), 4.5e-16) << x[i];
    EXPECT_NEAR(c[i], std::cos(x[i]), 4.5e-16) << x[i];
  }
  EXPECT_EQ(s[x.size() - 15], 0.0);  // sin 0 is exactly 0
  EXPECT_EQ(c[x.size() - 15], 1.0);
}

// Distance in units in the last place between two doubles of the same sign.
std::int64_t ulps(double a, double b) {
  std::int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof a);
  std::memcpy(&ib, &b, sizeof b);
  return ia > ib ? ia - ib : ib - ia;
}

TEST(ArcTan2, AgreesWithTheLibraryInEveryOctantAndAtTheEdges) {
  std::mt19937_64 g(5);
  std::vector<double> y, x;
  std::uniform_real_distribution<double> u(-1.0, 1.0), e(-30.0, 30.0);
  for (int i = 0; i < 40000; ++i) {
    y.push_back(u(g) * std::pow(10.0, e(g))), x.push_back(u(g) * std::pow(10.0, e(g)));
    y.push_back(u(g)), x.push_back(u(g));
  }
  // The axes, the diagonals and the reduction boundaries |y/x| = 0.66 and 1/0.66.
  for (double a : {1.0, -1.0, 0.0, -0.0})
    for (double b : {1.0, -1.0, 0.66, -0.66, 1.0 / 0.66, 1e-300, 0.0})
      y.push_back(a), x.push_back(b), y.push_back(b), x.push_back(a);
  std::vector<double> r(y.size());
  arctan2(y.data(), x.data(), r.data(), static_cast<int>(y.size()));
  for (std::size_t i = 0; i < y.size(); ++i) {
    const double want = (x[i] == 0.0 && y[i] == 0.0) ? 0.0 : std::atan2(y[i], x[i]);
    if (want == 0.0) {
      EXPECT_EQ(std::fabs(r[i]), 0.0) << y[i] << " " << x[i];
      continue;
    }
    EXPECT_LE(ulps(r[i], want), 2) << y[i] << " " << x[i] << " " << r[i] << " " << want;
    EXPECT_EQ(r[i], arctan2(y[i], x[i]));  // one at a time equals the batch
  }
}

TEST(ArcCos, AgreesWithTheLibraryOverTheWholeRange) {
  std::vector<double> c;
  for (int i = 0; i <= 20000; ++i) c.push_back(-1.0 + i * 1.0e-4);
  for (double v : {1.0 - 1e-15, -1.0 + 1e-15, 1e-300, -1e-300, 0.5, -0.5}) c.push_back(v);
  std::vector<double> r(c.size());
  arccos(c.data(), r.data(), static_cast<int>(c.size()));
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (c[i] == 1.0) {
      EXPECT_EQ(r[i], 0.0);
      continue;
    }
    EXPECT_LE(ulps(r[i], std::acos(c[i])), 2) << c[i];
  }
}

}  // namespace
}  // namespace veka
