// The MOL writer (`mdlmol`): the solutes as one MDL molfile (connection table) on
// the structure-output unit, at its current position, so that the structures of a
// conformational search follow one another as an SD file.
//
//   title, leading and trailing blanks removed
//   "VEKA4.9 Win   July14 3D", 10 blanks, "Tot. E=", energy (F12.4)
//   empty record
//   counts: atoms, bonds (2I3), "  0  0  0  0  0  0  0  0  1 V2006"
//   per atom of positive atomic number (reference state): x, y, z (3F10.4), a blank, the
//     element symbol left-justified in two columns (helium above 98), twelve "  0" fields
//   per bond: the two atoms' sequence numbers among the atoms written, the order of
//     `BondOrders` (1, 2, 3, or 4 for aromatic) and 0 (4I3); each bond once, from the
//     covalent-neighbour list, lower atom first
//   "M  END", an empty record, "$$$$"
//
// The counts line ends in the program's own version tag "V2006": Open Babel reads the file
// as it is; RDKit reads it with strict parsing off (it reports the tag as unsupported and
// then reads the V2000-style table that follows). Only bonds between
// atoms that are written are counted and written, so the counts line always matches the
// table (it equals the bonded-pair count of the covalent-neighbour list unless an atom of
// atomic number 0 has neighbours). More than 999 atoms (or bonds) do not fit the counts
// line: then " Could not write mol file; # atoms >999." (or "# bonds >999.") goes to the
// main listing, nothing is written and the run goes on.
#pragma once

#include "state/state.hpp"

namespace veka {

void mdlmol(State& s, double energy);

}  // namespace veka
