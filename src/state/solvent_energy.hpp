// Solvent energies (`slveco`): the cutoff constants of the solvent-solvent and the
// solute-solvent energies, the pair tables of the solvent pair routines, the stored
// solvent-solvent pair energies, the per-molecule solute-solvent energies of the three
// solute states, the packed solute atoms of the solute-solvent loop and the work buffers
// of the row kernel.
//
// The constants and tables are fixed by the set-up (`prepareSolventEnergy`); every array
// sized by the system (NMOL molecules, NSATM solute atoms) is a std::vector allocated there
// once, so that a State object holds no full-capacity pair matrix and nothing is allocated
// during a block.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "state/array.hpp"
#include "state/capacities.hpp"
#include "state/energy.hpp"

namespace veka {

// The terms between a molecule of one solvent (the moving one, sites i) and a molecule of
// another or the same solvent (the stored one, sites j).
struct SolventPairTable {
  // 1: a water pair (both solvents TIP3P or TIP4P): cutoff on the first sites, one image
  // shift for the whole molecule, one Lennard-Jones term between the first sites.
  int water = 0;
  double AOO = 0.0, COO = 0.0;  // water: A1 A1 and C1 C1
  // Cutoff sites (1-based) of the moving and of the stored molecule (other pairs).
  int ncutA = 0, ncutB = 0;
  std::array<int, MAXICS> cutA{}, cutB{};
  // Site pairs in summation order with the products A_i A_j, C_i C_j and q_i q_j (charges
  // scaled by sqrt(332.06)). Water: only the charged pairs (Coulomb terms); other pairs:
  // every pair of active sites (type number above 0), moving site outer.
  std::vector<int> si, sj;
  std::vector<double> aa, cc, qq;
  int jlo = 1, jhi = 0;  // range of the stored sites that the terms use
  int nterm() const { return static_cast<int>(si.size()); }
};

// The real (non-dummy) solute atoms of the three states, packed for the solute-solvent
// loop: coordinates, scaled charge, A and C side by side per state.
struct SoluteAtoms {
  int n = 0;                   // packed atoms
  int states = 1;              // 1 with the no-perturbation flag, else 3
  std::vector<int> atom, mol;  // atom number and solute molecule of each packed atom
  std::array<std::vector<double>, 3> x, y, z, q, a, c;
  std::array<double, 3> centre{};  // midpoint of the two NCENT atoms, reference state
  // Candidates of the atom-based cutoff types (ICUT 2 and above): reference coordinates
  // and solute molecule.
  int ncand = 0;
  std::vector<double> candX, candY, candZ;
  std::vector<int> candMol;
  int capOn = 0;                                  // cap restraint evaluated
  std::array<std::array<double, 3>, 3> capXyz{};  // cap atom of each state
  // Monitored (solute atom, solvent site) pairs: packed atom (-1: not a real atom), site.
  int nmon = 0;
  std::array<int, MAXMNT> monAtom{}, monSite{};
  // Scratch of the solute-solvent row: eight arrays over the atoms of the three states.
  std::vector<double> work;
};

struct Slveco {
  // Solvent-solvent cutoff: RCUT^2, start of the feathering zone (RCUT - 0.5)^2 (1e20 when
  // the potentials are not smoothed) and its width RCUT^2 - (RCUT - 0.5)^2. The same for
  // the solute-solvent cutoff SCUT.
  double RCUT2 = 0.0, RFEATH = 1.0e20, RDEN = 1.0;
  double SCUT2 = 0.0, SFEATH = 1.0e20, SDEN = 1.0;
  int smoothed = 1;  // 0: "** Potential Functions are NOT Smoothed at Cutoff **"
  int neglect = 0;   // solvent-solvent interactions neglected
  int twoSolvents = 0;
  // Solvent cutoff sites ICUTAS of solvents 1 and 2.
  Array2<int, MAXICS, 2> ICUTAS{};
  Array1<int, 2> NICUTAS{};
  // Pair tables [a - 1][b - 1]: moving molecule of solvent a, stored molecule of solvent b.
  std::array<std::array<SolventPairTable, 2>, 2> table;

  // Stored solvent-solvent pair energies: a symmetric NMOL x NMOL matrix whose rows are
  // LD apart (LD: NMOL rounded up to a multiple of 8, not a multiple of 64), the energy of
  // pair (i, j) at
  // EIJ[(i - 1) LD + j - 1]; the diagonal is 0.
  int LD = 0;
  std::vector<double> EIJ;
  double* row(int i) { return EIJ.data() + static_cast<std::ptrdiff_t>(i - 1) * LD; }
  const double* row(int i) const { return EIJ.data() + static_cast<std::ptrdiff_t>(i - 1) * LD; }
  double& pair(int i, int j) { return row(i)[j - 1]; }
  double pair(int i, int j) const { return row(i)[j - 1]; }

  // Per-molecule solute-solvent energies of the current configuration (molecule n at
  // n - 1): the three states (ESX, ESX1, ESX2) and the Coulomb and Lennard-Jones parts of
  // the selected solute's interaction.
  std::array<std::vector<double>, 3> ESX;
  std::vector<double> ESXC, ESXL;

  SoluteAtoms solute;  // the current solute coordinates, packed by `packSolute`

  // Work buffers of the row kernel, NMOL + 16 entries each.
  std::vector<int> wIdx, wList1, wList2;
  std::vector<double> wR2, wE;
};

}  // namespace veka
