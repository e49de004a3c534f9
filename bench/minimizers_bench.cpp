// BFGS and conjugate gradients at the driver's inner tolerance 1e-5 on two smooth
// problems of 30 and 300 variables:
//   Model: an energy shaped like a molecule's in internal coordinates: variables in
//     threes, a stiff "bond" 300 (x - 1.09)^2, an "angle" 60 (x - 1.91)^2 and a "torsion"
//     1.5 (1 + cos 3x), each variable coupled to the next by 5 (x_i - x_{i+1})^2; start
//     at 1.2, 1.8, 0.8 in every three.
//   Rosenbrock: the extended Rosenbrock function (n/2 curved valleys, minimum 0 at
//     x = 1) from (-1.2, 1, -1.2, 1, ...).
// Counters: evaluations of the objective and of the gradient, iterations, the final
// value and the error flag of the last run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "optimize/bfgs.hpp"
#include "optimize/congrd.hpp"
#include "optimize/minimizers.hpp"

namespace {

using namespace veka;
using namespace veka::opt;

class Rosenbrock : public Objective {
 public:
  explicit Rosenbrock(int n) : n_(n) {}
  double value(const double* x) override {
    double s = 0.0;
    for (int k = 0; k + 1 < n_; k += 2) {
      const double a = x[k + 1] - x[k] * x[k], b = 1.0 - x[k];
      s += 100.0 * a * a + b * b;
    }
    return s;
  }
  void gradient(const double* x, double* g) override {
    for (int k = 0; k + 1 < n_; k += 2) {
      const double a = x[k + 1] - x[k] * x[k];
      g[k] = -400.0 * x[k] * a - 2.0 * (1.0 - x[k]);
      g[k + 1] = 200.0 * a;
    }
  }
  static double start(int i) { return i % 2 == 0 ? -1.2 : 1.0; }

 private:
  int n_;
};

class Model : public Objective {
 public:
  explicit Model(int n) : n_(n) {}
  double value(const double* x) override {
    double s = 0.0;
    for (int i = 0; i < n_; ++i) {
      switch (i % 3) {
        case 0:
          s += 300.0 * (x[i] - 1.09) * (x[i] - 1.09);
          break;
        case 1:
          s += 60.0 * (x[i] - 1.91) * (x[i] - 1.91);
          break;
        default:
          s += 1.5 * (1.0 + std::cos(3.0 * x[i]));
      }
      if (i + 1 < n_) s += 5.0 * (x[i] - x[i + 1]) * (x[i] - x[i + 1]);
    }
    return s;
  }
  void gradient(const double* x, double* g) override {
    for (int i = 0; i < n_; ++i) {
      switch (i % 3) {
        case 0:
          g[i] = 600.0 * (x[i] - 1.09);
          break;
        case 1:
          g[i] = 120.0 * (x[i] - 1.91);
          break;
        default:
          g[i] = -4.5 * std::sin(3.0 * x[i]);
      }
      if (i > 0) g[i] += 10.0 * (x[i] - x[i - 1]);
      if (i + 1 < n_) g[i] += 10.0 * (x[i] - x[i + 1]);
    }
  }
  static double start(int i) { return i % 3 == 0 ? 1.2 : i % 3 == 1 ? 1.8 : 0.8; }

 private:
  int n_;
};

template <class F, Result (*METHOD)(Objective&, const Problem&, const Settings&, Workspace&, Io&)>
void run(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto io = std::make_unique<Io>();  // listing not opened: messages are dropped
  auto ws = std::make_unique<Workspace>();
  F f(n);
  std::vector<double> x(n), lo(n, -1e6), hi(n, 1e6);
  const Settings s;
  Result r;
  for (auto _ : state) {
    for (int i = 0; i < n; ++i) x[i] = F::start(i);
    r = METHOD(f, Problem{n, x.data(), lo.data(), hi.data()}, s, *ws, *io);
  }
  state.counters["functions"] = static_cast<double>(r.functions);
  state.counters["gradients"] = static_cast<double>(r.gradients);
  state.counters["iterations"] = r.iterations;
  state.counters["final_value"] = r.value;
  state.counters["error"] = r.error;
}

void BM_Bfgs_Model(benchmark::State& state) {
  run<Model, bfgs>(state);
}
void BM_ConjugateGradient_Model(benchmark::State& state) {
  run<Model, congrd>(state);
}
void BM_Bfgs_Rosenbrock(benchmark::State& state) {
  run<Rosenbrock, bfgs>(state);
}
void BM_ConjugateGradient_Rosenbrock(benchmark::State& state) {
  run<Rosenbrock, congrd>(state);
}

BENCHMARK(BM_Bfgs_Model)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConjugateGradient_Model)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bfgs_Rosenbrock)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConjugateGradient_Rosenbrock)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace
