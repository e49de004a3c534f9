// Force-field atom types: nonbonded parameters of the solvent sites and of the solute
// atoms in their three perturbation states, and the set-up entry that assigns every
// force-field parameter of the system after the solutes have been read.
//
// The atom-type table follows the 73 records of the command section in PARFILE:
//
//   cols 1-4 I4 type number (0 or blank ends the table)   cols 6-7 I2 atomic number
//   cols 9-10 A2 force-field type   cols 12-21, 22-31, 32-41 F10.6 charge, sigma (A),
//   epsilon (kcal/mol); the rest of the record is free text; "#" in column 1 makes the
//   record a comment anywhere in the table.
//
// Every lookup rewinds the file, passes over the command section and scans the table from
// its top, so the first record of a type wins and nothing after the end record is seen.
// Solute types 800-899 and 9500 and above are defined locally, in the table that follows
// the " Final" record of the solute Z-matrix file (`parzmt`).
#pragma once

#include "molecule/fftables.hpp"
#include "state/state.hpp"

namespace veka {

struct AtomType {
  int Z = 0;  // atomic number
  FfType ff;  // two-character force-field type
  double q = 0.0, sig = 0.0, eps = 0.0;
};

// Records of the command section in front of the atom-type table.
inline constexpr int kCommandRecords = 73;

// Scans the atom-type table of PARFILE for `type`. False when the table (or the file)
// ends first; a type of 0 is never found since a record reading 0 ends the table.
bool findParType(Unit& parfile, int type, AtomType& out);

// Scans the local-type table of a Z-matrix file: rewind, pass over `skip` records, find
// the record beginning " Final", then the first record beginning " 800", "0800", "9500"
// (type numbers in columns 1-4) or "800 " (columns 1-3, fields shifted one column left);
// from there records are matched on their type number up to one that reads 0, with "#"
// records passed over as in the parameter file.
bool findLocalType(Unit& file, int skip, int type, AtomType& out);

// True for solute type numbers defined in the solute Z-matrix file.
constexpr bool isLocalSoluteType(int type) {
  return (type >= 800 && type <= 899) || type >= 9500;
}

// The lookups that stop the run when the type is missing: "No Entry in the Parameter
// File for Atom Type" and "No Entry in the Z-matrix File for Atom Type", each followed
// by the type (I5), on the listing and standard error.
AtomType parfileType(State& s, int type);
AtomType parzmt(State& s, int type);
// Types 800-899 of a solvent read from its own Z-matrix file.
AtomType parzms(State& s, int type);

// Parameter slots, types, atomic numbers, net charges, surface-area radii and classes
// and polarisabilities of every solute atom from its reference and final type. A type
// of 0 reads as missing (the record that ends a table reads 0).
void assignSoluteTypes(State& s);
// Charges and Lennard-Jones coefficients of the sites of both solvents, the solvent pair
// products and the water-water constants.
void assignSolventSites(State& s);
// QM solutes: hydrogens bonded to N, O, F, P, S, Cl, Br or I lose their Lennard-Jones
// terms in all their slots (in the reference slot only when QM supplies the charges
// only). The rule tests atomic numbers of the reference types, not type numbers: an atom
// of atomic number 1 with a covalent neighbour of atomic number 7, 8, 9, 15, 16, 17, 35 or
// 53. Needs the covalent neighbours.
void zeroQmHydrogens(State& s);
// The "OPLS Force Field Parameters" table and the net charges.
void listNonbonded(State& s);

// True when solute polarisation is switched on: a positive first polarisation setting of
// record 35 of the command section. The atoms then carry the polarisabilities of their
// reference force-field types; the second setting belongs to the polarisation set-up.
bool solutePolarisation(const State& s);
// True when the solutes are treated quantum-mechanically in this job.
bool qmSolutes(const State& s);

// The set-up entry, called once after the solutes have been read: nonbonded parameters
// of solvent and solutes (or, for solutes read with their own parameters, the net
// charges only), covalent neighbours (built quietly; the pair-list set-up lists them),
// the QM hydrogen rule outside single-point QM jobs, the nonbonded listing, the
// automatic additional dihedrals (not for QM solutes) and angles when the Z-matrix file
// asked for them, and the bonded parameters with their listings. The listings are left
// out at listing level 3. A solvent read from its own Z-matrix file (code 20) gets the
// bonded parameters of its lists and its intrasolvent pair list (`flxpar`, `slvnbp`).
//
// A solute atom counts as perturbed when the charge, sigma or epsilon of its final type
// differ from those of its reference type; it then has three slots, otherwise one. Its
// listing shows the reference line and the line of each perturbed state whose values
// differ from the reference ones.
void param(State& s);

}  // namespace veka
