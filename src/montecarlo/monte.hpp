// The block loop of a Monte Carlo simulation.
//
// One invocation of the program runs one block of MXCON configurations. Each cycle
// attempts one move: every NVCHG-th cycle a volume move, every NSCHG-th a solute move,
// otherwise a move of one solvent molecule. Accepted moves enter the configuration they
// leave into the block's sums with its weight; the averages and results are formed from
// those sums at the end of the block (`outave`).
#pragma once

#include "state/state.hpp"

namespace veka {

// Runs the block: MXCON cycles from the state left by the set-up, then the last
// configuration entered with its weight and the end-of-block lines of the listing.
void monte(State& s);

// The constants of the block (thresholds, N / beta, VOLD of the box) and the block's sums
// cleared; called by `monte` before the first cycle.
void startBlock(State& s);

// Makes the decision of the cycle on ENEW - EOLD and then rejects or accepts.
void decideMove(State& s);

// The bookkeeping of a rejected move, and the sums entered for an accepted one followed by
// the trial values made current (the common part; the solvent and volume parts follow).
void rejectMove(State& s);
void acceptCommon(State& s);

// A solute move: this build has none, so choosing one with solutes present stops the run.
// Without a solute the cycle keeps the configuration (its trial energies are the current
// ones), which is then accepted.
void soluteMove(State& s);

}  // namespace veka
