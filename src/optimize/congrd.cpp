#include "optimize/congrd.hpp"

#include <algorithm>
#include <cmath>

#include "optimize/detail.hpp"
#include "optimize/linemin.hpp"

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
