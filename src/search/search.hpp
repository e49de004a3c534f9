// The conformational searches: run mode 5 (random values of chosen internal coordinates)
// and run mode 6 (random Cartesian kicks of every atom).
//
// Start (`csinit`). NEWRUN (the start digit) = 1 starts a new search, any other value
// continues the one in UPFILE. Settings that are not positive take their defaults (CSETOL
// 0.1, CSRMS 0.25 A, CSRTOL 1.0, CSREUP 300 kcal/mol); CSAEUP below CSAELO becomes
// CSAELO + CSREUP. The tries are MXCON (1000 when negative). The section after the tenth
// record of the solute file whose first four characters are blank gives the sampled
// coordinates (mode 5: I4 atom, I4 kind, 2F12.6 range per record up to a blank one; none
// given: every rotatable dihedral, chosen automatically) or the kicks (mode 6: 36X, I4,
// 3F10.4 NFIX, RADIUS, PUSH, HWIDTH; all zero when column 21 holds "L", "F" or "E";
// reals below 0.01 take 2.7, 0.2, 2.0). A new search minimises the initial geometry and
// stores it as conformer 1 (unminimised, as a placeholder, when that fails).
//
// Each try takes the conformer used least often as seed (the lowest-numbered among
// equals), generates a start, minimises it (`optgeo`) and offers it to the store; a new
// conformer rewrites UPFILE. The search ends after its tries or when the store is full,
// then refines the store (when the command section asks for it), writes UPFILE and the
// summary. Every number drawn comes from the program's stream, which UPFILE carries, so
// a search stopped after k tries and continued gives the store of one search.
#pragma once

#include <string_view>

#include "state/state.hpp"

namespace veka {

// Run modes 5 and 6.
void search(State& s);

// The sampled coordinates from the search section of the solute file (mode 5).
void readSearchSection(State& s);
// The dihedrals a search without sampled coordinates samples.
void chooseDihedrals(State& s);
// The kick settings from the stochastic section (mode 6).
void readStochasticSection(State& s);

// Seed of the next try: its number (its Nuse goes up by one); its values become the
// optimiser's variables.
int chooseSeed(State& s);
// A start geometry from the seed in the optimiser's variables, by mode 5 or by mode 6.
void getgeo(State& s);
void gengeo(State& s);
// Minimises from the optimiser's variables; false when the optimiser reported an error.
// `energy` gets the final energy.
bool optgeo(State& s, int method, double& energy);

}  // namespace veka
