// Every stored solvent molecule against one packed solute, as a solute move needs them:
// the same terms as `solventSoluteEnergy`, computed as a row. A cutoff pass runs over the
// molecules (their sites lie contiguous per site and axis), then the site-site terms of
// the kept molecules run over the solute atoms: per state and solvent site one loop over
// the packed atoms, each atom keeping its own Lennard-Jones and Coulomb sums, which are
// then added in atom order. Every lane does the operations of the one-molecule routine in
// its order (no fused multiply-adds: the file is compiled with -ffp-contract=off; division
// and square root are correctly rounded), so every width gives that routine's energies to
// the last bit. The wide versions are the same loops compiled for AVX2 and AVX-512.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/simdwidth.hpp"
#include "energy/solution.hpp"
#include "energy/solvterms.hpp"

namespace veka {

namespace {

inline std::size_t st(int k) {
  return static_cast<std::size_t>(k);
}

struct Image {
  double h[3], e[3];
  bool zOn;
};

// The sites of the cutoff test and what they are measured from: the solute centre
// (ncand = 0) or the candidate atoms.
struct CutIn {
  const double *X, *Y, *Z;  // site k of molecule n at X[(k - 1) MXS + n - 1]
  const int* sites;         // cutoff sites (ICUTAS column), nsites of them
  int nsites;
  const double *cx, *cy, *cz;  // centre (one point) or candidates
  int ncand;
  Image img;
};

// r2[n - 1] for molecules lo..hi-1 (0-based): the smallest imaged squared separation.
[[gnu::always_inline]] inline void cutoffLoop(const CutIn& c, int lo, int hi, double* r2) {
  const Image& g = c.img;
  const double hx = g.h[0], hy = g.h[1], hz = g.h[2], ex = g.e[0], ey = g.e[1], ez = g.e[2];
  const bool zOn = g.zOn;
  for (int n = lo; n < hi; ++n) r2[n] = 1.0e20;
  const int np = std::max(c.ncand, 1);
  for (int k = 0; k < c.nsites; ++k) {
    const std::ptrdiff_t o = static_cast<std::ptrdiff_t>(c.sites[k] - 1) * MXS;
    const double *X = c.X + o, *Y = c.Y + o, *Z = c.Z + o;
    for (int p = 0; p < np; ++p) {
      const double px = c.cx[p], py = c.cy[p], pz = c.cz[p];
      for (int n = lo; n < hi; ++n) {
        const double d2 = solv::sumZxy(solv::imaged(pz - Z[n], hz, ez, zOn),
                                       solv::imaged(px - X[n], hx, ex, true),
                                       solv::imaged(py - Y[n], hy, ey, true));
        r2[n] = std::min(r2[n], d2);
      }
    }
  }
}

// One state of the solute against one molecule: per atom its Lennard-Jones and Coulomb
// sums over the molecule's sites, the molecule moved to the image of its first site
// nearest to the atom.
struct AtomIn {
  const double *x, *y, *z, *q, *a, *c;
  int n;
  const double *mx, *my, *mz;  // the molecule's sites (site j at [j - 1])
  const double *aw, *cw, *qw;
  int ns;
  Image img;
  RowBox box;
  double *lj, *cl;  // per-atom results
};

// The image shift of solv::shiftOf without branches, so that it vectorises.
[[gnu::always_inline]] inline double shiftLane(double t, double half, double edge, bool on) {
  const double s = t > 0.0 ? edge : -edge;
  return on && std::fabs(t) > half ? s : 0.0;
}

[[gnu::always_inline]] inline void atomLoop(const AtomIn& in) {
  const int n = in.n;
  const double* __restrict x = in.x, * __restrict y = in.y, * __restrict z = in.z;
  double* __restrict lj = in.lj, * __restrict cl = in.cl;
  const double mx = in.mx[0], my = in.my[0], mz = in.mz[0];
  const double hx = in.img.h[0], hy = in.img.h[1], hz = in.img.h[2];
  const double ex = in.img.e[0], ey = in.img.e[1], ez = in.img.e[2];
  const bool zOn = in.img.zOn;
  const double krf = in.box.rf ? in.box.krf : 0.0;
  for (int i = 0; i < n; ++i) lj[i] = 0.0;
  for (int i = 0; i < n; ++i) cl[i] = 0.0;
  // The separation of atom i from site (X, Y, Z) of the molecule's image nearest to it.
  auto separation = [&](int i, double X, double Y, double Z) {
    const double dx = x[i] - (X + shiftLane(x[i] - mx, hx, ex, true));
    const double dy = y[i] - (Y + shiftLane(y[i] - my, hy, ey, true));
    const double dz = z[i] - (Z + shiftLane(z[i] - mz, hz, ez, zOn));
    return solv::sumZxy(dz, dx, dy);
  };
  for (int j = 0; j < in.ns; ++j) {
    const double aj = in.aw[j], cj = in.cw[j], qj = in.qw[j];
    const double X = in.mx[j], Y = in.my[j], Z = in.mz[j];
    if (aj != 0.0)
      for (int i = 0; i < n; ++i)
        lj[i] += solv::ljTerm(aj * in.a[i], cj * in.c[i], 1.0 / separation(i, X, Y, Z));
    if (qj != 0.0 && krf != 0.0)  // the reaction field: q_i q_j (1/r + k_rf r^2)
      for (int i = 0; i < n; ++i) {
        const double rr = separation(i, X, Y, Z);
        cl[i] += qj * in.q[i] * (std::sqrt(1.0 / rr) + krf * rr);
      }
    else if (qj != 0.0)
      for (int i = 0; i < n; ++i) cl[i] += qj * in.q[i] * std::sqrt(1.0 / separation(i, X, Y, Z));
  }
}

void cutoffScalar(const CutIn& c, int lo, int hi, double* r2) {
  cutoffLoop(c, lo, hi, r2);
}
void atomScalar(const AtomIn& in) {
  atomLoop(in);
}
#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("avx2")]] void cutoffAvx2(const CutIn& c, int lo, int hi, double* r2) {
  cutoffLoop(c, lo, hi, r2);
}
[[gnu::target("avx2")]] void atomAvx2(const AtomIn& in) {
  atomLoop(in);
}
[[gnu::target("avx512f")]] void cutoffAvx512(const CutIn& c, int lo, int hi, double* r2) {
  cutoffLoop(c, lo, hi, r2);
}
[[gnu::target("avx512f")]] void atomAvx512(const AtomIn& in) {
  atomLoop(in);
}
#endif

struct Kernels {
  void (*cutoff)(const CutIn&, int, int, double*) = cutoffScalar;
  void (*atoms)(const AtomIn&) = atomScalar;
};

Kernels kernels(int width) {
#if defined(__x86_64__) && defined(__GNUC__)
  const int w = simdWidth(width);
  if (w == 8) return {cutoffAvx512, atomAvx512};
  if (w == 4) return {cutoffAvx2, atomAvx2};
#endif
  (void)width;
  return {};
}

// The cutoff pass over every molecule (one molecule at a time when the two solvents have
// different cutoff sites).
void cutoffPass(const State& s, const SoluteAtoms& u, const Kernels& k, double* r2) {
  const Slveco& v = s.slveco;
  const int nmol = s.coord.NMOL;
  CutIn c{s.coord.X.column(1), s.coord.Y.column(1), s.coord.Z.column(1), nullptr, 0,
          &u.centre[0],        &u.centre[1],        &u.centre[2],        0,       {}};
  for (int a = 0; a < 3; ++a) c.img.h[a] = s.coord.HALF(a + 1), c.img.e[a] = s.coord.EDGE(a + 1);
  c.img.zOn = s.control.slab == 0;
  if (s.cutoff.ICUT >= 2) c.cx = u.candX.data(), c.cy = u.candY.data(), c.cz = u.candZ.data();
  c.ncand = s.cutoff.ICUT >= 2 ? u.ncand : 0;
  auto sitesOf = [&](int kind) {
    c.sites = &v.ICUTAS(1, kind);
    c.nsites = v.NICUTAS(kind);
  };
  if (s.cutoff.ICUT >= 2 && u.ncand == 0) {  // no candidate: every molecule out of reach
    std::fill(r2, r2 + nmol, 1.0e20);
    return;
  }
  if (!v.twoSolvents) {
    sitesOf(1);
    k.cutoff(c, 0, nmol, r2);
    return;
  }
  for (int n = 1; n <= nmol; ++n) {
    sitesOf(solventOf(s, n));
    k.cutoff(c, n - 1, n, r2);
  }
}

// The smallest squared separation of each solute molecule's candidate atoms from the
// cutoff sites of molecule m.
void moleculeMinima(const State& s, const MolView& m, const SoluteAtoms& u, const Image& g,
                    std::array<double, MAXSOL + 1>& molMin) {
  const Slveco& v = s.slveco;
  molMin.fill(1.0e20);
  for (int k = 1; k <= v.NICUTAS(m.kind); ++k) {
    const int l = v.ICUTAS(k, m.kind);
    for (int c = 0; c < u.ncand; ++c) {
      const double d2 = solv::sumZxy(solv::imaged(u.candZ[st(c)] - m.Z(l), g.h[2], g.e[2], g.zOn),
                                     solv::imaged(u.candX[st(c)] - m.X(l), g.h[0], g.e[0], true),
                                     solv::imaged(u.candY[st(c)] - m.Y(l), g.h[1], g.e[1], true));
      double& mm = molMin[st(u.candMol[st(c)])];
      mm = std::min(mm, d2);
    }
  }
}

// The packed atoms of every state one after the other (state t's atom i at t n + i), padded
// to a multiple of 8 with copies of the last atom that carry no charge or constants, so
// that the atom loops run whole vectors.
void stackStates(SoluteAtoms& u, AtomIn& in) {
  const auto n = st(u.n), m = st(u.states) * n, padded = (m + 7) / 8 * 8;
  double* w = u.work.data();
  double* col[8];
  for (std::size_t c = 0; c < 8; ++c) col[c] = w + c * padded;
  for (std::size_t t = 0; t < st(u.states); ++t) {
    const std::vector<double>* from[6] = {&u.x[t], &u.y[t], &u.z[t], &u.q[t], &u.a[t], &u.c[t]};
    for (std::size_t c = 0; c < 6; ++c) std::copy_n(from[c]->data(), n, col[c] + t * n);
  }
  for (std::size_t i = m; i < padded; ++i)
    for (std::size_t c = 0; c < 6; ++c) col[c][i] = c < 3 ? col[c][m - 1] : 0.0;
  in.x = col[0], in.y = col[1], in.z = col[2], in.q = col[3], in.a = col[4], in.c = col[5];
  in.lj = col[6], in.cl = col[7];
  in.n = static_cast<int>(padded);
}

// Molecule m's energies of the packed states within the cutoff (feathered by f).
PerState moleculeTerms(const State& s, const MolView& m, const SoluteAtoms& u, const Kernels& k,
                       AtomIn& in, double f, bool all, double& coul, double& lj) {
  const Potpar& p = s.potpar;
  const int ns = s.sol.nsites(m.kind), sel = s.energy.selected;
  double mx[MXSAT], my[MXSAT], mz[MXSAT];
  for (int j = 1; j <= ns; ++j) mx[j - 1] = m.X(j), my[j - 1] = m.Y(j), mz[j - 1] = m.Z(j);
  in.mx = mx, in.my = my, in.mz = mz, in.ns = ns;
  in.aw = &p.AW(1, m.kind), in.cw = &p.CW(1, m.kind), in.qw = &p.QW(1, m.kind);
  std::array<double, MAXSOL + 1> molMin;  // filled when used
  const bool byMolecule = !all && s.cutoff.ICUT >= 2;
  if (byMolecule) moleculeMinima(s, m, u, in.img, molMin);
  k.atoms(in);
  // The states' sums side by side, each in atom order (with one state the other two repeat
  // it and are not used).
  const int n = u.n, three = u.states == 3;
  const double *l0 = in.lj, *l1 = l0 + three * n, *l2 = l1 + three * n;
  const double *c0 = in.cl, *c1 = c0 + three * n, *c2 = c1 + three * n;
  double sl0 = 0.0, sl1 = 0.0, sl2 = 0.0, sc0 = 0.0, sc1 = 0.0, sc2 = 0.0;
  double selLj = 0.0, selCoul = 0.0;
  const int* mol = u.mol.data();
  for (int i = 0; i < n; ++i) {
    if (byMolecule && molMin[st(mol[i])] > s.slveco.SCUT2) continue;
    sl0 += l0[i], sc0 += c0[i], sl1 += l1[i], sc1 += c1[i], sl2 += l2[i], sc2 += c2[i];
    if (mol[i] == sel) selLj += l0[i], selCoul += c0[i];
  }
  lj = f * selLj, coul = f * selCoul;
  const PerState e{f * sl0 + f * sc0, f * sl1 + f * sc1, f * sl2 + f * sc2};
  return e;
}

}  // namespace

void soluteSolventRow(State& s, SoluteAtoms& u, SoluteRowOut& out, int width) {
  const Slveco& v = s.slveco;
  const int nmol = s.coord.NMOL;
  out.sum = {}, out.sumC = out.sumL = 0.0;
  if (nmol <= 0) return;
  double* r2 = out.r2 ? out.r2 : s.slveco.wR2.data();
  auto put = [&](int n, const PerState& e, double coul, double lj) {
    for (std::size_t k = 0; k < 3; ++k) out.e[k][n - 1] = e[k], out.sum[k] += e[k];
    out.coul[n - 1] = coul, out.lj[n - 1] = lj;
    out.sumC += coul, out.sumL += lj;
  };
  if (u.capOn || u.n == 0) {  // the cap restraint reaches every molecule: one at a time
    for (int n = 1; n <= nmol; ++n) {
      SxParts parts;
      put(n, solventSoluteEnergy(s, storedMolecule(s, n), u, &parts), parts.coul, parts.lj);
      r2[n - 1] = parts.r2;
    }
    return;
  }
  const Kernels k = kernels(width);
  cutoffPass(s, u, k, r2);
  const bool all = v.neglect != 0;
  AtomIn in{};
  stackStates(u, in);
  in.img = {{s.coord.HALF(1), s.coord.HALF(2), s.coord.HALF(3)},
            {s.coord.EDGE(1), s.coord.EDGE(2), s.coord.EDGE(3)},
            s.control.slab == 0};
  in.box = solventBox(s);
  for (int n = 1; n <= nmol; ++n) {
    const double d2 = r2[n - 1];
    double coul = 0.0, lj = 0.0;
    PerState e{};
    if (all || d2 <= v.SCUT2) {
      const double f = all || d2 < v.SFEATH ? 1.0 : (v.SCUT2 - d2) / v.SDEN;
      e = moleculeTerms(s, storedMolecule(s, n), u, k, in, f, all, coul, lj);
      if (u.states == 1) e[1] = e[2] = e[0];
    }
    put(n, e, coul, lj);
  }
}

}  // namespace veka
