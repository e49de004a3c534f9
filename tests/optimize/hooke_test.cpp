// Hooke-Jeeves pattern search: its steps, pattern moves, clamping and penalty.
#include <vector>

#include "optimize/hooke.hpp"
#include "problems.hpp"

namespace veka::opt::test {
namespace {

std::vector<double> firstVisits(const Recorder& rec, std::size_t n) {
  std::vector<double> v;
  for (std::size_t k = 0; k < n && k < rec.points.size(); ++k) v.push_back(rec.points[k][0]);
  return v;
}

class Hooke : public MinimizerTest {
 protected:
  Result run(Objective& f, std::vector<double>& x, double tol, double lo = -1e6, double hi = 1e6) {
    Settings s;
    s.tol = tol;
    s.rho = 0.5;
    return hooke(f, problem(x, lo, hi), s, *ws_, io_);
  }
};

// From the minimum of (x - 4)^2 every sweep fails: the step 2 = |rho x| is tried both
// ways, the variable returns to 4, and the step, with its last sign, is halved until the
// relative step length (rho, rho^2, ...) is down to the tolerance: 9 sweeps for 1e-3.
TEST_F(Hooke, StepsStartAtRhoTimesTheVariableAndShrinkByRho) {
  Bowl f({1}, {4});
  Recorder rec(f, 1);
  std::vector<double> x{4};
  const Result r = run(rec, x, 1e-3);
  EXPECT_EQ(firstVisits(rec, 9), (std::vector<double>{4, 6, 2, 3, 5, 4.5, 3.5, 3.75, 4.25}));
  EXPECT_EQ(std::tuple(r.iterations, r.functions, r.error, x[0]), std::tuple(9, 19, OK, 4.0));

  for (double start : {0.0, -4.0}) {  // step rho at zero, |rho x| for negative x
    Recorder rec2(f, 1);
    std::vector<double> y{start};
    run(rec2, y, 1e-3);
    EXPECT_EQ(rec2.points[1][0], start == 0.0 ? 0.5 : -2.0);
  }
}

TEST_F(Hooke, TrialPointsAreClampedToTheBounds) {
  Bowl f({1, 1}, {5, -5});
  Recorder rec(f, 2);
  std::vector<double> x{0.5, 0.5}, lo{0, 0}, hi{1, 1};
  Settings s;
  s.tol = 1e-8;
  const Result r = hooke(rec, problem(x, lo, hi), s, *ws_, io_);
  EXPECT_EQ(x, (std::vector<double>{1, 0}));
  EXPECT_EQ(r.value, 16.0 + 25.0);
  for (const auto& p : rec.points) {
    EXPECT_GE(p[0], 0.0);
    EXPECT_LE(p[0], 1.0);
    EXPECT_GE(p[1], 0.0);
    EXPECT_LE(p[1], 1.0);
  }
}

TEST_F(Hooke, PenaltyDrivesAStartOutsideTheBoundsInside) {
  // The start is the function's own minimum but lies outside: only the penalty of
  // 1000 (1 + 4^2) makes the clamped trial at the bound better.
  Bowl f({1}, {5});
  std::vector<double> x{5};
  const Result r = run(f, x, 1e-6, 0.0, 1.0);
  EXPECT_EQ(x[0], 1.0);
  EXPECT_EQ(r.value, 16.0);

  const double lo[] = {0, 0, 0, -1}, hi[] = {1, 1, 1, 1};
  const double y[] = {-1, 0.5, 3.5, 1};
  EXPECT_EQ(boundPenalty(4, y, lo, hi), 1000.0 * ((1 + 1) + (1 + 2.5 * 2.5)));
  const double inside[] = {0, 1, 0.5, -1};
  EXPECT_EQ(boundPenalty(4, inside, lo, hi), 0.0);
}

}  // namespace
}  // namespace veka::opt::test
