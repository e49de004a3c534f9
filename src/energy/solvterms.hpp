// The arithmetic of one solvent pair term, shared by the reference pair routines (`wwpot`,
// `sspot`) and the one-at-a-time path of the row kernel, so that both compute every term
// with the same operations in the same order. The wide paths of the row kernel repeat these
// operations lane by lane (solvrow_simd.cpp).
#pragma once

#include <cmath>

#include "energy/solvrow.hpp"

namespace veka::solv {

// |d|, less one edge when it exceeds the half edge (`on` false: no image on this axis).
inline double imaged(double d, double half, double edge, bool on) {
  d = std::fabs(d);
  return on && d > half ? d - edge : d;
}

// The edge by which a stored molecule is moved to its nearest image along one axis, from
// t = (moving first site) - (stored first site): +edge when t > half, -edge when t < -half.
inline double shiftOf(double t, double half, double edge, bool on) {
  if (!on || std::fabs(t) <= half) return 0.0;
  return t > 0.0 ? edge : -edge;
}

// r^2 summed in the order z, x, y.
inline double sumZxy(double dz, double dx, double dy) {
  return dz * dz + dx * dx + dy * dy;
}

// (A / r^6 - C) / r^6 from 1/r^2.
inline double ljTerm(double aa, double cc, double ri2) {
  const double ri6 = ri2 * ri2 * ri2;
  return (aa * ri6 - cc) * ri6;
}

// q_i q_j / r, or with the reaction field q_i q_j (1/r + k_rf r^2); 1/r = sqrt(1/r^2).
inline double coulombTerm(double qq, double ri2, double r2, const RowBox& b) {
  const double ri = std::sqrt(ri2);
  return b.rf ? qq * (ri + b.krf * r2) : qq * ri;
}

// The feathering factor (RCUT^2 - r^2) / (RCUT^2 - (RCUT - 0.5)^2) of a cutoff r^2 at or
// past the feathering start, else 1 (exactly 1 at the start itself).
inline double featherFactor(double r2, const RowBox& b) {
  return r2 >= b.featherStart ? (b.rc2 - r2) / b.featherDen : 1.0;
}

}  // namespace veka::solv
