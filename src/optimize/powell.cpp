#include "optimize/powell.hpp"

#include <cstddef>

#include "optimize/detail.hpp"
#include "optimize/linemin.hpp"

namespace veka::opt {

namespace {

struct Directions {
  double* m;  // direction k is the row m[k * n .. k * n + n - 1]
  int n;
  double* row(int k) { return m + static_cast<std::ptrdiff_t>(k) * n; }
  void unit() {
    for (int k = 0; k < n; ++k)
      for (int i = 0; i < n; ++i) row(k)[i] = i == k ? 1.0 : 0.0;
  }
};

}  // namespace

Result powell(Objective& obj, const Problem& p, const Settings& s, Workspace& ws, Io& io) {
  detail::Counted f(obj);
  Result r;
  if (detail::outOfRange(f, p, io, "N EXCEEDS NMAX IN POWELL.", r)) return r;
  const int n = p.n;
  double* x = p.x;
  double* start = ws.vec[0].data();  // point at the start of the iteration
  double* dir = ws.vec[1].data();    // current direction, then the step taken along it
  double* ext = ws.vec[2].data();    // extrapolated point
  double* trial = ws.vec[3].data();
  Directions d{ws.mat.data(), n};
  d.unit();

  double fret = f.value(x);
  for (int i = 0; i < n; ++i) start[i] = x[i];
  for (int iter = 1;; ++iter) {
    const double fp = fret;
    int ibig = 0;
    double del = 0.0;  // largest decrease along one direction
    for (int k = 0; k < n; ++k) {
      for (int i = 0; i < n; ++i) dir[i] = d.row(k)[i];
      const double before = fret;
      fret = detail::lineMinimize(f, n, x, dir, fret, trial);
      if (before - fret > del) {
        del = before - fret;
        ibig = k;
      }
    }
    if (detail::converged(fp, fret, s.tol)) return f.result(iter, fret, OK);
    if (iter >= s.maxIter) {
      detail::listMessage(io, "POWELL EXCEEDING MAXIMUM NUMBER OF ITER");
      return f.result(iter, fret, LIMIT);
    }
    for (int i = 0; i < n; ++i) {
      ext[i] = 2.0 * x[i] - start[i];
      dir[i] = x[i] - start[i];
      start[i] = x[i];
    }
    const double fext = f.value(ext);
    if (fext >= fp) continue;
    const double a = fp - fret - del, b = fp - fext;
    const double t = 2.0 * (fp - 2.0 * fret + fext) * a * a - del * b * b;
    if (t >= 0.0) continue;
    fret = detail::lineMinimize(f, n, x, dir, fret, trial);
    bool moved = false;
    for (int i = 0; i < n; ++i) moved = moved || dir[i] != 0.0;
    if (!moved) continue;  // a zero step would make the set degenerate
    for (int i = 0; i < n; ++i) {
      d.row(ibig)[i] = d.row(n - 1)[i];
      d.row(n - 1)[i] = dir[i];
    }
  }
}

}  // namespace veka::opt
