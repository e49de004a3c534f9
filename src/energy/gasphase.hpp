// The full energy of the solutes in the gas phase: intramolecular energy, solute-solute
// energy with the restraints, and polarisation, for the current coordinates; and the
// energy components the listings print.
#pragma once

#include "state/state.hpp"

namespace veka {

// The reference-state components of the trial energies.
struct EnergyComponents {
  double stretch = 0.0;       // bond stretching (EBNDNE)
  double bend = 0.0;          // angle bending (EANGNE)
  double torsion = 0.0;       // torsions (EDIHNE)
  double intra = 0.0;         // intrasolute nonbonded (ENBNE)
  double inter = 0.0;         // intersolute nonbonded (EXXNEW without the restraints)
  double polarization = 0.0;  // EPONEW
  double constraints = 0.0;   // restraints, including type-500 dihedrals (EBCNEW)
  double total = 0.0;
};

// `eintra` (mode 0), `xxpot` and `polpot` for the current coordinates: fills the trial
// ("NE") energies of every term of the three states, sets ENEW and returns the reference
// total (intramolecular + EXX + polarisation). Callers that changed the Z-matrix working
// values call `zmatTermValues` first.
double gasPhaseEnergy(State& s);

// Copies the trial solute energies of the three states into the current ("OL") ones.
void acceptSoluteEnergies(State& s);

EnergyComponents energyComponents(const State& s);

// " Energy components:" and one line per component ("Bond stretching energy  =" ...
// "Total Energy            ="), each value F14.5.
void listEnergyComponents(State& s, const EnergyComponents& e);

}  // namespace veka
