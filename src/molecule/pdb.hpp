// Solutes in Protein Data Bank record layout (`pdbin`) and the element data the solute
// readers share: element symbols, recognition of an element from an atom name (`iatnmb`)
// and covalent radii.
//
// `pdbin` reads one solute from the solute file: the records of the table below up to
// "END   " (or a record of six blanks, or the end of the file), with the atom records in
// the standard layout (atom name in columns 14-16) or, with control.pdbWithParams, in the
// "PDBP " layout (atom name in columns 13-15; charge, sigma and epsilon after the
// coordinates, which become one parameter slot per atom in potpar). Processing starts with
// the first record again after the title has been taken from it, so a file that opens
// with an atom record loses no atom. In the standard layout the atom types follow "END".
//
// The Z-matrix of the solute is derived from the coordinates (zmatrix_derive.hpp); the
// coordinates of all three states and both set-up geometries are the coordinates read.
#pragma once

#include <string_view>

#include "state/state.hpp"

namespace veka {

inline constexpr int kMaxElement = 99;

// Symbol of element z (1..99), e.g. "C", "Cl"; "" outside that range.
std::string_view elementSymbol(int z);

// Atomic number from the first two characters of an atom name, 0 when no element matches.
// Leading blanks and digits are skipped ("1HB" reads as H). A lower-case second letter
// makes a two-letter symbol ("Cl", "Ca", "Na"). An upper-case second letter does too when
// the first letter alone is no element ("ZN", "MG", "LI") and for "CL" and "BR"; otherwise
// the first letter alone is the element, as PDB atom names demand ("CA", "CB", "HG", "NE",
// "OG" are carbon, carbon, hydrogen, nitrogen and oxygen).
int elementFromName(std::string_view name);

// elementFromName; no match stops the run with "CANNOT RECOGNIZE ATOM SYMBOL" followed by
// the two characters and " IN IATNMB".
int iatnmb(Io& io, std::string_view name);

// Reads the solute in Protein Data Bank layout (see above).
void pdbin(State& s);

}  // namespace veka
