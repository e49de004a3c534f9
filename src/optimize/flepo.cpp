#include "optimize/flepo.hpp"

#include <cmath>

#include "optimize/detail.hpp"
#include "optimize/linemin.hpp"

namespace veka::opt {

namespace {

constexpr double EPS = 3e-8;  // curvature condition of the update

double dot(int n, const double* a, const double* b) {
  double s = 0.0;
  for (int i = 0; i < n; ++i) s += a[i] * b[i];
  return s;
}

bool allZero(int n, const double* v) {
  for (int i = 0; i < n; ++i)
    if (v[i] != 0.0) return false;
  return true;
}

void identity(int n, double* h) {
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) h[i * n + j] = i == j ? 1.0 : 0.0;
}

// DFP update from the step s and gradient change y; hy is scratch.
void update(int n, double* h, const double* s, const double* y, double* hy) {
  for (int i = 0; i < n; ++i) hy[i] = dot(n, h + i * n, y);
  const double sy = dot(n, s, y), yhy = dot(n, y, hy);
  if (!(sy > std::sqrt(EPS * dot(n, s, s) * dot(n, y, y))) || !(yhy > 0.0)) return;
  for (int i = 0; i < n; ++i) {
    double* row = h + i * n;
    const double a = s[i] / sy, b = hy[i] / yhy;
    for (int j = 0; j < n; ++j) row[j] += a * s[j] - b * hy[j];
  }
}

// dir = -H g; back to steepest descent (and H = I) when that is not downhill.
void direction(int n, double* h, const double* g, double* dir) {
  for (int i = 0; i < n; ++i) dir[i] = -dot(n, h + i * n, g);
  if (dot(n, dir, g) < 0.0) return;
  identity(n, h);
  for (int i = 0; i < n; ++i) dir[i] = -g[i];
}

}  // namespace

Result flepo(Objective& obj, const Problem& p, const Settings& s, Workspace& ws, Io& io) {
  detail::Counted f(obj);
  Result r;
  if (detail::outOfRange(f, p, io, "N EXCEEDS NMAX IN FLEPO.", r)) return r;
  const int n = p.n;
  double* x = p.x;
  double* g = ws.vec[0].data();
  double* xi = ws.vec[1].data();  // direction, then the step taken
  double* dg = ws.vec[2].data();
  double* hdg = ws.vec[3].data();
  double* trial = ws.vec[4].data();
  double* h = ws.mat.data();

  double fp = f.value(x);
  f.gradient(x, g);
  identity(n, h);
  for (int i = 0; i < n; ++i) xi[i] = -g[i];
  for (int iter = 1; iter <= s.maxIter; ++iter) {
    if (allZero(n, g)) return f.result(iter - 1, fp, OK);
    const double fret = detail::lineMinimize(f, n, x, xi, fp, trial);
    if (detail::converged(fp, fret, s.tol)) return f.result(iter, fret, OK);
    fp = fret;
    for (int i = 0; i < n; ++i) dg[i] = g[i];
    f.gradient(x, g);
    for (int i = 0; i < n; ++i) dg[i] = g[i] - dg[i];
    update(n, h, xi, dg, hdg);
    direction(n, h, g, xi);
  }
  detail::listMessage(io, "FLETCHER-POWELL EXCEEDED MAXIMUM ITERATION.");
  return f.result(s.maxIter, fp, LIMIT);
}

}  // namespace veka::opt
