// The gas-phase optimisation of the solutes (run mode 2) and the scan of one bond, angle
// or dihedral with the other variables optimised at each step (run mode 3).
//
// Start: the SUMMARY and PLTFILE units are rewound; a tolerance FTOL above 5 kcal/mol
// ("FTOL is too large.") and more than MAXOPT variables are refused; the inner tolerance
// FTL of the minimisers becomes min(FTL, FTOL). An optimisation runs at most MXCON cycles
// (limited to 2..10000, kept in MXCYCL) and is refused when the validity check finds an
// invalid start geometry. A scan takes its type from int(RC1) (1 bond, 2 angle, 0 or 3
// dihedral), the atom whose variable coordinate it scans from MXCON, the step from RC0
// (A or degrees; a dihedral step that is not positive becomes 10 degrees) and the number
// of steps from RC2 (a dihedral scan with RC2 = 0 covers 0 to 360 degrees: int(360 /
// step) + 1 steps), limited to 1..181; a dihedral scan starts at 0, a bond or angle scan
// at the current value. A scan type outside these values, or an atom without a variable
// coordinate of that type (a dependent entry is not one), is refused as well.
//
// Cycles: the energy of the start; in run mode 2 above 10000 kcal/mol a pattern-search
// relaxation first, followed by a rebuild of the intrasolute pair list. Then up to MXCYCL
// cycles of: the minimiser of the method number (command section), a rebuild of the pair
// list on the new geometry, the energy. The cycles end when the annealing returns the
// previous energy exactly, or, from the second cycle on, when the energy dropped by less
// than FTOL. After each minimisation a variable angle that went beyond 0 or 180 degrees
// (which the unbounded gradient minimisers allow, typically for a nearly linear hydrogen
// bond between two solutes) is folded back with its dihedral turned by 180 degrees: the
// same coordinates, a Z-matrix the validity check accepts. The minimisers get the inner tolerance
// FTL, MXITER iterations and the step-reduction factor RHO; the annealing its settings of the
// command section with FTOL as its convergence criterion. Run mode 2 lists each cycle in a box with
// its energy and the current Z-matrix.
//
// Results: for an optimisation the result listing ("RESULTS OF SOLUTE OPTIMIZATION", the
// method, warnings, iterations, energy components, dipole moment, optimised energy, final
// Z-matrix), the final Z-matrix on SUMMARY when the Z-matrix output style (NEWZM) is not
// blank, and the structure file of the structure-output format. "No. Iterations" counts
// the minimisers' own iterations over all cycles (and the relaxation). For a scan the
// table of coordinate value, dipole moment, energy and energy above the lowest one, in
// the listing and on SUMMARY.
//
// Refusals return without changing the solutes; the run then ends normally. A minimiser
// that refuses its settings or start (the annealing) is a refusal too, not a cycle that
// failed to converge: no further cycle, no results, nothing on SUMMARY or PLTFILE.
#pragma once

#include <string_view>

#include "optimize/optstate.hpp"
#include "state/state.hpp"

namespace veka {

// Runs the job of run mode 2 or 3 (by s.control.runMode). Returns false when it or its
// minimiser refused.
bool optmiz(State& s);

// Cycles of an optimisation for the MXCON of the command line: 2..10000.
int optimizationCycles(int mxcon);

struct ScanSettings {
  int type = 0;       // 1 bond, 2 angle, 3 dihedral; 0: invalid scan type
  int steps = 0;      // 1..181
  double step = 0.0;  // A or radians
};
ScanSettings scanSettings(double rc0, double rc1, double rc2);

// Validity check of the variable vector s.optim->x with its warnings on the listing;
// false when a variable bond or angle has an invalid value (a bond outside 0.01..1000 A,
// an angle outside 0..180 degrees or within 0.01 degree of 0 or 180).
bool checkGeometry(State& s);

// Name of a method number (0..8) as the result listing prints it (20 characters).
std::string_view methodName(int method);

}  // namespace veka
