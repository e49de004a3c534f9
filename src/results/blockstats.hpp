// Averages over blocks and their batch-mean errors.
//
// Every quantity of the results is a function of weighted sums and the number of
// configurations they cover: its grand value comes from the sums of all blocks over
// NACCPT configurations, and its value in block b from that block's sums over MXCON. The
// error is the standard error of the block values about the grand value,
//   sigma = sqrt( sum_b (X_b - X)^2 / (N (N - 1)) ),
// with no error for a single block.
#pragma once

#include <span>

#include "state/averages.hpp"

namespace veka {

enum class Quantity {
  Energy,  // total energy
  InterCp,
  Volume,
  Enthalpy,
  Kappa,
  Alpha,
  EXX,
  ESX,
  DeltaG1,
  DeltaH1,
  DeltaS1,
  DelSOS1,
  DeltaG2,
  DeltaH2,
  DeltaS2,
  DelSOS2,
};

struct Thermo {
  double beta = 0.0, T = 0.0;  // 1 / (R T) in mol/kcal; T in K
};

// A quantity from sums covering n configurations.
double quantity(Quantity q, const Sums& u, double n, const Thermo& t);

// The average of one weighted sum.
inline double average(const Sums& u, SumIndex i, double n) {
  return n > 0.0 ? u[i] / n : 0.0;
}

struct Stat {
  double value = 0.0, error = 0.0;
};

// Grand value from `total` over `count` configurations and its batch-mean error over the
// blocks, each covering `perBlock` configurations (error 0 with fewer than two blocks).
Stat batchMean(Quantity q, const Sums& total, double count, std::span<const Sums> blocks,
               double perBlock, const Thermo& t);
Stat batchMean(SumIndex i, const Sums& total, double count, std::span<const Sums> blocks,
               double perBlock);

// Adds the sums of b to a (scalars, histograms, dihedral bins).
void addSums(Sums& a, const Sums& b);

}  // namespace veka
