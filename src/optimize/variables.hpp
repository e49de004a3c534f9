// The variables of the gas-phase optimiser and its energy function.
//
// Variables. The independent entries of the variable bond, angle and dihedral lists of
// the Z-matrix, in that order and in list order: a bond in A, an angle or dihedral in
// radians, each the internal coordinate of one atom (the entry's atom). A dependent entry
// (an "=" record of the solute file) is no variable of its own: it takes the value of the
// variable it copies whenever that variable is set, so it follows its master exactly.
// Bounds: bonds 0.1 to 100 A, angles 1e-6 degree from 0 and from 180 degrees, dihedrals
// -2 pi to 4 pi; only the pattern search and the annealing apply them.
//
// Energy function. The minimisers see the active variables (all of them, or all but the
// coordinate a scan holds fixed). For a vector of active values it writes the values
// into the working Z-matrix (and the dependent entries), rebuilds the Cartesian
// coordinates of the reference state from the Z-matrix and returns the full gas-phase
// energy of the solutes (intramolecular, solute-solute with the restraints,
// polarisation). Only the atoms from the lowest one whose internal coordinates changed
// are rebuilt.
//
// Frame. The coordinates are built in the Z-matrix frame (atom 1 at the origin, atom 2 on
// +x, atom 3 in the xy plane), the frame the gas-phase set-up builds the solutes in. The
// rebuilt solutes are not superimposed on earlier coordinates: the energy is then a
// function of the variables alone, independent of the path the minimiser took, which
// matters for the position restraints (tied to fixed points of this frame) and for the
// consistency of the numerical gradient with the energy.
//
// Nothing here allocates.
#pragma once

#include "optimize/minimizers.hpp"
#include "optimize/optstate.hpp"
#include "state/state.hpp"

namespace veka {

// Number of independent variable entries (may exceed MAXOPT; nothing is stored).
int countVariables(const State& s);

// Fills the variables of the optimiser's work area from the Z-matrix (values, bounds,
// dependents, lowest moved atom), allocating the area when the state has none. Expects
// countVariables(s) <= MAXOPT. Makes every variable active.
void collectVariables(State& s);

// Makes every variable active except `fixed` (0: none) and copies their values and bounds
// into the minimiser's arrays xa, la, ua.
void setActive(State& s, int fixed = 0);

// Copies the minimiser's values xa back into the variable vector.
void takeActive(State& s);

// Writes every variable value into the Z-matrix working values (and the dependent
// entries); the next energy evaluation rebuilds all atoms.
void applyAll(State& s);

// Writes the active values into the variables and the Z-matrix; returns the lowest atom
// whose internal coordinates changed (NSATM + 1 when none did).
int applyActive(State& s, const double* xa);

// Rebuilds the reference coordinates from the working Z-matrix, from atom `first` on when
// the coordinates hold the previous geometry, and refreshes the values of the variable
// entries of the term lists. A variable angle outside [0, pi] places its atom as the
// angle 2 pi - theta (or -theta) with the dihedral turned by pi: its term takes the angle
// of the geometry, and the atom's variable dihedral the dihedral of the geometry, so that
// the energy is the energy of the coordinates whatever the values.
void buildGeometry(State& s, int first);

// Takes the minimiser's values (takeActive) and brings every variable angle outside [0, pi]
// back into it, turning the dihedral of its atom by pi: the same coordinates in a Z-matrix
// the validity check accepts. Skipped for an angle whose atom has no dihedral partner (that
// would turn the frame) and where dependent entries tie the angle or the dihedral to
// others. Updates the active values.
void foldAngles(State& s);

// Sets the Z-matrix coordinate of variable k (and of its dependents) to v.
void setVariable(State& s, int k, double v);

// The energy function at the active values xa.
double energyAt(State& s, const double* xa);

// The gradient of the energy function with respect to the active variables at xa
// (Cartesian gradient and B-matrix, cartgrad.hpp).
void gradientAt(State& s, const double* xa, double* ga);

// The energy function and its gradient for the minimisers.
class GasPhaseObjective final : public opt::Objective {
 public:
  explicit GasPhaseObjective(State& s) : s_(s) {}
  double value(const double* x) override { return energyAt(s_, x); }
  void gradient(const double* x, double* g) override { gradientAt(s_, x, g); }

 private:
  State& s_;
};

}  // namespace veka
