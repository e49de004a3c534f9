// The trial move of one solvent molecule (`movsvn`) and the rotation of trial sites
// (`rotate`).
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "energy/solution.hpp"
#include "molecule/solvent_zmat.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/random.hpp"

namespace veka {

namespace {

inline std::size_t at(int n) {
  return static_cast<std::size_t>(n - 1);
}

// The site about which a molecule of solvent `kind` turns and by which it is wrapped into
// the box: the solvent centre atom for a solvent of its own Z-matrix file, else site 1.
int pivotOf(const State& s, int kind) {
  return s.sol.code(kind) == 20 ? s.sol.centreAtom : 1;
}

// Trial sites: molecule k translated by a random step along x, y and z in turn; an axis on
// which the pivot leaves [-L/2, L/2] moves the whole molecule back by one edge (not along z
// in a slab).
void translate(State& s, RanuLocal& r, int k, int n, int pivot) {
  Move& m = s.move;
  const Coord& c = s.coord;
  const double rdel = s.movp.RDEL, rdel2 = 2.0 * rdel;
  double* trial[3] = {m.x.data(), m.y.data(), m.z.data()};
  const double* stored[3] = {&c.X(k, 1), &c.Y(k, 1), &c.Z(k, 1)};
  for (int a = 0; a < 3; ++a) {
    const double d = r.next() * rdel2 - rdel;
    double* t = trial[a];
    for (int i = 0; i < n; ++i) t[i] = stored[a][static_cast<std::ptrdiff_t>(i) * MXS] + d;
    if (a == 2 && s.control.slab != 0) continue;
    const double half = c.HALF(a + 1), edge = c.EDGE(a + 1);
    const double p = t[pivot - 1];
    const double shift = p > half ? -edge : (p < -half ? edge : 0.0);
    if (shift != 0.0)
      for (int i = 0; i < n; ++i) t[i] += shift;
  }
}

// The moving molecule's trial pair energies (S_new) and the sum of its stored row (S_old).
void trialPairs(State& s, int k, const MolView& trial) {
  Move& m = s.move;
  Slveco& v = s.slveco;
  m.sumOld = rowSum(v.row(k), s.coord.NMOL, m.nonzeroOld);
  if (v.neglect) {
    m.sumNew = 0.0;
    return;
  }
  SolventRowInput in = solventRowInput(s, trial, m.pairNew.data());
  if (s.movp.NBUSE == 1) {
    in.list = s.nebor.row(k);
    in.count = s.nebor.size[at(k)];
  } else {
    in.first = 1, in.last = s.coord.NMOL, in.skip = k;
  }
  m.sumNew = solventRow(in, 0);
}

// The moving molecule against the current solute (move kind 2 while it is evaluated).
void trialSoluteSolvent(State& s, const MolView& trial) {
  Move& m = s.move;
  if (s.zmat.NSATM <= 0 || s.zmat.noSolute) {
    m.esx = {};
    m.esxC = m.esxL = 0.0;
    m.r2 = 1.0e20;
    m.dist.fill(100.0);
    return;
  }
  SxParts parts;
  m.kind = kSolventMove;
  m.esx = solventSoluteEnergy(s, trial, s.slveco.solute, &parts);
  m.kind = kNoMove;
  m.esxC = parts.coul, m.esxL = parts.lj, m.r2 = parts.r2;
  m.dist = parts.dist;
}

// The internal energies of a code-20 molecule, trial and stored; returns the change.
double trialIntra(State& s, int k) {
  Move& m = s.move;
  SolventIntra tNew, tOld;
  solventIntraEnergy(s, m.x.data(), m.y.data(), m.z.data(), tNew);
  solventIntraEnergy(s, k, tOld);
  m.intraNew = {tNew.bond, tNew.angle, tNew.dihedral, tNew.nonbonded};
  m.intraOld = {tOld.bond, tOld.angle, tOld.dihedral, tOld.nonbonded};
  Flexe& f = s.flexe;
  f.ESBNNE = f.ESBNOL + tNew.bond - tOld.bond;
  f.ESANNE = f.ESANOL + tNew.angle - tOld.angle;
  f.ESDINE = f.ESDIOL + tNew.dihedral - tOld.dihedral;
  f.ESNBNE = f.ESNBOL + tNew.nonbonded - tOld.nonbonded;
  return (f.ESBNNE + f.ESANNE + f.ESDINE + f.ESNBNE) - (f.ESBNOL + f.ESANOL + f.ESDIOL + f.ESNBOL);
}

// Trial preferential weights: the current ones un-normalised, molecule k's from its new
// squared distance to the solute, then normalised again.
void trialWeights(State& s, int k) {
  Prfsmp& p = s.prfsmp;
  const int nmol = s.coord.NMOL;
  p.sumTrial = p.WIMAXtrial = 0.0;
  if (nmol <= 0) return;
  double sum = 0.0;
  for (int i = 0; i < nmol; ++i) p.Wtrial[at(i + 1)] = p.W[at(i + 1)] * p.sum;
  p.Wtrial[at(k)] = 1.0 / (s.move.r2 + s.movp.WKC);
  for (int i = 0; i < nmol; ++i) sum += p.Wtrial[at(i + 1)];
  double most = 0.0;
  for (int i = 0; i < nmol; ++i) {
    p.Wtrial[at(i + 1)] /= sum;
    most = p.Wtrial[at(i + 1)] > most ? p.Wtrial[at(i + 1)] : most;
  }
  p.sumTrial = sum, p.WIMAXtrial = most;
}

// The trial totals from the moving molecule's old and new energies.
void trialTotals(State& s, int k) {
  const Move& m = s.move;
  const Slveco& v = s.slveco;
  Energy& en = s.energy;
  for (std::size_t st = 0; st < 3; ++st) en.ESONE[st] = en.ESOLD[st] + m.esx[st] - v.ESX[st][at(k)];
  en.ESXCNE = en.ESXCOL + m.esxC - v.ESXC[at(k)];
  en.ESXLNE = en.ESXLOL + m.esxL - v.ESXL[at(k)];
  en.ESSNEW = en.ESSOLD + m.sumNew - m.sumOld;
  en.ENEW = en.EOLD + m.sumNew - m.sumOld + m.esx[0] - v.ESX[0][at(k)];
}

}  // namespace

// Thirty-two partial sums: entry t into sum t mod 32 (four vectors of eight), combined
// pairwise (sum l with sum l + 16, then l + 8, ...). The same additions in the same order at
// every vector width.
using Vec8 = double __attribute__((vector_size(64)));
using Mask8 = long long __attribute__((vector_size(64)));

[[gnu::target_clones("avx512f", "avx2", "default")]] double rowSum(const double* row, int n,
                                                                   int& nonzero) {
  Vec8 a[4] = {};
  Mask8 c = {};
  int t = 0;
  for (; t + 32 <= n; t += 32)
    for (int q = 0; q < 4; ++q) {
      Vec8 v;
      std::memcpy(&v, row + t + 8 * q, sizeof v);
      a[q] += v;
      c -= v != 0.0;  // a true lane is -1
    }
  double part[32];
  std::memcpy(part, a, sizeof part);
  long long count = 0;
  for (int l = 0; l < 8; ++l) count += c[l];
  for (int l = 0; t < n; ++t, ++l) {
    part[l] += row[t];
    count += row[t] != 0.0 ? 1 : 0;
  }
  for (int w = 16; w >= 1; w /= 2)
    for (int l = 0; l < w; ++l) part[l] += part[l + w];
  nonzero = static_cast<int>(count);
  return part[0];
}

double rowSum(const double* row, int n) {
  int nonzero = 0;
  return rowSum(row, n, nonzero);
}

int rotationAxis(double r) {
  return static_cast<int>(3.0 * r + 1.0);
}

void rotateAbout(int axis, double theta, double* x, double* y, double* z, int first, int last,
                 int centre) {
  double* u = axis == 1 ? y : (axis == 2 ? z : x);
  double* v = axis == 1 ? z : (axis == 2 ? x : y);
  const double c = std::cos(theta), sn = std::sin(theta);
  const double uc = u[centre - 1], vc = v[centre - 1];
  for (int i = first; i <= last; ++i) {
    if (i == centre) continue;
    const double du = u[i - 1] - uc, dv = v[i - 1] - vc;
    u[i - 1] = c * du - sn * dv + uc;
    v[i - 1] = sn * du + c * dv + vc;
  }
}

void rotate(State& s, double theta) {
  assert(s.move.kind != kSoluteOrVolumeMove);
  const int kind = solventOf(s, s.move.molecule);
  const int n = s.sol.nsites(kind);
  const int axis = rotationAxis(ranu(s.rands));
  Move& m = s.move;
  if (s.sol.code(kind) != 20) {
    rotateAbout(axis, theta, m.x.data(), m.y.data(), m.z.data(), 2, n, 1);
  } else {
    const int last = s.szmat.flexible ? std::min(3, n) : n;
    rotateAbout(axis, theta, m.x.data(), m.y.data(), m.z.data(), 1, last, pivotOf(s, kind));
  }
}

void trialSites(State& s) {
  Move& m = s.move;
  const int k = m.molecule;
  const int kind = solventOf(s, k);
  double theta = 0.0;
  {
    RanuLocal r(s.rands);
    translate(s, r, k, s.sol.nsites(kind), pivotOf(s, kind));
    theta = r.next() * (2.0 * s.movp.ADEL) - s.movp.ADEL;
  }
  rotate(s, theta);
  if (s.sol.code(kind) == 20 && s.szmat.flexible) movfsl(s);
}

void trialEnergy(State& s) {
  Move& m = s.move;
  const int k = m.molecule;
  const int kind = solventOf(s, k);
  const MolView trial{m.x.data(), m.y.data(), m.z.data(), 1, kind};
  trialPairs(s, k, trial);
  trialSoluteSolvent(s, trial);
  trialTotals(s, k);
  if (s.sol.code(kind) == 20) s.energy.ENEW += trialIntra(s, k);
  if (s.movp.prefSampling) trialWeights(s, k);
}

void movsvn(State& s) {
  trialSites(s);
  trialEnergy(s);
}

}  // namespace veka
