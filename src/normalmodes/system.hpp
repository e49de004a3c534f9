// The molecule as the normal-mode analysis sees it: the solute atoms without the dummy
// atoms, renumbered 1..n, with their coordinates, masses and parameters, every energy term
// of the force field rewritten in the new numbering, and the rigid terms that hold the
// Z-matrix coordinates that are not variable.
//
// Energy model (the gas-phase energy that the optimiser minimises, reference state):
//   bonds            K (r - R0)^2
//   angles           K (theta - theta0)^2
//   torsions         1/2 [V1 (1 + cos(phi + f1)) + V2 (1 - cos(2 phi + f2))
//                         + V3 (1 + cos(3 phi + f3))] + T4, T4 = V4 when the constant-
//                    fourth-term flag is set, else 1/2 V4 (1 - cos 4 phi); a torsion whose
//                    energy exceeds the chop value contributes the chop value (no force)
//   type-500         V4 (phi - V1)^2, phi taken on the branch nearest the stored current
//                    dihedral so that it is the value the optimiser sees
//   intrasolute      s_C Qi Qj / (DIELEC r) + s_LJ (Ai Aj / r^12 - Ci Cj / r^6), s = 1-4
//   pairs            scale factors for 1-4 pairs, 1 otherwise
//   intersolute      Qi Qj / (DIELEC r) + Ai Aj / r^12 - Ci Cj / r^6, every pair of atoms of
//   pairs            different solutes (only those whose first atom is in solute 1 when
//                    solute-solute interactions are restricted to solute 1)
//   restraints       position R0 |x_I - P|^2; centroid R0 |x_J - centroid|^2; distance
//                    K0 (r - R0)^2; flat-bottomed P3 (r - P2)^2 above P2, P3 (r - P1)^2 at
//                    or below P1
// Atoms without mass (atomic number 0) are left out like dummy atoms: they cannot take
// part in a mass-weighted analysis. Terms that involve a dummy atom cannot be expressed in the
// Cartesian coordinates of the real atoms and are left out. Polarisation, Ewald and reaction-field
// terms belong to solution runs and are not part of the gas-phase energy analysed here.
#pragma once

#include <array>

#include "state/array.hpp"
#include "state/capacities.hpp"

namespace veka {
struct State;
}

namespace veka::nm {

// Force constant of the rigid terms (kcal/mol per A^2 or per rad^2).
inline constexpr double kRigidForce = 1.0e12;

struct NmBond {
  int i = 0, j = 0;
  double k = 0.0, r0 = 0.0;
};
struct NmAngle {
  int i = 0, j = 0, k = 0;  // j is the vertex
  double kf = 0.0, th0 = 0.0;
};
struct NmTorsion {
  int i = 0, j = 0, k = 0, l = 0;
  double v1 = 0.0, v2 = 0.0, v3 = 0.0, v4 = 0.0;
  double f1 = 0.0, f2 = 0.0, f3 = 0.0;
  double phiRef = 0.0;     // stored current dihedral (branch of a type-500 restraint)
  bool restraint = false;  // type 500: V4 (phi - V1)^2
  bool improper = false;
};
enum class RestraintKind { Position, Centroid, Distance, FlatBottom };
struct NmRestraint {
  RestraintKind kind = RestraintKind::Distance;
  int record = 0;          // record number in the restraint list
  int i = 0, j = 0;        // atoms (position: i; centroid: i is the restrained atom)
  std::array<int, 3> c{};  // centroid atoms (0 = absent)
  double r0 = 0.0, p1 = 0.0, p2 = 0.0, p3 = 0.0;
};
struct NmPair {
  int i = 0, j = 0;
  bool is14 = false;
};
struct NmRigid {
  std::array<int, 4> a{};
  double ref = 0.0;  // reference value (A or rad), set by fixequil
};

struct System {
  int n = 0;                           // real atoms
  std::array<double, 3 * MXFATM> x{};  // x[3 (i - 1) + c]
  Array1<int, MXFATM> orig{};          // atom number in the solute list
  Array1<int, MXFATM> Z{}, mol{};      // atomic number, solute molecule
  Array1<double, MXFATM> mass{};
  Array1<double, MXFATM> Q{}, A{}, C{};  // parameter slot of the reference state
  Array1<Chars<3>, MXFATM> name;
  Array1<Chars<2>, MXFATM> label;  // force-field type printed with the atom (rdatype)
  Array1<int, MAXATM> newIndex{};  // solute atom -> analysis atom (0 = dummy)

  double dielec = 1.0, scl14c = 0.5, scl14l = 0.5;
  double chop = 1.0e10;
  bool constV4 = false;

  int nBond = 0, nAngle = 0, nTorsion = 0, nRestraint = 0, nPair = 0, nXPair = 0;
  std::array<NmBond, MAXBND> bond{};
  std::array<NmAngle, MAXANG> angle{};
  std::array<NmTorsion, MAXDIH> torsion{};
  std::array<NmRestraint, MAXBC> restraint{};
  std::array<NmPair, MAXPAIR> pair{};
  std::array<NmPair, MXFATM*(MXFATM - 1) / 2> xpair{};

  int nRBond = 0, nRAngle = 0, nRDih = 0, nRImp = 0;
  std::array<NmRigid, MXFATM> rbond{}, rangle{}, rdih{}, rimp{};
};

// Number of solute atoms that take part in the analysis (not dummy, not massless).
int countRealAtoms(const State& s);

// Copies the real atoms (at most MXFATM, checked by the caller) and every term list of the
// reference state into sys, renumbered; terms with a dummy atom are dropped.
void rmdummy(const State& s, System& sys);

// Builds the rigid lists (see the rule in system.cpp).
void mkrigid(const State& s, System& sys);

// Labels of the atoms for the listings: the printed force-field type of each atom.
void rdatype(const State& s, System& sys);

// Sets the reference value of every rigid term to its value in the current geometry.
void fixequil(System& sys);

}  // namespace veka::nm
