// Consistency check of the solute term lists against the covalent neighbours, run before
// a simulation. It reports and never stops the run.
#pragma once

#include "state/state.hpp"

namespace veka {

// Lists, under "Checking for potential problems in the solute Z-matrix file:", every
// bond between atoms that are not covalent neighbours, repeated bonds, angles whose end
// atoms coincide, repeated angles, atoms with 3 to 6 neighbours whose angle count is not
// n(n-1)/2, dihedrals whose atoms are not covalently connected (as a chain i-j-k-l or as
// an improper about j or k) and central bonds whose dihedral count is not
// (n_j - 1)(n_k - 1); then the number of problems found. Terms that involve a dummy atom
// carry no energy and are not checked. Returns the number of problems.
int prmchk(State& s);

}  // namespace veka
