// Solute moves of the Monte Carlo engine.
//
// A solute move picks one solute, moves it rigidly (translation with wrapping on its
// reference atom, rotation), changes some of its variable dihedrals, bonds and angles,
// rebuilds its atoms from the trial Z-matrices and evaluates every energy term that
// depends on the solute, for the reference solute and the two perturbed solutes at once.
// The trial lives in s.move.sol; the block loop (`monte`) decides and on acceptance calls
// `acceptSoluteMove`; a rejection needs nothing from here.
#pragma once

#include "state/state.hpp"

namespace veka {

// Sizes the trial arrays of the solute moves for NMOL molecules and NSATM atoms, packs the
// trial solute once, sorts the variables by solute, takes the flip sizes of the variable
// dihedrals and the Z-matrices of the three states, clears the flip counters and the
// dihedral histories. Once before the first cycle of a block,
// after the energies of the configuration are known. A flip on a dihedral that is not
// variable stops the run.
void prepareSoluteMoves(State& s);

// Trial solute move: chooses the solute (s.move.solute; never a single-atom solute that is
// the cap atom), fills the trial coordinates and internal values of the three states and
// every trial energy the block loop reads (ENEW, or EOLD + 25/beta as soon as the change
// exceeds 25/beta; EDIHNE.., EBNDNE.., EANGNE.., ENBNE.., EXXNEW.., EBCNEW.., EPONEW..,
// ESONE.., ESXCNE, ESXLNE, the per-molecule trial solute-solvent energies and the trial
// preferential weights). A flip attempt negates dihcom.flipTried. The current configuration
// is not changed.
void movmol(State& s);

// Makes the trial of the last solute move current: coordinates and internal values of the
// three states, EOLD and every solute energy term (intramolecular, solute-solute,
// restraints, polarisation, solute-solvent with the selected solute's parts), the
// per-molecule solute-solvent energies, the packed solute, the preferential weights, and
// the solute's accepted-move count. The block loop enters the sums before and rebuilds the
// histograms after.
void acceptSoluteMove(State& s);

// Counts a solute move for the dihedral histories (the block loop calls it before each
// `movmol`): every MXCON / (NSCHG 120) + 1 solute moves the next history entry of each of
// the first 8 dihedrals of the list takes its bin int(phi 48 / 2 pi) + 1, phi in [0, 2 pi).
void recordDihedralHistory(State& s);

// Step-size adaptation of solutes 3 and above (every 20 NSCHG configurations when there
// are more than two solutes; a no-op in other cycles, so the block loop may call it every
// cycle): acceptance above 0.6 widens RDELS and ADELS by 10 % (at most 100 A and 360
// degrees, the unit ADELS is held in), below 0.4 narrows them by 10 %.
void adaptSoluteSteps(State& s);

// The bond and angle step factor of m changed coordinates of one kind among k kinds of
// variables: [(0.2/m^3 + 0.8)/sqrt(m)] [(0.2/k^3 + 0.8)/sqrt(k)], each numerator in single
// precision.
double stepFactor(int m, int k);

}  // namespace veka
