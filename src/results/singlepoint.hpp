// Run mode 7: the single-point energy of the solutes.
//
// The total energy of the solutes as set up is evaluated once; the SUMMARY unit is
// rewound and the solute Z-matrix is written to it with that energy; the structure file
// is written to PLTFILE when the structure-output format asks for one (1-3 PDB, 4-5
// MOL); the listing gets the energy components. The main program then writes the CPU
// time and the end-of-file marks.
#pragma once

#include "state/state.hpp"

namespace veka {

void singlePoint(State& s);

// The structure file of the structure-output format: PDB for 1-3, MOL for 4-5, none else.
void writeStructureFile(State& s, double energy);

}  // namespace veka
