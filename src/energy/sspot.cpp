// Solvent-solvent energy: the reference pair routines, the row kernel on the state, the
// stored pair energies of a configuration and the long-range correction.
#include <numbers>
#include <algorithm>
#include <cassert>
#include <cstddef>

#include "energy/solution.hpp"
#include "energy/solvterms.hpp"

namespace veka {

namespace {

const SolventPairTable& tableFor(const State& s, int a, int b) {
  return s.slveco.table[static_cast<std::size_t>(a - 1)][static_cast<std::size_t>(b - 1)];
}

// The squared image separation of one site pair, built z, x, y with a stop as soon as the
// partial sum exceeds RCUT^2 (then only known to exceed it).
double cutoffR2(const RowBox& b, double dz, double dx, double dy, bool& beyond) {
  const bool zOn = b.slab == 0;
  dz = solv::imaged(dz, b.half[2], b.edge[2], zOn);
  double r2 = dz * dz;
  beyond = r2 > b.rc2;
  if (beyond) return r2;
  dx = solv::imaged(dx, b.half[0], b.edge[0], true);
  r2 = r2 + dx * dx;
  beyond = r2 > b.rc2;
  if (beyond) return r2;
  dy = solv::imaged(dy, b.half[1], b.edge[1], true);
  r2 = r2 + dy * dy;
  beyond = r2 > b.rc2;
  return r2;
}

}  // namespace

double wwpot(const State& s, const MolView& m, int n, double& r2, double& lj) {
  const SolventPairTable& p = tableFor(s, m.kind, solventOf(s, n));
  const Coord& c = s.coord;
  const RowBox b = solventBox(s);
  lj = 0.0;
  const double tx = m.X(1) - c.X(n, 1), ty = m.Y(1) - c.Y(n, 1), tz = m.Z(1) - c.Z(n, 1);
  bool beyond = false;
  r2 = cutoffR2(b, tz, tx, ty, beyond);
  if (beyond) return 0.0;
  lj = solv::ljTerm(p.AOO, p.COO, 1.0 / r2);
  double e = lj;
  // Molecule n moved to the image of its first site.
  const double sx = solv::shiftOf(tx, b.half[0], b.edge[0], true);
  const double sy = solv::shiftOf(ty, b.half[1], b.edge[1], true);
  const double sz = solv::shiftOf(tz, b.half[2], b.edge[2], b.slab == 0);
  for (int k = 0; k < p.nterm(); ++k) {
    const int i = p.si[static_cast<std::size_t>(k)], j = p.sj[static_cast<std::size_t>(k)];
    const double dx = m.X(i) - (c.X(n, j) + sx), dy = m.Y(i) - (c.Y(n, j) + sy);
    const double dz = m.Z(i) - (c.Z(n, j) + sz);
    const double rr = solv::sumZxy(dz, dx, dy);
    e += solv::coulombTerm(p.qq[static_cast<std::size_t>(k)], 1.0 / rr, rr, b);
  }
  const double f = solv::featherFactor(r2, b);
  lj *= f;
  return e * f;
}

double sspot(const State& s, const MolView& m, int n, double& r2, double& lj) {
  const SolventPairTable& p = tableFor(s, m.kind, solventOf(s, n));
  const Coord& c = s.coord;
  const RowBox b = solventBox(s);
  lj = 0.0;
  r2 = 1.0e20;
  for (int kb = 0; kb < p.ncutB; ++kb)
    for (int ka = 0; ka < p.ncutA; ++ka) {
      const int k = p.cutA[static_cast<std::size_t>(ka)], l = p.cutB[static_cast<std::size_t>(kb)];
      bool beyond = false;
      const double d2 =
          cutoffR2(b, m.Z(k) - c.Z(n, l), m.X(k) - c.X(n, l), m.Y(k) - c.Y(n, l), beyond);
      if (!beyond && d2 < r2) r2 = d2;
    }
  if (r2 > b.rc2) return 0.0;
  const bool zOn = b.slab == 0;
  double e = 0.0;
  for (int k = 0; k < p.nterm(); ++k) {
    const auto t = static_cast<std::size_t>(k);
    const int i = p.si[t], j = p.sj[t];
    const double rr = solv::sumZxy(solv::imaged(m.Z(i) - c.Z(n, j), b.half[2], b.edge[2], zOn),
                                   solv::imaged(m.X(i) - c.X(n, j), b.half[0], b.edge[0], true),
                                   solv::imaged(m.Y(i) - c.Y(n, j), b.half[1], b.edge[1], true));
    const double ri2 = 1.0 / rr;
    if (p.aa[t] != 0.0) {
      const double v = solv::ljTerm(p.aa[t], p.cc[t], ri2);
      e += v;
      lj += v;
    }
    if (p.qq[t] != 0.0) e += solv::coulombTerm(p.qq[t], ri2, rr, b);
  }
  const double f = solv::featherFactor(r2, b);
  lj *= f;
  return e * f;
}

double solventPair(const State& s, const MolView& m, int n) {
  double r2 = 0.0, lj = 0.0;
  return tableFor(s, m.kind, solventOf(s, n)).water ? wwpot(s, m, n, r2, lj)
                                                    : sspot(s, m, n, r2, lj);
}

SolventRowInput solventRowInput(State& s, const MolView& m, double* out) {
  Slveco& v = s.slveco;
  SolventRowInput in;
  in.mx = m.x, in.my = m.y, in.mz = m.z, in.mstride = m.stride;
  in.X = s.coord.X.column(1), in.Y = s.coord.Y.column(1), in.Z = s.coord.Z.column(1);
  in.ld = MXS;
  in.kinds = v.twoSolvents ? s.coord.solvent.data() : nullptr;
  in.table[0] = &tableFor(s, m.kind, 1);
  in.table[1] = &tableFor(s, m.kind, 2);
  in.box = solventBox(s);
  in.out = out;
  in.work = {v.wIdx.data(), v.wList1.data(), v.wList2.data(), v.wR2.data(), v.wE.data()};
  return in;
}

double solventRowAll(State& s, const MolView& m, int k, double* out, int width) {
  SolventRowInput in = solventRowInput(s, m, out);
  in.first = 1, in.last = s.coord.NMOL, in.skip = k;
  return solventRow(in, width);
}

double solventRowList(State& s, const MolView& m, const std::int16_t* list, int count, double* out,
                      int width) {
  SolventRowInput in = solventRowInput(s, m, out);
  int n = 0;
  while (n < count && list[n] != 0) ++n;
  in.list = list, in.count = n;
  return solventRow(in, width);
}

double solventSolventEnergy(State& s) {
  Slveco& v = s.slveco;
  const int nmol = s.coord.NMOL;
  assert(v.EIJ.size() >= static_cast<std::size_t>(nmol) * static_cast<std::size_t>(v.LD));
  if (nmol <= 1 || v.neglect) {
    std::fill(v.EIJ.begin(), v.EIJ.end(), 0.0);
    return 0.0;
  }
  // Row i holds the pairs (i, j > i) that its row pass writes and, before them, the pairs
  // (i, j < i) that the passes of the rows above put into column j.
  for (int i = 1; i <= nmol; ++i) std::fill(v.row(i), v.row(i) + i, 0.0);
  double sum = 0.0;
  for (int i = 1; i < nmol; ++i) {
    SolventRowInput in = solventRowInput(s, storedMolecule(s, i), v.row(i));
    in.first = i + 1, in.last = nmol;
    int kept = 0;
    sum += solventRow(in, 0, &kept);
    for (int t = 0; t < kept; ++t) v.pair(in.work.idx[t], i) = in.work.e[t];
  }
  return sum;
}

double ecut(const State& s) {
  const Slveco& v = s.slveco;
  const Sol& sol = s.sol;
  const int c1 = sol.code(1), c2 = sol.code(2);
  if (s.coord.NMOL <= 0 || c1 == 99 || v.neglect || s.cutoff.noEcut == 1) return 0.0;
  double n1 = 0.0, n2 = 0.0;
  if (!v.twoSolvents) {
    if (c1 < 3 || c1 == 13) return 0.0;
    n1 = s.coord.NMOL;
  } else {
    n1 = c1 < 3 ? 0.0 : s.coord.NMOL - sol.NMOL2;
    n2 = c2 > 2 ? sol.NMOL2 : 0.0;
  }
  const double volume = s.coord.EDGE(1) * s.coord.EDGE(2) * s.coord.EDGE(3);
  const double rc3 = s.cutoff.RCUT * s.cutoff.RCUT * s.cutoff.RCUT, rc9 = rc3 * rc3 * rc3;
  const Potpar& p = s.potpar;
  // The integral over one solvent pair: sum_i sum_j (A_i A_j / (3 rc^9) - C_i C_j / rc^3),
  // i over the sites of solvent a and j over those of solvent b.
  auto tail = [&](int a, int b) {
    double t = 0.0;
    for (int i = 1; i <= sol.nsites(a); ++i)
      for (int j = 1; j <= sol.nsites(b); ++j)
        t += p.AW(i, a) * p.AW(j, b) / (3.0 * rc9) - p.CW(i, a) * p.CW(j, b) / rc3;
    return t;
  };
  const double f = 2.0 * std::numbers::pi / (3.0 * volume);
  double e = n1 > 0.0 ? f * n1 * n1 * tail(1, 1) : 0.0;
  if (n2 > 0.0) e += f * n2 * n2 * tail(2, 2);
  if (n1 > 0.0 && n2 > 0.0) e += 2.0 * f * n1 * n2 * tail(1, 2);
  return e;
}

}  // namespace veka
