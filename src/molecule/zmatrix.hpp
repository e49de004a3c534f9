// The solute Z-matrix file (`ZMATFILE`); the entry point that reads the solutes of a run
// in any of the three layouts is in molecule/zmatrix_states.hpp.
//
// Z-matrix layout: a title record, the atom section, then nine further sections in a
// fixed order, each closed by the first record whose columns 1-4 are blank (normally the
// heading of the next section):
//   geometry variations, variable bonds, additional bonds, harmonic restraints, variable
//   angles, additional angles, variable dihedrals, additional dihedrals, and the excluded
//   nonbonded pair ranges (closed by a record whose first number reads 0; an end of file
//   there also closes it).
// The rest of the file (the local atom-type table) is read by the parameter set-up.
//
// What is stored (see state/solute.hpp and state/terms.hpp):
//   - atoms in file order with their Z-matrix; angles and dihedrals in radians; the working
//     value of a coordinate named by a geometry variation is initial + RC0 (final - initial);
//   - variable entries first in each term list: a variable bond is (atom, bond partner), a
//     variable angle (atom, bond partner = vertex, angle partner), a variable dihedral
//     (dihedral partner, angle partner, bond partner, atom); each atom's coordinate is listed
//     at most once (a record naming an atom that is already variable is ignored, except that
//     "=" makes the existing entry dependent). A dependent entry holds in IBDEP / IADEP / IDDEP
//     the list index of the independent variable entry it copies. A variable dihedral from a
//     range record, or with a negative step, has step -1 and maximum displacement -2 (the
//     automatic step of the bonded-parameter set-up); other steps are held in radians;
//   - the excluded pair ranges in zmat.excl, read here once: the pair-list builder uses the
//     stored ranges instead of reading the file again;
//   - the current values of every list entry for the three states (variable entries from the
//     Z-matrix of each state, additional entries from its Cartesian coordinates).
//
// Checks beyond the capacities: every atom number of a record must name an atom of the file
// and the Z-matrix partners of atom i must be earlier, distinct atoms (atom 2 needs a bond
// partner, atom 3 a bond and angle partner among atoms 1 and 2, later atoms all three). A
// failed check stops the run with a message that names the atom.
#pragma once

#include <string_view>

#include "state/state.hpp"

namespace veka {

// Title and atom section (Z-matrix layout). Rewinds the solute file first.
void readzm(State& s);

// Checks the bond, angle and dihedral partners of atom i of a Z-matrix (solute or solvent):
// each earlier than i, the first min(i - 1, 3) present and distinct. Otherwise stops with
// "*** Invalid Z-matrix Connection for Atom" i " - Killed in " `routine` " ***".
void checkConnections(Io& io, int i, int iz1, int iz2, int iz3, std::string_view routine);

// The sections after the atom section, in their fixed order. Call after readzm.
void readZmatSections(State& s);

// Internal coordinate `code` (1 bond, 2 angle, 3 dihedral) of atom i at perturbation
// coordinate lambda: initial + lambda (final - initial).
double internalAt(const Zmat& z, int i, int code, double lambda);

// Sets the working value of every coordinate named by a geometry variation to its value at
// lambda (the other coordinates keep initial = final = working).
void setWorkingValues(Zmat& z, double lambda);

}  // namespace veka
