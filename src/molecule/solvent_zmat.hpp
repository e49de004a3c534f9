// A solvent defined by its own Z-matrix file (`SZMATFILE`, solvent code 20): the reader
// (`redzms`), the bonded parameters of a flexible solvent (`flxpar`), the intrasolvent
// nonbonded pair list (`slvnbp`) and the internal energy of one solvent molecule.
//
// File layout, sections in a fixed order, each closed by a record whose columns 1-4 are
// blank (normally the heading of the next section):
//   record 1        columns 1-5: the solvent name ("OTHER" when blank)
//   atoms           I4,1X,A3,1X,I4,1X,I4,1X,3(I4,F12.6): number, name, type, a second
//                   type (not used), bond partner and length (A), angle partner and angle,
//                   dihedral partner and dihedral (degrees); at most 50 atoms
//   one record      the closing record of an empty geometry-variation section
//   variable bonds  I4,1X,I4: the bonds of atoms i .. max(i, j) to their bond partners
//   additional bonds  I4,I4
//   one record      the closing record of an empty restraint section
//   variable angles I4,1X,I4: atom, bond partner, angle partner for atoms i .. max(i, j)
//   additional angles  6I4, the first three used
//   variable dihedrals 3I4,F12.6: atom, reference and final torsion type, step (degrees)
//   additional dihedrals 6I4: i, j, k, l, reference and final torsion type
//   excluded pairs  4I4 ranges I1 I2 J1 J2, up to a record whose first number reads 0
// The local atom types 800-899 follow after a record beginning " Final" (`parzms`).
#pragma once

#include "state/state.hpp"

namespace veka {

// Reads the solvent Z-matrix file for solvent sv (1 or 2): the atoms, the flexible lists,
// the name (which replaces "OTHER" unless blank) and the number of sites. Stops on a 51st
// atom, on more than 50 variable or 100 bonds ("BND ARRAY OVERFLOW IN REDZMS -
// REDIMENSION"), 50 variable or 100 angles ("ANG ..."), 50 variable or 150 dihedrals
// (" DIHEDRAL ARRAY OVERFLOW IN REDZMS" after an empty line), and on an atom number that
// names no atom or a Z-matrix partner that is not an earlier, distinct atom.
void redzms(State& s, int sv);

// Bonded parameters of the solvent's bonds, angles and dihedrals (force-field types of
// its sites; the sites must have their parameters), the steps of the variable ones and
// the listing "Internal Parameters for Flexible Solvent:" (not at listing level 3).
// Stops: a zero force constant, a negative torsion type, torsion type 500.
void flxpar(State& s);

// The intrasolvent pair list: every pair of real sites (type 1 or above) that are neither
// 1-2 nor 1-3 neighbours nor excluded by a range record; 1-4 pairs carry the 1-4 flag
// (left out with a Coulomb 1-4 divisor above 99999). Neighbours are the Z-matrix bonds
// (each atom to its bond partner) and the listed bonds. The ranges are read from the file
// here. Listed at listing level 0 under "Intrasolvent Non-bonded Pairs List". Stops: more
// than 50 range records ("ID Array Overflow in SLVNBP"), more than 1000 pairs ("NSBAT
// Array Overflow in SLVNBP").
void slvnbp(State& s);

// Internal energy of one molecule of the code-20 solvent.
struct SolventIntra {
  double bond = 0.0, angle = 0.0, dihedral = 0.0, nonbonded = 0.0;
  double total() const { return bond + angle + dihedral + nonbonded; }
};

// Bond stretching sum K (r - r0)^2, angle bending sum K (theta - theta0)^2, Fourier
// torsions and the Coulomb plus Lennard-Jones energy of the intrasolvent pairs (1-4 pairs
// scaled by the 1-4 factors; no dielectric constant, as between solvent molecules) of
// solvent molecule `molecule` at its stored coordinates. Returns the total.
double solventIntraEnergy(const State& s, int molecule, SolventIntra& terms);
// The same for sites given as arrays (site i at element i - 1), e.g. trial coordinates.
double solventIntraEnergy(const State& s, const double* x, const double* y, const double* z,
                          SolventIntra& terms);

// Cartesian coordinates of the solvent molecule built from its Z-matrix (site i at
// element i - 1), centred on the mean of its sites.
void buildSolventMolecule(const Szmat& z, double* x, double* y, double* zc);

}  // namespace veka
