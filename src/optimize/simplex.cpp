#include "optimize/simplex.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "optimize/detail.hpp"

namespace veka::opt {

namespace {

constexpr double STEP = 0.1;  // initial edge of the simplex relative to max(|x_i|, 1)

class Simplex {
 public:
  Simplex(detail::Counted& f, int n, Workspace& ws)
      : f_(f),
        n_(n),
        v_(ws.mat.data()),
        y_(ws.vals.data()),
        sum_(ws.vec[0].data()),
        trial_(ws.vec[1].data()) {}

  double* vertex(int k) { return v_ + static_cast<std::ptrdiff_t>(k) * n_; }

  void start(const Problem& p) {
    for (int k = 0; k <= n_; ++k) {
      double* v = vertex(k);
      for (int i = 0; i < n_; ++i) v[i] = p.x[i];
      if (k > 0) {
        const int i = k - 1;
        const double h = STEP * std::max(std::abs(v[i]), 1.0);
        v[i] += v[i] + h > p.upper[i] ? -h : h;
      }
      y_[k] = f_.value(v);
    }
    centroidSum();
  }

  // Indices of the lowest, highest and second-highest vertex.
  void rank() {
    lo_ = 0;
    hi_ = y_[0] > y_[1] ? 0 : 1;
    nhi_ = 1 - hi_;
    for (int k = 0; k <= n_; ++k) {
      if (y_[k] <= y_[lo_]) lo_ = k;
      if (y_[k] > y_[hi_]) {
        nhi_ = hi_;
        hi_ = k;
      } else if (y_[k] > y_[nhi_] && k != hi_) {
        nhi_ = k;
      }
    }
  }

  bool done(double tol) const { return detail::converged(y_[hi_], y_[lo_], tol); }

  void step() {
    double ytry = reflect(-1.0);
    if (ytry <= y_[lo_]) {
      reflect(2.0);
    } else if (ytry >= y_[nhi_]) {
      const double ysave = y_[hi_];
      ytry = reflect(0.5);
      if (ytry >= ysave) shrink();
    }
  }

  int lowest() const { return lo_; }
  double value(int k) const { return y_[k]; }

 private:
  void centroidSum() {
    for (int i = 0; i < n_; ++i) {
      double s = 0.0;
      for (int k = 0; k <= n_; ++k) s += vertex(k)[i];
      sum_[i] = s;
    }
  }

  // Trial point c + fac (h - c) on the line from the centroid c of the other vertices
  // through the highest vertex h: fac = -1 reflects h, 2 (after a successful reflection
  // has become h) extends it, 0.5 contracts. The trial replaces h when it is lower.
  double reflect(double fac) {
    const double fac1 = (1.0 - fac) / n_, fac2 = fac1 - fac;
    double* h = vertex(hi_);
    for (int i = 0; i < n_; ++i) trial_[i] = sum_[i] * fac1 - h[i] * fac2;
    const double ytry = f_.value(trial_);
    if (ytry < y_[hi_]) {
      y_[hi_] = ytry;
      for (int i = 0; i < n_; ++i) {
        sum_[i] += trial_[i] - h[i];
        h[i] = trial_[i];
      }
    }
    return ytry;
  }

  void shrink() {
    const double* b = vertex(lo_);
    for (int k = 0; k <= n_; ++k) {
      if (k == lo_) continue;
      double* v = vertex(k);
      for (int i = 0; i < n_; ++i) v[i] = 0.5 * (v[i] + b[i]);
      y_[k] = f_.value(v);
    }
    centroidSum();
  }

  detail::Counted& f_;
  int n_;
  double* v_;
  double* y_;
  double* sum_;
  double* trial_;
  int lo_ = 0, hi_ = 0, nhi_ = 0;
};

}  // namespace

Result simplex(Objective& obj, const Problem& p, const Settings& s, Workspace& ws, Io& io) {
  detail::Counted f(obj);
  Result r;
  if (detail::outOfRange(f, p, io, "N EXCEEDS NMAX IN SIMPLEX.", r)) return r;
  Simplex x(f, p.n, ws);
  x.start(p);
  int iter = 0, error = OK;
  for (;;) {
    x.rank();
    if (x.done(s.tol)) break;
    if (iter >= s.maxIter) {
      detail::listMessage(io, "SIMPLEX EXCEEDED MAXIMUM ITERATION.");
      error = LIMIT;
      break;
    }
    ++iter;
    x.step();
  }
  const double* best = x.vertex(x.lowest());
  for (int i = 0; i < p.n; ++i) p.x[i] = best[i];
  return f.result(iter, x.value(x.lowest()), error);
}

}  // namespace veka::opt
