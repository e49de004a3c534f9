// Solvent moves and neighbour lists of the Monte Carlo engine.
//
// The block loop (`monte`) picks the molecule, calls `movsvn` for the trial energy, decides,
// and on acceptance calls `acceptSolventMove`; a rejection needs nothing from here, since
// `movsvn` changes only trial values.
#pragma once

#include "state/state.hpp"

namespace veka {

// Allocates the move records, preferential weights and neighbour table for NMOL molecules
// (once, before the first cycle of a block) and builds the neighbour lists when NBUSE is 1.
void prepareMoves(State& s);

// Rebuilds every neighbour list from the current solvent coordinates. More than NBMAX
// neighbours of one molecule stops the run.
void neibor(State& s);

// Trial move of solvent molecule s.move.molecule: trial sites, trial pair energies, trial
// solute-solvent energies of the three states, ENEW and the other trial totals, the trial
// preferential weights. The current configuration is not changed.
void movsvn(State& s);

// Rotates the trial coordinates by theta (radians) about an axis drawn from the stream.
void rotate(State& s, double theta);

// Makes the trial move of molecule s.move.molecule current: its sites, its row and column
// of the stored pair energies, its solute-solvent energies, the running totals, its
// accepted-move count and neighbour-list counter (rebuilding the lists at 15).
void acceptSolventMove(State& s);

}  // namespace veka
