// Assembly of the system for a job after the command section is read.
#pragma once

#include "state/state.hpp"

namespace veka {

// Builds the list of solute atoms used for the solute-solvent cutoff from the cutoff type
// ICUT: 2 none, 3 the two centre atoms, 4 the non-zero atoms listed in the command
// section, 5 every real atom of every solute; zero and negative types give an empty
// list; 1 and types above 5 stop the run.
void buildCutoffLists(State& s);

}  // namespace veka
