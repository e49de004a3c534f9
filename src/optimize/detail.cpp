#include "optimize/detail.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "format/record.hpp"

namespace veka::opt::detail {

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

}  // namespace veka::opt::detail
