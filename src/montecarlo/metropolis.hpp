// The Metropolis decision of the block loop.
#pragma once

#include <cmath>

#include "montecarlo/random.hpp"

namespace veka {

// Decides a move that changes the energy by dE (kcal/mol), with weight w (1, or the ratio
// of the trial to the current preferential weight): rejected when dE > limit, accepted
// when dE < -limit, both without a random number (limit = 20 / beta); otherwise accepted
// when a number r of the stream satisfies r <= w exp(-beta dE). A change of exactly
// +limit still goes to the random test; dE = 0 with w = 1 is always accepted.
inline bool metropolis(double dE, double w, double beta, double limit, Rands& r) {
  if (dE > limit) return false;
  if (dE < -limit) return true;
  return ranu(r) <= w * std::exp(-beta * dE);
}

// The change that decides a volume move: dE - N / beta ln(VNEW / VOLD) + P' (VNEW - VOLD),
// with nOverBeta = N / beta for N molecules and solutes and P' the pressure in kcal/(mol A^3).
inline double volumeWork(double dE, double nOverBeta, double pkcal, double vold, double vnew) {
  return dE - nOverBeta * std::log(vnew / vold) + pkcal * (vnew - vold);
}

}  // namespace veka
