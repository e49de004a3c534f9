// Listings of the normal-mode analysis: the geometry, the rigid terms (`prtrigid`), the
// energy report (`prtenergy`) and the modes (`prnmode`).
#pragma once

#include "normalmodes/calfreq.hpp"

namespace veka::nm {

void printGeometry(const System& sys, Io& io);
void prtrigid(const System& sys, Io& io);
// Prints the energy report and returns the energies.
Energies prtenergy(const System& sys, Io& io);
// Converts the eigenvalues to frequencies, decides n0 from the moments of inertia and
// prints the modes; fills w.freq, w.n0 and the frequencies handed to the thermochemistry.
void prnmode(Work& w, const Inertia& in, Io& io);

}  // namespace veka::nm
