// The state listing: every run setting and running energy of the simulated system and
// its current geometry, written before a Monte Carlo block starts and after it ends.
#pragma once

#include "state/state.hpp"

namespace veka {

// Writes the "Parameters and Coordinates" section to the main listing and the "Results
// Summary:" section to the summary file (appended at the summary file's current
// position). `ecut` is the long-range Lennard-Jones correction of the current volume,
// listed as "CUTOFF E=".
//
// Listing levels: the cutoff-atom lists and the geometry (solvent molecules, solutes,
// bonds, angles and the solute internuclear distances) are written at level 0 only;
// every other line is written at every level.
void listState(State& s, double ecut);

}  // namespace veka
