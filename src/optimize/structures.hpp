// The optimiser's outputs of the solute structure: the Z-matrix (to the listing or the
// summary file) and the structure file of the structure-output format.
#pragma once

#include "state/state.hpp"

namespace veka {

// The current solute Z-matrix with `energy` in its title record, at the unit's position.
void writeZmatrix(State& s, Unit& out, double energy);

// The PDB (formats 1-3) or MOL (formats 4-5) file of the current solutes on PLTFILE.
void writeStructureFiles(State& s, double energy);

}  // namespace veka
