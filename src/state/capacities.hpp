// Build-time capacities of the program. Every array of the global state records is
// dimensioned by one of these; nothing is allocated once the run has started.
#pragma once

namespace veka {

inline constexpr int MAXSOL = 25;      // solute molecules
inline constexpr int MAXATM = 4500;    // solute atoms (each perturbation state)
inline constexpr int MAXRES = 395;     // residue numbers of the solute file
inline constexpr int MXS = 2500;       // solvent molecules
inline constexpr int NLIM2 = 500;      // molecules of the second solvent
inline constexpr int MR = 500;         // blocks of averages
inline constexpr int MAXMNT = 12;      // monitored (solute atom, solvent site) distances
inline constexpr int MXSAT = 50;       // sites per solvent molecule, atoms of a solvent Z-matrix
inline constexpr int MAXBND = 950;     // bonds (variable plus additional)
inline constexpr int MAXANG = 950;     // angles (variable plus additional)
inline constexpr int MAXDIH = 1200;    // dihedrals (variable plus additional)
inline constexpr int MAXGEO = 95;      // geometry variations
inline constexpr int MAXBC = 90;       // harmonic restraints
inline constexpr int MAXNEB = 10;      // covalent neighbours per atom
inline constexpr int MAXPAIR = 20000;  // intrasolute nonbonded pairs (NBAT)
inline constexpr int MAXEXC = 50;      // excluded-pair range records
inline constexpr int MAX14 = 40;       // recorded 1-4 partners of one atom
inline constexpr int MAXFLP = MAXDIH;  // flip moves
inline constexpr int NHISD = 8;        // dihedrals with a history during a block
inline constexpr int MAXHIS = 121;     // history entries of one dihedral per block
inline constexpr int MAXOPT = 450;     // optimisation variables
inline constexpr int MXFATM = 100;     // atoms of a normal-mode analysis
inline constexpr int MAXMOL = 999;     // atoms of a MOL file
inline constexpr int MAXICA = 15;      // ICUTAT entries of the command section
inline constexpr int MAXICS = 5;       // ICUTAS entries of the command section
inline constexpr int MAXMIN = 500;     // atoms of the free-format Cartesian layout superposition
inline constexpr int MAXCNF = 833;     // conformers in the conformer store
inline constexpr int MAXCHI = 1000;    // chiral centres checked by the conformational search

// Parameter slots: up to three per solute atom (reference, first and second perturbed
// state) and one per site of each of the two solvents.
inline constexpr int MAXSLOT = 3 * MAXATM + 2 * MXSAT;

}  // namespace veka
