// Householder reduction + implicit-shift QL: eigenpairs of symmetric matrices, including
// degenerate spectra and the wide spread of scales of a Hessian with rigid terms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "normalmodes/eigen.hpp"

namespace veka::nm {
namespace {

struct Eig {
  std::vector<double> d, v;  // eigenvalues, eigenvectors as rows
};

Eig solve(std::vector<double> a, int n) {
  Eig r{std::vector<double>(static_cast<std::size_t>(n)),
        std::vector<double>(static_cast<std::size_t>(n * n))};
  std::vector<double> e(static_cast<std::size_t>(n));
  EXPECT_TRUE(symmetricEigen(a.data(), n, n, r.d.data(), e.data(), r.v.data(), n));
  return r;
}

// max |A v - lambda v| / ||A||, max |V V^T - I|, ascending order.
void checkPairs(const std::vector<double>& a, int n, const Eig& r, double tol) {
  double norm = 0.0;
  for (double x : a) norm = std::max(norm, std::fabs(x));
  if (norm == 0.0) norm = 1.0;
  for (int k = 0; k < n; ++k) {
    if (k > 0) {
      EXPECT_LE(r.d[k - 1], r.d[k]);
    }
    for (int i = 0; i < n; ++i) {
      double av = 0.0;
      for (int j = 0; j < n; ++j) av += a[i * n + j] * r.v[k * n + j];
      EXPECT_NEAR(av, r.d[k] * r.v[k * n + i], tol * norm) << "mode " << k;
    }
    for (int l = 0; l < n; ++l) {
      double dot = 0.0;
      for (int j = 0; j < n; ++j) dot += r.v[k * n + j] * r.v[l * n + j];
      EXPECT_NEAR(dot, k == l ? 1.0 : 0.0, 1e-12);
    }
  }
}

std::vector<double> randomSymmetric(int n, unsigned seed, double scale = 1.0) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-scale, scale);
  std::vector<double> a(static_cast<std::size_t>(n * n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j <= i; ++j) a[i * n + j] = a[j * n + i] = u(rng);
  return a;
}

TEST(Eigen, RandomSymmetricMatricesOfManySizes) {
  for (int n : {1, 2, 3, 4, 7, 30, 120}) {
    const auto a = randomSymmetric(n, 11u + static_cast<unsigned>(n));
    checkPairs(a, n, solve(a, n), 1e-12);
  }
}

TEST(Eigen, DegenerateAndTrivialMatrices) {
  const int n = 5;
  std::vector<double> id(n * n, 0.0), zero(n * n, 0.0);
  for (int i = 0; i < n; ++i) id[i * n + i] = 2.5;
  const Eig ri = solve(id, n);
  for (double x : ri.d) EXPECT_DOUBLE_EQ(x, 2.5);
  checkPairs(id, n, ri, 1e-15);
  const Eig rz = solve(zero, n);
  for (double x : rz.d) EXPECT_EQ(x, 0.0);
  checkPairs(zero, n, rz, 1e-15);
  // A tridiagonal matrix with a zero off-diagonal element splits into two blocks.
  std::vector<double> t = {4, 1, 0, 0, 1, 3, 0, 0, 0, 0, 1, 2, 0, 0, 2, 1};
  checkPairs(t, 4, solve(t, 4), 1e-14);
}

TEST(Eigen, SmallEigenvaluesSurviveBesideHugeOnes) {
  // Block diagonal: a soft 3 x 3 block and a stiff block 1e12 times larger, mixed by a
  // rotation. The soft eigenvalues keep an absolute accuracy of a few e-16 of the norm.
  const int n = 6;
  std::vector<double> a(n * n, 0.0);
  const double soft[3] = {0.01, 0.5, 2.0}, stiff[3] = {1e12, 2e12, 3e12};
  for (int i = 0; i < 3; ++i) a[i * n + i] = soft[i], a[(i + 3) * n + i + 3] = stiff[i];
  // Mix coordinates 0 and 3, 1 and 4 by Givens rotations.
  auto rot = [&](int p, int q, double th) {
    const double c = std::cos(th), s = std::sin(th);
    for (int k = 0; k < n; ++k) {  // rows
      const double x = a[p * n + k], y = a[q * n + k];
      a[p * n + k] = c * x - s * y, a[q * n + k] = s * x + c * y;
    }
    for (int k = 0; k < n; ++k) {  // columns
      const double x = a[k * n + p], y = a[k * n + q];
      a[k * n + p] = c * x - s * y, a[k * n + q] = s * x + c * y;
    }
  };
  rot(0, 3, 0.3);
  rot(1, 4, -0.7);
  const Eig r = solve(a, n);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(r.d[k], soft[k], 3e12 * 1e-15);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(r.d[k + 3], stiff[k], 3e12 * 1e-14);
}

}  // namespace
}  // namespace veka::nm
