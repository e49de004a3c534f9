// The set-up of a Monte Carlo job (run modes 1 and 0, routine INIT): the solutes, the
// solvent box, the running totals of a continued run, the cutoff lists, the initial
// energies and the start-up listing, up to the start of the first block.
#pragma once

#include <string>

#include "state/state.hpp"

namespace veka {

// Builds the system of the start-up case ISTART and leaves every running energy consistent
// with the coordinates:
//   3, 4, 5, 9  a new system: running energies zeroed, seed 786123, the step sizes of
//               solutes 3..N those of solute 2; solutes from the Z-matrix (3, 4), PDB (5,
//               9) or free-format file; solvent from the stored boxes (4, 5) or the
//               in-file (3, 9: "The number of requested solvent molecules, NMOL =" ...
//               when it holds fewer than NMOL); then overlap removal;
//   7, 8        solutes read for their topology, then solutes, solvent and seed from the
//               in-file, counters zeroed;
//   0, 6        a continued run: the solutes read, then everything from the in-file, the
//               counters zeroed only with start digit 1.
// Then the cutoff lists, molecular weights, intrasolute pair list, parameter check, dipole
// and quadrupole moments, the full energy (`enmtx`), the state listing (listing and summary
// file), at listing level 0 "Solvent-Solute Energies", and "Initial Random Number =". A new
// system (run mode 1) writes the in-file, so that run mode 0 can continue from it.
void initialiseSimulation(State& s);

// Overlap removal: when more solvent molecules are placed than the NMOL asked for
// (slvbox.requested), those with the highest solute-solvent energy (reference state) are
// deleted and the others keep their order; listed as n " Solvent molecules are to be
// deleted from" " the initial" count and one "Solvent Molecule" i " ESX Energy =" line per
// deleted molecule. Needs `prepareSolventEnergy` for the molecules placed; calls it again
// for the molecules kept.
void removeOverlaps(State& s);

}  // namespace veka
