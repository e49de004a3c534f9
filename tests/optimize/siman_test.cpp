// Simulated annealing: bounds, reproducibility, its listing and its refusals.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "optimize/siman.hpp"
#include "problems.hpp"

namespace veka::opt::test {
namespace {

class Siman : public MinimizerTest {
 protected:
  Siman() {
    s_.tol = 1e-6;
    s_.saIter = 5;
    s_.saT0 = 5.0;
    s_.saFactor = 0.5;
  }
  Settings s_;
};

TEST_F(Siman, MinimumOnABoundIsReachedWithEveryTrialInside) {
  Bowl f({1, 1}, {3, -2});
  Recorder rec(f, 2);
  std::vector<double> x{-0.5, 0.5}, lo{-1, -1}, hi{1, 1};
  const Result r = siman(rec, problem(x, lo, hi), s_, *ws_, io_);
  EXPECT_EQ(r.error, OK);
  EXPECT_NEAR(x[0], 1.0, 1e-3);
  EXPECT_NEAR(x[1], -1.0, 1e-3);
  EXPECT_EQ(r.value, f.value(x.data()));
  EXPECT_EQ(r.value, *std::min_element(rec.values.begin(), rec.values.end()));
  for (const auto& p : rec.points)
    for (int i = 0; i < 2; ++i) {
      EXPECT_GE(p[i], -1.0);
      EXPECT_LE(p[i], 1.0);
    }
  EXPECT_EQ(r.functions, static_cast<long long>(rec.values.size()));
  EXPECT_EQ(r.gradients, 0);
}

TEST_F(Siman, LeavesALocalWellForTheGlobalMinimum) {
  const std::vector<double> minima = Torsion::minima();
  Torsion f;
  double global = minima[0];
  for (double m : minima)
    if (f.value(&m) < f.value(&global)) global = m;
  for (double m : minima) {
    if (m == global) continue;
    std::vector<double> x{m};
    const Result r = siman(f, problem(x, -std::numbers::pi, std::numbers::pi), s_, *ws_, io_);
    EXPECT_EQ(r.error, OK);
    EXPECT_NEAR(x[0], global, 1e-3) << "from the well at " << m;
  }
}

TEST_F(Siman, RunsRepeatForAGivenSeedAndDifferForAnother) {
  Rosenbrock f;
  auto once = [&](int seed) {
    Recorder rec(f, 2);
    std::vector<double> x{-1.2, 1.0};
    seedRands(ws_->ownStream, seed);
    const Result r = siman(rec, problem(x, -2.0, 2.0), s_, *ws_, io_);
    return std::make_pair(r, rec.points);
  };
  const auto a = once(17), b = once(17), c = once(18);
  EXPECT_EQ(std::tuple(a.second, a.first.value, a.first.functions),
            std::tuple(b.second, b.first.value, b.first.functions));
  EXPECT_NE(a.second, c.second);
  EXPECT_LT(a.first.value, 1e-4);
  EXPECT_LT(c.first.value, 1e-4);

  // Without a generator handed in, the annealing draws from the workspace's own.
  Recorder rec(f, 2);
  std::vector<double> x{-1.2, 1.0};
  Rands mine;
  seedRands(mine, 17);
  StreamUniform u(mine);
  seedRands(ws_->ownStream, 99);
  siman(rec, problem(x, -2.0, 2.0), s_, *ws_, io_, u);
  EXPECT_EQ(rec.points, a.second);
}

TEST_F(Siman, ListsItsSettingsAndResults) {
  Bowl f({1, 1, 1}, {0.1, 0.2, 0.3});
  std::vector<double> x{0, 0, 0};
  s_.saIter = 3, s_.saT0 = 2.5, s_.saFactor = 0.75, s_.tol = 1e-3;
  minimize(SIMAN, f, problem(x, -1.0, 1.0), s_, *ws_, io_);
  for (const char* line :
       {" Simulated Annealing:", " Number of Variables            =           3",
        " T Reduction Factor             =      0.7500",
        " Convergence Criterion          =  0.1000E-02", " Results of Simulated Annealing:"})
    EXPECT_EQ(count(line), 1) << line;
}

TEST_F(Siman, EvaluationLimitStopsWithTheBestPoint) {
  Rosenbrock f;
  Recorder rec(f, 2);
  std::vector<double> x{-1.2, 1.0};
  s_.saMaxEval = 250;
  const Result r = siman(rec, problem(x, -2.0, 2.0), s_, *ws_, io_);
  EXPECT_EQ(std::tuple(r.error, r.functions, rec.values.size(), r.value, r.value,
                       count(" WARNING: Maximum number of function evaluations reached.")),
            std::tuple(LIMIT, 250, 250u, *std::min_element(rec.values.begin(), rec.values.end()),
                       f.value(x.data()), 1));
}

TEST_F(Siman, RefusesBadSettingsAndAStartOutsideTheBounds) {
  struct Case {
    double t0, factor, start;
    const char* message;
  } cases[] = {
      {0.0, 0.5, 0.5, " ERROR: The initial temperature is not positive."},
      {-1.0, 0.5, 0.5, " ERROR: The initial temperature is not positive."},
      {5.0, 1.0, 0.5, " ERROR: The temperature reduction factor must lie between 0 and 1."},
      {5.0, 0.0, 0.5, " ERROR: The temperature reduction factor must lie between 0 and 1."},
      {5.0, 0.5, 1.5, " ERROR: The starting value is outside the bounds."},
      {5.0, 0.5, -1.5, " ERROR: The starting value is outside the bounds."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Bowl f({1, 1}, {0, 0});
    Recorder rec(f, 2);
    std::vector<double> x{0.0, c.start};
    s_.saT0 = c.t0;
    s_.saFactor = c.factor;
    const int before = count(c.message);
    const Result r = siman(rec, problem(x, -1.0, 1.0), s_, *ws_, io_);
    EXPECT_EQ(r.error, REFUSED);
    EXPECT_TRUE(rec.values.empty());
    EXPECT_EQ(x, (std::vector<double>{0.0, c.start}));
    EXPECT_EQ(count(c.message), before + 1);
  }
  EXPECT_EQ(count(" Results of Simulated Annealing:"), 0);
}

}  // namespace
}  // namespace veka::opt::test
