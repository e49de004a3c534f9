#include "optimize/minimizers.hpp"

#include "optimize/bfgs.hpp"
#include "optimize/congrd.hpp"
#include "optimize/flepo.hpp"
#include "optimize/hooke.hpp"
#include "optimize/powell.hpp"
#include "optimize/siman.hpp"
#include "optimize/simplex.hpp"

namespace veka::opt {

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
