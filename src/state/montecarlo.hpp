// Records of the Monte Carlo engine shared by the move routines and the block loop: the
// move in progress (`move`), the move counters (`movrec`), the preferential-sampling
// weights (`prfsmp`) and the solvent neighbour lists (`nebor`).
//
// Arrays sized by the system are std::vector, allocated once at the start of a block for
// NMOL molecules (nothing is allocated during the block).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "state/array.hpp"
#include "state/capacities.hpp"
#include "state/energy.hpp"
#include "state/solute.hpp"
#include "state/solvent_energy.hpp"

namespace veka {

// Move kinds read by the energy routines.
enum MoveKind : int { kNoMove = 0, kSoluteOrVolumeMove = 1, kSolventMove = 2 };

// The Z-matrix values of one solute state by atom (A, radians).
struct ZValues {
  Array1<double, MAXATM> bnd{}, ang{}, dih{};
};

// Variable bonds, angles and dihedrals that a solute move may change (dependent copies
// excluded): for kind t (0 bonds, 1 angles, 2 dihedrals) the list indices of solute m's
// entries are list[t][start[t](m) .. start[t](m + 1) - 1], in list order.
struct SoluteVariables {
  std::array<std::vector<int>, 3> list;
  std::array<Array1<int, MAXSOL + 1>, 3> start{};
  int count(int t, int m) const { return start[t](m + 1) - start[t](m); }
  const int* of(int t, int m) const { return list[t].data() + start[t](m); }
};

// The trial of a solute move, filled by `movmol` and made current on acceptance. Sized
// once before the first cycle (`prepareSoluteMoves`).
struct SoluteTrial {
  std::array<Xyz, 3> xyz;     // trial coordinates of the three states
  std::array<ZValues, 3> zm;  // Z-matrices of the three states with the trial values
  // Trial values of the bond, angle and dihedral lists of the three states (the variable
  // entries from the move, the additional ones from the trial coordinates).
  std::array<Array1<double, MAXBND>, 3> RB{};
  std::array<Array1<double, MAXANG>, 3> TH{};
  std::array<Array1<double, MAXDIH>, 3> PHI{};
  SoluteVariables vars;
  // Trial solute-solvent energies of every molecule (n at n - 1): three states and the
  // selected solute's Coulomb and Lennard-Jones parts; sized for NMOL.
  std::array<std::vector<double>, 3> esx;
  std::vector<double> esxC, esxL;
  SoluteAtoms packed;             // the trial solute packed for the solute-solvent loop
  double EXXC = 0.0, EXXL = 0.0;  // trial parts of the selected solute's solute-solute energy
  bool complete = false;          // every trial term filled (no early exit)
  int flip = 0;                   // the move attempted a flip
};

struct Move {
  int kind = kNoMove;  // MoveKind
  int molecule = 0;    // solvent molecule chosen for the cycle (0: none)
  int solute = 0;      // solute chosen by the solute move
  // Trial sites of the moving solvent molecule (site k at [k - 1]).
  std::array<double, MXSAT> x{}, y{}, z{};
  // Trial pair energies of the moving molecule with every molecule (n at n - 1); sized
  // for NMOL when the block starts. With neighbour lists only the entries of the listed
  // molecules are written (every other trial pair energy is 0).
  std::vector<double> pairNew;
  // The sums of the moving molecule's trial pair energies (S_new) and of its stored row
  // (S_old).
  double sumNew = 0.0, sumOld = 0.0;
  int nonzeroOld = 0;  // non-zero entries of the stored row
  // Trial solute-solvent energies of the moving molecule: three states, the selected
  // solute's Coulomb and Lennard-Jones parts, its squared cutoff distance and the
  // monitored (solute atom, solvent site) distances (100.0 beyond the cutoff).
  PerState esx{};
  double esxC = 0.0, esxL = 0.0, r2 = 0.0;
  std::array<double, MAXMNT> dist{};
  // Internal energies of the moving code-20 molecule (stretch, bend, torsion, nonbonded):
  // trial and stored.
  std::array<double, 4> intraNew{}, intraOld{};
  // Left by an accepted solvent move for the block loop: the molecule's solute-solvent
  // energies before the move (the histogram moves it from their bin) and the new monitor
  // molecule, whose row sum is the sampled solvent-molecule energy.
  PerState esxPrev{};
  int monitor = 0;
  SoluteTrial sol;  // trial of a solute move
};

// Attempted and accepted moves per solvent molecule (n at n - 1); the solutes' counts
// travel in the in-file and live in `mcrec`.
struct Movrec {
  std::vector<int> tried, accepted;
};

// Preferential sampling: current and trial weights of every molecule (n at n - 1), both
// normalised to a sum of 1, their maxima and un-normalised sums.
struct Prfsmp {
  std::vector<double> W, Wtrial;
  double WIMAX = 0.0, sum = 0.0;
  double WIMAXtrial = 0.0, sumTrial = 0.0;
};

inline constexpr int NBMAX = 600;  // neighbours per molecule

inline constexpr int NBREBUILD = 15;  // accepted moves of one molecule between list builds

// Neighbour lists: row n (n - 1) holds up to NBMAX 16-bit molecule indices from its start,
// ended by the first 0; `count` is the accepted moves of each molecule since the last build
// (during a build, its neighbours found); `size` the length of each row.
struct Nebor {
  double R2 = 0.0;  // squared list radius (RCUT + 1.5)^2
  std::vector<std::int16_t> table;
  std::vector<std::int16_t> count, size;
  std::vector<double> work;  // squared separations of one molecule from the others
  std::vector<int> near;     // the neighbours found for one molecule
  long builds = 0;           // lists built in this run
  std::int16_t* row(int n) { return table.data() + static_cast<std::ptrdiff_t>(n - 1) * NBMAX; }
  const std::int16_t* row(int n) const {
    return table.data() + static_cast<std::ptrdiff_t>(n - 1) * NBMAX;
  }
};

}  // namespace veka
