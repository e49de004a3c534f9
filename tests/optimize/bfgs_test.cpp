// BFGS: where its line search goes, its limits and its failure paths.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "optimize/bfgs.hpp"
#include "problems.hpp"

namespace veka::opt::test {
namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

int occurrences(const std::string& text, const std::string& line) {
  int n = 0;
  for (const std::string& l : veka::test::lines(text)) n += l == line;
  return n;
}

// The x values (one variable) at which the objective was evaluated.
std::vector<double> visited(const Recorder& rec) {
  std::vector<double> v;
  for (const auto& p : rec.points) v.push_back(p[0]);
  return v;
}

class Bfgs : public MinimizerTest {
 protected:
  Result run(Objective& f, std::vector<double>& x, double tol = 1e-5) {
    Settings s;
    s.tol = tol;
    return bfgs(f, problem(x), s, *ws_, io_);
  }
};

TEST_F(Bfgs, ZeroGradientAtTheStartReturnsAfterTheFirstLineSearch) {
  Bowl f({1, 3}, {2, -1});
  Recorder rec(f, 2);
  std::vector<double> x{2, -1};
  const Result r = run(rec, x);
  EXPECT_EQ(r.error, OK);
  EXPECT_EQ(r.iterations, 1);
  EXPECT_EQ(r.functions, 2);  // the start and the one trial of the line search
  EXPECT_EQ(r.gradients, 1);
  EXPECT_EQ(x, (std::vector<double>{2, -1}));
  EXPECT_EQ(rec.points[1], rec.points[0]);
}

// f = c (x - 999.5)^2 from x = 1000, where the longest step is 10 and the first trial
// is the steepest-descent step -2c (x - 999.5).
TEST_F(Bfgs, OneVariableQuadraticTakesOneLineSearch) {
  {  // c = 1/2: the first trial is the minimum and is accepted
    Bowl f({0.5}, {999.5});
    Recorder rec(f, 1);
    std::vector<double> x{1000};
    const Result r = run(rec, x);
    EXPECT_EQ(visited(rec), (std::vector<double>{1000, 999.5}));
    EXPECT_EQ(r.iterations, 1);
    EXPECT_EQ(x[0], 999.5);
    EXPECT_EQ(r.value, 0.0);
  }
  {  // c = 2: the first trial (998) overshoots; the parabola's minimum is the next trial
    Bowl f({2}, {999.5});
    Recorder rec(f, 1);
    std::vector<double> x{1000};
    const Result r = run(rec, x);
    EXPECT_EQ(visited(rec), (std::vector<double>{1000, 998, 999.5}));
    EXPECT_EQ(r.iterations, 1);
    EXPECT_EQ(x[0], 999.5);
  }
}

// Along the line the objective is the cubic -t + 100 t^3 (t = 1000 - x): the full step
// fails, the parabola's step 1/200 is raised to a tenth of the last step, and the cubic
// through the two failures is the objective itself, so the third trial is its minimum.
TEST_F(Bfgs, BacktrackingUsesTheQuadraticThenTheCubicStep) {
  Lambda f(
      [](const double* x) {
        const double t = 1000.0 - x[0];
        return -t + 100.0 * t * t * t;
      },
      [](const double* x, double* g) {
        const double t = 1000.0 - x[0];
        g[0] = 1.0 - 300.0 * t * t;
      });
  Recorder rec(f, 1);
  std::vector<double> x{1000};
  run(rec, x);
  const std::vector<double> v = visited(rec);
  ASSERT_GE(v.size(), 4u);
  EXPECT_EQ(v[1], 999.0);
  EXPECT_NEAR(v[2], 999.9, 1e-12);
  EXPECT_NEAR(v[3], 1000.0 - 1.0 / std::sqrt(300.0), 1e-9);
  EXPECT_NEAR(x[0], 1000.0 - 1.0 / std::sqrt(300.0), 1e-6);
}

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

TEST_F(Bfgs, IterationLimitIsReportedOnceAndTheLastPointReturned) {
  // f = -x never ends: each iteration moves by the longest step 0.01.
  Lambda f([](const double* x) { return -x[0]; }, [](const double*, double* g) { g[0] = -1; });
  std::vector<double> x{0};
  CaptureStdout();
  const Result r = run(f, x);
  const std::string out = GetCapturedStdout();
  EXPECT_EQ(occurrences(out, " TOO MANY ITERATIONS IN BFGS."), 1);
  EXPECT_EQ(veka::test::lines(out).size(), 1u);
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
// line search with its message; the start is kept and nothing is evaluated.
TEST_F(Bfgs, LineSearchRefusesAnUphillDirection) {
  Bowl f({1}, {0});
  detail::Counted counted(f);
  const double xold[] = {1.0}, g[] = {2.0};
  double dir[] = {0.5}, xnew[] = {-7.0};
  CaptureStdout();
  const detail::Backtrack b = detail::backtrack(counted, 1, xold, 1.0, g, dir, 10.0, xnew);
  EXPECT_EQ(GetCapturedStdout(), " ROUNDOFF PROBLEMS IN LNSRCH.\n");
  EXPECT_TRUE(b.roundoff);
  EXPECT_EQ(b.f, 1.0);
  EXPECT_EQ(xnew[0], 1.0);
  EXPECT_EQ(counted.result(0, 0, 0).functions, 0);
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
