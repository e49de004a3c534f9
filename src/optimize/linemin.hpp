// One-dimensional minimisation along a direction: bracketing by golden-section expansion
// with parabolic extrapolation, then Brent's parabolic interpolation with golden-section
// safeguards (Brent, Algorithms for Minimization without Derivatives, 1973).
#pragma once

#include "optimize/detail.hpp"

namespace veka::opt::detail {

// Relative tolerance of the Brent line minimisation on the step multiplier.
inline constexpr double LINE_TOL = 1e-6;

// Minimises f(p + t xi) over t from t = 0, where f(p) = f0: brackets a minimum by golden
// expansion with parabolic extrapolation, then refines it by Brent's method. The first
// trial is t = 1, or less so that no variable changes by more than 0.1 (A or radian):
// long trial moves of a molecule's coordinates only produce huge energies. On return
// p = p + t xi, xi = t xi (the step taken) and the value at the new point is returned.
// trial holds n values of scratch.
double lineMinimize(Counted& f, int n, double* p, double* xi, double f0, double* trial);

}  // namespace veka::opt::detail
