// Ideal-gas thermochemistry of the analysed molecule from its harmonic frequencies,
// principal moments of inertia and mass: `inertia`, `thermo` and the final table
// `wthermo`.
#pragma once

#include <array>

namespace veka {
struct Io;
}

namespace veka::nm {

// Settings with their defaults applied (see thermoSettings).
struct ThermoSettings {
  double T = 298.15;      // K
  double scale = 1.0;     // frequency scale factor
  double cutoff = 500.0;  // cm-1: modes at or below it count as classical rotors
  int nconf = 1;          // conformers
  int sigma = 1;          // symmetry number
  double pressure = 1.0;  // atm
};

// Applies the rules: T = tc + 273.15, 298.15 K when that is below 0 K; a scale factor
// that is not positive becomes 1.0; a negative cutoff becomes 500.0 cm-1; conformers and
// symmetry number are at least 1.
ThermoSettings thermoSettings(double tc, double scale, double cutoff, int nconf, int sigma);

// Rotor classes from the rotational constants (a constant is zero when its moment is
// below 0.0003 amu A^2):
//   Atom       all three constants zero: no rotational contribution;
//   Linear     the constant of the smallest moment zero, not all zero: Q = kT / (sigma hc B)
//              with B the second constant (the third when, unusually, B is zero too);
//   Nonlinear  all three nonzero. This includes a very large molecule whose product A B C
//              falls below 1e-10 cm-3: it is still an asymmetric top, and its rotational
//              functions are formed from the sum of the logarithms of A, B and C.
enum class Rotor { Atom, Linear, Nonlinear };

struct Inertia {
  double mass = 0.0;                // amu
  std::array<double, 3> com{};      // centre of mass (A)
  std::array<double, 9> tensor{};   // inertia tensor about the centre (amu A^2)
  std::array<double, 3> moments{};  // principal moments, ascending
  std::array<double, 9> axes{};     // row k = principal axis of moments[k]
  std::array<double, 3> rot{};      // rotational constants A >= B >= C (cm-1), 0 when
                                    // their moment is below 0.0003 amu A^2
  Rotor rotor() const;
};

// Moments of inertia of n atoms (coordinates x[3 i + c], atomic numbers z[i], both
// 0-based). With massWeighted false every atom weighs 1 (the geometric centre and
// moments).
Inertia inertia(int n, const double* x, const int* z, bool massWeighted = true);

struct ThermoResult {
  ThermoSettings set;
  Rotor rotor = Rotor::Atom;
  Inertia in;
  double eElec = 0.0;  // kcal/mol
  double qvib = 1.0, qrot = 1.0, qtrans = 0.0;
  double zpe = 0.0, evib = 0.0, erot = 0.0, etrans = 0.0, etotal = 0.0;   // cal/mol
  double svib = 0.0, srot = 0.0, strans = 0.0, smix = 0.0, stotal = 0.0;  // cal/mol/K
  double cvvib = 0.0, cvrot = 0.0, cvtrans = 0.0, cvtotal = 0.0, cptotal = 0.0;
  double H = 0.0, G = 0.0;  // cal/mol
  int nImaginary = 0;
};

// Thermochemistry of n atoms (x[3 i + c], z[i]) with electronic energy eElec (kcal/mol)
// and the vibrational frequencies freq[0..nfreq-1] (cm-1; values that are not positive
// are imaginary modes, listed and skipped). With io set it writes the listing: settings,
// per-mode table and the final table (wthermo).
ThermoResult thermo(const ThermoSettings& set, double eElec, const double* freq, int nfreq, int n,
                    const double* x, const int* z, Io* io);

// The final table.
void wthermo(const ThermoResult& r, const double* freq, int nfreq, Io& io);

// Translational partition function of the ideal gas at temperature T (K), mass M (amu)
// and pressure P (atm): (2 pi M k T / h^2)^(3/2) k T / P in cgs units, with k = 1.380658e-16
// erg/K, h = hc / c (hc = 1.98644789223e-16 erg cm, c = 2.99792458e10 cm/s),
// 1 amu = 1.6605402e-24 g and 1 atm = 1.01325e6 dyn/cm^2. (The translational entropy is
// the fixed formula 2.2868 (5 log T + 3 log M) - 2.3135, which agrees with R (ln Q + 5/2)
// to about 0.02 cal/mol-K.)
double translationalQ(double T, double M, double P);

}  // namespace veka::nm
