// The weighted sums of the block loop: each accepted move enters the configuration it
// leaves with its weight (the configurations it counted for), which gives the same sums as
// entering every configuration once.
#pragma once

#include "state/state.hpp"

namespace veka {

// Bin (1..NDIST) of value in a histogram with the given lower and upper bounds:
// int((value - lower) / increment) + 1 with increment (upper - lower) / NDIST; 0 when the
// bin falls outside 1..NDIST (the integer part truncates toward zero, so a value less
// than one increment below the lower bound still counts in bin 1).
int histogramBin(double value, const Array1<double, 2>& bounds);

// Bin (1..60) of a dihedral angle phi (radians) in 6-degree bins; 61 and above wrap to 1.
int dihedralBin(double phi);

// Energy differences E1 - E0 and E2 - E0 (kcal/mol) of the current configuration between
// the perturbed solutes and the reference solute.
struct PerturbationDeltas {
  double dE[2];
};
PerturbationDeltas perturbationDeltas(const State& s);

// Sizes the block's sums for the system and clears them.
void clearSums(State& s);

// Enters the current configuration into the block's sums with weight w.
void enterSums(State& s, double w);

// The current solute-solvent energy histogram (IEDIST) from the per-molecule energies,
// and the current pair-energy histogram (IEPAIR) from the row of molecule m of the stored
// pair energies; the second also sets the sampled solvent-molecule energy to that row's sum
// (`rowSum`, as the solvent move forms it). Molecule 0: nothing changes. `binMonitorPairs`
// is the histogram alone, for an accepted solvent move, which has formed the sum already.
void rebuildSoluteSolventHistogram(State& s);
void sampleMolecule(State& s, int m);
void binMonitorPairs(State& s, int m);

}  // namespace veka
