// Solute records: the Z-matrix (`zmat`), the Cartesian coordinates of the three solute
// states (`solcor`), the perturbation record (`fre`) and the nonbonded parameters
// (`potpar`).
//
// States are numbered s = 0 (reference solute), 1 (first perturbed), 2 (second
// perturbed); their perturbation coordinates are RC0, RC1, RC2.
#pragma once

#include <array>
#include <cstdint>

#include "state/array.hpp"
#include "state/capacities.hpp"

namespace veka {

struct Zmat {
  Chars<30> title;
  int NSATM = 0;          // solute atoms over all solutes
  int NSOLUT = 0;         // solute molecules
  bool noSolute = false;  // the file's only atom has type -1

  // Per atom, in file order.
  Array1<Chars<3>, MAXATM> name;
  Array1<int, MAXATM> ITYPE{}, JTYPE{};           // reference and final atom types (-1 = dummy)
  Array1<int, MAXATM> IZ1{}, IZ2{}, IZ3{};        // bond, angle and dihedral partners (0 = none)
  Array1<double, MAXATM> BND{}, ANG{}, DIH{};     // working values (A, radians)
  Array1<double, MAXATM> BNDI{}, ANGI{}, DIHI{};  // initial values
  Array1<double, MAXATM> BNDF{}, ANGF{}, DIHF{};  // final values
  Array1<Chars<3>, MAXATM> resName;               // residue name as read on the atom record
  Array1<int, MAXATM> IRES{};                     // residue number (0 = none)
  Array1<Chars<3>, MAXRES> resTable;              // residue name by residue number

  // Per solute molecule.
  Array1<int, MAXSOL> first{}, last{};  // first and last atom
  Array1<int, MAXSOL> cflag{};          // "TER" record with "C" in column 4

  // Geometry variations: atom, coordinate code (1 bond, 2 angle, 3 dihedral), final value
  // (A or radians once converted).
  int NGEO = 0;
  Array1<int, MAXGEO> geoAtom{}, geoCode{};
  Array1<double, MAXGEO> geoFinal{};

  // Flip moves: dihedral atom and flip size (degrees).
  int NFLIP = 0;
  Array1<int, MAXFLP> flipAtom{};
  Array1<double, MAXFLP> flipSize{};

  // Variable bonds, angles and dihedrals that belong to each solute.
  Array1<int, MAXSOL> nvbSol{}, nvaSol{}, nvdSol{};

  bool autoAng = false;  // "AUTO" in the additional-angle section
  bool autoDih = false;  // "AUTO" in the additional-dihedral section

  // Excluded nonbonded pair ranges I1, I2, J1, J2.
  // Filled by the Z-matrix reader when it reads the file (every number names an atom of
  // the file); the pair-list builder uses these instead of reading the file again.
  int NEXCL = 0;
  Array1<std::array<int, 4>, MAXEXC> excl{};

  // Atom index of the solute molecule holding atom i (1-based), or 0.
  int moleculeOf(int i) const {
    for (int s = 1; s <= NSOLUT; ++s)
      if (i <= last(s)) return s;
    return 0;
  }
};

// Cartesian coordinates of all solute atoms of one state (A).
struct Xyz {
  Array1<double, MAXATM> x{}, y{}, z{};
};

struct Solcor {
  std::array<Xyz, 3> xyz;  // current coordinates of states 0, 1, 2
  // Set-up geometries of the two end states (lambda 0 and 1), on which the covalent
  // neighbours and the nonbonded pair list are judged.
  Xyz setup0, setup1;
};

// Perturbation bookkeeping of the three states (sums are formed by the Monte Carlo run).
struct Fre {
  double sum1 = 0.0, sum2 = 0.0;  // sums of exp(-beta dE1), exp(-beta dE2)
  double sumH1 = 0.0, sumH2 = 0.0;
  double half1 = 0.0, half2 = 0.0;  // overlap sums exp(-beta dE / 2)
};

// Nonbonded parameters.
struct Potpar {
  // Parameter slots: charge x sqrt(332.06), A = sqrt(4 eps sig^12), C = sqrt(4 eps sig^6).
  int NSLOT = 0;
  Array1<double, MAXSLOT> Q{}, A{}, C{};

  // Per solute atom and state.
  std::array<Array1<int, MAXATM>, 3> slot{};                 // slot index of each state
  std::array<Array1<double, MAXATM>, 3> QI{}, SIG{}, EPS{};  // unscaled charge, sigma, eps
  std::array<Array1<int, MAXATM>, 3> NAT{};                  // atomic number of each state
  Array1<int, MAXATM> NATI{}, NATF{};               // atomic numbers of reference, final type
  Array1<Chars<2>, MAXATM> AMTYPI, AMTYPF, AMTYPP;  // force-field types: reference, final, printed
  Array1<std::uint8_t, MAXATM> perturbed{};         // parameters differ between the two types
  Array1<int, MAXATM> sasaClass{};
  Array1<double, MAXATM> sasaRadius{}, alpha{};
  Array1<double, 3> CHG{};  // net charges of the three states
  bool polarisable = false;
  // The solute reader filled the slots itself (PDB layout with parameters, free-format
  // layout): the parameter assignment only lists them.
  bool soluteParamsRead = false;

  // Per solvent site (site, solvent 1 or 2): scaled charge, A, C, type, name.
  Array2<double, MXSAT, 2> QW{}, AW{}, CW{};
  Array2<int, MXSAT, 2> typeW{};
  Array2<int, MXSAT, 2> natW{};  // atomic number of each site
  Array2<Chars<3>, MXSAT, 2> nameW;

  // Solvent pair products for one solvent: q_i q_j, A_i A_j, C_i C_j over ordered pairs of
  // active sites (first site outer).
  int NPROD = 0;
  Array1<double, MXSAT * MXSAT> QQ{}, AA{}, CC{};
  // Water-water constants (solvent codes 1, 2).
  int waterModel = 0;
  double AOO = 0.0, COO = 0.0;
  Array1<double, 9> QQW{};

  // Settings from the command section.
  double DIELEC = 1.0;   // dielectric constant of solute-solute and intrasolute Coulomb terms
  double DIELRF = 0.0;   // reaction-field dielectric
  double ljScale = 1.0;  // Lennard-Jones scale factor of the solutes
  double div14C = 2.0, div14L = 2.0;  // 1-4 divisors (record 34)
  double SCL14C = 0.5, SCL14L = 0.5;  // 1-4 scale factors = 1 / divisor
};

}  // namespace veka
