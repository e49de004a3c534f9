// The PDB writer (`pdbout`): the solutes (and the solvent, when there is any) on the
// structure-output unit, in the variant chosen by the structure-output format (1, 2, 3).
//
// Layout. Outside the conformational searches (run modes 5 and 6, which append one
// structure after another) the unit is rewound and two remarks are written:
// "REMARK    " + the title (30 columns as stored), "REMARK    Created by VEKA 4.9 June 15
// Linux". Then every non-dummy solute atom (reference coordinates):
//
//   solute without residues  A6,I5,1X,A4,1X,A3,2X,I4,4X,3F8.3
//     "ATOM  ", serial, name = element symbol (2 columns, capitals, right-justified) and
//     the two base-35 digits of the number of atoms written before it, "UNK", the residue
//     counter (1 for the first solute, advanced by the "TER" record in front of every
//     later solute), x, y, z;
//   solute with residues (any atom of the solute has a residue number)
//     A6,I5,2X,A3,1X,A3,2X,I4,4X,3F8.3: "ATOM  ", serial, atom name, residue name from the
//     residue table, residue number, x, y, z; residue by residue in increasing residue
//     number, atoms in file order within a residue. Atoms of such a solute without a
//     residue number follow as residue "UNK", numbered one above its highest residue.
//
// Every atom record continues with the standard PDB columns 55-78: occupancy 1.00 and
// temperature factor 0.00 (2F6.2), 10 blanks and the element symbol in capitals,
// right-justified in columns 77-78, so that other programs know the element without
// guessing it from the name. Atomic numbers of 0 and above 98 are written as helium.
// Serial numbers and residue numbers wrap around at 100000 and 10000 so that their
// fields stay numeric.
//
// Variant 3: a "TER" record, then the atoms of the first perturbed state in the layout
// without residues ("UNK", element-symbol names), with a "TER" between solutes.
// Variant 2: a record of six blanks, the reference types of the atoms written (in the
// order written, 10I3 per record), a record of six blanks, the final types (the reference
// type where the final type is 0). Read back as solute input the six blanks end the atom
// records and the second blank record is the flag record (0: final types not read).
//
// Solvent (NMOL > 0): a "TER" record (left out after the type lists of variant 2, which
// already end the solute part), then per molecule the sites of positive atomic number
// other than 2 whose type is positive, A6,I5,1X,A2,2A1,1X,A3,2X,I4,4X,3F8.3: "ATOM  ",
// serial, element symbol, two base-35 digits of (site number - 1), "WTR" for the water
// models of codes 1 and 2 or "UNK", residue number continuing after the solute residues,
// x, y, z, the same columns 55-78; a "TER" record after each molecule. A site of atomic
// number 100 or more stops the run ("*** Atomic Number" ... " Out of Range in SYMBOL").
//
// The file ends with "END", or "TER" in the conformational searches.
#pragma once

#include "state/state.hpp"

namespace veka {

void pdbout(State& s);

}  // namespace veka
