// The two halves of a solute move, for the tests: the trial geometry and the trial
// energies from it.
#pragma once

#include "state/state.hpp"

namespace veka {

// Any variable bond, angle or dihedral in the system.
bool hasVariables(const State& s);

// Chooses the solute and fills the trial coordinates and internal values of the three
// states (rigid move, internal move, rebuild or superposition).
void soluteTrialGeometry(State& s);

// The trial energies of the trial geometry, with the early exits.
void soluteTrialEnergy(State& s);

}  // namespace veka
