// Records of run settings filled from the command section of the parameter file and
// read by the subsystems that use them.
#pragma once

#include <cstdint>

#include "state/array.hpp"
#include "state/capacities.hpp"

namespace veka {

// Solvent settings (records 1, 9, 10, 28 and the model table).
struct Sol {
  Array1<Chars<5>, 2> name;    // first and second solvent names
  Array1<int, 2> code{};       // solvent model codes (0 unknown, 1..13 built in, 20 other, 99 none)
  Array1<int, 2> nsites{};     // interaction sites per molecule
  int flexible = 0;            // 0 none, 1 or 2: which solvent is the code-20 solvent
  int boxSize = 0;             // stored-box size (record 9)
  double layer = 0.0;          // solvent layer thickness around the solute, A (record 9)
  int NMOL2 = 0;               // molecules of the second solvent (record 10)
  int centreAtom = 1;          // solvent centre atom (record 11)
  double probeRadius = 0.0;    // probe radius for surface areas, A (record 28)
  int gbsa = 0;                // GB/SA continuum model
  double ionicStrength = 0.0;  // mol/L (record 1)
};

// Solvent coordinates and box (`coord`).
struct Coord {
  int NMOL = 0;                      // solvent molecules (record 9)
  Array1<double, 3> EDGE{}, HALF{};  // box edges and half edges, A
  // Site coordinates X(molecule, site), A.
  Array2<double, MXS, MXSAT> X{}, Y{}, Z{};
  // Solvent (1 or 2) of each molecule; 0 reads as the first solvent.
  Array1<std::uint8_t, MXS> solvent{};
};

// Cutoffs (records 11, 13, 32).
struct Cutoff {
  double RCUT = 0.0;   // solvent-solvent cutoff, A
  double SCUT = 0.0;   // solute-solvent cutoff, A
  double CUTNB = 0.0;  // intrasolute nonbonded cutoff, A
  int ICUT = 0;        // cutoff type
  // Solute atoms used for cutoffs: the first 15 as read from record 13, replaced during
  // the set-up by the list the cutoff type asks for (NICUTAT entries).
  Array1<int, MAXATM> ICUTAT{};
  int NICUTAT = 0;
  Array1<int, MAXICS> ICUTAS{};  // solvent cutoff sites (record 11)
  int ewald = 0;                 // record 32: 1 = Ewald sums
  // Reaction field (DIELRF > 1): flag and constant k_rf = (DIELRF - 1) / ((2 DIELRF + 1)
  // RCUT^3), set with the solvent cutoffs; used by the solute-solute Coulomb term too.
  int reactionField = 0;
  double KRF = 0.0;
  int noEcut = 0;                // record 26: 1 = no long-range LJ correction
};

// Move ranges and frequencies (records 25 to 30).
struct Movp {
  double RDEL = 0.0, ADEL = 0.0, VDEL = 0.0, WKC = 0.0;
  Array1<double, MAXSOL> RDELS{}, ADELS{};  // solutes 1 and 2 from records 29 and 30
  int NVCHG = 0;                            // volume-move interval
  int NSCHG = 0;                            // solute-move interval
  int maxVarMove = 0;    // variable coordinates of one kind changed per solute move
  int NBUSE = 0;         // neighbour lists (record 26)
  int int26d = 0;        // fourth integer of record 26
  int prefSampling = 0;  // preferential sampling on
};

// Quantum-mechanical model (record 2).
struct Qm {
  Chars<4> model, chargeModel;
  double chargeScale = 0.0;
  Array1<int, 3> netCharge{};  // reference, first and second perturbed solutes
  int method = 0;              // 0 none, 1 AM1, 2 PM3, 3 PDG, 4 MDG
  int chargeCode = 0;          // 0 force field, 2 Mulliken, 3 CM1, 4 CM3
  bool singlePoint = false;    // model name ends in "S" or "s"
  bool chargesOnly = false;    // QM supplies the solute charges only (set by the QM set-up)
};

// Solvent cap (record 5).
struct Cap {
  int atom = 0;
  double radius = 0.0, force = 0.0;
  double r2 = 0.0, r5sq = 0.0;  // radius squared, (radius + 5)^2
};

// Optimisation settings (record 6).
struct OptSet {
  double FTOL = 0.0;
  int saMaxEval = 0, saIter = 0;
  double saT0 = 0.0, saFactor = 0.0;
};

// Conformational search (record 7) and normal modes (record 8), stored as read.
struct SearchSet {
  Array1<int, 8> sw{};
  Array1<double, 6> val{};
};
struct NmodeSet {
  Array1<int, 3> sw{};
  Array1<double, 2> val{};
};

// Radial distributions and histogram bounds (records 15 to 24).
struct Rdf {
  Array1<int, 2> count{};
  Array1<int, 15> list1{}, list2{};
  Array1<int, 12> list3{}, list4{};
  Array1<double, 2> hist1{}, EPARD{}, EDISTD{}, hist5{}, BESOLD{};
};

// Record 14 switches and the other integer and real settings of records 31 to 35.
struct Switches {
  Array1<int, 9> sw{};  // (5) solute-solute only for solute 1, (6) no solvent-solvent, ...
  int int35 = 0;        // integer setting of record 35
  double pol1 = 0.0, pol2 = 0.0;  // polarisation settings of record 35
  double chop = 0.0;              // torsion-barrier chop level, kcal/mol (record 33)
};

}  // namespace veka
