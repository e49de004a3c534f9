// Assembly of the system for a job after the command section is read.
#pragma once

#include "state/state.hpp"

namespace veka {

// Builds the list of solute atoms used for the solute-solvent cutoff from the cutoff type
// ICUT: 2 none, 3 the two centre atoms, 4 the non-zero atoms listed in the command
// section, 5 every real atom of every solute; zero and negative types give an empty
// list; 1 and types above 5 stop the run (the message on the listing and standard output).
void buildCutoffLists(State& s);

// "Total Mol. Wt. of Reference Solute =" and "Mol. Wt. of Solute" n " =" for each further
// solute (atomic weights of the real atoms).
void listMolecularWeights(State& s);

// "Dipole Moment" (debye) and " Quadrupole Moment:" (XX XY XZ YY YZ ZZ, D-A) of each
// solute state (the reference state alone with the no-perturbation flag).
void listMoments(State& s);

// Stops with a clear message when the command section asks for a treatment this build
// does not provide: semi-empirical QM solutes, the GB/SA continuum model, Ewald sums.
void refuseUnbuiltModels(State& s);

// The system of a gas-phase job (run modes 2 and above, start-up case 4): the solutes
// from the Z-matrix file, their nonbonded and bonded parameters, the cutoff lists, the
// molecular weights, the intrasolute pair list (listed at listing level 0), the parameter
// check, the dipole and quadrupole moments, and the full gas-phase energy (trial values
// copied to the current ones).
void setupGasPhase(State& s);

}  // namespace veka
