// Bonded parameters of the solute term lists in the three perturbation states, the Monte
// Carlo steps of the variable terms and the parameter listings, from the lookups of
// molecule/bonded.hpp.
#pragma once

#include <vector>

#include "state/state.hpp"

namespace veka {

// Bonded parameters of every bond, angle and dihedral of the solute lists in the three
// perturbation states, the Monte Carlo steps of the variable ones, and their listings
// (left out at listing level 3).
//
// Bonds and angles with a dummy atom or spanning two solutes get no parameters (and, when
// variable, the step of a zero force constant without its message). A final torsion type
// of 0 means the reference type; an automatic final type with unchanged atom types takes
// the reference result; explicit torsion types are looked up for each state. A dihedral of
// type 500 is a harmonic restraint: V4 of its table record is the force constant and its
// final-type field the target angle in degrees, held in V1 of all states. Variable
// dihedrals with a negative step get the automatic step (15, 10 with j on a ring, 5 with
// k on a ring, 5 when V2 of the reference exceeds 3, 2 above 4, 2 for an improper).
void assignBonded(State& s);

// True when atom a lies on a ring of the covalent-neighbour graph. `work` is scratch of
// at least NSATM + 1 entries.
bool inRing(const State& s, int a, std::vector<int>& work);

}  // namespace veka
