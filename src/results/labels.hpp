// Atom labels shared by the structure writers: base-35 counter digits and element
// symbols in the forms the three file layouts use.
#pragma once

#include <string>
#include <string_view>

#include "state/io.hpp"

namespace veka {

// The 35 counter digits: 0-9 then the capital letters without "L".
inline constexpr std::string_view kBase35 = "0123456789ABCDEFGHIJKMNOPQRSTUVWXYZ";

// Counter digit d (taken modulo 35).
char base35(int d);

// Two base-35 digits of a count: quotient and remainder by 35. Counts of 35 x 35 = 1225
// and more wrap around (the quotient is taken modulo 35), so the label keeps two
// characters.
std::string base35Pair(int count);

// Element symbol as written in the Z-matrix and MOL files ("C", "Cl"); atomic numbers of
// 0 and above 98 give the symbol of helium.
std::string_view writerSymbol(int z);

// The same symbol in capitals, right-justified in two columns (" C", "CL"), as PDB atom
// names and element columns have it.
std::string pdbSymbol(int z);

// The PDB symbol of a solvent site of atomic number 1..99; 100 or more stops the run with
// "*** Atomic Number" (I5) " Out of Range in SYMBOL".
std::string solventSymbol(Io& io, int z);

}  // namespace veka
