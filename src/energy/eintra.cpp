#include "energy/eintra.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "energy/pairkernel.hpp"
#include "energy/terms.hpp"
#include "molecule/geometry.hpp"

namespace veka {

namespace {

inline std::size_t st(int k) {
  return static_cast<std::size_t>(k);
}

// True when state k has energies of its own: the reference state always, a perturbed
// state when its coupling value differs from the reference one and the run perturbs at
// all (the no-perturbation flag, set for every job that is not a Monte Carlo run, limits
// the energy to the reference state; the command-line numbers of such jobs are not
// coupling values).
bool ownState(const State& s, int k) {
  return k == 0 || (s.geom.noPert == 0 && s.geom.rc(k) != s.geom.RC0);
}

// Sum of K (x - x0)^2 over n entries (bonds or angles), in four partial sums (entries
// 4m + r into sum r) so that the additions do not wait on one another.
double harmonicSum(const double* k, const double* x, const double* x0, int n) {
  double e[4] = {0.0, 0.0, 0.0, 0.0};
  int m = 0;
  for (; m + 4 <= n; m += 4)
    for (int r = 0; r < 4; ++r) {
      e[r] += harmonicTerm(k[m + r], x[m + r], x0[m + r]);
    }
  for (; m < n; ++m) {
    e[0] += harmonicTerm(k[m], x[m], x0[m]);
  }
  return (e[0] + e[1]) + (e[2] + e[3]);
}

double torsionSum(Dihcom& d, std::size_t k) {
  const int nd = d.NDIH;
  if (nd == 0) return 0.0;
  const double* phi = d.PHI[k].data();
  sinCos(phi, d.sinPhi.data(), d.cosPhi.data(), nd);
  const double* c = d.cosPhi.data();
  const bool constV4 = d.constV4 != 0;
  double e[2] = {0.0, 0.0};  // even and odd entries
  for (int m = 0; m < nd; ++m) {
    if (!isTorsion(d, m + 1)) continue;
    e[m & 1] += std::min(fourierTerm(d, k, m + 1, c[m], phi[m], constV4), d.chop);
  }
  return e[0] + e[1];
}

void bondedEnergies(State& s) {
  Bndcom& b = s.bndcom;
  Angcom& a = s.angcom;
  Dihcom& d = s.dihcom;
  std::array<double, 3> eb{}, ea{}, ed{};
  for (int k = 0; k < 3; ++k) {
    const std::size_t q = st(k);
    if (!ownState(s, k)) {
      eb[q] = eb[0], ea[q] = ea[0], ed[q] = ed[0];
      continue;
    }
    eb[q] = harmonicSum(b.KB[q].data(), b.RB[q].data(), b.RB0[q].data(), b.NBND);
    ea[q] = harmonicSum(a.KA[q].data(), a.TH[q].data(), a.TH0[q].data(), a.NANG);
    ed[q] = torsionSum(d, q);
  }
  b.EBNDNE = eb;
  a.EANGNE = ea;
  d.EDIHNE = ed;
}

}  // namespace

void intraSettings(State& s) {
  Potpar& p = s.potpar;
  s.dihcom.chop = s.sw.chop > 0.0 ? s.sw.chop : 1.0e10;
  auto divisor = [](double v) { return v <= 0.0 ? 2.0 : (v > 99999.0 ? 1.0e30 : v); };
  p.div14C = divisor(p.div14C);
  p.div14L = divisor(p.div14L);
  p.SCL14C = 1.0 / p.div14C;
  p.SCL14L = 1.0 / p.div14L;
  s.nbcom.CUTNB = s.cutoff.CUTNB > 0.0 ? s.cutoff.CUTNB : 16.0;
}

void zmatTermValues(State& s) {
  const Zmat& z = s.zmat;
  Bndcom& b = s.bndcom;
  Angcom& a = s.angcom;
  Dihcom& d = s.dihcom;
  const int states = s.geom.noPert ? 1 : 3;
  for (int k = 0; k < states; ++k) {
    const std::size_t q = st(k);
    const double shift = s.geom.rc(k) - s.geom.RC0;
    for (int n = 1; n <= b.NVBND; ++n) {
      const int i = b.IB1(n);
      b.RB[q](n) = z.BND(i) + shift * (z.BNDF(i) - z.BNDI(i));
    }
    for (int n = 1; n <= a.NVANG; ++n) {
      const int i = a.IA1(n);
      a.TH[q](n) = z.ANG(i) + shift * (z.ANGF(i) - z.ANGI(i));
    }
    for (int n = 1; n <= d.NVDIH; ++n) {
      const int i = d.ID4(n);
      d.PHI[q](n) = z.DIH(i) + shift * (z.DIHF(i) - z.DIHI(i));
    }
  }
}

// Bond lengths, angles and dihedrals of the additional terms from the coordinates. The
// angle cosines and dihedral arctangent arguments are gathered first, so that the inverse
// trigonometric functions run as one vectorised batch per state.
void upadd(State& s) {
  Bndcom& b = s.bndcom;
  Angcom& a = s.angcom;
  Dihcom& d = s.dihcom;
  const int states = s.geom.noPert ? 1 : 3;
  const int na = a.NANG - a.NVANG, nd = d.NDIH - d.NVDIH;
  for (int k = 0; k < states; ++k) {
    const std::size_t q = st(k);
    const Xyz& c = s.solcor.xyz[q];
    for (int n = b.NVBND + 1; n <= b.NBND; ++n)
      b.RB[q](n) = distance(atom(c, b.IB1(n)), atom(c, b.IB2(n)));
    for (int n = a.NVANG + 1; n <= a.NANG; ++n)
      a.cosTh(n) = angleCosine(atom(c, a.IA1(n)), atom(c, a.IA2(n)), atom(c, a.IA3(n)));
    if (na > 0) arccos(&a.cosTh(a.NVANG + 1), &a.TH[q](a.NVANG + 1), na);
    for (int n = d.NVDIH + 1; n <= d.NDIH; ++n)
      dihedralArguments(atom(c, d.ID1(n)), atom(c, d.ID2(n)), atom(c, d.ID3(n)), atom(c, d.ID4(n)),
                        d.argY(n), d.argX(n));
    if (nd > 0) arctan2(&d.argY(d.NVDIH + 1), &d.argX(d.NVDIH + 1), &d.PHI[q](d.NVDIH + 1), nd);
  }
}

double pairEnergy(State& s, int state, int width) {
  Nbcom& nb = s.nbcom;
  const Potpar& p = s.potpar;
  const auto& slot = p.slot[st(state)];
  const Xyz& c = s.solcor.xyz[st(state)];
  // The coordinates and parameters of each atom of this state side by side.
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    const int k = slot(i);
    double* u = nb.wxyzq.data() + 4 * i;
    double* w = nb.wac.data() + 2 * i;
    u[0] = c.x(i), u[1] = c.y(i), u[2] = c.z(i);
    if (k < 1) continue;  // dummy atoms have no slot and no pairs
    u[3] = p.Q(k), w[0] = p.A(k), w[1] = p.C(k);
  }
  const double invD = 1.0 / p.DIELEC;
  const PairInput in{nb.wxyzq.data(),
                     nb.wac.data(),
                     nb.NBI.data(),
                     nb.NBJ.data(),
                     nb.I14.data(),
                     nb.EWX.data(),
                     {invD, p.SCL14C * invD, 0.0, 0.0},
                     {1.0, p.SCL14L, 0.0, 0.0}};
  return pairSum(in, nb.NPAIR, width);
}

double eintra(State& s, int mode) {
  Nbcom& nb = s.nbcom;
  nb.ENBNE = {};
  if (mode != 2) {
    upadd(s);
    bondedEnergies(s);
  }
  if (mode != 1) {
    nb.ENBNE[0] = pairEnergy(s, 0);
    nb.ENBNE[1] = ownState(s, 1) ? pairEnergy(s, 1) : nb.ENBNE[0];
    nb.ENBNE[2] = ownState(s, 2) ? pairEnergy(s, 2) : nb.ENBNE[0];
  }
  return s.bndcom.EBNDNE[0] + s.angcom.EANGNE[0] + s.dihcom.EDIHNE[0] + nb.ENBNE[0];
}

}  // namespace veka
