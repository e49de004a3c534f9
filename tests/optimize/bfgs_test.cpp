// BFGS: where its line search goes, its limits and its failure paths.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "optimize/bfgs.hpp"
#include "problems.hpp"

namespace veka::opt::test {
namespace {

class Bfgs : public MinimizerTest {
 protected:
  Result run(Objective& f, std::vector<double>& x, double tol = 1e-5) {
    Settings s;
    s.tol = tol;
    return bfgs(f, problem(x), s, *ws_, io_);
  }
};

TEST_F(Bfgs, StepsAreLimitedToOneHundredthOfTheLargerOfLengthAndCount) {
  const struct {
    std::vector<double> start;
    double expectedLength;
  } cases[] = {
      {{0.0}, 0.01},                 // max(|x| = 0, n = 1)
      {{0.0, 0.0, 0.0, 0.0}, 0.04},  // n = 4
      {{600.0, 800.0}, 10.0},        // |x| = 1000
  };
  for (const auto& c : cases) {
    const int n = static_cast<int>(c.start.size());
    Bowl f(std::vector<double>(n, 1.0), std::vector<double>(n, 5000.0));
    Recorder rec(f, n);
    std::vector<double> x = c.start;
    run(rec, x);
    double length = 0.0;
    for (int i = 0; i < n; ++i) length += std::pow(rec.points[1][i] - c.start[i], 2);
    EXPECT_NEAR(std::sqrt(length), c.expectedLength, 1e-12 * c.expectedLength);
  }
}

// One line search to 999.7 with gradient 0.12 there; the scaled gradient test value is
// 0.12 * 999.7 / max(f, 1). The second iteration is an exact Newton step.
TEST_F(Bfgs, GradientTestIsScaledByTheVariablesAndTheValue) {
  for (double offset : {0.0, 1e4}) {
    const double test = 0.12 * 999.7 / std::max(offset + 0.012, 1.0);
    for (double tol : {test * 1.001, test * 0.999}) {
      Lambda f([&](const double* x) { return offset + 0.3 * std::pow(x[0] - 999.5, 2); },
               [](const double* x, double* g) { g[0] = 0.6 * (x[0] - 999.5); });
      Recorder rec(f, 1);
      std::vector<double> x{1000};
      const Result r = run(rec, x, tol);
      EXPECT_EQ(r.error, OK);
      if (tol > test) {
        EXPECT_EQ(r.iterations, 1);
        EXPECT_NEAR(x[0], 999.7, 1e-12);
      } else {
        EXPECT_EQ(r.iterations, 2);
        EXPECT_NEAR(x[0], 999.5, 1e-12);
        EXPECT_NEAR(rec.points[2][0], 999.5, 1e-12);
      }
    }
  }
}

TEST_F(Bfgs, IterationLimitReturnsTheLastPoint) {
  // f = -x never ends: each iteration moves by the longest step 0.01.
  Lambda f([](const double* x) { return -x[0]; }, [](const double*, double* g) { g[0] = -1; });
  std::vector<double> x{0};
  const Result r = run(f, x);
  EXPECT_EQ(r.error, LIMIT);
  EXPECT_EQ(r.iterations, 500);
  EXPECT_NEAR(x[0], 5.0, 1e-9);
  EXPECT_EQ(r.value, -x[0]);
  EXPECT_TRUE(listing().empty());
}

TEST_F(Bfgs, BoundsAreNotApplied) {
  Bowl f({1}, {5});
  std::vector<double> x{0.5}, lo{0}, hi{1};
  Settings s;
  const Result r = bfgs(f, problem(x, lo, hi), s, *ws_, io_);
  EXPECT_EQ(r.error, OK);
  EXPECT_NEAR(x[0], 5.0, 1e-4);
}

// An energy that is not a number beyond a wall (atoms on top of each other) makes the
// line search back off instead of looping.
TEST_F(Bfgs, TrialsWithoutAValueAreBackedOffFrom) {
  for (double wall : {std::numeric_limits<double>::quiet_NaN(), HUGE_VAL}) {
    Lambda f([wall](const double* x) { return x[0] > 100.5 ? wall : std::pow(x[0] - 103.0, 2); },
             [](const double* x, double* g) { g[0] = 2.0 * (x[0] - 103.0); });
    Recorder rec(f, 1);
    std::vector<double> x{100};
    const Result r = run(rec, x);
    EXPECT_EQ(rec.points[1][0], 101.0);  // first trial beyond the wall
    EXPECT_LE(x[0], 100.5);
    EXPECT_GT(x[0], 100.4);
    EXPECT_TRUE(std::isfinite(r.value));
    EXPECT_LT(rec.points.size(), 2000u);
  }
}

// An uphill direction (possible only through roundoff in the inverse Hessian) fails the
// line search; the start is kept and nothing is evaluated.
TEST_F(Bfgs, LineSearchRefusesAnUphillDirection) {
  Bowl f({1}, {0});
  detail::Counted counted(f);
  const double xold[] = {1.0}, g[] = {2.0};
  double dir[] = {0.5}, xnew[] = {-7.0};
  const detail::Backtrack b = detail::backtrack(counted, 1, xold, 1.0, g, dir, 10.0, xnew);
  EXPECT_TRUE(b.roundoff);
  EXPECT_EQ(std::tuple(b.f, xnew[0], counted.result(0, 0, 0).functions), std::tuple(1.0, 1.0, 0));
}

TEST_F(Bfgs, LineSearchGivesUpBelowItsStepTolerance) {
  // A direction that never lowers a function with a kink: the search halves down to
  // alam < 1e-7 / (largest relative change) and returns the start, reporting no roundoff.
  Lambda f([](const double* x) { return std::abs(x[0] - 3.0); });
  detail::Counted counted(f);
  const double xold[] = {3.0}, g[] = {-1.0};
  double dir[] = {1.0}, xnew[] = {0.0};
  const detail::Backtrack b = detail::backtrack(counted, 1, xold, 0.0, g, dir, 10.0, xnew);
  EXPECT_FALSE(b.roundoff);
  EXPECT_EQ(xnew[0], 3.0);
  EXPECT_EQ(b.f, 0.0);
  // alam goes 1, 1/2 (quadratic), then at least a tenth each time, until below 1e-7 * 3.
  const long long n = counted.result(0, 0, 0).functions;
  EXPECT_GE(n, 3);
  EXPECT_LE(n, 25);
}

}  // namespace
}  // namespace veka::opt::test
