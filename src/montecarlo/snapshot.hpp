// Configuration snapshots appended to SAVEFILE every NSAVE configurations.
#pragma once

#include "state/state.hpp"

namespace veka {

// Appends one snapshot of the current configuration: the header and box records of the
// in-file, the running energies, the solute coordinates and variable coordinates, the
// step ranges of solutes 3 onward, and with solvent its coordinates (site by site: x of
// every molecule, then y, then z) and the solvent of each molecule.
void writeSnapshot(State& s);

}  // namespace veka
