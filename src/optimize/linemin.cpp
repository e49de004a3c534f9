#include "optimize/linemin.hpp"

#include <algorithm>
#include <cmath>

#include "optimize/detail.hpp"

namespace veka::opt::detail {

namespace {

constexpr double FIRST_MOVE = 0.1;   // largest change of a variable at the first trial
constexpr double GOLD = 1.618034;    // golden ratio: expansion of the bracket
constexpr double GLIMIT = 100.0;     // farthest parabolic extrapolation, in bracket widths
constexpr double TINY = 1e-20;       // keeps the parabola's denominator from zero
constexpr int MAXBRACKET = 60;       // expansions before giving up on a bracket
constexpr double CGOLD = 0.3819660;  // golden-section fraction
constexpr double ZEPS = 1e-10;       // absolute tolerance near t = 0
constexpr int MAXBRENT = 100;        // Brent iterations

// f along the line p + t xi.
class Line {
 public:
  Line(Counted& f, int n, const double* p, const double* xi, double* trial)
      : f_(f), n_(n), p_(p), xi_(xi), trial_(trial) {}
  double operator()(double t) {
    for (int i = 0; i < n_; ++i) trial_[i] = p_[i] + t * xi_[i];
    return f_.value(trial_);
  }

 private:
  Counted& f_;
  int n_;
  const double* p_;
  const double* xi_;
  double* trial_;
};

struct Bracket {
  double a, b, c;     // b between a and c
  double fa, fb, fc;  // fb <= fa, fb <= fc when found
  bool found;
};

// Golden expansion from t = 0 and t = t1 until the middle point is the lowest of three.
// A function that keeps falling (unbounded along the line) ends the search after
// MAXBRACKET expansions with found = false.
Bracket bracket(Line& f, double f0, double t1) {
  Bracket k{0.0, t1, 0.0, f0, f(t1), 0.0, false};
  if (k.fb > k.fa) {
    std::swap(k.a, k.b);
    std::swap(k.fa, k.fb);
  }
  k.c = k.b + GOLD * (k.b - k.a);
  k.fc = f(k.c);
  for (int it = 0; k.fb > k.fc; ++it) {
    if (it == MAXBRACKET) return k;
    const double r = (k.b - k.a) * (k.fb - k.fc);
    const double q = (k.b - k.c) * (k.fb - k.fa);
    const double den = std::copysign(std::max(std::abs(q - r), TINY), q - r);
    double u = k.b - ((k.b - k.c) * q - (k.b - k.a) * r) / (2.0 * den);
    const double ulim = k.b + GLIMIT * (k.c - k.b);
    double fu;
    if ((k.b - u) * (u - k.c) > 0.0) {  // parabolic minimum between b and c
      fu = f(u);
      if (fu < k.fc) {
        k = {k.b, u, k.c, k.fb, fu, k.fc, true};
        return k;
      }
      if (fu > k.fb) {
        k.c = u;
        k.fc = fu;
        k.found = true;
        return k;
      }
      u = k.c + GOLD * (k.c - k.b);
      fu = f(u);
    } else if ((k.c - u) * (u - ulim) > 0.0) {  // between c and the limit
      fu = f(u);
      if (fu < k.fc) {
        k.b = k.c;
        k.fb = k.fc;
        k.c = u;
        k.fc = fu;
        u = k.c + GOLD * (k.c - k.b);
        fu = f(u);
      }
    } else if ((u - ulim) * (ulim - k.c) >= 0.0) {  // beyond the limit: stop there
      u = ulim;
      fu = f(u);
    } else {  // parabola useless: golden step
      u = k.c + GOLD * (k.c - k.b);
      fu = f(u);
    }
    k = {k.b, k.c, u, k.fb, k.fc, fu, false};
  }
  k.found = true;
  return k;
}

struct Minimum {
  double t, f;
};

Minimum brent(Line& f, const Bracket& k) {
  double a = std::min(k.a, k.c), b = std::max(k.a, k.c);
  double x = k.b, w = k.b, v = k.b;
  double fx = k.fb, fw = k.fb, fv = k.fb;
  double d = 0.0, e = 0.0;
  for (int it = 0; it < MAXBRENT; ++it) {
    const double xm = 0.5 * (a + b);
    const double tol1 = LINE_TOL * std::abs(x) + ZEPS, tol2 = 2.0 * tol1;
    if (std::abs(x - xm) <= tol2 - 0.5 * (b - a)) break;
    bool golden = true;
    if (std::abs(e) > tol1) {  // try a parabola through x, w, v
      const double r = (x - w) * (fx - fv);
      double q = (x - v) * (fx - fw);
      double pp = (x - v) * q - (x - w) * r;
      q = 2.0 * (q - r);
      if (q > 0.0) pp = -pp;
      q = std::abs(q);
      const double etemp = e;
      e = d;
      if (!(std::abs(pp) >= std::abs(0.5 * q * etemp) || pp <= q * (a - x) || pp >= q * (b - x))) {
        d = pp / q;
        const double u = x + d;
        if (u - a < tol2 || b - u < tol2) d = std::copysign(tol1, xm - x);
        golden = false;
      }
    }
    if (golden) {
      e = x >= xm ? a - x : b - x;
      d = CGOLD * e;
    }
    const double u = std::abs(d) >= tol1 ? x + d : x + std::copysign(tol1, d);
    const double fu = f(u);
    if (fu <= fx) {
      (u >= x ? a : b) = x;
      v = w, fv = fw;
      w = x, fw = fx;
      x = u, fx = fu;
    } else {
      (u < x ? a : b) = u;
      if (fu <= fw || w == x) {
        v = w, fv = fw;
        w = u, fw = fu;
      } else if (fu <= fv || v == x || v == w) {
        v = u, fv = fu;
      }
    }
  }
  return {x, fx};
}

}  // namespace

double lineMinimize(Counted& f, int n, double* p, double* xi, double f0, double* trial) {
  Line line(f, n, p, xi, trial);
  double largest = 0.0;
  for (int i = 0; i < n; ++i) largest = std::max(largest, std::abs(xi[i]));
  const double t1 = largest > FIRST_MOVE ? FIRST_MOVE / largest : 1.0;
  const Bracket k = bracket(line, f0, t1);
  Minimum m;
  if (k.found) {
    m = brent(line, k);
  } else {  // no bracket: take the lowest point seen
    m = {k.a, k.fa};
    if (k.fb < m.f) m = {k.b, k.fb};
    if (k.fc < m.f) m = {k.c, k.fc};
  }
  if (!(m.f <= f0)) m = {0.0, f0};  // never return a worse point (or a NaN)
  for (int i = 0; i < n; ++i) {
    xi[i] *= m.t;
    p[i] += xi[i];
  }
  return m.f;
}

}  // namespace veka::opt::detail
