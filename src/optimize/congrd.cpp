// Conjugate-gradient minimiser, Polak-Ribiere form with the non-negative restart
// (beta = max(0, g1.(g1 - g0) / g0.g0); Polak and Ribiere 1969, Powell 1986).
//
// Each iteration minimises exactly along the current direction (bracketing plus Brent)
// and builds the next direction from the new gradient; a direction that is not downhill
// is replaced by steepest descent. The run converges when an iteration's decrease meets
// the fractional test and the gradient at the new point the scaled test of BFGS,
// max_i |g_i| max(|x_i|, 1) / max(f, 1) below the square root of the tolerance, or when
// the gradient is exactly zero; after maxIter iterations it stops with the LIMIT flag and
// "CONGRD EXCEEDED MAXIMUM ITERATION." on the listing. The decrease alone ends a run too
// early on an ill-conditioned energy, such as a molecule's stiff bonds beside the soft
// rotations of a complex, where a step along a poor direction decreases it very little.
// The gradient is asked for the square root of the tolerance only: a line minimisation
// from values locates its minimum to about the square root of the precision of the
// values, so the gradient along the line cannot be brought much lower.
#include <algorithm>
#include <cmath>

#include "optimize/detail.hpp"

namespace veka::opt {

Result congrd(Objective& obj, const Problem& p, const Settings& s, Workspace& ws, Io& io) {
  detail::Counted f(obj);
  Result r;
  if (detail::outOfRange(f, p, io, "Number of Variables exceeds NMAX in CONGRD", r)) return r;
  const int n = p.n;
  double* x = p.x;
  double* g = ws.vec[0].data();   // minus the gradient at x
  double* h = ws.vec[1].data();   // search direction
  double* xi = ws.vec[2].data();  // gradient; direction handed to the line search
  double* trial = ws.vec[3].data();

  double fp = f.value(x);
  f.gradient(x, xi);
  for (int i = 0; i < n; ++i) {
    g[i] = -xi[i];
    h[i] = g[i];
    xi[i] = h[i];
  }
  for (int iter = 1; iter <= s.maxIter; ++iter) {
    const double fret = detail::lineMinimize(f, n, x, xi, fp, trial);
    f.gradient(x, xi);
    if (detail::converged(fp, fret, s.tol) &&
        detail::scaledGradient(n, xi, x, fret) < std::sqrt(s.tol))
      return f.result(iter, fret, OK);
    fp = fret;
    double gg = 0.0, dgg = 0.0;
    for (int i = 0; i < n; ++i) {
      gg += g[i] * g[i];
      dgg += (xi[i] + g[i]) * xi[i];
    }
    if (gg == 0.0) return f.result(iter, fp, OK);
    const double beta = std::max(dgg / gg, 0.0);
    double downhill = 0.0;
    for (int i = 0; i < n; ++i) {
      g[i] = -xi[i];
      h[i] = g[i] + beta * h[i];
      downhill += g[i] * h[i];
    }
    if (downhill <= 0.0)
      for (int i = 0; i < n; ++i) h[i] = g[i];
    for (int i = 0; i < n; ++i) xi[i] = h[i];
  }
  detail::listMessage(io, "CONGRD EXCEEDED MAXIMUM ITERATION.");
  return f.result(s.maxIter, fp, LIMIT);
}

}  // namespace veka::opt
