#include "normalmodes/calfreq.hpp"

#include <cmath>
#include <memory>
#include <string>

#include "format/record.hpp"
#include "normalmodes/eigen.hpp"
#include "normalmodes/report.hpp"
#include "state/state.hpp"

namespace veka::nm {
namespace {

std::size_t idx(int n) {
  return static_cast<std::size_t>(n);
}

void refuseSize(Io& io, int n) {
  io.list(" !!! Normal coordinate analysis can handle up to " + fmt::formatI(MXFATM, 3) +
          " atoms. !!!");
  io.list("    The current number of atoms is " + std::to_string(n) + ".");
  io.list("    Increase mxfatm in the subroutine calfreq and recompile.");
}

// H_ab <- H_ab / (sqrt(m_a) sqrt(m_b)).
void massWeight(Work& w) {
  const int nc = w.ncoord;
  for (int a = 0; a < nc; ++a) w.work[idx(a)] = 1.0 / std::sqrt(w.sys.mass(a / 3 + 1));
  for (int a = 0; a < nc; ++a) {
    double* row = w.hess.data() + idx(a * nc);
    const double fa = w.work[idx(a)];
    for (int b = 0; b < nc; ++b) row[b] *= fa * w.work[idx(b)];
  }
}

}  // namespace

double toFrequency(double lambda) {
  return lambda > 0.0 ? 108.587 * std::sqrt(lambda) : lambda;
}

ThermoSettings thermoSettings(const State& s) {
  return thermoSettings(s.misc.TC, s.nmode.frequencyScale, s.nmode.cutoffFrequency,
                        s.nmode.conformers, s.nmode.symmetryNumber);
}

void frequency(Work& w, const ThermoSettings& set, Io& io) {
  System& sys = w.sys;
  const int nc = w.ncoord = 3 * sys.n;
  std::fill(w.hess.begin(), w.hess.begin() + nc * nc, 0.0);
  std::fill(w.grad.begin(), w.grad.begin() + nc, 0.0);
  Sink out{w.grad.data(), w.hess.data(), nc};
  w.energy = force(sys, out, true);
  massWeight(w);
  symmetricEigen(w.hess.data(), nc, nc, w.eval.data(), w.work.data(), w.vec.data(), nc);
  // Back to Cartesian displacements: each component times 1/sqrt(m) of its coordinate.
  for (int k = 0; k < nc; ++k) {
    double* v = w.vec.data() + idx(k * nc);
    for (int a = 0; a < nc; ++a) v[a] /= std::sqrt(sys.mass(a / 3 + 1));
  }
  int z[MXFATM];
  for (int a = 1; a <= sys.n; ++a) z[a - 1] = sys.Z(a);
  const Inertia in = inertia(sys.n, sys.x.data(), z, true);
  prnmode(w, in, io);
  w.thermo = thermo(set, w.energy.total(), w.vib.data(), w.nvib, sys.n, sys.x.data(), z, &io);
}

bool calfreq(State& s, Work& w) {
  Io& io = s.io;
  const int n = countRealAtoms(s);
  if (n > MXFATM) {
    refuseSize(io, n);
    return false;
  }
  if (n == 0) return false;
  rmdummy(s, w.sys);
  mkrigid(s, w.sys);
  rdatype(s, w.sys);
  printGeometry(w.sys, io);
  prtrigid(w.sys, io);
  prtenergy(w.sys, io);
  fixequil(w.sys);
  frequency(w, thermoSettings(s), io);
  return true;
}

}  // namespace veka::nm

namespace veka {

void calfreq(State& s) {
  auto work = std::make_unique<nm::Work>();
  nm::calfreq(s, *work);
}

}  // namespace veka
