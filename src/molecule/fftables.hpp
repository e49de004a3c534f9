// Fixed force-field tables keyed by the two-character force-field atom type (one-letter
// types are the letter followed by a blank) or by atomic number:
//
//   ambsyn  synonym used when a bond or angle has no entry of its own
//   rambxy  covalent radius used to estimate an equilibrium bond length
//   elneg   electronegativity used to estimate a bond force constant
//   polarz  atomic polarisability (A^3)
//   ichara  surface-area class 1..4
//
// and the site tables of the built-in solvent models (IST type numbers, IAT names).
#pragma once

#include "state/array.hpp"
#include "state/io.hpp"

namespace veka {

using FfType = Chars<2>;

// Synonym of a force-field type (first table entry wins). A type not in the table prints
// "COULD NOT FIND SYNONYM FOR AMBER TYPE " with the type and gives two blanks.
FfType ambsyn(Io& io, const FfType& type);

// Covalent radius (A) of a force-field type: the sum over every table entry of that type
// (the lone pair "LP" is listed twice and gives 0.0 + -0.3). A type not in the table
// prints "UNRECOGNIZED ATOM TYPE IN RAMBXY: " with the type and gives 0.
double rambxy(Io& io, const FfType& type);

// Electronegativity of element 1..54 (0 for the noble gases). Any other atomic number
// prints " *** Atomic Number" n " Out of Range in ELNEG" and stops the run.
double elneg(Io& io, int atomicNumber);

// Atomic polarisability of a force-field type (A^3), 0 for types not in the table.
double polarz(const FfType& type);

// Surface-area class 1..4 of a force-field type. A type not in the table prints
// "COULD NOT FIND SASA TYPE FOR AMBER TYPE " with the type and gives class 1.
int ichara(Io& io, const FfType& type);

// Built-in solvent models 1..13: type number and three-character name of each site
// (type 0 and a blank name past the last site of the model).
int solventSiteType(int code, int site);
Chars<3> solventSiteName(int code, int site);
inline constexpr int kBuiltinSolvents = 13;

}  // namespace veka
