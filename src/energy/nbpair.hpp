// The intrasolute nonbonded pair list (`nbpair`, `renbpr`).
//
// A pair (i, j), i < j, enters the list when both atoms are real (not dummy), belong to
// the same solute molecule, lie at most CUTNB apart in the set-up geometry of the
// reference state, are not covalent neighbours (1-2) or neighbours of a neighbour (1-3),
// and are not excluded by a range record of the solute file (`zmat.excl`: with I1 <= i <=
// I2 every j in J1..J2 is excluded, and with J1 <= i <= J2 every j in I1..I2). Pairs three
// bonds apart (1-4) carry the 1-4 flag; with a Coulomb 1-4 divisor above 99999 they are left
// out altogether. A pair that is 1-4 along one path and 1-2 or 1-3 along another stays
// excluded. With Ewald sums switched on the 1-2 and 1-3 pairs are kept with the
// Ewald-exclusion flag (data for an Ewald correction; `eintra` gives them no energy).
//
// Nothing is built for quantum-mechanical solutes, for 3 or fewer solute atoms, or when the
// bond, angle and dihedral lists are all empty.
//
// Stops: more than 20000 pairs, "NBAT Array Overflow in NBPAIR"; more than 40 distinct 1-4
// partners of one atom among the atoms after it (only those enter pairs), "1-4 Partner
// Overflow in NBPAIR - Atom" n " has >" 40 " 1-4 Partners". With `quiet` the stop happens
// without its text.
#pragma once

#include "state/state.hpp"

namespace veka {

// Builds the pair list; calls `covneb` first (with the same `quiet`). Unless quiet, lists
// the covalent neighbours and then, under "Non-bonded Pairs List (Except Inter-solute)", one
// line " Atom" n ":" per real atom but the last with its partners, 20 per line (I5 each;
// continuation lines start with 11 blanks).
void nbpair(State& s, bool quiet);

// Takes the current reference coordinates as the set-up geometry of both end states and
// builds the pair list again (the optimiser, after geometry changes).
void renbpr(State& s, bool quiet = true);

}  // namespace veka
