// Energy, Cartesian gradient and Hessian of the analysed molecule (`force`), and the
// energies of single terms for the energy report.
#pragma once

#include "normalmodes/derivs.hpp"
#include "normalmodes/system.hpp"

namespace veka::nm {

struct Energies {
  double stretch = 0.0;     // bonds
  double bend = 0.0;        // angles
  double torsion = 0.0;     // Fourier torsions (proper and improper)
  double intra = 0.0;       // intrasolute nonbonded pairs
  double inter = 0.0;       // intersolute nonbonded pairs
  double constraint = 0.0;  // harmonic restraints and type-500 dihedral restraints
  double rigid = 0.0;       // rigid terms (zero at the geometry fixequil saw)
  double total() const { return stretch + bend + torsion + intra + inter + constraint; }
};

// Evaluates every term of sys at its coordinates; adds the gradient and Hessian into out
// (which the caller zeroes; null pointers skip them). The rigid terms are included when
// `rigid` is set.
Energies force(const System& sys, Sink& out, bool rigid);

// Energy and first and second radial derivatives of a nonbonded pair at distance r with
// charge product qq (already divided by the dielectric constant) and coefficient products
// aa, cc, scaled by sc (Coulomb) and sl (Lennard-Jones).
struct Radial {
  double e = 0.0, d1 = 0.0, d2 = 0.0;
};
Radial pairTerm(double r, double qq, double aa, double cc, double sc, double sl);

// Energies of single terms for the listings (r is floored at 1e-3 A as in the energy).
double intraPairEnergy(const System& sys, const NmPair& p, double* r = nullptr);
double interPairEnergy(const System& sys, const NmPair& p, double* r = nullptr);
// Energy of a restraint; `value` receives its distance (A).
double restraintEnergy(const System& sys, const NmRestraint& c, double* value = nullptr);
// Energy of a torsion term at dihedral phi (rad), before chopping.
double torsionEnergy(const System& sys, const NmTorsion& t, double phi);
// Dihedral of a type-500 restraint on the branch nearest its stored current value.
double restraintBranch(const NmTorsion& t, double phi);

}  // namespace veka::nm
