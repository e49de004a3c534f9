// Radial distribution functions of a Monte Carlo block.
//
// Two kinds of sets come from the command section: solvent-solvent pairs (site list1(k) of
// one molecule with site list2(k) of another, count(1) sets) and monitored (solute atom
// list3(k), solvent site list4(k)) pairs (count(2) sets). Only molecules of the first
// solvent take part. The bins span the bounds of the fifth distribution histogram in
// NRDFBIN equal bins (0 to 10 A when those bounds are empty).
//
// Each configuration enters its counts with its weight, like every other sum:
// - solute-solvent: every monitored pair within the solute-solvent cutoff of its molecule
//   (the distances the solute-solvent energy leaves). Solute moves collect the trial bins
//   in their solute-solvent pass; a solvent move changes only its molecule's bins; an
//   accepted volume move counts the new box afresh.
// - solvent-solvent: the pairs of the sampled solvent molecule (the one whose pair energies
//   feed the energy distributions, drawn again after every accepted solvent move) with
//   every other molecule, at minimum-image distances. Sampling one random molecule per
//   configuration keeps the cost to one pass over the molecules per accepted solvent move.
#pragma once

#include <array>

#include "state/state.hpp"

namespace veka {

// Bin (1..NRDFBIN) of distance r, 0 outside.
int rdfBin(const Rdfrun& r, double d);

// At the start of a block: the bins, the sets to count, the per-molecule arrays, and the
// counts of the current configuration; a run whose counters were zeroed (NACCPT 0)
// clears the histograms of the in-file.
void startRdf(State& s);

// The solute move's hook: the trial bins of molecule n from its monitored distances.
inline void rdfTrial(State& s, int n, const std::array<double, MAXMNT>& dist);

// After an accepted solvent move of s.move.molecule (its distances in s.move.dist) and the
// draw of the new sampled molecule; after an accepted solute move; after an accepted
// volume move (the new box counted afresh).
void rdfAcceptSolvent(State& s);
void rdfAcceptSolute(State& s);
void rdfAcceptVolume(State& s);

// The current counts, weight w, into the histograms of the in-file.
void enterRdf(State& s, int w);

// ---------------------------------------------------------------- inline

void rdfTrialBins(State& s, int n, const std::array<double, MAXMNT>& dist);
inline void rdfTrial(State& s, int n, const std::array<double, MAXMNT>& dist) {
  if (s.mcrun.rdf.nsx > 0) rdfTrialBins(s, n, dist);
}

}  // namespace veka
