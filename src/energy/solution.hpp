// Energies of the solution: solvent-solvent pairs (`wwpot`, `sspot` and the row kernel),
// the solute-solvent energy of one solvent molecule for the three solute states
// (`wxpot`/`sxpot`: `solventSoluteEnergy`), the long-range Lennard-Jones correction
// (`ecut`) and the full energy of a configuration (`enmtx`).
//
// Solvent-solvent pair (molecule m moving, molecule n stored), with RCUT:
//   water pair (both solvents TIP3P or TIP4P, `wwpot`): cutoff on the first sites; the
//     charged pairs see molecule n moved by the first sites' image shift; one
//     Lennard-Jones term between the first sites from the water constants A_OO, C_OO
//   other pairs (`sspot`): cutoff on the smallest separation between the cutoff sites
//     (ICUTAS) of the two molecules; every pair of active sites with its own minimum
//     image; Lennard-Jones when A_i A_j is not 0, Coulomb when q_i q_j is not 0
//   Coulomb q_i q_j / r, with the reaction field (DIELRF > 1) q_i q_j (1/r + k_rf r^2)
//   k_rf = (DIELRF - 1) / ((2 DIELRF + 1) RCUT^3); a pair interacts when its cutoff r^2
//   <= RCUT^2 and its energy is multiplied by (RCUT^2 - r^2) / (RCUT^2 - (RCUT - 0.5)^2)
//   once r^2 >= (RCUT - 0.5)^2 (never when the potentials are not smoothed, which the
//   reaction field implies). Exact arithmetic: see solvrow.hpp.
//
// Solute-solvent energy of a solvent molecule (SCUT; the same feathering and reaction
// field), for each solute state s whose packed atoms are given:
//   cutoff r^2: ICUT below 2, from the solute centre (midpoint of the NCENT atoms) to the
//     molecule's cutoff sites; ICUT 2 and above, the smallest over the candidate solute
//     atoms (all real atoms for ICUT 2, the ICUTAT atoms above) and cutoff sites, kept per
//     solute molecule too, so that a solute molecule beyond SCUT takes no part
//   E(s) = F (sum LJ + sum Coulomb) + cap(s) over real atoms i and sites j, the molecule
//     moved per atom i by the image shift of its separation from the first site; LJ
//     (A_i A_j / r^6 - C_i C_j) / r^6 only for sites with A_j not 0, Coulomb only for
//     charged sites (so the water models' extra sites add no Lennard-Jones and TIP4P's
//     oxygen no Coulomb term, as `wxpot` does); F the feathering factor of the cutoff r^2
//   cap(s) = K (d - R - 5)^2 when the first site lies farther than R + 5 from the cap atom
//     (state s, no image), else 0
//   With solvent-solvent interactions neglected the cutoff and the feathering are not
//   applied (every molecule interacts with every solute atom).
// Which coordinates are used is the caller's choice: a solute move (move kind 1) passes
// each stored molecule against the solute packed from its trial coordinates; a solvent
// move (move kind 2) passes the moving molecule's trial sites against the packed current
// solute (s.slveco.solute, packed again by `packSolute` whenever the current solute
// coordinates change).
//
// Everything here needs `prepareSolventEnergy` first; nothing allocates after it (the
// packed solute is sized on its first packing).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "energy/solvrow.hpp"
#include "state/state.hpp"

namespace veka {

// ---------------------------------------------------------------- set-up

// Fixes the solvent energy settings once the solvent is placed and NMOL is final: RCUT and
// SCUT default (not positive: 8.5 for TIP3P, TIP4P and TIP5P as the first solvent, else
// 10.0), the reaction field and k_rf, the smoothing choice and feathering constants, the
// cutoff sites of each solvent, the pair tables, and allocates the stored pair energies,
// the per-molecule solute-solvent energies and the kernel buffers for NMOL molecules.
// Called again if NMOL changes during the set-up.
void prepareSolventEnergy(State& s);

// ---------------------------------------------------------------- solvent pairs

// The sites of one solvent molecule: site k at x[(k - 1) * stride]; `kind` is its solvent.
struct MolView {
  const double *x = nullptr, *y = nullptr, *z = nullptr;
  std::ptrdiff_t stride = 1;
  int kind = 1;
  double X(int k) const { return x[(k - 1) * stride]; }
  double Y(int k) const { return y[(k - 1) * stride]; }
  double Z(int k) const { return z[(k - 1) * stride]; }
};

int solventOf(const State& s, int n);           // 1 or 2
MolView storedMolecule(const State& s, int n);  // the stored sites of molecule n
RowBox solventBox(const State& s);              // box and RCUT constants of the row kernel

// Reference pair routines: the energy between molecule m and stored molecule n, with the
// cutoff r^2 (first sites, or the smallest cutoff-site separation; past RCUT^2 only known
// to exceed it) and the Lennard-Jones part (feathered like the total).
double wwpot(const State& s, const MolView& m, int n, double& r2, double& lj);
double sspot(const State& s, const MolView& m, int n, double& r2, double& lj);
// `wwpot` for a water pair, else `sspot`.
double solventPair(const State& s, const MolView& m, int n);

// The row kernel on the state's coordinates, tables and work buffers: molecule m against
// every molecule except k (k = 0: every molecule), or against list[0..count-1] (a
// neighbour list up to its first 0; fewer than NMOL entries). Pair energies go to
// out[n - 1] (0 beyond the cutoff); returns their sum.
SolventRowInput solventRowInput(State& s, const MolView& m, double* out);
double solventRowAll(State& s, const MolView& m, int k, double* out, int width = 0);
double solventRowList(State& s, const MolView& m, const std::int16_t* list, int count, double* out,
                      int width = 0);

// Every pair i < j into the stored pair energies (both triangles, diagonal 0); returns
// their sum. All 0 when solvent-solvent interactions are neglected.
double solventSolventEnergy(State& s);

// Long-range Lennard-Jones correction ECUT for the current volume.
double ecut(const State& s);

// ---------------------------------------------------------------- solute-solvent

// Packs the real solute atoms of the three states (one with the no-perturbation flag)
// from the given coordinates, with their slots' Q, A, C. Sizes `out` for NSATM atoms on
// the first call.
void packSolute(const State& s, const std::array<const Xyz*, 3>& xyz, SoluteAtoms& out);
// The current coordinates into s.slveco.solute.
void packSolute(State& s);

// What the solute-solvent routine leaves besides the energies.
struct SxParts {
  double coul = 0.0, lj = 0.0;        // the selected solute's parts (reference state)
  double r2 = 0.0;                    // squared cutoff distance
  std::array<double, MAXMNT> dist{};  // monitored distances (100.0 beyond the cutoff)
};

// The solute-solvent energy of solvent molecule m for the packed states (the perturbed
// values copy the reference value with the no-perturbation flag).
PerState solventSoluteEnergy(const State& s, const MolView& m, const SoluteAtoms& u,
                             SxParts* parts = nullptr);
// Stored molecule n against s.slveco.solute.
PerState solventSoluteEnergy(const State& s, int n, SxParts* parts = nullptr);

// Every stored molecule against the packed solute u at once (what a solute move needs),
// the same values as `solventSoluteEnergy` molecule by molecule: per molecule n the
// energies of the three states at e[k][n - 1], the selected solute's parts at
// coul[n - 1] and lj[n - 1], the squared cutoff distance at r2[n - 1] (null: into the
// kernel's work buffer), and their totals. `width` as for the row kernel; every width
// gives the same values. Nothing allocates.
struct SoluteRowOut {
  std::array<double*, 3> e{};
  double *coul = nullptr, *lj = nullptr, *r2 = nullptr;
  PerState sum{};
  double sumC = 0.0, sumL = 0.0;
};
void soluteSolventRow(State& s, SoluteAtoms& u, SoluteRowOut& out, int width = 0);

// ---------------------------------------------------------------- configuration

// Every molecule's solute-solvent energies against s.slveco.solute into the per-molecule
// arrays and the trial totals ESONE, ESXCNE, ESXLNE; with `r2`, each molecule's squared
// cutoff distance into r2[n - 1].
void soluteSolventEnergies(State& s, double* r2 = nullptr);

// The full energy of the current configuration: every solvent pair into the stored pair
// energies (ESSNEW), every molecule's solute-solvent energies into the per-molecule arrays
// (ESONE, ESXCNE, ESXLNE), EXX, the intrasolute energy, polarisation, ECUT and the internal
// energy of the molecules of a solvent of its own Z-matrix file (flexe); ENEW is their
// total and every trial value is copied to the current one (EOLD = ENEW).
void enmtx(State& s);

}  // namespace veka
