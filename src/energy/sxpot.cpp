// Solute-solvent energy of one solvent molecule for the three solute states (`wxpot`,
// `sxpot`), on the solute atoms packed per state.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/solution.hpp"
#include "energy/solvterms.hpp"

namespace veka {

namespace {

inline std::size_t st(int k) {
  return static_cast<std::size_t>(k);
}

// Monitored (solute atom, solvent site) pairs: the second kind of radial distributions.
int monitoredCount(const State& s) {
  return std::clamp(s.rdf.count(2), 0, MAXMNT);
}
int monitoredAtom(const State& s, int m) {
  return s.rdf.list3(m);
}
int monitoredSite(const State& s, int m) {
  return s.rdf.list4(m);
}

void resize(SoluteAtoms& u, int natm) {
  const auto n = static_cast<std::size_t>(std::max(natm, 0));
  if (u.atom.size() == n) return;
  u.atom.assign(n, 0);
  u.mol.assign(n, 0);
  u.candMol.assign(n, 0);
  u.work.assign(8 * ((3 * n + 7) / 8 * 8), 0.0);
  for (auto* v : {&u.candX, &u.candY, &u.candZ}) v->assign(n, 0.0);
  for (int k = 0; k < 3; ++k)
    for (auto* v : {&u.x[st(k)], &u.y[st(k)], &u.z[st(k)], &u.q[st(k)], &u.a[st(k)], &u.c[st(k)]})
      v->assign(n, 0.0);
}

// Cutoff candidates of ICUT 2 (every real atom) and above (the ICUTAT atoms).
void packCandidates(const State& s, const Xyz& ref, SoluteAtoms& u) {
  u.ncand = 0;
  if (s.cutoff.ICUT < 2) return;
  auto add = [&](int i, int mol) {
    const auto c = st(u.ncand++);
    u.candX[c] = ref.x(i), u.candY[c] = ref.y(i), u.candZ[c] = ref.z(i);
    u.candMol[c] = mol;
  };
  if (s.cutoff.ICUT == 2) {
    for (int k = 0; k < u.n; ++k) add(u.atom[st(k)], u.mol[st(k)]);
    return;
  }
  const int n = std::min(s.cutoff.NICUTAT, static_cast<int>(u.candX.size()));
  for (int k = 1; k <= n; ++k) {
    const int i = s.cutoff.ICUTAT(k);
    if (i >= 1 && i <= s.zmat.NSATM) add(i, s.zmat.moleculeOf(i));
  }
}

void packCentreCapMonitors(const State& s, const std::array<const Xyz*, 3>& xyz, SoluteAtoms& u) {
  const int natm = s.zmat.NSATM;
  const Xyz& ref = *xyz[0];
  const int a = std::clamp(s.misc.NCENT(1), 1, natm), b = std::clamp(s.misc.NCENT(2), 1, natm);
  u.centre = {0.5 * (ref.x(a) + ref.x(b)), 0.5 * (ref.y(a) + ref.y(b)),
              0.5 * (ref.z(a) + ref.z(b))};
  const int cap = s.cap.atom;
  u.capOn = cap >= 1 && cap <= natm && s.cap.force != 0.0;
  for (int k = 0; k < 3 && u.capOn; ++k) {
    const Xyz& c = *xyz[st(std::min(k, u.states - 1))];
    u.capXyz[st(k)] = {c.x(cap), c.y(cap), c.z(cap)};
  }
  u.nmon = monitoredCount(s);
  for (int m = 1; m <= u.nmon; ++m) {
    const int atom = monitoredAtom(s, m);
    const auto it = std::find(u.atom.begin(), u.atom.begin() + u.n, atom);
    u.monAtom[st(m - 1)] = it == u.atom.begin() + u.n ? -1 : static_cast<int>(it - u.atom.begin());
    u.monSite[st(m - 1)] = monitoredSite(s, m);
  }
}

struct Image {
  double e[3], h[3];
  bool zOn;
  explicit Image(const State& s) : zOn(s.control.slab == 0) {
    for (int k = 0; k < 3; ++k) e[k] = s.coord.EDGE(k + 1), h[k] = s.coord.HALF(k + 1);
  }
  double d2(double dx, double dy, double dz) const {
    return solv::sumZxy(solv::imaged(dz, h[2], e[2], zOn), solv::imaged(dx, h[0], e[0], true),
                        solv::imaged(dy, h[1], e[1], true));
  }
};

// The squared cutoff distance, and for ICUT 2 and above the smallest per solute molecule.
double cutoffDistance(const State& s, const MolView& m, const SoluteAtoms& u, const Image& img,
                      std::array<double, MAXSOL + 1>& molMin) {
  const Slveco& v = s.slveco;
  double best = 1.0e20;
  molMin.fill(1.0e20);
  for (int k = 1; k <= v.NICUTAS(m.kind); ++k) {
    const int l = v.ICUTAS(k, m.kind);
    if (s.cutoff.ICUT < 2) {
      best =
          std::min(best, img.d2(u.centre[0] - m.X(l), u.centre[1] - m.Y(l), u.centre[2] - m.Z(l)));
      continue;
    }
    for (int c = 0; c < u.ncand; ++c) {
      const double d2 =
          img.d2(u.candX[st(c)] - m.X(l), u.candY[st(c)] - m.Y(l), u.candZ[st(c)] - m.Z(l));
      double& mm = molMin[st(u.candMol[st(c)])];
      mm = std::min(mm, d2);
      best = std::min(best, d2);
    }
  }
  return best;
}

double capTerm(const State& s, const SoluteAtoms& u, const MolView& m, int k) {
  const auto& c = u.capXyz[st(k)];
  const double dx = c[0] - m.X(1), dy = c[1] - m.Y(1), dz = c[2] - m.Z(1);
  const double d2 = dx * dx + dy * dy + dz * dz;
  if (d2 <= s.cap.r5sq) return 0.0;
  const double d = std::sqrt(d2) - s.cap.radius - 5.0;
  return s.cap.force * d * d;
}

struct StateSums {
  double lj = 0.0, coul = 0.0, selLj = 0.0, selCoul = 0.0;
};

// Lennard-Jones and Coulomb sums of state k over the included atoms.
StateSums stateSums(const State& s, const MolView& m, const SoluteAtoms& u, int k,
                    const std::array<double, MAXSOL + 1>& molMin, bool all) {
  const Potpar& p = s.potpar;
  const Image img(s);
  const RowBox b = solventBox(s);
  const int ns = s.sol.nsites(m.kind), sel = s.energy.selected;
  const auto& x = u.x[st(k)];
  const auto& y = u.y[st(k)];
  const auto& z = u.z[st(k)];
  StateSums sum;
  for (int i = 0; i < u.n; ++i) {
    const auto a = st(i);
    if (!all && s.cutoff.ICUT >= 2 && molMin[st(u.mol[a])] > s.slveco.SCUT2) continue;
    // The molecule moved to the image of its first site nearest to atom i.
    const double sx = solv::shiftOf(x[a] - m.X(1), img.h[0], img.e[0], true);
    const double sy = solv::shiftOf(y[a] - m.Y(1), img.h[1], img.e[1], true);
    const double sz = solv::shiftOf(z[a] - m.Z(1), img.h[2], img.e[2], img.zOn);
    double lj = 0.0, coul = 0.0;
    for (int j = 1; j <= ns; ++j) {
      const double aj = p.AW(j, m.kind), qj = p.QW(j, m.kind);
      if (aj == 0.0 && qj == 0.0) continue;
      const double dx = x[a] - (m.X(j) + sx), dy = y[a] - (m.Y(j) + sy);
      const double dz = z[a] - (m.Z(j) + sz);
      const double rr = solv::sumZxy(dz, dx, dy), ri2 = 1.0 / rr;
      if (aj != 0.0) lj += solv::ljTerm(aj * u.a[st(k)][a], p.CW(j, m.kind) * u.c[st(k)][a], ri2);
      if (qj != 0.0) coul += solv::coulombTerm(qj * u.q[st(k)][a], ri2, rr, b);
    }
    sum.lj += lj;
    sum.coul += coul;
    if (k == 0 && u.mol[a] == sel) sum.selLj += lj, sum.selCoul += coul;
  }
  return sum;
}

// Distances of the monitored pairs whose atom takes part (reference state).
void monitor(const State& s, const MolView& m, const SoluteAtoms& u,
             const std::array<double, MAXSOL + 1>& molMin, bool all, SxParts& r) {
  const Image img(s);
  for (int k = 0; k < u.nmon; ++k) {
    const int i = u.monAtom[st(k)], j = u.monSite[st(k)];
    if (i < 0 || j < 1 || j > s.sol.nsites(m.kind)) continue;
    const auto a = st(i);
    if (!all && s.cutoff.ICUT >= 2 && molMin[st(u.mol[a])] > s.slveco.SCUT2) continue;
    const double xa = u.x[0][a], ya = u.y[0][a], za = u.z[0][a];
    const double dx = xa - (m.X(j) + solv::shiftOf(xa - m.X(1), img.h[0], img.e[0], true));
    const double dy = ya - (m.Y(j) + solv::shiftOf(ya - m.Y(1), img.h[1], img.e[1], true));
    const double dz = za - (m.Z(j) + solv::shiftOf(za - m.Z(1), img.h[2], img.e[2], img.zOn));
    r.dist[st(k)] = std::sqrt(solv::sumZxy(dz, dx, dy));
  }
}

}  // namespace

void packSolute(const State& s, const std::array<const Xyz*, 3>& xyz, SoluteAtoms& u) {
  const Zmat& z = s.zmat;
  const Potpar& p = s.potpar;
  resize(u, z.NSATM);
  u.states = s.geom.noPert ? 1 : 3;
  u.n = 0;
  for (int mol = 1; mol <= z.NSOLUT; ++mol)
    for (int i = z.first(mol); i <= z.last(mol); ++i) {
      if (z.ITYPE(i) == -1) continue;
      const auto a = st(u.n++);
      u.atom[a] = i;
      u.mol[a] = mol;
      for (int k = 0; k < u.states; ++k) {
        const Xyz& c = *xyz[st(k)];
        const int slot = p.slot[st(k)](i);
        u.x[st(k)][a] = c.x(i), u.y[st(k)][a] = c.y(i), u.z[st(k)][a] = c.z(i);
        u.q[st(k)][a] = p.Q(slot), u.a[st(k)][a] = p.A(slot), u.c[st(k)][a] = p.C(slot);
      }
    }
  if (z.NSATM <= 0) return;
  packCandidates(s, *xyz[0], u);
  packCentreCapMonitors(s, xyz, u);
}

void packSolute(State& s) {
  const auto& c = s.solcor.xyz;
  packSolute(s, {&c[0], &c[1], &c[2]}, s.slveco.solute);
}

PerState solventSoluteEnergy(const State& s, const MolView& m, const SoluteAtoms& u,
                             SxParts* parts) {
  SxParts local;
  SxParts& r = parts ? *parts : local;
  r = SxParts{};
  r.dist.fill(100.0);
  PerState e{};
  if (u.n == 0 && !u.capOn) return e;
  const Slveco& v = s.slveco;
  const bool all = v.neglect != 0;  // no cutoff without solvent-solvent interactions
  std::array<double, MAXSOL + 1> molMin{};
  r.r2 = cutoffDistance(s, m, u, Image(s), molMin);
  if (all || r.r2 <= v.SCUT2) {
    const double f = all || r.r2 < v.SFEATH ? 1.0 : (v.SCUT2 - r.r2) / v.SDEN;
    for (int k = 0; k < u.states; ++k) {
      const StateSums sum = stateSums(s, m, u, k, molMin, all);
      e[st(k)] = f * sum.lj + f * sum.coul;
      if (k == 0) r.coul = f * sum.selCoul, r.lj = f * sum.selLj;
    }
    monitor(s, m, u, molMin, all, r);
  }
  for (int k = 0; k < u.states && u.capOn; ++k) e[st(k)] += capTerm(s, u, m, k);
  if (u.states == 1) e[1] = e[2] = e[0];
  return e;
}

PerState solventSoluteEnergy(const State& s, int n, SxParts* parts) {
  return solventSoluteEnergy(s, storedMolecule(s, n), s.slveco.solute, parts);
}

}  // namespace veka
