#include "montecarlo/volume.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/solution.hpp"
#include "montecarlo/random.hpp"

namespace veka {

namespace {

Array2<double, MXS, MXSAT>& axisOf(Coord& c, int a) {
  return a == 1 ? c.X : (a == 2 ? c.Y : c.Z);
}

Array1<double, MAXATM>& axisOf(Xyz& c, int a) {
  return a == 1 ? c.x : (a == 2 ? c.y : c.z);
}
const Array1<double, MAXATM>& axisOf(const Xyz& c, int a) {
  return a == 1 ? c.x : (a == 2 ? c.y : c.z);
}

int sitesOf(const State& s, int n) {
  const int kind = s.coord.solvent(n) == 2 ? 2 : 1;
  return s.sol.code(kind) == 20 ? s.szmat.NSAT : s.sol.nsites(kind);
}

bool hasSolute(const State& s) {
  return s.zmat.NSATM > 0 && !s.zmat.noSolute;
}

// Moves every molecule along axis a by sign * x1 * scale, x1 the coordinate of its first
// site (on the way back x1 is the scaled one, so the factor is scale / (1 + scale)).
void shiftSolvent(State& s, int a, double factor) {
  Array2<double, MXS, MXSAT>& x = axisOf(s.coord, a);
  for (int n = 1; n <= s.coord.NMOL; ++n) {
    const double d = x(n, 1) * factor;
    const int ns = sitesOf(s, n);
    for (int k = 1; k <= ns; ++k) x(n, k) += d;
  }
}

void shiftSolutes(State& s, int a, double d) {
  for (Xyz& c : s.solcor.xyz) {
    Array1<double, MAXATM>& x = axisOf(c, a);
    for (int i = 1; i <= s.zmat.NSATM; ++i) x(i) += d;
  }
}

// Per-molecule solute-solvent energies against the packed current solute, their totals
// and the trial preferential weights 1 / (d^2 + WKC), normalised.
double soluteSolvent(State& s) {
  Prfsmp& p = s.prfsmp;
  const bool weights = s.movp.prefSampling != 0 && p.Wtrial.size() >= s.slveco.ESXC.size();
  soluteSolventEnergies(s, weights ? p.Wtrial.data() : nullptr);
  if (weights) {
    double wsum = 0.0;
    for (int n = 0; n < s.coord.NMOL; ++n)
      wsum += p.Wtrial[static_cast<std::size_t>(n)] =
          1.0 / (p.Wtrial[static_cast<std::size_t>(n)] + s.movp.WKC);
    p.sumTrial = wsum;
    p.WIMAXtrial = 0.0;
    for (int n = 0; n < s.coord.NMOL; ++n) {
      double& w = p.Wtrial[static_cast<std::size_t>(n)];
      w = wsum > 0.0 ? w / wsum : 0.0;
      p.WIMAXtrial = std::max(p.WIMAXtrial, w);
    }
  }
  return s.energy.ESONE[0];
}

}  // namespace

double recomputeSolution(State& s) {
  Energy& en = s.energy;
  en.ESSNEW = s.coord.NMOL > 1 ? solventSolventEnergy(s) : 0.0;
  if (hasSolute(s)) packSolute(s);
  return en.ESSNEW + soluteSolvent(s);
}

void volumeMove(State& s) {
  Npt& p = s.npt;
  Coord& c = s.coord;
  double dV = (2.0 * ranu(s.rands) - 1.0) * s.movp.VDEL;
  if (s.control.vxyz) dV *= 0.75;
  p.VNEW = p.VOLD + dV;
  p.savedEdge = c.EDGE;
  p.savedHalf = c.HALF;
  p.scale = {};
  p.shift = {};
  if (s.control.vxyz) {
    const int a = static_cast<int>((s.control.slab ? 2.0 : 3.0) * ranu(s.rands)) + 1;
    p.scale(a) = p.VNEW / p.VOLD - 1.0;
    c.EDGE(a) *= 1.0 + dV / p.VOLD;
    c.HALF(a) = 0.5 * c.EDGE(a);
  } else {
    const double f = std::cbrt(p.VNEW / p.VOLD);
    for (int a = 1; a <= 3; ++a) {
      c.EDGE(a) *= f;
      c.HALF(a) *= f;
      p.scale(a) = f - 1.0;
    }
  }
  const Xyz& ref = s.solcor.xyz[0];
  for (int a = 1; a <= 3; ++a) {
    if (p.scale(a) == 0.0) continue;
    shiftSolvent(s, a, p.scale(a));
    if (!hasSolute(s)) continue;
    const Array1<double, MAXATM>& x = axisOf(ref, a);
    p.shift(a) = p.scale(a) * 0.5 * (x(s.misc.NCENT(1)) + x(s.misc.NCENT(2)));
    shiftSolutes(s, a, p.shift(a));
  }
  Energy& en = s.energy;
  en.ENEW = recomputeSolution(s);
  // The solutes' own energies do not change with the box; the polarisation energy is taken
  // as it stands, the long-range correction for the new volume.
  en.EPONEW = en.EPOOLD;
  en.ECUT = ecut(s);
  en.ENEW += en.EXXOLD[0] + s.dihcom.EDIHOL[0] + s.nbcom.ENBOL[0] + s.bndcom.EBNDOL[0] +
             s.angcom.EANGOL[0] + en.EPONEW[0] + en.ECUT;
  if (s.sol.code(1) == 20 || s.sol.code(2) == 20) en.ENEW += s.flexe.ESTOT;
  s.move.kind = kSoluteOrVolumeMove;
}

void rejectVolumeMove(State& s) {
  Npt& p = s.npt;
  s.coord.EDGE = p.savedEdge;
  s.coord.HALF = p.savedHalf;
  for (int a = 1; a <= 3; ++a) {
    if (p.scale(a) == 0.0) continue;
    shiftSolvent(s, a, -p.scale(a) / (1.0 + p.scale(a)));
    if (hasSolute(s)) shiftSolutes(s, a, -p.shift(a));
  }
  recomputeSolution(s);
  s.energy.ESSOLD = s.energy.ESSNEW;
  s.energy.ECUT = ecut(s);
  p.VNEW = p.VOLD;
}

}  // namespace veka
