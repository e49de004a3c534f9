// The gradient of the optimiser's energy function with respect to its variables: a
// numerical Cartesian gradient taken term by term, chained with a numerical B-matrix
// (the derivatives of the Cartesian coordinates with respect to the variables).
//
// Differences. Every derivative here is the central difference (E(+h) - E(-h)) 0.5 / h
// over displacements of +-h = 0.01 (A for the Cartesian gradient, A or radians for the
// variables of the B-matrix). Its truncation error is h^2/6 times the third derivative:
// a few parts in 10^4 of the gradient on strained geometries, and of that absolute size
// still at a minimum, so gradient minimisers stop within about 1e-4 kcal/mol of the
// minimum on soft intermolecular modes. Smaller steps (the tests use them) shrink that
// error as h^2.
//
// Cartesian gradient. Each coordinate of each atom is moved in turn and only the terms
// that depend on the moved atom are evaluated, from per-atom term lists built once per
// pair list: its bonds, angles and dihedrals (torsions and dihedral restraints), its
// restraint records, its pairs of the intrasolute pair list with their 1-4 scale factors,
// its pairs with the atoms of the other solute molecules, and the polarisation energy,
// which it changes through its own field and its contribution to the fields at the atoms
// of the other molecules (each updated, not recomputed). The terms are those of the
// energy module (energy/terms.hpp), evaluated on the Cartesian coordinates: a bond
// length, angle or dihedral is recomputed from the moved atom, so a variable entry's value
// need not come from the Z-matrix. A variable dihedral is taken on the branch nearest its
// Z-matrix value (the energy function uses that value, which may lie outside (-pi, pi]),
// so that a dihedral restraint on it sees the same angle; additional dihedrals keep the
// (-pi, pi] branch of the energy module. Each difference equals the difference of two
// whole energy evaluations up to rounding, at a fraction of the cost.
//
// B-matrix. Each active variable in turn is increased and decreased, the atoms from the
// lowest one it moves are rebuilt each time, and dE/dp is the sum over those atoms and
// axes of the Cartesian gradient times the differences of their positions. The placement
// of an atom is an analytic function of its bond, angle and dihedral for any values, so
// an angle near 0 or 180 degrees or a dihedral near a multiple of 360 degrees needs no
// special treatment.
//
// Gas phase only: no periodic images. The state must have the no-perturbation flag set
// (every job but a Monte Carlo run has): only the reference state is differentiated.
// Nothing here allocates.
#pragma once

#include "optimize/optstate.hpp"
#include "state/state.hpp"

namespace veka {

inline constexpr double kGradStep = 0.01;  // A, and A or radian for the B-matrix

// Per-atom term lists of s.optim->terms from the term lists, restraints and pair list.
void buildAtomTerms(State& s);

// The sum of the reference-state terms that depend on atom a (bonds, angles, dihedrals,
// restraints, intrasolute and intersolute pairs), on the current reference coordinates,
// without the polarisation energy.
double atomEnergy(const State& s, int a);

// The numerical Cartesian gradient of the energy at the current reference coordinates
// into s.optim->grad, with displacements of +-step A.
void cartesianGradient(State& s, double step = kGradStep);

// dE/dp for the active variables (ga[m - 1] for active variable m) from s.optim->grad and
// the B-matrix at the current Z-matrix values; the reference coordinates must hold the
// geometry of those values. The variables are changed by +-step.
void variableGradient(State& s, double* ga, double step = kGradStep);

}  // namespace veka
