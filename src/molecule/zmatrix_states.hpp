// Coordinates of the three solute states and the entry point that reads the solutes.
#pragma once

#include "state/state.hpp"

namespace veka {

// Cartesian coordinates of the three states and the two set-up geometries from the
// Z-matrix: the reference state at RC0; a perturbed state at RC1 / RC2 when geometry
// variations make it differ (superimposed on the reference), else a copy of the reference;
// set-up geometries at lambda 0 and at lambda 1 (the latter superimposed on the former).
void buildZmatStates(State& s);

// Current values of every bond, angle and dihedral of the term lists for the three states.
void fillTermValues(State& s);

// Reads the solutes of the run by the solute input-layout code: -1 none; below 2 and 4 the
// Z-matrix layout; 2, 3 and 5 the Protein Data Bank layout ("PDBP " parameter fields when
// control.pdbWithParams is set); 6 and above the free-format Cartesian layout. Leaves the
// Z-matrix, the term lists, the restraints, the coordinates of the three states and the
// set-up geometries filled.
void readSolutes(State& s, int layoutCode);

}  // namespace veka
