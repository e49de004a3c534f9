// Energies between the solute molecules: the harmonic restraints, the solute-solute pair
// energy EXX (`xxpot`) and the polarisation energy of the solutes (`polpot`), each for the
// reference solute and the two perturbed solutes.
//
// Restraint records (`nbcon`), for state k with coordinates x:
//   J = 9999   position:   R0 |x_I - (P1, P2, P3)|^2, every state on its own coordinates
//   I = 9999   centroid:   R0 |x_J - centroid of atoms int(P1), int(P2), int(P3) (0 =
//                          absent)|^2 on the reference coordinates, added to all three sums;
//                          no term when int(P1) is 0
//   R0 >= 0    distance:   K (r_IJ - R0)^2 with K = P1, P2, P3 for states 0, 1, 2
//   R0 < 0     flat bottom between P1 and P2 with force constant P3: P3 (r - P2)^2 above P2,
//                          P3 (r - P1)^2 at or below P1; reference state only
// Dihedrals of torsion type 500: V4 (phi - V1)^2 on the reference dihedral and parameters,
// added to the reference sum and to the sum of each perturbed state whose coupling value
// differs from the reference one. The dihedral is the current value in the dihedral list,
// which `eintra` refreshes. With the no-perturbation flag set both perturbed sums are
// copies of the reference sum (after the dihedral restraints are added).
//
// Pair energy between atoms i < j of different solute molecules (dummy atoms excluded):
//   (Ai Aj / r^6 - Ci Cj) / r^6 + Qi Qj / (DIELEC r) [+ k_rf r^2 Qi Qj / DIELEC with the
//   reaction field], r^2 bounded below by 1e-6, no cutoff; the separation is taken with the
//   minimum image (no z image in a slab) in Monte Carlo runs (run modes 0 and 1) only. With
//   switch 5 of record 14 (sw.firstSoluteOnly) set to 1 only pairs whose first atom
//   belongs to solute 1 count.
//   Pairs with an atom of the selected solute (`energy.selected`) add their reference-state
//   Coulomb and Lennard-Jones parts to EXXC and EXXL.
// Nothing here allocates or writes to a file (except `listSoluteOneOnly`).
#pragma once

#include <array>

#include "state/state.hpp"

namespace veka {

// Restraint energies of the three states (the three EBC sums without storing them).
std::array<double, 3> restraintEnergies(const State& s);

// What restraint record n adds to the restraint sum of state k (0, 1, 2) on the current
// coordinates: position and distance forms on state k's coordinates, the centroid form on
// the reference coordinates for every state, the flat-bottomed form to the reference sum
// only. Dihedral restraints are not records: see `dihedralRestraintTerm` (terms.hpp).
double restraintTerm(const State& s, int n, int k);

// EBCNEW/EBCNE1/EBCNE2 and EXXNEW/EXXNE1/EXXNE2 (restraints plus pairs), EXXC and EXXL.
void xxpot(State& s);

// EPONEW, EPONE1, EPONE2: -1/2 sum_i alpha_i |F_i|^2 over the real solute atoms with a
// polarisability, F_i the field sum_j Qj (x_i - x_j) / r^3 of the charged atoms of the
// other solute molecules (r^2 bounded below by 1e-6, minimum image in Monte Carlo runs), on
// each state's coordinates and charges; all 0 unless solute polarisation is on. The solvent
// field is not included here.
void polpot(State& s);

// Writes " *** Solute - Solute Interactions Neglected for Solutes Other than Solute 1 ***"
// to the listing when switch 5 of record 14 (sw.firstSoluteOnly) restricts the
// solute-solute energy.
void listSoluteOneOnly(State& s);

}  // namespace veka
