// The solute Z-matrix writer (`writzm`): the current solutes in the Z-matrix layout that
// the solute reader takes, so that a written file can be read back as the solute file of
// a later job.
//
// What is written:
//   1. The title (30 columns), 30 blanks, "Tot. E =" and the energy (F12.4).
//   2. One record per solute atom, I4,1X,A3,1X,I4,1X,I4,1X,3(I4,F12.6),1X,A3,1X,I4: atom
//      number, name, reference and final type, bond, angle and dihedral partners with the
//      current bond length (A), angle and dihedral (degrees); residue name from the
//      residue table and residue number (blank name for atoms without a residue). For the
//      first three atoms of the second and later solutes, whose internal coordinates refer
//      to atoms of earlier solutes, the values are recomputed from the current Cartesian
//      coordinates of the reference state, since rigid-body moves leave those Z-matrix
//      values behind.
//   3. The input solute file is read in step: one record per atom, and at the first atom
//      of each later solute its "TER" record is copied. After the atoms the rest of the
//      input file is copied to its end.
//   4. Output style 3 ("FULLM"): atoms without residue get residue "UNK" 1; dummy atoms
//      (type -1 or atomic number 0) are named "DUM"; every other atom is named by its
//      element symbol and a counter of the named atoms from 0 in base-35 digits: a
//      one-letter symbol takes the two digits of the count ("C00", "H01", ... "C10" for
//      the 36th), a two-letter symbol keeps both letters and takes the last digit ("Cl2").
//   5. Output style 2 or 3: the parameter dump replaces the input's local-type table. The
//      input is copied up to, not including, its first record that begins " Final"; then
//      come the record " Final Non-Bonded Parameters" and one record per distinct solute
//      type (reference and final types, dummies left out) in the atom-type layout of the
//      parameter file, I4,1X,I2,1X,A2,1X,3F10.6: type, atomic number, force-field type,
//      charge, sigma, epsilon, as the type's own table gives them (before any
//      perturbation mixing or Lennard-Jones scaling). Locally defined types (800-899,
//      9500 and above) come first, led by 800 or else 9500 (the type numbers the
//      local-type reader starts at; when the solutes use neither, the one the input's
//      local table starts with leads), then the parameter-file types in increasing order.
//      When the input has no local table, a blank record in front of the heading closes
//      its last section. A type that cannot be looked up (a solute that brought its own
//      parameters) is left out. Read back, the file gives every local type the parameters
//      it had (the heading lies where the input's table was, beyond the atoms + 10
//      records that the local-type reader passes over).
//
// Solutes that were read from a PDB or free-format file have no Z-matrix input to read
// in step: their atoms are followed by a "TER" between solutes as needed and the empty
// closing records of the nine sections, so that the file still reads as a Z-matrix.
//
// Nothing of the run state is changed.
#pragma once

#include "state/state.hpp"

namespace veka {

// Writes the solute Z-matrix with `energy` in the title record to `out` at its current
// position (callers rewind the SUMMARY unit first).
void writzm(State& s, Unit& out, double energy);

// Name of atom i in output style 3 given the count of named atoms before it, or "DUM".
Chars<3> fullmName(const State& s, int i, int count);

}  // namespace veka
