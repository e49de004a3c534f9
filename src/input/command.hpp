// The command section of the parameter file: 35 fixed-column records (lines 1-71 of
// PARFILE) holding the run settings, with the defaults and checks applied after reading.
#pragma once

#include "state/state.hpp"

namespace veka {

// Reads the command section from the PARFILE unit into the state records, applies the
// derived values and defaults in their fixed order, reads the solute title from the
// solute file and chooses the start-up case. Every refusal stops the run.
void readCommandSection(State& s);

// Start-up case ISTART for a run mode, solute format code and solvent source code;
// 99 for a combination that cannot be run.
int startupCase(int runMode, int soluteFormat, int solventSource);

// The banner at the head of the listing.
void writeBanner(State& s);

}  // namespace veka
