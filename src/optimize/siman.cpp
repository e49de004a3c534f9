#include "optimize/siman.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "format/record.hpp"
#include "optimize/detail.hpp"

namespace veka::opt {

namespace {

constexpr int NS = 20;      // cycles between step adaptations
constexpr int NEPS = 4;     // temperatures compared by the stopping test
constexpr double C = 2.0;   // step-adaptation factor
constexpr double V0 = 1.0;  // initial step

void listValue(Io& io, const char* label, const fmt::RecordWriter& value) {
  io.list(std::string(" ") + label + value.str());
}

void listSettings(Io& io, const Problem& p, const Settings& s) {
  io.list(" Simulated Annealing:");
  listValue(io, "Number of Variables            =", fmt::RecordWriter().I(p.n, 12));
  listValue(io, "Maximum Function Evaluations   =", fmt::RecordWriter().I(s.saMaxEval, 12));
  listValue(io, "No. of Iter before T Reduction =", fmt::RecordWriter().I(s.saIter, 12));
  listValue(io, "Initial T                      =", fmt::RecordWriter().F(s.saT0, 12, 4));
  listValue(io, "T Reduction Factor             =", fmt::RecordWriter().F(s.saFactor, 12, 4));
  listValue(io, "Convergence Criterion          =", fmt::RecordWriter().E(s.tol, 12, 4));
}

// Refusal message for invalid settings or start, or nullptr.
const char* refusal(const Problem& p, const Settings& s) {
  if (!(s.saT0 > 0.0)) return "ERROR: The initial temperature is not positive.";
  if (!(s.saFactor > 0.0 && s.saFactor < 1.0))
    return "ERROR: The temperature reduction factor must lie between 0 and 1.";
  if (s.saIter < 1 || s.saMaxEval < 1)
    return "ERROR: The iteration and evaluation limits must be positive.";
  for (int i = 0; i < p.n; ++i)
    if (p.x[i] < p.lower[i] || p.x[i] > p.upper[i])
      return "ERROR: The starting value is outside the bounds.";
  return nullptr;
}

class Annealing {
 public:
  Annealing(detail::Counted& f, const Problem& p, const Settings& s, Workspace& ws, Uniform& random)
      : f_(f),
        p_(p),
        s_(s),
        random_(random),
        x_(ws.vec[0].data()),
        xp_(ws.vec[1].data()),
        xopt_(ws.vec[2].data()),
        v_(ws.vec[3].data()),
        accepted_(ws.vec[4].data()) {}

  // Runs to convergence or the evaluation limit; returns the error flag.
  int run() {
    const int n = p_.n;
    for (int i = 0; i < n; ++i) {
      x_[i] = xp_[i] = xopt_[i] = p_.x[i];
      v_[i] = std::min(V0, p_.upper[i] - p_.lower[i]);
    }
    f0_ = fopt_ = f_.value(x_);
    ++evaluations_;
    double fstar[NEPS];
    std::fill(fstar, fstar + NEPS, HUGE_VAL);
    t_ = s_.saT0;
    for (;;) {
      for (int m = 0; m < s_.saIter; ++m) {
        std::fill(accepted_, accepted_ + n, 0.0);
        for (int j = 0; j < NS; ++j)
          for (int h = 0; h < n; ++h)
            if (!trial(h)) return LIMIT;
        adaptSteps();
      }
      ++temperatures_;
      std::copy_backward(fstar, fstar + NEPS - 1, fstar + NEPS);
      fstar[0] = f0_;
      bool quit = std::abs(fopt_ - f0_) <= s_.tol;
      for (int i = 1; i < NEPS; ++i) quit = quit && std::abs(f0_ - fstar[i]) <= s_.tol;
      if (quit) return OK;
      t_ *= s_.saFactor;
      f0_ = fopt_;
      for (int i = 0; i < n; ++i) x_[i] = xp_[i] = xopt_[i];
    }
  }

  const double* best() const { return xopt_; }
  double bestValue() const { return fopt_; }
  int temperatures() const { return temperatures_; }
  double temperature() const { return t_; }
  long long acceptedMoves() const { return acceptedMoves_; }
  long long outOfBounds() const { return outOfBounds_; }

 private:
  // One move of variable h; false once the evaluation limit is reached.
  bool trial(int h) {
    const double lo = p_.lower[h], hi = p_.upper[h];
    xp_[h] = x_[h] + (2.0 * random_.next() - 1.0) * v_[h];
    if (xp_[h] < lo || xp_[h] > hi) {
      xp_[h] = lo + (hi - lo) * random_.next();
      ++outOfBounds_;
    }
    const double fp = f_.value(xp_);
    ++evaluations_;
    if (fp <= f0_ || random_.next() < std::exp((f0_ - fp) / t_)) {
      x_[h] = xp_[h];
      f0_ = fp;
      accepted_[h] += 1.0;
      ++acceptedMoves_;
      if (fp < fopt_) {
        fopt_ = fp;
        std::copy(x_, x_ + p_.n, xopt_);
      }
    } else {
      xp_[h] = x_[h];
    }
    return evaluations_ < s_.saMaxEval;
  }

  void adaptSteps() {
    for (int i = 0; i < p_.n; ++i) {
      const double ratio = accepted_[i] / NS;
      if (ratio > 0.6)
        v_[i] *= 1.0 + C * (ratio - 0.6) / 0.4;
      else if (ratio < 0.4)
        v_[i] /= 1.0 + C * (0.4 - ratio) / 0.4;
      v_[i] = std::min(v_[i], p_.upper[i] - p_.lower[i]);
    }
  }

  detail::Counted& f_;
  const Problem& p_;
  const Settings& s_;
  Uniform& random_;
  double* x_;         // current point
  double* xp_;        // trial point: x with one variable moved
  double* xopt_;      // best point
  double* v_;         // steps
  double* accepted_;  // accepted moves per variable in this round
  double f0_ = 0.0, fopt_ = 0.0, t_ = 0.0;
  long long evaluations_ = 0, acceptedMoves_ = 0, outOfBounds_ = 0;
  int temperatures_ = 0;
};

void listResults(Io& io, const Annealing& a, long long evaluations, int error) {
  io.list(" Results of Simulated Annealing:");
  listValue(io, "Optimal Function Value         =", fmt::RecordWriter().F(a.bestValue(), 20, 6));
  listValue(io, "Function Evaluations           =", fmt::RecordWriter().I(evaluations, 12));
  listValue(io, "Accepted Moves                 =", fmt::RecordWriter().I(a.acceptedMoves(), 12));
  listValue(io, "Out-of-Bounds Trials           =", fmt::RecordWriter().I(a.outOfBounds(), 12));
  listValue(io, "Temperature Reductions         =", fmt::RecordWriter().I(a.temperatures(), 12));
  listValue(io, "Final T                        =", fmt::RecordWriter().E(a.temperature(), 12, 4));
  if (error == LIMIT) io.list(" WARNING: Maximum number of function evaluations reached.");
}

}  // namespace

Result siman(Objective& obj, const Problem& p, const Settings& s, Workspace& ws, Io& io,
             Uniform& random) {
  detail::Counted f(obj);
  Result r;
  if (detail::outOfRange(f, p, io, "N EXCEEDS NMAX IN SIMAN.", r)) return r;
  listSettings(io, p, s);
  if (const char* why = refusal(p, s)) {
    detail::listMessage(io, why);
    return f.result(0, 0.0, REFUSED);
  }
  Annealing a(f, p, s, ws, random);
  const int error = a.run();
  std::copy(a.best(), a.best() + p.n, p.x);
  r = f.result(a.temperatures(), a.bestValue(), error);
  listResults(io, a, r.functions, error);
  return r;
}

}  // namespace veka::opt
