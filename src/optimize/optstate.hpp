// The optimiser's work area (`optim` in the global state): the settings the driver keeps
// between calls, the vector of variables with its bounds, the state of a scan, and every
// work array of the energy function, its gradient and the minimisers, sized by the
// capacities so that an optimisation allocates nothing once the area exists. The area is
// allocated by the set-up of the first optimisation of a run (`optimArea`) and kept to
// the end of the run.
#pragma once

#include <array>
#include <cstdint>

#include "optimize/minimizers.hpp"
#include "state/array.hpp"
#include "state/capacities.hpp"
#include "state/solute.hpp"
#include "state/state.hpp"

namespace veka {

// Kinds of optimisation variables; also the coordinate codes of the Z-matrix.
enum VarKind : int { kVarBond = 1, kVarAngle = 2, kVarDihedral = 3 };

inline constexpr int MAXSCAN = 181;  // steps of a scan

// Per atom, the terms it takes part in, in compressed rows: the terms of atom i are
// item(start(i) + 1) .. item(start(i + 1)).
template <int NITEM>
struct AtomRows {
  Array1<int, MAXATM + 1> start{};
  Array1<int, NITEM> item{};
  int first(int i) const { return start(i) + 1; }
  int last(int i) const { return start(i + 1); }
};

// Terms of the solute energy that depend on each atom (built from the term lists and the
// pair list; rebuilt whenever the pair list is).
struct AtomTerms {
  AtomRows<2 * MAXBND> bonds;
  AtomRows<3 * MAXANG> angles;
  AtomRows<4 * MAXDIH> dihedrals;
  AtomRows<4 * MAXBC> restraints;
  AtomRows<2 * MAXPAIR> pairs;
  Array1<int, MAXATM> molecule{};  // solute molecule of each atom
};

struct Optim {
  // Settings kept between calls.
  double FTL = 1.0e-5;  // inner tolerance of the minimisers: min(itself, FTOL) on each call
  int MXCYCL = 50;      // maximum number of cycles
  int MXITER = 2000;    // maximum iterations of one minimisation
  double RHO = 0.5;     // step-reduction factor of the pattern search

  // The variables: variable bonds (A), then angles, then dihedrals (radians) of the
  // Z-matrix in the order of the variable lists, independent entries only.
  int nvar = 0;
  Array1<int, MAXOPT> kind{};       // VarKind
  Array1<int, MAXOPT> entry{};      // index in the bond, angle or dihedral list
  Array1<int, MAXOPT> atom{};       // the Z-matrix atom whose coordinate it is
  Array1<int, MAXOPT> firstAtom{};  // lowest atom whose position the variable moves
  Array1<double, MAXOPT> x{}, lower{}, upper{};
  // Atoms of the dependent entries that copy each variable: dependents of variable k are
  // depAtom(depStart(k) + 1 .. depStart(k + 1)).
  Array1<int, MAXOPT + 1> depStart{};
  Array1<int, MAXBND + MAXANG + MAXDIH> depAtom{};

  // The variables the minimiser moves (all but a scanned one): active(m) is the variable
  // of minimiser coordinate m (1-based); xa, la, ua hold their values and bounds.
  int nact = 0;
  Array1<int, MAXOPT> active{};
  std::array<double, MAXOPT> xa{}, la{}, ua{};

  // Scan (run mode 3).
  int scanType = 0;  // 1 bond, 2 angle, 3 dihedral
  int scanAtom = 0;
  int scanVar = 0;  // variable number of the scanned coordinate
  int nscan = 0;    // steps
  double scanStep = 0.0;
  Array1<double, MAXSCAN> scanValue{}, scanDipole{}, scanEnergy{};

  // The energy function's record of the geometry it built last: valid when the reference
  // coordinates hold the geometry of the Z-matrix's working values.
  bool built = false;
  long long energies = 0;   // energy evaluations
  long long gradients = 0;  // gradient evaluations

  // Gradient work: Cartesian gradient, the geometry at the point and at the two displaced
  // values of a variable, the per-atom term lists, the polarisation fields.
  Xyz grad, base, plus, minus;
  Xyz field;
  AtomTerms terms;
  bool termsBuilt = false;

  opt::Workspace ws;  // work arrays of the minimisers
};

// The optimiser's work area of the state, allocated (with its initial settings) when the
// state has none yet. The set-up of an optimisation (`optmiz`, `collectVariables`) calls
// it; everything the set-up then runs reaches the area as *s.optim.
Optim& optimArea(State& s);

}  // namespace veka
