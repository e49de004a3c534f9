// Pieces shared by the minimisers: evaluation counting, messages and convergence tests.
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

}  // namespace veka::opt::detail
