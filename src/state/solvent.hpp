// Solvent records of the set-up and of the in-file:
//   `Szmat`  the solvent Z-matrix of a solvent defined in its own file (code 20): its
//            sites, the bond, angle and dihedral lists of a flexible solvent with their
//            parameters, and the intrasolvent nonbonded pairs;
//   `Flexe`  the internal energies of the code-20 solvent (trial and current totals);
//   `Slvbox` how the solvent box was filled;
//   `Slvrun` further running energies of the solvent that the in-file carries;
//   `Mcrec`  the distributions and counters of the Monte Carlo engine that the in-file
//            carries from block to block.
#pragma once

#include <array>
#include <cstdint>

#include "state/array.hpp"
#include "state/capacities.hpp"

namespace veka {

inline constexpr int MXSVAR = 50;     // variable bonds, angles, dihedrals of the solvent (each)
inline constexpr int MXSBND = 100;    // solvent bonds (variable plus additional)
inline constexpr int MXSANG = 100;    // solvent angles
inline constexpr int MXSDIH = 150;    // solvent dihedrals
inline constexpr int MXSPAIR = 1000;  // intrasolvent nonbonded pairs (NSBAT)
inline constexpr int MXSEXC = 50;     // excluded-pair range records of the solvent (ID)

struct Szmat {
  Chars<5> title;  // columns 1-5 of the first record
  int NSAT = 0;    // atoms (sites)
  Array1<Chars<3>, MXSAT> name;
  Array1<int, MXSAT> ITYPE{};                 // type number; below 1: a dummy site
  Array1<int, MXSAT> IZ1{}, IZ2{}, IZ3{};     // bond, angle, dihedral partners
  Array1<double, MXSAT> BND{}, ANG{}, DIH{};  // A, radians
  Array1<Chars<2>, MXSAT> AMTYP;              // force-field types (set with the site parameters)
  Array1<int, MXSAT> NAT{};                   // atomic numbers
  int flexible = 0;  // the file declares variable bonds, angles or dihedrals

  // Bonds, angles, dihedrals: variable entries first. A variable bond is (atom, bond
  // partner), a variable angle (atom, bond partner = vertex, angle partner), a variable
  // dihedral (dihedral partner, angle partner, bond partner, atom).
  int NSBND = 0, NSVBND = 0;
  Array1<int, MXSBND> IB1{}, IB2{};
  Array1<double, MXSBND> RB0{}, KB{}, DBND{};  // r0 (A), K, step half range (A)
  int NSANG = 0, NSVANG = 0;
  Array1<int, MXSANG> IA1{}, IA2{}, IA3{};
  Array1<double, MXSANG> TH0{}, KA{}, DANG{};  // theta0, K, step half range (radians)
  int NSDIH = 0, NSVDIH = 0;
  Array1<int, MXSDIH> ID1{}, ID2{}, ID3{}, ID4{};
  Array1<int, MXSDIH> ITOR0{}, ITOR1{};  // torsion types as read (final 0 = reference)
  Array1<double, MXSDIH> V1{}, V2{}, V3{}, V4{}, F1{}, F2{}, F3{};  // kcal/mol, radians
  Array1<double, MXSDIH> DDIH{};                                    // step half range (radians)
  int constV4 = 0;  // torsion table layout 0: V4 is a constant term

  // Excluded pair ranges: the section starts after `exclRecord` records of the file.
  long exclRecord = 0;
  int NSEXCL = 0;
  Array1<std::array<int, 4>, MXSEXC> excl{};
  // Intrasolvent nonbonded pairs i < j; S14 = 1 for a pair three bonds apart.
  int NSPAIR = 0;
  Array1<std::int8_t, MXSPAIR> SPI{}, SPJ{};
  Array1<std::uint8_t, MXSPAIR> S14{};
};

// Internal energies of the code-20 solvent summed over its molecules: bond stretching,
// angle bending, torsion, intrasolvent nonbonded, and their total.
struct Flexe {
  double ESBNOL = 0.0, ESANOL = 0.0, ESDIOL = 0.0, ESNBOL = 0.0, ESTOT = 0.0;
  double ESBNNE = 0.0, ESANNE = 0.0, ESDINE = 0.0, ESNBNE = 0.0;
};

struct Slvbox {
  int requested = 0;   // NMOL of the command section (9999: automatic box)
  int stored = 0;      // molecules of the stored box that was read
  double scale = 1.0;  // spread of the argon centres under a solvent of its own file
};

// Four running energies of the solvent (in-file record 4). Placeholders kept here until the
// solvent-solvent energy record holds them.
struct Slvrun {
  std::array<double, 4> E{};
  double sampled = 0.0;  // energy of the sampled solvent molecule (in-file record 3)
};

inline constexpr int MAXRDF1 = 15;   // solvent-solvent radial distributions
inline constexpr int MAXRDF2 = 12;   // solute-solvent radial distributions (monitored pairs)
inline constexpr int NRDFBIN = 100;  // bins of a radial distribution
inline constexpr int NDIST = 50;     // bins of an energy distribution
inline constexpr int NHBCNT = 22;    // hydrogen-bond counters

struct Mcrec {
  int version = 0;                        // version tag of the last in-file read (0 on a new start)
  // Weighted counts of the radial distributions since the counters were last zeroed:
  // (bin, distribution), solvent-solvent and solute-solvent.
  Array2<int, NRDFBIN, MAXRDF1> IRDF1{};
  Array2<int, NRDFBIN, MAXRDF2> IRDF2{};
  Array1<int, NDIST> IEDIST{}, IEPAIR{};                // energy and pair-energy distributions
  Array1<int, MAXSOL> soluteTried{}, soluteAccepted{};  // solute moves
  Array1<int, MAXSOL> stepTried{}, stepAccepted{};      // since the last step-size change
  // Periodic samples since the counters were last zeroed: how many; the distributions of
  // the solute-solvent hydrogen bonds per sample, solute as donor (IHB(1..11): 0..10 or
  // more bonds) and as acceptor (IHB(12..22)); the sums of both counts and of the
  // magnitude of the system's dipole moment (D).
  Array1<int, NHBCNT> IHB{};
  int hbSamples = 0;
  double hbDonor = 0.0, hbAcceptor = 0.0, dipoleSum = 0.0;
};

}  // namespace veka
