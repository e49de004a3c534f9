#include "results/singlepoint.hpp"

#include "energy/gasphase.hpp"
#include "results/mdlmol.hpp"
#include "results/pdbout.hpp"
#include "results/zmatout.hpp"

namespace veka {

void writeStructureFile(State& s, double energy) {
  const int f = s.io.structFormat;
  if (f >= 1 && f <= 3) pdbout(s);
  if (f == 4 || f == 5) mdlmol(s, energy);
}

void singlePoint(State& s) {
  const double e = gasPhaseEnergy(s);
  s.io.summary.rewind();
  writzm(s, s.io.summary, e);
  writeStructureFile(s, e);
  s.io.list("");
  listEnergyComponents(s, energyComponents(s));
}

}  // namespace veka
