// Analytic test problems for the minimisers, an objective that records where it was
// evaluated, and a fixture with a listing file and a workspace.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "optimize/minimizers.hpp"
#include "support/run.hpp"

namespace veka::opt::test {

// f = sum a_i (x_i - c_i)^2
class Bowl : public Objective {
 public:
  Bowl(std::vector<double> a, std::vector<double> c) : a_(std::move(a)), c_(std::move(c)) {}
  double value(const double* x) override {
    double s = 0.0;
    for (std::size_t i = 0; i < a_.size(); ++i) s += a_[i] * (x[i] - c_[i]) * (x[i] - c_[i]);
    return s;
  }
  void gradient(const double* x, double* g) override {
    for (std::size_t i = 0; i < a_.size(); ++i) g[i] = 2.0 * a_[i] * (x[i] - c_[i]);
  }

 private:
  std::vector<double> a_, c_;
};

// Extended Rosenbrock: sum over pairs of 100 (x_{2k+1} - x_{2k}^2)^2 + (1 - x_{2k})^2;
// the only minimum is 0 at x = (1, ..., 1).
class Rosenbrock : public Objective {
 public:
  double value(const double* x) override;
  void gradient(const double* x, double* g) override;
  int n = 2;
};

// A torsion profile: V(phi) = 1.4/2 (1 + cos phi) - 0.3/2 (1 - cos 2 phi)
//                             + 3.2/2 (1 + cos 3 phi) + 0.5 sin(phi)
// with three wells of different depths per turn; phi in radians.
class Torsion : public Objective {
 public:
  double value(const double* x) override;
  void gradient(const double* x, double* g) override;
  static double derivative(double phi);
  // The minima in [-pi, pi), from a fine scan refined by bisection on the derivative.
  static std::vector<double> minima();
};

// Any objective given by two functions.
class Lambda : public Objective {
 public:
  using F = std::function<double(const double*)>;
  using G = std::function<void(const double*, double*)>;
  Lambda(F f, G g = nullptr) : f_(std::move(f)), g_(std::move(g)) {}
  double value(const double* x) override { return f_(x); }
  void gradient(const double* x, double* g) override { g_(x, g); }

 private:
  F f_;
  G g_;
};

// Wraps an objective and records every point where the value was taken.
class Recorder : public Objective {
 public:
  Recorder(Objective& f, int n) : f_(f), n_(n) {}
  double value(const double* x) override {
    points.emplace_back(x, x + n_);
    values.push_back(f_.value(x));
    return values.back();
  }
  void gradient(const double* x, double* g) override {
    ++gradients;
    f_.gradient(x, g);
  }
  std::vector<std::vector<double>> points;
  std::vector<double> values;
  long long gradients = 0;

 private:
  Objective& f_;
  int n_;
};

// A listing on a temporary file, a workspace, and wide bounds for n variables.
class MinimizerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // The listing written so far, line by line.
  std::vector<std::string> listing();
  // Number of listing lines equal to text (with the leading blank of list output).
  int count(const std::string& line);
  Problem problem(std::vector<double>& x, double lo = -1e6, double hi = 1e6);
  Problem problem(std::vector<double>& x, std::vector<double>& lo, std::vector<double>& hi);

  veka::test::TempDir dir_;
  Io io_;
  std::unique_ptr<Workspace> ws_ = std::make_unique<Workspace>();
  std::vector<double> lower_, upper_;
};

// Repeats the method from its last point, as the optimisation driver does in its cycles,
// until the value drops by less than drop (at most maxCycles runs). Returns the last
// result, with evaluations summed over the runs.
Result cycles(int method, Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io,
              double drop = 1e-12, int maxCycles = 50);

// ---------------------------------------------------------------- definitions

inline double Rosenbrock::value(const double* x) {
  double s = 0.0;
  for (int k = 0; k + 1 < n; k += 2) {
    const double a = x[k + 1] - x[k] * x[k], b = 1.0 - x[k];
    s += 100.0 * a * a + b * b;
  }
  return s;
}

inline void Rosenbrock::gradient(const double* x, double* g) {
  for (int k = 0; k + 1 < n; k += 2) {
    const double a = x[k + 1] - x[k] * x[k];
    g[k] = -400.0 * x[k] * a - 2.0 * (1.0 - x[k]);
    g[k + 1] = 200.0 * a;
  }
}

inline double Torsion::value(const double* x) {
  const double p = x[0];
  return 0.7 * (1 + std::cos(p)) - 0.15 * (1 - std::cos(2 * p)) + 1.6 * (1 + std::cos(3 * p)) +
         0.5 * std::sin(p);
}

inline double Torsion::derivative(double p) {
  return -0.7 * std::sin(p) - 0.3 * std::sin(2 * p) - 4.8 * std::sin(3 * p) + 0.5 * std::cos(p);
}

inline void Torsion::gradient(const double* x, double* g) {
  g[0] = derivative(x[0]);
}

inline std::vector<double> Torsion::minima() {
  std::vector<double> m;
  const int steps = 3600;
  const double h = 2.0 * std::numbers::pi / steps;
  for (int k = 0; k < steps; ++k) {
    double a = -std::numbers::pi + k * h, b = a + h;
    if (!(derivative(a) < 0.0 && derivative(b) >= 0.0)) continue;
    for (int it = 0; it < 200; ++it) {
      const double c = 0.5 * (a + b);
      (derivative(c) < 0.0 ? a : b) = c;
    }
    m.push_back(0.5 * (a + b));
  }
  return m;
}

inline void MinimizerTest::SetUp() {
  ASSERT_EQ(io_.output.open(dir_.file("listing"), OpenStatus::Unknown), 0);
}

inline std::vector<std::string> MinimizerTest::listing() {
  io_.output.flush();
  return veka::test::lines(veka::test::readFile(dir_.file("listing")));
}

inline int MinimizerTest::count(const std::string& line) {
  int c = 0;
  for (const std::string& l : listing()) c += l == line;
  return c;
}

inline Problem MinimizerTest::problem(std::vector<double>& x, double lo, double hi) {
  lower_.assign(x.size(), lo);
  upper_.assign(x.size(), hi);
  return {static_cast<int>(x.size()), x.data(), lower_.data(), upper_.data()};
}

inline Problem MinimizerTest::problem(std::vector<double>& x, std::vector<double>& lo,
                                      std::vector<double>& hi) {
  return {static_cast<int>(x.size()), x.data(), lo.data(), hi.data()};
}

inline Result cycles(int method, Objective& f, const Problem& p, const Settings& s, Workspace& ws,
                     Io& io, double drop, int maxCycles) {
  Result total;
  double last = 0.0;
  for (int c = 1; c <= maxCycles; ++c) {
    const Result r = minimize(method, f, p, s, ws, io);
    total.functions += r.functions;
    total.gradients += r.gradients;
    total.iterations = r.iterations;
    total.value = r.value;
    total.error = r.error;
    if (c > 1 && last - r.value < drop) break;
    last = r.value;
  }
  return total;
}

}  // namespace veka::opt::test
