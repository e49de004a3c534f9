// Solvent moves and neighbour lists of the Monte Carlo engine.
//
// The block loop (`monte`) picks the molecule, calls `movsvn` for the trial energy, decides,
// and on acceptance calls `acceptSolventMove`; a rejection needs nothing from here, since
// `movsvn` changes only trial values.
#pragma once

#include "state/state.hpp"

namespace veka {

// Allocates the move records, preferential weights and neighbour table for NMOL molecules
// (once, before the first cycle of a block), sets the list radius (RCUT + 1.5)^2 and builds
// the neighbour lists when NBUSE is 1; with preferential sampling, the weights of the
// current configuration (after its energies, so that the solute is packed).
void prepareMoves(State& s);

// Rebuilds every neighbour list from the current solvent coordinates. More than NBMAX
// neighbours of one molecule stops the run.
void neibor(State& s);

// Trial move of solvent molecule s.move.molecule: trial sites, trial pair energies (against
// its neighbour list with NBUSE 1, else every molecule) and their sum with the sum of its
// stored row, trial solute-solvent energies of the three states, ENEW, ESSNEW, ESONE,
// ESXCNE, ESXLNE, the code-20 internal energies, the trial preferential weights. Draws
// five numbers (x, y, z steps, angle, axis), more for a flexible molecule. The current
// configuration is not changed.
void movsvn(State& s);
// Its two halves: the trial sites (translation with wrapping, rotation, internal move) and
// the trial energies from them.
void trialSites(State& s);
void trialEnergy(State& s);

// Rotates the trial sites of the moving solvent molecule by theta (radians) about an axis
// drawn from the stream: sites 2..n about site 1; for the solvent of its own Z-matrix file
// every site about its centre atom (only sites 1..3 when it is flexible).
void rotate(State& s, double theta);

// The rotation axis from a number r of the stream: 1 turns (y, z), 2 (z, x), 3 (x, y).
int rotationAxis(double r);
// Turns atoms first..last (1-based, except `centre`) of the arrays by theta about `centre`
// in the plane of `axis`: (u, v) <- (cos u' - sin v' + u_c, sin u' + cos v' + v_c) with
// u' = u - u_c, v' = v - v_c. The solute move applies it to each solute state.
void rotateAbout(int axis, double theta, double* x, double* y, double* z, int first, int last,
                 int centre);

// Internal move of a flexible molecule of the code-20 solvent on the trial sites: some of
// its variable dihedrals, bonds and angles (in this order) change, and atoms 4..n are placed
// again from the first three.
void movfsl(State& s);

// The sum of row[0..n-1] in a fixed order (thirty-two partial sums combined pairwise): a
// molecule's total solvent-solvent energy from its row of the stored pair energies.
double rowSum(const double* row, int n);
// The same, with the number of non-zero entries.
double rowSum(const double* row, int n, int& nonzero);

// Makes the trial move of molecule s.move.molecule current: its sites, its row and column
// of the stored pair energies, its solute-solvent energies (the old ones left in
// s.move.esxPrev), EOLD, ESSOLD, ESOLD and the other current totals, the code-20 internal
// energies, its accepted-move count, the preferential weights; draws the new monitor
// molecule (s.move.monitor) whose row sum becomes the sampled solvent-molecule energy; with
// NBUSE 1 counts the move for the lists and rebuilds them at the 15th (" Neighbor Lists
// Recomputed, NCON =" at listing level 0). The block loop enters the sums and the weight
// before, and rebuilds the histograms from what is left here.
void acceptSolventMove(State& s);

}  // namespace veka
