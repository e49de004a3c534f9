#include "optimize/bfgs.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "optimize/detail.hpp"

namespace veka::opt {

namespace {

constexpr double ALF = 1e-4;            // sufficient-decrease constant
constexpr double LINE_TOLX = 1e-7;      // smallest relative step of the line search
constexpr int MAXITS = 500;             // iterations
constexpr double EPS = 3e-8;            // update only when fac^2 > EPS sumdg sumxi
constexpr double TOLX = 1.2e-7;         // step test
constexpr double STPMAX_FACTOR = 0.01;  // longest step: 0.01 max(|x|, n)

double dot(int n, const double* a, const double* b) {
  double s = 0.0;
  for (int i = 0; i < n; ++i) s += a[i] * b[i];
  return s;
}

// Largest |v_i| / max(|x_i|, 1).
double relativeMax(int n, const double* v, const double* x) {
  double m = 0.0;
  for (int i = 0; i < n; ++i) m = std::max(m, std::abs(v[i]) / std::max(std::abs(x[i]), 1.0));
  return m;
}

}  // namespace

namespace detail {

Backtrack backtrack(Counted& f, int n, const double* xold, double fold, const double* g,
                    double* dir, double stpmax, double* xnew) {
  const double length = std::sqrt(dot(n, dir, dir));
  if (length > stpmax)
    for (int i = 0; i < n; ++i) dir[i] *= stpmax / length;
  const double slope = dot(n, g, dir);
  if (slope > 0.0) {  // not downhill: only roundoff in the inverse Hessian gets here
    consoleMessage("ROUNDOFF PROBLEMS IN LNSRCH.");
    for (int i = 0; i < n; ++i) xnew[i] = xold[i];
    return {fold, true};
  }
  const double test = relativeMax(n, dir, xold);
  const double alamin = test > 0.0 ? LINE_TOLX / test : std::numeric_limits<double>::infinity();
  double alam = 1.0, alam2 = 0.0, f2 = 0.0;
  for (bool first = true;; first = false) {
    for (int i = 0; i < n; ++i) xnew[i] = xold[i] + alam * dir[i];
    const double fnew = f.value(xnew);
    if (alam < alamin) {
      for (int i = 0; i < n; ++i) xnew[i] = xold[i];
      return {fold, false};
    }
    if (fnew <= fold + ALF * alam * slope) return {fnew, false};
    double tmplam;
    if (first) {  // alam = 1
      tmplam = -slope / (2.0 * (fnew - fold - slope));
    } else {
      const double rhs1 = fnew - fold - alam * slope;
      const double rhs2 = f2 - fold - alam2 * slope;
      const double a = (rhs1 / (alam * alam) - rhs2 / (alam2 * alam2)) / (alam - alam2);
      const double b =
          (-alam2 * rhs1 / (alam * alam) + alam * rhs2 / (alam2 * alam2)) / (alam - alam2);
      if (a == 0.0) {
        tmplam = -slope / (2.0 * b);
      } else {
        const double disc = b * b - 3.0 * a * slope;
        if (disc < 0.0) {
          consoleMessage("ROUNDOFF PROBLEMS IN LNSRCH.");
          for (int i = 0; i < n; ++i) xnew[i] = xold[i];
          return {fold, true};
        }
        tmplam = (-b + std::sqrt(disc)) / (3.0 * a);
      }
      if (tmplam > 5.0 * alam) tmplam = 0.5 * alam;
    }
    alam2 = alam;
    f2 = fnew;
    alam = tmplam > 0.1 * alam ? tmplam : 0.1 * alam;  // also when tmplam is not a number
  }
}

}  // namespace detail

namespace {

// hessin = identity (n x n, leading dimension n).
void identity(int n, double* h) {
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) h[i * n + j] = i == j ? 1.0 : 0.0;
}

// out = -h v
void negProduct(int n, const double* h, const double* v, double* out) {
  for (int i = 0; i < n; ++i) out[i] = -dot(n, h + i * n, v);
}

// BFGS update of the inverse Hessian from the step xi and gradient change dg, unless the
// curvature dg.xi is not safely positive. dg is overwritten; hdg is scratch.
void update(int n, double* h, const double* xi, double* dg, double* hdg) {
  for (int i = 0; i < n; ++i) hdg[i] = dot(n, h + i * n, dg);
  const double fac = dot(n, dg, xi), fae = dot(n, dg, hdg);
  const double sumdg = dot(n, dg, dg), sumxi = dot(n, xi, xi);
  if (!(fac > std::sqrt(EPS * sumdg * sumxi))) return;
  const double facInv = 1.0 / fac, fad = 1.0 / fae;
  for (int i = 0; i < n; ++i) dg[i] = facInv * xi[i] - fad * hdg[i];
  for (int i = 0; i < n; ++i) {
    double* row = h + i * n;
    const double a = facInv * xi[i], b = fad * hdg[i], c = fae * dg[i];
    for (int j = 0; j < n; ++j) row[j] += a * xi[j] - b * hdg[j] + c * dg[j];
  }
}

}  // namespace

Result bfgs(Objective& obj, const Problem& p, const Settings& s, Workspace& ws, Io& io) {
  detail::Counted f(obj);
  Result r;
  if (detail::outOfRange(f, p, io, "N EXCEEDS NMAX IN BFGS.", r)) return r;
  const int n = p.n;
  double* x = p.x;
  double* g = ws.vec[0].data();
  double* xi = ws.vec[1].data();
  double* pnew = ws.vec[2].data();
  double* dg = ws.vec[3].data();
  double* hdg = ws.vec[4].data();
  double* h = ws.mat.data();

  double fp = f.value(x);
  f.gradient(x, g);
  identity(n, h);
  for (int i = 0; i < n; ++i) xi[i] = -g[i];
  const double stpmax = STPMAX_FACTOR * std::max(std::sqrt(dot(n, x, x)), double(n));
  for (int its = 1; its <= MAXITS; ++its) {
    const detail::Backtrack line = detail::backtrack(f, n, x, fp, g, xi, stpmax, pnew);
    if (line.roundoff) return f.result(its, fp, LIMIT);
    fp = line.f;
    for (int i = 0; i < n; ++i) {
      xi[i] = pnew[i] - x[i];
      x[i] = pnew[i];
    }
    if (relativeMax(n, xi, x) < TOLX) return f.result(its, fp, OK);
    for (int i = 0; i < n; ++i) dg[i] = g[i];
    f.gradient(x, g);
    if (detail::scaledGradient(n, g, x, fp) < s.tol) return f.result(its, fp, OK);
    for (int i = 0; i < n; ++i) dg[i] = g[i] - dg[i];
    update(n, h, xi, dg, hdg);
    negProduct(n, h, g, xi);
  }
  detail::consoleMessage("TOO MANY ITERATIONS IN BFGS.");
  return f.result(MAXITS, fp, LIMIT);
}

}  // namespace veka::opt
