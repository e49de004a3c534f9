// BFGS quasi-Newton minimiser with a backtracking line search.
//
// The inverse Hessian starts as the identity and is updated by the BFGS formula after
// every step whose curvature along the step is safely positive (fac > sqrt(EPS sumdg
// sumxi)). Steps are limited to STPMAX_FACTOR * max(|x|, n): small moves suit the
// internal coordinates of a molecule (one ten-thousandth of the textbook length).
//
// The line search tries the full step (alam = 1), then backtracks to the minimum of the
// quadratic through f(0), f'(0) and f(1), and after that to the minimum of the cubic
// through f(0), f'(0) and the last two trials; a new alam is never below 0.1 of the last
// one, and a cubic step beyond 5 alam is replaced by alam / 2. A step is accepted on
// sufficient decrease, f <= f(0) + ALF alam f'(0). Below alam = LINE_TOLX / (largest
// relative change of a variable) it gives up and returns the start.
// Two guards beyond the textbook search: a trial value that is not a number (or is
// infinite, as for atoms on top of each other) backtracks by the factor 0.1; and an
// uphill direction, which only roundoff in the inverse Hessian can produce, is reported
// like a cubic without a real minimum. (With a downhill slope and a rejected previous
// trial the cubic always has a real minimum: the roundoff message then needs roundoff.)
//
// The run ends when a step is below TOLX relative to the variables, when the scaled
// gradient max_i |g_i| max(|x_i|, 1) / max(f, 1) is below the tolerance, after MAXITS
// iterations ("TOO MANY ITERATIONS IN BFGS.", LIMIT flag) or on a line-search failure
// ("ROUNDOFF PROBLEMS IN LNSRCH.", LIMIT flag, the point before that line search). Both
// messages go list-directed to standard output. The bounds are not applied.
//
// A line search that gives up returns a zero step, which ends the run through the step
// test.
#pragma once

#include "optimize/detail.hpp"
#include "optimize/minimizers.hpp"

namespace veka::opt {

Result bfgs(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io);

namespace detail {

// The backtracking line search of the BFGS minimiser (described above): from xold,
// with f(xold) = fold and gradient g, along dir (first scaled down to length stpmax when
// longer). The accepted point goes to xnew; on failure xnew = xold and f = fold.
// A step that falls below its tolerance also returns xnew = xold and f = fold.
struct Backtrack {
  double f;       // value at xnew
  bool roundoff;  // uphill direction or no real cubic minimum ("ROUNDOFF PROBLEMS IN LNSRCH.")
};
Backtrack backtrack(Counted& f, int n, const double* xold, double fold, const double* g,
                    double* dir, double stpmax, double* xnew);

}  // namespace detail

}  // namespace veka::opt
