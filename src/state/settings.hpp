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
  int noSmoothing = 0;  // record 26, fourth integer: 1 = energies not feathered at the cutoffs
  int noEcut = 0;  // record 26: 1 = no long-range LJ correction
};

// Move ranges and frequencies (records 25 to 30).
struct Movp {
  double RDEL = 0.0, ADEL = 0.0, VDEL = 0.0, WKC = 0.0;
  Array1<double, MAXSOL> RDELS{}, ADELS{};  // solutes 1 and 2 from records 29 and 30
  int NVCHG = 0;                            // volume-move interval
  int NSCHG = 0;                            // solute-move interval
  int maxVarMove = 0;    // variable coordinates of one kind changed per solute move
  int NBUSE = 0;         // neighbour lists (record 26)
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

// Conformational search (record 7), stored as read: the first of its eight one-digit
// switches and its six real settings (the other seven switches are read and not used).
struct SearchSet {
  int refine = 0;       // 1: the stored conformers are refined at the end of a search
  double CSETOL = 0.0;  // energy tolerance of the duplicate test, kcal/mol
  double CSRMS = 0.0;   // RMS tolerance of the duplicate test, A
  double CSRTOL = 0.0;  // tolerance on the summed squared internuclear distances
  double CSREUP = 0.0;  // energy window above the lowest conformer, kcal/mol
  double CSAELO = 0.0;  // absolute lower energy bound
  double CSAEUP = 0.0;  // absolute upper energy bound
};

// Normal modes and thermochemistry (record 8), stored as read.
struct NmodeSet {
  int afterOptimisation = 0;  // 1: the analysis runs after an optimisation
  int conformers = 0;         // number of conformers N_c
  int symmetryNumber = 0;     // symmetry number sigma
  double frequencyScale = 0.0;
  double cutoffFrequency = 0.0;  // cm-1: modes below it count as classical rotors
};

// Radial distributions and histogram bounds (records 15 to 24).
struct Rdf {
  Array1<int, 2> count{};
  Array1<int, 15> list1{}, list2{};
  Array1<int, 12> list3{}, list4{};
  // Lower and upper bounds of the five distribution histograms (records 20 to 24).
  Array1<double, 2> firstDistribution{}, EPARD{}, EDISTD{}, fifthDistribution{}, BESOLD{};
};

// The nine switches of record 14 ((n): the position in the record) and the further
// settings of records 33 and 35.
struct Switches {
  // (1) and (2): solute set-up switches of the Z-matrix start-up and the solute geometry
  // routines; reading a position or centroid restraint clears (1).
  int soluteSetup = 0;
  int soluteGeometry = 0;
  int soluteStart = 0;       // (3) solute start-up switch
  int soluteBuild = 0;       // (4) switch of the solute moves and molecule building
  int firstSoluteOnly = 0;   // (5) 1: solute-solute interactions only in pairs with solute 1
  int noSolventSolvent = 0;  // (6) 1: solvent-solvent interactions neglected
  int fixBonds = 0;          // (7) non-zero: every bond of the solutes held fixed
  int fixAngles = 0;         // (8) non-zero: every angle of the solutes held fixed
  int noDistanceBonds = 0;   // (9) 1: covalent neighbours from the bond list alone
  double chop = 0.0;         // torsion-barrier chop level, kcal/mol (record 33)
  int mcSetting = 0;         // integer setting of the Monte Carlo engine (record 35)
  // First polarisation setting of record 35: solute polarisation when positive (the
  // second setting is read and not used).
  double polarisation = 0.0;
};

}  // namespace veka
