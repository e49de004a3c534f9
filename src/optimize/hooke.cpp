#include "optimize/hooke.hpp"

#include <algorithm>
#include <cmath>

#include "optimize/detail.hpp"

namespace veka::opt {

namespace {

class Pattern {
 public:
  Pattern(detail::Counted& f, const Problem& p, double* step, double* trial)
      : f_(f), n_(p.n), lower_(p.lower), upper_(p.upper), step_(step), trial_(trial) {}

  double eval(const double* x) { return f_.value(x) + boundPenalty(n_, x, lower_, upper_); }

  void clamp(double* x) const {
    for (int i = 0; i < n_; ++i) x[i] = std::clamp(x[i], lower_[i], upper_[i]);
  }

  // Exploratory sweep from z, whose objective is compared with fref; z becomes the best
  // point found and its value is returned (fref when nothing was lower).
  double explore(double* z, double fref) {
    double best = fref;
    for (int i = 0; i < n_; ++i) {
      for (int sign = 0; sign < 2; ++sign) {
        if (sign == 1) step_[i] = -step_[i];
        for (int j = 0; j < n_; ++j) trial_[j] = z[j];
        trial_[i] += step_[i];
        clamp(trial_);
        const double ft = eval(trial_);
        if (ft < best) {
          best = ft;
          for (int j = 0; j < n_; ++j) z[j] = trial_[j];
          break;
        }
      }
    }
    return best;
  }

  // Signs of the steps follow the last displacement; z moves on as far again.
  void patternMove(double* base, double* z) {
    for (int i = 0; i < n_; ++i) {
      step_[i] = z[i] <= base[i] ? -std::abs(step_[i]) : std::abs(step_[i]);
      const double previous = base[i];
      base[i] = z[i];
      z[i] = 2.0 * z[i] - previous;
    }
    clamp(z);
  }

  bool movedHalfStep(const double* base, const double* z) const {
    for (int i = 0; i < n_; ++i)
      if (std::abs(z[i] - base[i]) > 0.5 * std::abs(step_[i])) return true;
    return false;
  }

  void reduceSteps(double rho) {
    for (int i = 0; i < n_; ++i) step_[i] *= rho;
  }

 private:
  detail::Counted& f_;
  int n_;
  const double* lower_;
  const double* upper_;
  double* step_;
  double* trial_;
};

}  // namespace

Result hooke(Objective& obj, const Problem& p, const Settings& s, Workspace& ws, Io& io) {
  detail::Counted f(obj);
  Result r;
  if (detail::outOfRange(f, p, io, "N EXCEEDS NMAX IN THE SUBROUTINE HOOKE.", r)) return r;
  const int n = p.n;
  const double rho = s.rho > 0.0 && s.rho < 1.0 ? s.rho : 0.5;
  double* base = p.x;
  double* z = ws.vec[0].data();
  double* step = ws.vec[1].data();
  Pattern pat(f, p, step, ws.vec[2].data());
  for (int i = 0; i < n; ++i) step[i] = base[i] == 0.0 ? rho : std::abs(rho * base[i]);

  double fbase = pat.eval(base);
  double length = rho;  // relative step length
  int iter = 0;         // exploratory sweeps
  while (length > s.tol) {
    if (iter >= s.maxIter) {
      detail::listMessage(io, "MAXIMUM ITERATION IN HOOKE.");
      return f.result(iter, fbase, LIMIT);
    }
    ++iter;
    for (int i = 0; i < n; ++i) z[i] = base[i];
    double fz = pat.explore(z, fbase);
    bool improved = fz < fbase;
    while (improved) {
      pat.patternMove(base, z);  // base = z, z = the pattern point
      fbase = fz;
      if (iter >= s.maxIter) break;
      ++iter;
      fz = pat.explore(z, fbase);
      improved = fz < fbase;
      if (improved && !pat.movedHalfStep(base, z)) {  // keep the small improvement
        for (int i = 0; i < n; ++i) base[i] = z[i];
        fbase = fz;
        break;
      }
    }
    if (!improved) {  // the last sweep found nothing lower
      length *= rho;
      pat.reduceSteps(rho);
    }
  }
  return f.result(iter, fbase, OK);
}

}  // namespace veka::opt
