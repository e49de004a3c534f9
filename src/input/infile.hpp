// The in-file (restart file, INFILE): written at the end of a block and read when a run
// continues or takes its solvent from it. One record list describes the file; the writer
// and the reader both run through it, so the two cannot drift apart.
//
//   1  6I5,3I9,1X,A3,2I3   NMOL, solute atoms, solutes, variable dihedrals, bonds, angles;
//                          NACCPT, NRJECT, seed; version tag "493"; RDF capacities 15, 12
//   2  2F9.2,3F13.8        T (C), P (atm) of the writing run; half edges x, y, z
//   3  4D20.12             EOLD, the sampled solvent-molecule energy, ESOLD, ESOL1, ESOL2,
//                          EXXOLD.., EDIHOL.., ENBOL.., EBCOLD.., EBNDOL.., EANGOL.., EPOOLD..
//   4  4D20.12             four further running energies of the solvent
//   5  4D20.12             ESBNOL, ESANOL, ESDIOL, ESNBOL and their total
//   6  6F13.8 list         x, y, z of the solute atoms of states 0, 1, 2; the variable
//                          dihedrals (degrees), bonds (A) and angles (degrees)
//   7  6F13.8 list         only with more than two solutes: RDELS, then ADELS of solutes 3..N
//   8  6F13.8 list         solvent coordinates, site by site: x of all molecules, y, z
//   9  11I7                radial distributions (bins of each of the file's 15 + 12)
//   10 11I7                energy and pair-energy distributions (50 + 50)
//   11 11I7                solute moves tried and accepted (25 + 25)
//   12 80I1                solvent (1 or 2) of each molecule
//   13 11I7                solute moves tried and accepted since the last step change
//   14 11I7, then I7,3D20.12  hydrogen-bond counters (22); samples and three sums
//
// Record 8 holds as many sites per molecule as the larger of the two solvents has. An empty
// list is one empty record.
#pragma once

#include <string>

#include "state/state.hpp"

namespace veka {

// Sites per molecule in the solvent records: the larger of the two solvents' counts.
int solventSites(const State& s);

// The in-file of the current state as text.
std::string infileText(State& s);

// Writes the in-file: the text goes to a file beside INFILE that then takes its name, so
// that the old file stays whole until the new one is complete; the unit is then connected
// to the new file. A write that fails stops the run and leaves the old file in place.
void writeInfile(State& s);

// What a read takes from the in-file.
enum class InfileUse {
  Continue,  // everything: a continued run (the solute counts must be the system's)
  Solvent,   // the solvent only: molecules, box, coordinates, solvent of each molecule
};

// Reads the fourteen records from the INFILE unit (from its start). Nothing in the state
// changes unless the whole file reads. Stops: RDF capacities above 15 and 12 ("***
// Incompatability in No. of RDFs in INIT ***"); with the counters kept, NACCPT / MXCON of
// 500 or more ("*** INCREASE MR IN OUTAVE AND INIT & RECOMPILE ***"); for the solvent only,
// fewer molecules than NMOL asks for ("The number of requested solvent molecules, NMOL ="
// ... " is greater than the number in the in-file, IB =" ...). Input errors: a file that
// ends early, a field that does not read, a count outside the capacities or (Continue)
// different from the system's, a seed outside 0..1048572, a solvent flag other than 0..2.
//
// Continue: all records; the seed restarts the generator; the counters NACCPT, NRJECT
// (and NCON) are zeroed when asked, else taken from the file. Solvent: NMOL becomes the
// file's count (the requested one is kept in slvbox.requested).
void readInfile(State& s, InfileUse use, bool zeroCounters);

}  // namespace veka
