// The free-format Cartesian layout of the solute file (`mindin`, layout codes 6 and
// above).
//
// File: the first record is the title (its columns 7-36, the columns the set-up shows for
// this layout). Then up to three blocks of atom records separated by records whose first
// character is "%"; a third "%" ends what is read. Records whose first character is "#"
// or "$" are comments; blank records are skipped.
//
// Block of each state: the state's perturbation coordinate rounded to the nearest whole
// number (below 1 counts as 1) is the block number, so RC0 = 1, RC1 = 2, RC2 = 3 give
// the reference, first and second perturbed solutes from blocks 1, 2 and 3.
//
// Atom record, list-directed (blanks or commas separate values, "/" ends the list and
// leaves the missing values 0, "r*v" repeats): atomic number (an integer 0..99), x, y, z
// (A), charge, sigma (A), epsilon (kcal/mol); all seven are required unless "/" ends the
// list early, and further values are ignored. A token that does not read as a number is
// the atom's name token: it must begin with a letter, and the atom name is its leading
// run of letters, cut to three characters ("C12" gives "C", "Cl3" gives "Cl"). Numbers in
// exponent form ("1.5E-3", "2D0") read as numbers, never as names. At most one name token
// per record. A record without a name token takes the element symbol of its atomic number
// ("X" for 0). The names come from the reference block.
//
// Stored: every atom has type 999 (no lookup in the parameter file) and three parameter
// slots of its own (reference, first and second perturbed state, in that order), each
// from the block of that state; atomic numbers per state from the blocks. All selected
// blocks must hold the same number of atoms. When the solute has at most 500 atoms, a
// perturbed state read from another block than the reference is superimposed on the
// reference (qtrf); larger solutes keep the coordinates as read (the listing says so).
// Then a dummy atom "DUM" (type -1, one slot with zero parameters) is appended at the
// centroid of the atoms of each state: a reference point that moves with the solute and
// never interacts. The Z-matrix is derived from the reference coordinates
// (zmatrix_derive.hpp); the set-up geometries are the reference and the first perturbed
// state's coordinates.
//
// Layout code 9 is read exactly like code 6.
//
// Failures: a selected block that the file does not hold, or that ends at the end of the
// file with fewer atoms than the reference block: "Premature end-of-file in mindin.";
// more atoms than the capacity leaves room for (4499, one place being kept for "DUM"):
// "Array overflow in MINDIN, increase MAXSLT to" and that limit; selected blocks of
// different sizes ending at "%": "Blocks of the free-format solute file hold different
// numbers of atoms - Killed in MINDIN". A record that does not read as an atom record
// raises an input error.
#pragma once

#include "state/state.hpp"

namespace veka {

void mindin(State& s, int layoutCode);

}  // namespace veka
