// The trial energy of a solute move with its early exits, its acceptance and the set-up
// of the solute-move arrays.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <utility>

#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "energy/solution.hpp"
#include "energy/xxpot.hpp"
#include "montecarlo/movmol.hpp"
#include "montecarlo/movmol_detail.hpp"
#include "montecarlo/rdf.hpp"

namespace veka {

namespace {

inline std::size_t at(int n) {
  return static_cast<std::size_t>(n - 1);
}

// The intramolecular and solute-solute routines work on the current coordinates and term
// values: for the length of its scope this puts the trial ones in their place (and the
// current ones in the trial arrays), and back again at its end.
class TrialInPlace {
 public:
  explicit TrialInPlace(State& s) : s_(s) { swap(); }
  TrialInPlace(const TrialInPlace&) = delete;
  TrialInPlace& operator=(const TrialInPlace&) = delete;
  ~TrialInPlace() { swap(); }

 private:
  void swap() {
    SoluteTrial& t = s_.move.sol;
    const int n = s_.zmat.NSATM;
    for (std::size_t k = 0; k < 3; ++k) {
      Xyz& c = s_.solcor.xyz[k];
      std::swap_ranges(c.x.data(), c.x.data() + n, t.xyz[k].x.data());
      std::swap_ranges(c.y.data(), c.y.data() + n, t.xyz[k].y.data());
      std::swap_ranges(c.z.data(), c.z.data() + n, t.xyz[k].z.data());
      swapValues(s_.bndcom.RB[k], t.RB[k], s_.bndcom.NBND);
      swapValues(s_.angcom.TH[k], t.TH[k], s_.angcom.NANG);
      swapValues(s_.dihcom.PHI[k], t.PHI[k], s_.dihcom.NDIH);
    }
  }
  template <class A>
  static void swapValues(A& a, A& b, int n) {
    std::swap_ranges(a.data(), a.data() + n, b.data());
  }
  State& s_;
};

// The change of the solute's own energy terms (intramolecular, solute-solute,
// polarisation), stopping as soon as it exceeds `margin`; false when it did.
bool soluteChange(State& s, double margin, double& change) {
  Energy& en = s.energy;
  TrialInPlace trial(s);
  eintra(s, 1);
  change = (s.dihcom.EDIHNE[0] - s.dihcom.EDIHOL[0]) + (s.bndcom.EBNDNE[0] - s.bndcom.EBNDOL[0]) +
           (s.angcom.EANGNE[0] - s.angcom.EANGOL[0]);
  if (change > margin) return false;
  eintra(s, 2);
  change += s.nbcom.ENBNE[0] - s.nbcom.ENBOL[0];
  if (change > margin) return false;
  const double exxc = en.EXXC, exxl = en.EXXL;
  xxpot(s);
  s.move.sol.EXXC = std::exchange(en.EXXC, exxc);
  s.move.sol.EXXL = std::exchange(en.EXXL, exxl);
  change += en.EXXNEW[0] - en.EXXOLD[0];
  polpot(s);
  change += en.EPONEW[0] - en.EPOOLD[0];
  return change <= margin;
}

// Every molecule against the trial solute: the per-molecule trial energies, their totals
// and, with preferential sampling, the un-normalised trial weights.
void soluteSolvent(State& s) {
  SoluteTrial& t = s.move.sol;
  Energy& en = s.energy;
  en.ESONE = {};
  en.ESXCNE = en.ESXLNE = 0.0;
  const int nmol = s.coord.NMOL;
  if (nmol <= 0) return;
  packSolute(s, {&t.xyz[0], &t.xyz[1], &t.xyz[2]}, t.packed);
  const bool weights = s.movp.prefSampling != 0;
  if (s.mcrun.rdf.nsx > 0) {  // monitored distances wanted: molecule by molecule
    for (int n = 1; n <= nmol; ++n) {
      SxParts parts;
      const PerState e = solventSoluteEnergy(s, storedMolecule(s, n), t.packed, &parts);
      for (std::size_t k = 0; k < 3; ++k) {
        t.esx[k][at(n)] = e[k];
        en.ESONE[k] += e[k];
      }
      t.esxC[at(n)] = parts.coul;
      t.esxL[at(n)] = parts.lj;
      en.ESXCNE += parts.coul;
      en.ESXLNE += parts.lj;
      if (weights) s.prfsmp.Wtrial[at(n)] = 1.0 / (parts.r2 + s.movp.WKC);
      rdfTrial(s, n, parts.dist);
    }
    return;
  }
  double* w = s.prfsmp.Wtrial.data();
  SoluteRowOut out{{t.esx[0].data(), t.esx[1].data(), t.esx[2].data()},
                   t.esxC.data(),
                   t.esxL.data(),
                   weights ? w : nullptr};
  soluteSolventRow(s, t.packed, out);
  en.ESONE = out.sum;
  en.ESXCNE = out.sumC, en.ESXLNE = out.sumL;
  if (weights)
    for (int n = 0; n < nmol; ++n) w[n] = 1.0 / (w[n] + s.movp.WKC);
}

// The trial weights normalised to a sum of 1, with their sum and maximum.
void normaliseWeights(State& s) {
  Prfsmp& p = s.prfsmp;
  const auto n = static_cast<std::size_t>(std::max(s.coord.NMOL, 0));
  p.sumTrial = p.WIMAXtrial = 0.0;
  if (n == 0) return;
  double sum = 0.0, most = 0.0;
  for (std::size_t i = 0; i < n; ++i) sum += p.Wtrial[i];
  for (std::size_t i = 0; i < n; ++i) {
    p.Wtrial[i] /= sum;
    most = std::max(most, p.Wtrial[i]);
  }
  p.sumTrial = sum, p.WIMAXtrial = most;
}

// Variables of kind t whose atom belongs to each solute, independent ones only. The first
// three atoms of a solute carry its rigid motion and are never placed from the Z-matrix, so
// a coordinate of theirs is not moved either.
template <class Dep>
void sortVariables(State& s, int t, int nv, const Dep& dep, auto atomOf) {
  SoluteVariables& v = s.move.sol.vars;
  auto& list = v.list[static_cast<std::size_t>(t)];
  list.clear();
  list.reserve(static_cast<std::size_t>(nv));
  for (int m = 1; m <= s.zmat.NSOLUT; ++m) {
    v.start[static_cast<std::size_t>(t)](m) = static_cast<int>(list.size());
    for (int n = 1; n <= nv; ++n)
      if (dep(n) == 0 && s.zmat.moleculeOf(atomOf(n)) == m && atomOf(n) >= s.zmat.first(m) + 3)
        list.push_back(n);
  }
  v.start[static_cast<std::size_t>(t)](s.zmat.NSOLUT + 1) = static_cast<int>(list.size());
}

// The flip size of every variable dihedral that has one (the readers allow flips on
// variable dihedrals only); the flip counters and the dihedral histories cleared.
void flipsAndHistories(State& s) {
  Dihcom& d = s.dihcom;
  const Zmat& z = s.zmat;
  std::fill(d.FLIP.data(), d.FLIP.data() + MAXDIH, 0.0);
  d.NFLIPD = 0;
  for (int f = 1; f <= z.NFLIP; ++f)
    for (int n = 1; n <= d.NVDIH; ++n)
      if (d.ID4(n) == z.flipAtom(f) && d.FLIP(n) == 0.0) {
        d.FLIP(n) = z.flipSize(f) * s.misc.DTORAD;
        ++d.NFLIPD;
      }
  d.flipVisits = d.flipTried = d.flipRejected = 0;
  const int solute = std::max(s.movp.NSCHG, 1);
  d.histInterval = s.config.MXCON / (solute * 120) + 1;
  d.histMoves = d.histIndex = 0;
}

// The Z-matrix values of each state: the working values shifted to the state's coupling
// value, the variables at their current values.
void stateZmatrices(State& s) {
  const Zmat& z = s.zmat;
  SoluteTrial& t = s.move.sol;
  for (std::size_t k = 0; k < 3; ++k) {
    const double shift = s.geom.noPert ? 0.0 : s.geom.rc(static_cast<int>(k)) - s.geom.RC0;
    ZValues& v = t.zm[k];
    for (int i = 1; i <= z.NSATM; ++i) {
      v.bnd(i) = z.BND(i) + shift * (z.BNDF(i) - z.BNDI(i));
      v.ang(i) = z.ANG(i) + shift * (z.ANGF(i) - z.ANGI(i));
      v.dih(i) = z.DIH(i) + shift * (z.DIHF(i) - z.DIHI(i));
    }
    for (int n = 1; n <= s.bndcom.NVBND; ++n) v.bnd(s.bndcom.IB1(n)) = s.bndcom.RB[k](n);
    for (int n = 1; n <= s.angcom.NVANG; ++n) v.ang(s.angcom.IA1(n)) = s.angcom.TH[k](n);
    for (int n = 1; n <= s.dihcom.NVDIH; ++n) v.dih(s.dihcom.ID4(n)) = s.dihcom.PHI[k](n);
  }
}

template <class A>
void copyValues(const A& from, A& to, int n) {
  std::copy_n(from.data(), n, to.data());
}

}  // namespace

void prepareSoluteMoves(State& s) {
  SoluteTrial& t = s.move.sol;
  const auto nmol = static_cast<std::size_t>(std::max(s.coord.NMOL, 0));
  for (auto& e : t.esx) e.assign(nmol, 0.0);
  t.esxC.assign(nmol, 0.0);
  t.esxL.assign(nmol, 0.0);
  if (s.prfsmp.Wtrial.size() < nmol) s.prfsmp.Wtrial.assign(nmol, 0.0);
  const Bndcom& b = s.bndcom;
  const Angcom& a = s.angcom;
  const Dihcom& d = s.dihcom;
  sortVariables(s, 0, b.NVBND, b.IBDEP, [&](int n) { return b.IB1(n); });
  sortVariables(s, 1, a.NVANG, a.IADEP, [&](int n) { return a.IA1(n); });
  sortVariables(s, 2, d.NVDIH, d.IDDEP, [&](int n) { return d.ID4(n); });
  flipsAndHistories(s);
  stateZmatrices(s);
  const auto& c = s.solcor.xyz;
  if (s.zmat.NSATM > 0) packSolute(s, {&c[0], &c[1], &c[2]}, t.packed);
}

void soluteTrialEnergy(State& s) {
  SoluteTrial& t = s.move.sol;
  Energy& en = s.energy;
  const double margin = 25.0 / s.misc.BETA;
  t.complete = false;
  double change = 0.0;
  if (!soluteChange(s, margin, change)) {
    en.ENEW = en.EOLD + margin;
    return;
  }
  soluteSolvent(s);
  en.ENEW = en.EOLD - en.ESOLD[0] + change + en.ESONE[0];
  if (s.movp.prefSampling) normaliseWeights(s);
  t.complete = true;
}

void movmol(State& s) {
  if (s.zmat.NSATM <= 0 || s.zmat.noSolute) {
    s.move.sol.complete = false;
    s.energy.ENEW = s.energy.EOLD + 25.0 / s.misc.BETA;
    return;
  }
  soluteTrialGeometry(s);
  soluteTrialEnergy(s);
}

void acceptSoluteMove(State& s) {
  SoluteTrial& t = s.move.sol;
  assert(t.complete);  // a move that stopped early is always rejected
  const int n = s.zmat.NSATM;
  for (std::size_t k = 0; k < 3; ++k) {
    Xyz& c = s.solcor.xyz[k];
    std::copy_n(t.xyz[k].x.data(), n, c.x.data());
    std::copy_n(t.xyz[k].y.data(), n, c.y.data());
    std::copy_n(t.xyz[k].z.data(), n, c.z.data());
    copyValues(t.RB[k], s.bndcom.RB[k], s.bndcom.NBND);
    copyValues(t.TH[k], s.angcom.TH[k], s.angcom.NANG);
    copyValues(t.PHI[k], s.dihcom.PHI[k], s.dihcom.NDIH);
  }
  Zmat& z = s.zmat;
  for (int v = 1; v <= s.bndcom.NVBND; ++v) z.BND(s.bndcom.IB1(v)) = t.RB[0](v);
  for (int v = 1; v <= s.angcom.NVANG; ++v) z.ANG(s.angcom.IA1(v)) = t.TH[0](v);
  for (int v = 1; v <= s.dihcom.NVDIH; ++v) z.DIH(s.dihcom.ID4(v)) = t.PHI[0](v);
  acceptSoluteEnergies(s);
  Energy& en = s.energy;
  en.ESOLD = en.ESONE;
  en.ESXCOL = en.ESXCNE;
  en.ESXLOL = en.ESXLNE;
  en.EXXC = t.EXXC;
  en.EXXL = t.EXXL;
  Slveco& v = s.slveco;
  for (std::size_t k = 0; k < 3; ++k) std::copy(t.esx[k].begin(), t.esx[k].end(), v.ESX[k].begin());
  std::copy(t.esxC.begin(), t.esxC.end(), v.ESXC.begin());
  std::copy(t.esxL.begin(), t.esxL.end(), v.ESXL.begin());
  if (s.coord.NMOL > 0) std::swap(v.solute, t.packed);
  if (s.movp.prefSampling) {
    Prfsmp& p = s.prfsmp;
    std::copy(p.Wtrial.begin(), p.Wtrial.end(), p.W.begin());
    p.WIMAX = p.WIMAXtrial;
    p.sum = p.sumTrial;
  }
  ++s.mcrec.soluteAccepted(s.move.solute);
}

}  // namespace veka
