// Records of the block loop and of the averages:
//   `Npt`    the volumes of the current and the trial box, and what a volume move changed
//            so that a rejected one can be undone;
//   `Sums`   the weighted sums of one block (or of several), from which every average,
//            free energy and fluctuation property is formed;
//   `Mcrun`  the constants and counters of the block in progress and its sums.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "state/array.hpp"
#include "state/solvent.hpp"

namespace veka {

struct Npt {
  double VOLD = 0.0, VNEW = 0.0;  // volume of the current and of the trial box, A^3
  int volumeMove = 0;             // 1 during a volume-move cycle
  // The box before the move; per axis the relative scale s of the move (0: axis unchanged)
  // and the displacement given to every solute atom.
  Array1<double, 3> savedEdge{}, savedHalf{}, scale{}, shift{};
  int rejected = 0;  // rejected volume moves of this block
};

// Scalar weighted sums, each sum of w * value over the configurations entered.
enum SumIndex : int {
  kSumE,  // total energy EOLD
  kSumV,
  kSumV2,
  kSumH,  // H = EOLD + P' VOLD
  kSumVH,
  kSumX,  // intermolecular enthalpy X
  kSumX2,
  kSumESX,  // ESOLD of the three states
  kSumESX1,
  kSumESX2,
  kSumESXC,  // the selected solute's Coulomb and Lennard-Jones solute-solvent parts
  kSumESXL,
  kSumF1,  // exp(-beta dE1), (H + dE1) exp(-beta dE1), exp(-beta dE1 / 2)
  kSumFH1,
  kSumHalf1,
  kSumF2,
  kSumFH2,
  kSumHalf2,
  kSumEXX,  // solute-solute, three states
  kSumEXX1,
  kSumEXX2,
  kSumEPO,  // polarisation, three states
  kSumEPO1,
  kSumEPO2,
  kSumEXXC,  // the selected solute's Coulomb and Lennard-Jones solute-solute parts
  kSumEXXL,
  kSumEBC,  // harmonic constraints, three states
  kSumEBC1,
  kSumEBC2,
  kSumEBN,  // bond stretch, three states
  kSumEBN1,
  kSumEBN2,
  kSumEAN,  // angle bending
  kSumEAN1,
  kSumEAN2,
  kSumEDI,  // torsion
  kSumEDI1,
  kSumEDI2,
  kSumENB,  // intrasolute nonbonded
  kSumENB1,
  kSumENB2,
  kSumESBN,  // internal energies of the solvent of its own Z-matrix file
  kSumESAN,
  kSumESDI,
  kSumESNB,
  kSumSampled,  // energy of the sampled solvent molecule
  kSumWeight,   // configurations entered
  kNumSums
};

// Weighted distributions (50 bins each).
enum HistIndex : int {
  kHistSampled,  // sampled solvent-molecule energy (bounds EDISTD)
  kHistPair,     // its pair energies with the other molecules (bounds EPARD)
  kHistSx,       // per-molecule solute-solvent energies (bounds of the first distribution)
  kHistEsold,    // ESOLD (bounds BESOLD)
  kNumHists
};

inline constexpr int NDIHBIN = 60;  // 6-degree bins of a dihedral distribution

struct Sums {
  std::array<double, kNumSums> v{};
  std::array<std::array<double, NDIST>, kNumHists> hist{};
  // Dihedral distributions: dihedral i of the dihedral energy list, bin b at
  // (i - 1) * NDIHBIN + b - 1. Sized for NDIH at the start of the block.
  std::vector<double> dih;
  double& operator[](SumIndex i) { return v[static_cast<std::size_t>(i)]; }
  double operator[](SumIndex i) const { return v[static_cast<std::size_t>(i)]; }
};

// Radial distributions of the block in progress. Bins of a distance r: int((r - lower) /
// width) + 1 in 1..NRDFBIN. The counts of the current configuration are what each
// configuration enters into the histograms of the in-file (Mcrec::IRDF1, IRDF2):
//   `sv` the solvent-solvent pairs seen from the sampled solvent molecule (site list1(k)
//        of that molecule with site list2(k) of every other molecule of the first solvent);
//   `sx` the monitored (solute atom list3(k), solvent site list4(k)) pairs over every
//        molecule of the first solvent, formed from the per-molecule bins `bins`.
struct Rdfrun {
  int nsv = 0, nsx = 0;  // sets counted (0 when none is asked for)
  double lower = 0.0, width = 0.1;
  Array2<int, NRDFBIN, MAXRDF1> sv{};
  Array2<int, NRDFBIN, MAXRDF2> sx{};
  // Bin of monitored pair k of molecule n (0: none) at (n - 1) * nsx + k - 1; current and
  // trial (filled by the solute move).
  std::vector<std::int16_t> bins, trialBins;
};

struct Mcrun {
  double limit = 0.0;        // 20 / beta: beyond it a move is decided without a random number
  double early = 0.0;        // 25 / beta: trial energy of a solute move given up early
  double nOverBeta = 0.0;    // (NMOL + solutes) / beta, for the volume-move test
  double bestE = 1.0e20;     // lowest energy of an accepted solute move (NSAVE = -1)
  bool flipAttempt = false;  // the solute move of this cycle tried a flip
  Sums block;                // sums of this block
  Rdfrun rdf;                // radial distributions of the current configuration
};

}  // namespace veka
