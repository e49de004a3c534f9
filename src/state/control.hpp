// Run control records: `control`, `config`, `geom`, `misc`.
#pragma once

#include "state/array.hpp"
#include "state/capacities.hpp"

namespace veka {

// Codes of the solute input format (record 3 of the command section).
enum SoluteFormat : int {
  kZmat = 0,  // "ZMAT "
  kPdb = 1,   // "PDB  ", "PDBP "
  kMind = 2,  // "MIND "
  kIn = 3,    // "IN   "
  kZin = 4,   // "ZIN  "
};

// Codes of the solvent source `SOLOR` (record 4).
enum SolventSource : int { kBoxes = 0, kFromIn = 1, kNoSolvent = 2 };

struct Control {
  int runMode = 0;    // first digit of the job code
  int startFlag = 0;  // second digit: 1 = zero the counters (run mode 0), NEWRUN in 5 and 6
  int ISTART = 0;     // start-up case chosen from run mode, solute format and solvent source

  Chars<5> soluteFormatName;   // record 3 as read ("ZMAT ", "PDBP ", ...)
  int soluteFormat = kZmat;    // SoluteFormat code
  bool pdbWithParams = false;  // "PDBP ": charge, sigma, epsilon on the atom records
  Chars<5> SOLOR;              // record 4 as read
  int solventSource = kBoxes;  // SolventSource code
  bool cap = false;            // "CAP  " solvent source
  Chars<4> SLAB, VXYZ;         // record 4 keywords as read
  int slab = 0;                // no periodicity along z
  int vxyz = 0;                // volume moves change the edges independently

  Chars<5> OPTIM;          // record 6 optimisation keyword as read
  int optMethod = 0;       // 0 simplex .. 5 conjugate gradient, 8 simulated annealing
  Chars<5> NEWZM;          // record 6 Z-matrix output keyword as read
  int zmOutStyle = 0;      // 0 blank, 1 other text, 2 "FULL ", 3 "FULLM"
  Chars<5> structKeyword;  // record 35 structure-output keyword as read
};

// Monte Carlo counters.
struct Config {
  int NACCPT = 0;  // configurations entered into the averages
  int NRJECT = 0;  // rejected moves
  int weight = 0;  // configurations the current configuration has counted for
  int MXCON = 0;   // configurations per block (command line)
  int NCON = 0;    // configurations done in this block
  int NSAVE = 0;   // snapshot interval (record 26)
};

// Perturbation coordinates of the reference, first and second perturbed solutes.
struct Geom {
  double RC0 = 0.0, RC1 = 0.0, RC2 = 0.0;
  int noPert = 0;  // 1: every energy routine works on the reference state only
  // lambda of state s (0 = reference, 1, 2 = perturbed)
  double rc(int s) const { return s == 0 ? RC0 : (s == 1 ? RC1 : RC2); }
};

struct Misc {
  double DTORAD = 0.017453292519943295;  // degrees to radians
  double SQ332 = 18.222513547806734;     // sqrt(332.06): Coulomb factor per charge
  double GASCON = 0.00198717;            // kcal/(mol K)

  double TC = 0.0;                  // temperature, degrees C (record 33)
  double TK = 273.15;               // absolute temperature
  double BETA = 0.0;                // 1 / (R T)
  double PATM = 0.0;                // pressure, atm (record 33)
  double PKCAL = 0.0;               // pressure in kcal/(mol A^3)
  Array1<int, 2> NCENT{};           // centre atoms of solutes 1 and 2 (record 11)
  int solventCentre = 0;            // solvent centre atom (record 11)
  Array1<int, 2> rotationCentre{};  // rotation-centre atoms of solutes 1 and 2 (record 12)
  int heatedSolute = 0;             // record 31: index of a heated solute (9999 = all)
  double heatedTC = 0.0;            // its temperature, degrees C
};

}  // namespace veka
