// The energy of one term of the solute energy: the formulas that the sums of `eintra`,
// `xxpot` and `polpot` add up, for callers that evaluate a few terms at a time (the
// optimiser's Cartesian gradient evaluates only the terms of one displaced atom). The
// sums use these same functions, so both routes compute every term alike.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/pairkernel.hpp"
#include "state/terms.hpp"

namespace veka {

inline constexpr int kDihedralRestraintType = 500;  // torsion type of a dihedral restraint

// Harmonic bond or angle term K (x - x0)^2 (no factor 1/2).
inline double harmonicTerm(double k, double x, double x0) {
  const double d = x - x0;
  return k * d * d;
}

// Fourier torsion 1/2 [V1 (1 + cos(phi + f1)) + V2 (1 - cos(2 phi + f2)) + V3 (1 + cos(3 phi
// + f3))] + T4 from c = cos(phi) (and phi itself for a term with a phase), T4 = V4 with the
// constant-fourth-term flag, else 1/2 V4 (1 - cos 4 phi). The multiple angles of a zero
// phase come from the Chebyshev polynomials of cos(phi); a coefficient of exactly 0 adds
// nothing.
inline double fourierEnergy(double v1, double v2, double v3, double v4, double f1, double f2,
                            double f3, double c, double phi, bool constV4) {
  double e = 0.0;
  if (v1 != 0.0) e += v1 * (1.0 + (f1 == 0.0 ? c : std::cos(phi + f1)));
  if (v2 != 0.0) e += v2 * (1.0 - (f2 == 0.0 ? 2.0 * c * c - 1.0 : std::cos(2.0 * phi + f2)));
  if (v3 != 0.0) e += v3 * (1.0 + (f3 == 0.0 ? c * (4.0 * c * c - 3.0) : std::cos(3.0 * phi + f3)));
  e *= 0.5;
  if (v4 != 0.0) {
    const double c2 = c * c;
    e += constV4 ? v4 : 0.5 * v4 * (1.0 - (8.0 * c2 * (c2 - 1.0) + 1.0));
  }
  return e;
}

// The Fourier torsion of entry n of state k of the solute dihedral list.
inline double fourierTerm(const Dihcom& d, std::size_t k, int n, double c, double phi,
                          bool constV4) {
  return fourierEnergy(d.V1[k](n), d.V2[k](n), d.V3[k](n), d.V4[k](n), d.F1[k](n), d.F2[k](n),
                       d.F3[k](n), c, phi, constV4);
}

// True when dihedral n carries a torsion energy: not a dihedral restraint (type 500) and
// its two torsion types do not sum to 0.
inline bool isTorsion(const Dihcom& d, int n) {
  return d.ITOR0(n) != kDihedralRestraintType && d.ITOR0(n) + d.ITOR1(n) != 0;
}

// The torsion energy of dihedral n of state k at phi, chopped at the chop value; 0 for
// an entry without a torsion energy.
inline double torsionTerm(const Dihcom& d, std::size_t k, int n, double phi) {
  if (!isTorsion(d, n)) return 0.0;
  return std::min(fourierTerm(d, k, n, std::cos(phi), phi, d.constV4 != 0), d.chop);
}

// Harmonic dihedral restraint (type 500) of entry n at phi: V4 (phi - V1)^2 with the
// reference-state parameters.
inline double dihedralRestraintTerm(const Dihcom& d, int n, double phi) {
  const double dp = phi - d.V1[0](n);
  return d.V4[0](n) * dp * dp;
}

// Intrasolute pair term sqi qj / r + sl (Ai Aj / r^6 - Ci Cj) / r^6, with r^2 bounded below
// by 1e-6; sqi is the first atom's charge already multiplied by the Coulomb scale factor
// of the pair (1-4 scale / DIELEC or 1 / DIELEC), sl the Lennard-Jones scale factor.
inline double pairTerm(double r2, double sqi, double qj, double sl, double ai, double aj, double ci,
                       double cj) {
  r2 = std::max(r2, kPairR2Floor);
  const double ri2 = 1.0 / r2;
  const double ri = std::sqrt(ri2);
  const double ri6 = ri2 * ri2 * ri2;
  return sqi * qj * ri + sl * (ai * aj * ri6 - ci * cj) * ri6;
}

// Coulomb and Lennard-Jones parts of a pair between two solute molecules: qid is the first
// atom's charge divided by DIELEC, krf the reaction-field constant (0 without).
struct InterPair {
  double coul = 0.0, lj = 0.0;
};
inline InterPair interPairTerm(double r2, double qid, double qj, double krf, double ai, double aj,
                               double ci, double cj) {
  r2 = std::max(r2, kPairR2Floor);
  const double ri2 = 1.0 / r2, ri6 = ri2 * ri2 * ri2;
  const double qq = qid * qj;
  return {qq * std::sqrt(ri2) + krf * r2 * qq, (ai * aj * ri6 - ci * cj) * ri6};
}

// Field factor q / r^3 of a charge at squared distance r2 (bounded below by 1e-6).
inline double fieldFactor(double r2, double q) {
  r2 = std::max(r2, kPairR2Floor);
  return q / (r2 * std::sqrt(r2));
}

}  // namespace veka
