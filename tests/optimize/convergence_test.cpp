// Every local minimiser on analytic problems with known minima, from displaced starts.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "problems.hpp"

namespace veka::opt::test {
namespace {

struct MethodCase {
  int method;
  const char* name;
  double xtol;  // accuracy expected of the point with Settings::tol = 1e-10
};

const MethodCase LOCAL[] = {
    {SIMPLEX, "Simplex", 1e-6},      {POWELL, "Powell", 1e-7}, {HOOKE, "Hooke", 1e-5},
    {FLEPO, "FletcherPowell", 1e-7}, {BFGS, "Bfgs", 1e-6},     {CONGRD, "ConjugateGradient", 1e-7},
};

void PrintTo(const MethodCase& c, std::ostream* os) {
  *os << c.name;
}

double maxError(const std::vector<double>& x, const std::vector<double>& ref) {
  double e = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) e = std::max(e, std::abs(x[i] - ref[i]));
  return e;
}

std::vector<double> rosenbrockStart(int n) {
  std::vector<double> x;
  for (int k = 0; k < n / 2; ++k) x.insert(x.end(), {-1.2, 1.0});
  return x;
}

class Local : public MinimizerTest, public ::testing::WithParamInterface<MethodCase> {
 protected:
  Settings tight() const {
    Settings s;
    s.tol = 1e-10;
    return s;
  }
  // Runs the method with every evaluation recorded and checks the bookkeeping of the
  // result: counts, flag, and that the returned value is the objective at the returned
  // point.
  Result run(Objective& f, std::vector<double>& x, const Settings& s) {
    Recorder rec(f, static_cast<int>(x.size()));
    const Result r = minimize(GetParam().method, rec, problem(x), s, *ws_, io_);
    EXPECT_EQ(std::tuple(r.error, r.functions, r.gradients),
              std::tuple(OK, static_cast<long long>(rec.values.size()), rec.gradients));
    EXPECT_DOUBLE_EQ(r.value, f.value(x.data()));
    EXPECT_LE(r.value, *std::min_element(rec.values.begin(), rec.values.end()) + 1e-15);
    return r;
  }
};

TEST_P(Local, AnalyticProblemsFromDisplacedStartsAndFromTheMinimum) {
  Bowl bowl({1, 2, 3, 4}, {1, -2, 3, 0.5});
  Bowl bad({1e-2, 1, 1e2, 1e3, 10}, {1, -2, 3, 0.5, 7});  // curvatures over five decades
  Bowl atMin({1, 5}, {0.25, -4});
  Rosenbrock rosen;
  const struct {
    Objective& f;
    std::vector<double> start, minimum;
    double flatTol;  // for the first variable: the flat direction of the badly scaled bowl
  } cases[] = {{bowl, {3, 1, -1, 2}, {1, -2, 3, 0.5}, 1},
               {bad, {3, 1, -1, 2, 5}, {1, -2, 3, 0.5, 7}, 100},
               {atMin, {0.25, -4}, {0.25, -4}, 1},
               {rosen, {-1.2, 1.0}, {1, 1}, 1}};
  for (const auto& c : cases) {
    std::vector<double> x = c.start;
    run(c.f, x, tight());
    EXPECT_LT(std::abs(x[0] - c.minimum[0]), c.flatTol * GetParam().xtol) << c.start[0];
    EXPECT_LT(maxError({x.begin() + 1, x.end()}, {c.minimum.begin() + 1, c.minimum.end()}),
              GetParam().xtol)
        << c.start[0];
  }
}

TEST_P(Local, RosenbrockTenDimensionsInDriverCycles) {
  // The simplex and the pattern search need the driver's restarts in ten dimensions.
  Rosenbrock f;
  f.n = 10;
  std::vector<double> x = rosenbrockStart(10);
  const Result r = cycles(GetParam().method, f, problem(x), tight(), *ws_, io_);
  EXPECT_LT(maxError(x, std::vector<double>(10, 1.0)), GetParam().xtol);
  EXPECT_LT(r.value, 1e-9);
}

TEST_P(Local, RefusesTooManyVariablesAndJustEvaluatesNone) {
  Bowl f(std::vector<double>(NMAX + 1, 1.0), std::vector<double>(NMAX + 1, 0.0));
  Recorder rec(f, NMAX + 1);
  std::vector<double> x(NMAX + 1, 2.0);
  const Result r = minimize(GetParam().method, rec, problem(x), tight(), *ws_, io_);
  EXPECT_EQ(r.error, REFUSED);
  EXPECT_TRUE(rec.values.empty());
  EXPECT_EQ(x, std::vector<double>(NMAX + 1, 2.0));
  ASSERT_EQ(listing().size(), 1u);
  EXPECT_NE(listing()[0].find("NMAX"), std::string::npos);
  Lambda g([](const double*) { return 42.0; });
  std::vector<double> none;
  const Result e = minimize(GetParam().method, g, problem(none), tight(), *ws_, io_);
  EXPECT_EQ(std::tuple(e.error, e.value, e.functions), std::tuple(OK, 42.0, 1));
}

std::string caseName(const ::testing::TestParamInfo<MethodCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Minimizers, Local, ::testing::ValuesIn(LOCAL), caseName);

// The methods that stop at their iteration limit say so once on the listing and return
// their best point so far with the LIMIT flag.
TEST_F(MinimizerTest, IterationLimitsAreReportedOnceWithTheBestPoint) {
  const struct {
    int method;
    const char* message;
  } cases[] = {
      {SIMPLEX, " SIMPLEX EXCEEDED MAXIMUM ITERATION."},
      {POWELL, " POWELL EXCEEDING MAXIMUM NUMBER OF ITER"},
      {HOOKE, " MAXIMUM ITERATION IN HOOKE."},
      {FLEPO, " FLETCHER-POWELL EXCEEDED MAXIMUM ITERATION."},
      {CONGRD, " CONGRD EXCEEDED MAXIMUM ITERATION."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Rosenbrock f;
    f.n = 10;
    Recorder rec(f, 10);
    std::vector<double> x = rosenbrockStart(10);
    Settings s;
    s.tol = 1e-12;
    s.maxIter = 3;
    const int before = count(c.message);
    const Result r = minimize(c.method, rec, problem(x), s, *ws_, io_);
    EXPECT_EQ(std::tuple(r.error, r.iterations, count(c.message)),
              std::tuple(LIMIT, 3, before + 1));
    EXPECT_DOUBLE_EQ(r.value, f.value(x.data()));
    EXPECT_DOUBLE_EQ(r.value, *std::min_element(rec.values.begin(), rec.values.end()));
    EXPECT_LT(r.value, rec.values.front());
  }
}

TEST_F(MinimizerTest, MethodsWithoutAMinimiserAreRefused) {
  Bowl f({1}, {0});
  std::vector<double> x{1};
  for (int m : {6, 7, -1, 9})
    EXPECT_EQ(minimize(m, f, problem(x), Settings(), *ws_, io_).error, REFUSED);
}

// Full-size problems run in the statically sized workspace.
TEST_F(MinimizerTest, LargestProblemFitsTheWorkspace) {
  std::vector<double> a(NMAX), c(NMAX), x(NMAX);
  for (int i = 0; i < NMAX; ++i) {
    a[i] = 1.0 + (i % 7);
    c[i] = std::sin(i);
    x[i] = c[i] + 0.05 * std::cos(3.0 * i);
  }
  for (int m : {BFGS, CONGRD, FLEPO}) {
    Bowl f(a, c);
    std::vector<double> y = x;
    Settings s;
    s.tol = 1e-10;
    const Result r = minimize(m, f, problem(y), s, *ws_, io_);
    EXPECT_EQ(r.error, OK) << m;
    EXPECT_LT(maxError(y, c), 1e-6) << m;
  }
}

}  // namespace
}  // namespace veka::opt::test
