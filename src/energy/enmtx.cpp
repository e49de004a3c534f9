// The full energy of a configuration (`enmtx`).
#include <cassert>
#include <cstddef>

#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "energy/solution.hpp"
#include "energy/xxpot.hpp"
#include "molecule/solvent_zmat.hpp"

namespace veka {

namespace {

// The internal energy of every molecule of the solvent of its own Z-matrix file into the
// trial terms ESBNNE, ESANNE, ESDINE, ESNBNE; returns their total.
double flexibleSolventEnergy(State& s) {
  Flexe& f = s.flexe;
  f.ESBNNE = f.ESANNE = f.ESDINE = f.ESNBNE = 0.0;
  if (s.sol.flexible == 0) return 0.0;
  for (int n = 1; n <= s.coord.NMOL; ++n) {
    if (solventOf(s, n) != s.sol.flexible) continue;
    SolventIntra t;
    solventIntraEnergy(s, n, t);
    f.ESBNNE += t.bond;
    f.ESANNE += t.angle;
    f.ESDINE += t.dihedral;
    f.ESNBNE += t.nonbonded;
  }
  return f.ESBNNE + f.ESANNE + f.ESDINE + f.ESNBNE;
}

}  // namespace

void soluteSolventEnergies(State& s, double* r2) {
  Slveco& v = s.slveco;
  Energy& en = s.energy;
  en.ESONE = {};
  en.ESXCNE = en.ESXLNE = 0.0;
  assert(v.ESXC.size() >= static_cast<std::size_t>(s.coord.NMOL));
  const bool solute = s.zmat.NSATM > 0 && !s.zmat.noSolute;
  for (int n = 1; n <= s.coord.NMOL; ++n) {
    const auto i = static_cast<std::size_t>(n - 1);
    SxParts parts;
    const PerState e = solute ? solventSoluteEnergy(s, n, &parts) : PerState{};
    for (std::size_t k = 0; k < 3; ++k) {
      v.ESX[k][i] = e[k];
      en.ESONE[k] += e[k];
    }
    v.ESXC[i] = parts.coul;
    v.ESXL[i] = parts.lj;
    en.ESXCNE += parts.coul;
    en.ESXLNE += parts.lj;
    if (r2) r2[i] = parts.r2;
  }
}

void enmtx(State& s) {
  Energy& en = s.energy;
  en.ESSNEW = solventSolventEnergy(s);
  packSolute(s);
  soluteSolventEnergies(s);
  const double intra = eintra(s, 0);
  xxpot(s);
  polpot(s);
  en.ECUT = ecut(s);
  const double flex = flexibleSolventEnergy(s);
  en.ENEW = en.ESSNEW + en.ESONE[0] + en.EXXNEW[0] + intra + en.EPONEW[0] + en.ECUT + flex;
  Flexe& f = s.flexe;
  f.ESBNOL = f.ESBNNE;
  f.ESANOL = f.ESANNE;
  f.ESDIOL = f.ESDINE;
  f.ESNBOL = f.ESNBNE;
  f.ESTOT = flex;
  acceptSoluteEnergies(s);
  en.ESSOLD = en.ESSNEW;
  en.ESOLD = en.ESONE;
  en.ESXCOL = en.ESXCNE;
  en.ESXLOL = en.ESXLNE;
}

}  // namespace veka
