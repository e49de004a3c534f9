#include "optimize/minimizers.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "format/record.hpp"
#include "optimize/detail.hpp"

namespace veka::opt {

namespace detail {

void listMessage(Io& io, std::string_view text) {
  fmt::ListWriter w;
  w << text;
  io.list(w.str());
}

void consoleMessage(std::string_view text) {
  fmt::ListWriter w;
  w << text;
  std::fwrite(w.str().data(), 1, w.str().size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

bool outOfRange(Counted& f, const Problem& p, Io& io, std::string_view tooMany, Result& r) {
  if (p.n > NMAX || p.n < 0) {
    listMessage(io, tooMany);
    r = f.result(0, 0.0, REFUSED);
    return true;
  }
  if (p.n == 0) {
    const double v = f.value(p.x);
    r = f.result(0, v, OK);
    return true;
  }
  return false;
}

bool converged(double a, double b, double tol) {
  return 2.0 * std::abs(a - b) <= tol * (std::abs(a) + std::abs(b) + 1e-10);
}

double scaledGradient(int n, const double* g, const double* x, double f) {
  const double den = std::max(f, 1.0);
  double test = 0.0;
  for (int i = 0; i < n; ++i)
    test = std::max(test, std::abs(g[i]) * std::max(std::abs(x[i]), 1.0) / den);
  return test;
}

}  // namespace detail

double boundPenalty(int n, const double* x, const double* lower, const double* upper) {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) {
    double d = 0.0;
    if (x[i] < lower[i])
      d = lower[i] - x[i];
    else if (x[i] > upper[i])
      d = x[i] - upper[i];
    else
      continue;
    sum += 1.0 + d * d;
  }
  return 1000.0 * sum;
}

Result minimize(int method, Objective& f, const Problem& p, const Settings& s, Workspace& ws,
                Io& io) {
  switch (method) {
    case SIMPLEX:
      return simplex(f, p, s, ws, io);
    case POWELL:
      return powell(f, p, s, ws, io);
    case HOOKE:
      return hooke(f, p, s, ws, io);
    case FLEPO:
      return flepo(f, p, s, ws, io);
    case BFGS:
      return bfgs(f, p, s, ws, io);
    case CONGRD:
      return congrd(f, p, s, ws, io);
    case SIMAN:
      return siman(f, p, s, ws, io);
    default: {
      Result r;
      r.error = REFUSED;
      return r;
    }
  }
}

}  // namespace veka::opt
