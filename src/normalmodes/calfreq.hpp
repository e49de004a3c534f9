// Normal-mode analysis of the solutes with ideal-gas thermochemistry.
//
// `calfreq` takes the current solute geometry (reference state), drops the dummy atoms
// (`rmdummy`), holds the Z-matrix coordinates that are not variable rigid (`mkrigid`),
// prints the geometry, the rigid terms and the energy, builds the analytic Cartesian
// Hessian of the force-field energy (`force`), mass-weights and diagonalises it
// (`frequency`), reports the frequencies and normal coordinates (`prnmode`) and closes
// with the thermochemistry (`thermo`).
//
// Settings come from the normal-mode record of the command section and its temperature:
//   nmode.afterOptimisation  1 = run the analysis after an optimisation (read by the
//                            main program)
//   nmode.conformers         number of conformers N_c (at least 1)
//   nmode.symmetryNumber     symmetry number sigma (at least 1)
//   nmode.frequencyScale     frequency scale factor (1.0 when not positive)
//   nmode.cutoffFrequency    cutoff frequency in cm-1 (500.0 when negative)
//   misc.TC                  temperature in degrees C (298.15 K when below absolute zero)
//
// Frequencies: a positive eigenvalue lambda (kcal/mol/A^2/amu) gives 108.587 sqrt(lambda)
// cm-1; a non-positive eigenvalue is reported as it is (the raw eigenvalue) and counts as an
// imaginary mode. Modes at or above 10000 cm-1 are the rigid degrees of freedom and are not
// reported. The first n0 modes are taken as translations and rotations: 3 for one atom
// (or atoms that all coincide), 5 for two atoms or a linear molecule (its smallest
// principal moment of inertia below 0.0003 amu A^2), 6 otherwise; the reported modes
// after them are handed to the thermochemistry.
#pragma once

#include <array>

#include "normalmodes/force.hpp"
#include "normalmodes/system.hpp"
#include "normalmodes/thermo.hpp"
#include "state/capacities.hpp"

namespace veka {

struct State;

namespace nm {

inline constexpr int kMaxCoord = 3 * MXFATM;

// Everything one analysis works on (about 2 MB; one allocation per analysis).
struct Work {
  System sys;
  std::array<double, kMaxCoord * kMaxCoord> hess{};  // Hessian, then its mass-weighted form
  std::array<double, kMaxCoord * kMaxCoord> vec{};   // row k: normal coordinate of mode k
  std::array<double, kMaxCoord> eval{}, freq{}, grad{}, work{};
  int ncoord = 0;  // 3n
  int n0 = 0;      // translation and rotation modes
  int nvib = 0;    // frequencies handed to the thermochemistry
  std::array<double, kMaxCoord> vib{};
  Energies energy;
  ThermoResult thermo;
};

// The thermochemistry settings of the run (see the table above).
ThermoSettings thermoSettings(const State& s);

// Eigenvalue -> frequency: 108.587 sqrt(lambda) cm-1 for positive lambda; a value that is
// not positive is kept as it is and counts as an imaginary mode.
double toFrequency(double lambda);

// Builds the Hessian of w.sys (rigid terms included), mass-weights and diagonalises it,
// reports the modes and runs the thermochemistry. Expects rmdummy/mkrigid/fixequil done.
void frequency(Work& w, const ThermoSettings& set, Io& io);

// The whole analysis of the current solutes into w. Returns false when the molecule has
// more than MXFATM atoms (the refusal is printed) or no atoms at all.
bool calfreq(State& s, Work& w);

}  // namespace nm

// Entry of the main program (run mode 4, and after an optimisation when requested).
void calfreq(State& s);

}  // namespace veka
