// Set-up of the solvent energies: cutoff constants, cutoff sites, pair tables, allocation.
#include <algorithm>
#include <cstddef>

#include "energy/solution.hpp"

namespace veka {

namespace {

constexpr int kOther = 20;  // solvent read from the solvent Z-matrix file

// Command-section settings read here (one line each, for renamed fields).
bool solventSolventNeglected(const State& s) {
  return s.sw.noSolventSolvent == 1;
}
bool smoothingOffRequested(const State& s) {  // fourth integer of record 26 set to 1
  return s.cutoff.noSmoothing == 1;
}
int solventCentreAtom(const State& s) {
  return s.misc.solventCentre;
}

bool hasSecondSolvent(const State& s) {
  const int code = s.sol.code(2);
  return s.sol.NMOL2 > 0 && code > 0 && code != 99 && s.sol.nsites(2) > 0;
}

// RCUT^2, feathering start and width of a cutoff radius.
void zone(double r, bool smoothed, double& r2, double& start, double& den) {
  const double inner = (r - 0.5) * (r - 0.5);
  r2 = r * r;
  den = r2 - inner;
  start = smoothed ? inner : 1.0e20;
}

void cutoffConstants(State& s) {
  Cutoff& c = s.cutoff;
  Slveco& v = s.slveco;
  const int code = s.sol.code(1);
  const double fallback = (code == 1 || code == 2 || code == 13) ? 8.5 : 10.0;
  if (!(c.RCUT > 0.0)) c.RCUT = fallback;
  if (!(c.SCUT > 0.0)) c.SCUT = fallback;
  const double rf = s.potpar.DIELRF;
  c.reactionField = rf > 1.0 ? 1 : 0;
  c.KRF = c.reactionField ? (rf - 1.0) / ((2.0 * rf + 1.0) * c.RCUT * c.RCUT * c.RCUT) : 0.0;
  v.smoothed = (c.reactionField || smoothingOffRequested(s)) ? 0 : 1;
  zone(c.RCUT, v.smoothed, v.RCUT2, v.RFEATH, v.RDEN);
  zone(c.SCUT, v.smoothed, v.SCUT2, v.SFEATH, v.SDEN);
  v.neglect = solventSolventNeglected(s) ? 1 : 0;
  v.twoSolvents = hasSecondSolvent(s) ? 1 : 0;
}

// Solvent 1: the sites of record 11 that the model has; without any, the centre atom of a
// solvent read from its Z-matrix file, else site 1. Solvent 2: its centre atom likewise.
void cutoffSites(State& s) {
  Slveco& v = s.slveco;
  for (int sv = 1; sv <= 2; ++sv) {
    const int ns = s.sol.nsites(sv);
    int n = 0;
    if (sv == 1)
      for (int k = 1; k <= MAXICS; ++k) {
        const int site = s.cutoff.ICUTAS(k);
        if (site >= 1 && site <= ns) v.ICUTAS(++n, 1) = site;
      }
    if (n == 0) {
      const int centre = solventCentreAtom(s);
      v.ICUTAS(++n, sv) = (s.sol.code(sv) == kOther && centre >= 1 && centre <= ns) ? centre : 1;
    }
    v.NICUTAS(sv) = n;
  }
}

void addTerm(SolventPairTable& t, int i, int j, double aa, double cc, double qq) {
  t.si.push_back(i);
  t.sj.push_back(j);
  t.aa.push_back(aa);
  t.cc.push_back(cc);
  t.qq.push_back(qq);
  t.jlo = std::min(t.jlo, j);
  t.jhi = std::max(t.jhi, j);
}

// Water pair: the nine charge products of the water constants, over the charged sites.
void waterTable(const State& s, int a, SolventPairTable& t) {
  const Potpar& p = s.potpar;
  t.water = 1;
  t.AOO = p.AOO;
  t.COO = p.COO;
  const int c0 = p.QW(1, a) == 0.0 ? 2 : 1;
  int k = 0;
  for (int i = c0; i < c0 + 3; ++i)
    for (int j = c0; j < c0 + 3; ++j) addTerm(t, i, j, 0.0, 0.0, p.QQW(++k));
}

void generalTable(const State& s, int a, int b, SolventPairTable& t) {
  const Potpar& p = s.potpar;
  const Slveco& v = s.slveco;
  t.ncutA = v.NICUTAS(a);
  t.ncutB = v.NICUTAS(b);
  for (int k = 1; k <= t.ncutA; ++k) t.cutA[static_cast<std::size_t>(k - 1)] = v.ICUTAS(k, a);
  for (int k = 1; k <= t.ncutB; ++k) t.cutB[static_cast<std::size_t>(k - 1)] = v.ICUTAS(k, b);
  for (int i = 1; i <= s.sol.nsites(a); ++i) {
    if (p.typeW(i, a) <= 0) continue;
    for (int j = 1; j <= s.sol.nsites(b); ++j)
      if (p.typeW(j, b) > 0)
        addTerm(t, i, j, p.AW(i, a) * p.AW(j, b), p.CW(i, a) * p.CW(j, b), p.QW(i, a) * p.QW(j, b));
  }
}

void pairTables(State& s) {
  const int kinds = s.slveco.twoSolvents ? 2 : 1;
  for (int a = 1; a <= 2; ++a)
    for (int b = 1; b <= 2; ++b) {
      SolventPairTable& t =
          s.slveco.table[static_cast<std::size_t>(a - 1)][static_cast<std::size_t>(b - 1)];
      t = SolventPairTable{};
      t.jlo = MXSAT + 1;
      if (a > kinds || b > kinds || s.sol.nsites(a) <= 0 || s.sol.nsites(b) <= 0) continue;
      const int ca = s.sol.code(a), cb = s.sol.code(b);
      if (ca >= 1 && ca <= 2 && cb >= 1 && cb <= 2)
        waterTable(s, a, t);
      else
        generalTable(s, a, b, t);
    }
}

void allocate(State& s) {
  Slveco& v = s.slveco;
  const int nmol = std::max(s.coord.NMOL, 0);
  const auto n = static_cast<std::size_t>(nmol);
  // Rows a multiple of 512 bytes apart would fall into the same cache sets when a column is
  // written; such a length gets one more cache line.
  v.LD = (nmol + 7) / 8 * 8;
  if (v.LD % 64 == 0) v.LD += 8;
  v.EIJ.assign(n * static_cast<std::size_t>(v.LD), 0.0);
  for (auto& e : v.ESX) e.assign(n, 0.0);
  v.ESXC.assign(n, 0.0);
  v.ESXL.assign(n, 0.0);
  const std::size_t w = n + 16;
  for (auto* b : {&v.wIdx, &v.wList1, &v.wList2}) b->assign(w, 0);
  for (auto* b : {&v.wR2, &v.wE}) b->assign(w, 0.0);
}

}  // namespace

void prepareSolventEnergy(State& s) {
  cutoffConstants(s);
  cutoffSites(s);
  pairTables(s);
  allocate(s);
}

int solventOf(const State& s, int n) {
  return s.slveco.twoSolvents && s.coord.solvent(n) == 2 ? 2 : 1;
}

MolView storedMolecule(const State& s, int n) {
  return {&s.coord.X(n, 1), &s.coord.Y(n, 1), &s.coord.Z(n, 1), MXS, solventOf(s, n)};
}

RowBox solventBox(const State& s) {
  const Slveco& v = s.slveco;
  RowBox b;
  for (int k = 0; k < 3; ++k) b.edge[k] = s.coord.EDGE(k + 1), b.half[k] = s.coord.HALF(k + 1);
  b.slab = s.control.slab;
  b.rc2 = v.RCUT2;
  b.featherStart = v.RFEATH;
  b.featherDen = v.RDEN;
  b.rf = s.cutoff.reactionField;
  b.krf = s.cutoff.KRF;
  return b;
}

}  // namespace veka
