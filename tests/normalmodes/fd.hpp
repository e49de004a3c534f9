// Central-difference checks of the analytic gradient and Hessian of the normal-mode
// energy.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "normalmodes/force.hpp"

namespace veka::test {

// Energy, gradient and Hessian of the n-atom coordinate vector x as one callable:
// eval(x, g, h) returns the energy; g and h (3n, 3n x 3n) may be null.
using Evaluator = std::function<double(std::vector<double>& x, double* g, double* h)>;

struct FdError {
  double grad = 0.0;  // max |g - g_fd| / max |g|
  double hess = 0.0;  // max |H - H_fd| / max |H|
  double asym = 0.0;  // max |H - H^T| / max |H|
  double gmax = 0.0, hmax = 0.0;
};

inline FdError finiteDifferences(std::vector<double> x, const Evaluator& eval, double step) {
  const std::size_t m = x.size();
  std::vector<double> g(m, 0.0), h(m * m, 0.0), gp(m), gm(m);
  eval(x, g.data(), h.data());
  FdError r;
  for (double v : g) r.gmax = std::max(r.gmax, std::fabs(v));
  for (double v : h) r.hmax = std::max(r.hmax, std::fabs(v));
  double dg = 0.0, dh = 0.0, as = 0.0;
  for (std::size_t a = 0; a < m; ++a) {
    const double x0 = x[a];
    std::fill(gp.begin(), gp.end(), 0.0);
    std::fill(gm.begin(), gm.end(), 0.0);
    x[a] = x0 + step;
    const double ep = eval(x, gp.data(), nullptr);
    x[a] = x0 - step;
    const double em = eval(x, gm.data(), nullptr);
    x[a] = x0;
    dg = std::max(dg, std::fabs((ep - em) / (2.0 * step) - g[a]));
    for (std::size_t b = 0; b < m; ++b) {
      dh = std::max(dh, std::fabs((gp[b] - gm[b]) / (2.0 * step) - h[b * m + a]));
      as = std::max(as, std::fabs(h[a * m + b] - h[b * m + a]));
    }
  }
  r.grad = r.gmax > 0.0 ? dg / r.gmax : dg;
  r.hess = r.hmax > 0.0 ? dh / r.hmax : dh;
  r.asym = r.hmax > 0.0 ? as / r.hmax : as;
  return r;
}

// Evaluator over a System's own coordinates.
inline Evaluator systemEvaluator(nm::System& sys, bool rigid) {
  return [&sys, rigid](std::vector<double>& x, double* g, double* h) {
    std::copy(x.begin(), x.end(), sys.x.begin());
    nm::Sink out{g, h, 3 * sys.n};
    const nm::Energies e = nm::force(sys, out, rigid);
    return e.total() + e.rigid;
  };
}

inline std::vector<double> coordinates(const nm::System& sys) {
  return {sys.x.begin(), sys.x.begin() + 3 * sys.n};
}

// Displaces every coordinate by a uniform amount in [-amp, amp].
inline void shake(std::vector<double>& x, double amp, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-amp, amp);
  for (double& v : x) v += u(rng);
}

}  // namespace veka::test
