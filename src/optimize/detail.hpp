// Pieces shared by the minimisers: evaluation counting, messages, convergence test and
// the one-dimensional minimisation along a direction used by Powell, Fletcher-Powell and
// conjugate gradients.
#pragma once

#include <string_view>

#include "optimize/minimizers.hpp"

namespace veka::opt::detail {

// The objective with its evaluations counted.
class Counted {
 public:
  explicit Counted(Objective& f) : f_(f) {}
  double value(const double* x) {
    ++nf_;
    return f_.value(x);
  }
  void gradient(const double* x, double* g) {
    ++ng_;
    f_.gradient(x, g);
  }
  Result result(int iterations, double value, int error) const {
    return {iterations, value, nf_, ng_, error};
  }

 private:
  Objective& f_;
  long long nf_ = 0, ng_ = 0;
};

// One list-directed record on the listing / on standard output.
void listMessage(Io& io, std::string_view text);
void consoleMessage(std::string_view text);

// Numbers of variables a method does not iterate over: more than NMAX (or negative) is
// refused with `tooMany` on the listing; none at all just evaluates the objective.
// Returns true, with r filled, in those cases.
bool outOfRange(Counted& f, const Problem& p, Io& io, std::string_view tooMany, Result& r);

// Fractional-decrease test: 2|a - b| <= tol (|a| + |b| + 1e-10).
bool converged(double a, double b, double tol);

// Scaled gradient max_i |g_i| max(|x_i|, 1) / max(f, 1) (the gradient test of BFGS).
double scaledGradient(int n, const double* g, const double* x, double f);

// Relative tolerance of the Brent line minimisation on the step multiplier.
inline constexpr double LINE_TOL = 1e-6;

// Minimises f(p + t xi) over t from t = 0, where f(p) = f0: brackets a minimum by golden
// expansion with parabolic extrapolation, then refines it by Brent's method. The first
// trial is t = 1, or less so that no variable changes by more than 0.1 (A or radian):
// long trial moves of a molecule's coordinates only produce huge energies. On return
// p = p + t xi, xi = t xi (the step taken) and the value at the new point is returned.
// trial holds n values of scratch.
double lineMinimize(Counted& f, int n, double* p, double* xi, double f0, double* trial);

// The backtracking line search of the BFGS minimiser (described in bfgs.cpp): from xold,
// with f(xold) = fold and gradient g, along dir (first scaled down to length stpmax when
// longer). The accepted point goes to xnew; on failure xnew = xold and f = fold.
// A step that falls below its tolerance also returns xnew = xold and f = fold.
struct Backtrack {
  double f;       // value at xnew
  bool roundoff;  // uphill direction or no real cubic minimum ("ROUNDOFF PROBLEMS IN LNSRCH.")
};
Backtrack backtrack(Counted& f, int n, const double* xold, double fold, const double* g,
                    double* dir, double stpmax, double* xnew);

}  // namespace veka::opt::detail
