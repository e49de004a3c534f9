// Intramolecular energy of the solutes (`eintra`): harmonic bond stretching and angle
// bending, Fourier torsions and the Coulomb plus Lennard-Jones energy of the intrasolute
// pair list, for the reference solute (state 0) and the two perturbed solutes (states 1,
// 2) in one call.
//
// Energy terms (kcal/mol; no factor 1/2 on the harmonic terms):
//   bonds      K (r - R0)^2                 angles  K (theta - theta0)^2 (radians)
//   torsions   min(E_t, chop), E_t = 1/2 [V1 (1 + cos(phi + f1)) + V2 (1 - cos(2 phi + f2))
//              + V3 (1 + cos(3 phi + f3))] + T4, T4 = V4 with the constant-fourth-term flag,
//              else 1/2 V4 (1 - cos 4 phi); a coefficient of exactly 0 adds nothing
//   pairs      s_C Qi Qj / (DIELEC r) + s_LJ (Ai Aj / r^12 - Ci Cj / r^6), with the 1-4 scale
//              factors for 1-4 pairs and 1 otherwise; r^2 is bounded below by 1e-6 in every
//              state (the perturbed states get the same floor as the reference state)
// A dihedral whose two torsion types sum to 0 adds nothing; type 500 is a harmonic dihedral
// restraint, evaluated with the other restraints by the solute-solute routine (xxpot.hpp).
//
// A perturbed state whose coupling value equals the reference one (RC1 = RC0, RC2 = RC0)
// is not evaluated: its sums are copies of the reference sums. Pairs that are kept in the
// list only for an Ewald correction (their Ewald-exclusion flag set) add nothing here; the
// Ewald sums themselves are not part of this build (the set-up refuses them), and neither
// are quantum-mechanical solutes (the set-up refuses them before any energy is asked for).
//
// Nothing here allocates or writes to a file.
#pragma once

#include "state/state.hpp"

namespace veka {

// Derives the settings of the intramolecular energy from the command section: the torsion
// chop value (not positive: 1e10, no chopping), the 1-4 divisors (not positive: 2.0; above
// 99999: 1e30) with their scale factors 1/divisor, and the pair-list cutoff CUTNB (not
// positive: 16.0). Every set-up calls it once, before the pair list is built.
void intraSettings(State& s);

// Current values of the variable (Z-matrix) entries of the bond, angle and dihedral lists
// from the working values of the Z-matrix: the reference state takes the working value of
// the entry's atom; a perturbed state (only when the no-perturbation flag is clear) takes
// it shifted by (RCk - RC0) (final - initial), which is its value at its own coupling value
// for a coordinate with a geometry variation and the working value otherwise. Callers that
// change the working values (the optimiser) call this before `eintra`.
void zmatTermValues(State& s);

// Current values of the additional bonds, angles and dihedrals (the entries after the
// Z-matrix's own ones) from the Cartesian coordinates of the reference state and, when the
// no-perturbation flag is clear, of the two perturbed states.
void upadd(State& s);

// The trial intramolecular energies (EBNDNE, EANGNE, EDIHNE, ENBNE and their perturbed
// values) of all three states; returns the reference total. Mode 1: bonded terms only (the
// nonbonded sums are left at 0). Mode 2: nonbonded terms only, the bonded sums of the
// previous call taken unchanged. Any other mode: everything (calls `upadd` first, as mode 1
// does).
double eintra(State& s, int mode);

// Nonbonded sum of one state over the pair list. The pair energies are computed 8 or 4 at a
// time where the processor has AVX-512 or AVX2, with the same IEEE operations in the same
// order as one at a time, so that every width gives the same sum to the last bit. `width`
// limits the width (1 one at a time, 4, 8; 0 the widest available) for tests and
// benchmarks.
double pairEnergy(State& s, int state, int width = 0);

}  // namespace veka
