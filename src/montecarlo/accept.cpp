// Acceptance of a solvent move (`acceptSolventMove`).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "energy/solution.hpp"
#include "format/numbers.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/random.hpp"

namespace veka {

namespace {

inline std::size_t at(int n) {
  return static_cast<std::size_t>(n - 1);
}

// Zeroes the entries of k's row and column whose molecule is not in k's list.
void clearUnlisted(State& s, int k) {
  Slveco& v = s.slveco;
  const std::int16_t* list = s.nebor.row(k);
  const std::int16_t* end = list + s.nebor.size[at(k)];
  double* row = v.row(k);
  for (int j = 1; j <= s.coord.NMOL; ++j)
    if (row[j - 1] != 0.0 && std::find(list, end, j) == end) row[j - 1] = v.pair(j, k) = 0.0;
}

// Molecule k's row and column of the stored pair energies take the trial values. With
// neighbour lists only the listed entries carry trial values and every other one becomes 0;
// those are 0 already unless a molecule came within the cutoff without being listed, which
// shows as fewer non-zero old entries among the listed ones than in the whole row.
void storePairs(State& s, int k) {
  Slveco& v = s.slveco;
  const int nmol = s.coord.NMOL;
  double* row = v.row(k);
  const double* e = s.move.pairNew.data();
  if (s.movp.NBUSE != 1) {
    std::memcpy(row, e, sizeof(double) * static_cast<std::size_t>(nmol));
    for (int j = 1; j <= nmol; ++j) v.pair(j, k) = e[j - 1];
    return;
  }
  const std::int16_t* list = s.nebor.row(k);
  const int count = s.nebor.size[at(k)];
  int listed = 0;
  for (int t = 0; t < count; ++t) {
    const int j = list[t];
    listed += row[j - 1] != 0.0 ? 1 : 0;
    row[j - 1] = v.pair(j, k) = e[j - 1];
  }
  if (listed != s.move.nonzeroOld) clearUnlisted(s, k);
}

void storeSites(State& s, int k) {
  const Move& m = s.move;
  const int n = s.sol.nsites(solventOf(s, k));
  for (int i = 1; i <= n; ++i) {
    s.coord.X(k, i) = m.x[at(i)];
    s.coord.Y(k, i) = m.y[at(i)];
    s.coord.Z(k, i) = m.z[at(i)];
  }
}

void storeEnergies(State& s, int k) {
  Move& m = s.move;
  Slveco& v = s.slveco;
  Energy& en = s.energy;
  for (std::size_t st = 0; st < 3; ++st) {
    m.esxPrev[st] = v.ESX[st][at(k)];
    v.ESX[st][at(k)] = m.esx[st];
  }
  v.ESXC[at(k)] = m.esxC;
  v.ESXL[at(k)] = m.esxL;
  en.EOLD = en.ENEW;
  en.ESSOLD = en.ESSNEW;
  en.ESOLD = en.ESONE;
  en.ESXCOL = en.ESXCNE;
  en.ESXLOL = en.ESXLNE;
  if (s.sol.code(solventOf(s, k)) == 20) {
    Flexe& f = s.flexe;
    f.ESBNOL = f.ESBNNE, f.ESANOL = f.ESANNE, f.ESDIOL = f.ESDINE, f.ESNBOL = f.ESNBNE;
    f.ESTOT = f.ESBNOL + f.ESANOL + f.ESDIOL + f.ESNBOL;
  }
}

void acceptWeights(State& s) {
  Prfsmp& p = s.prfsmp;
  std::copy(p.Wtrial.begin(), p.Wtrial.end(), p.W.begin());
  p.WIMAX = p.WIMAXtrial;
  p.sum = p.sumTrial;
}

// k's neighbour-list counter; at NBREBUILD accepted moves every list is built again.
void countForLists(State& s, int k) {
  Nebor& nb = s.nebor;
  if (++nb.count[at(k)] < NBREBUILD) return;
  if (s.io.listLevel == 0)
    s.io.list(" Neighbor Lists Recomputed, NCON =" + fmt::formatI(s.config.NCON, 8));
  neibor(s);
}

}  // namespace

void acceptSolventMove(State& s) {
  Move& m = s.move;
  const int k = m.molecule;
  storeSites(s, k);
  storePairs(s, k);
  storeEnergies(s, k);
  ++s.movrec.accepted[at(k)];
  if (s.movp.prefSampling) acceptWeights(s);
  const int nmol = s.coord.NMOL;
  m.monitor = static_cast<int>(ranu(s.rands) * nmol) + 1;
  s.slvrun.sampled = rowSum(s.slveco.row(m.monitor), nmol);
  if (s.movp.NBUSE == 1) countForLists(s, k);
}

}  // namespace veka
