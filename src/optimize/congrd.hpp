// Conjugate-gradient minimiser, Polak-Ribiere form with the non-negative restart
// (beta = max(0, g1.(g1 - g0) / g0.g0); Polak and Ribiere 1969, Powell 1986).
//
// Each iteration minimises exactly along the current direction (bracketing plus Brent)
// and builds the next direction from the new gradient; a direction that is not downhill
// is replaced by steepest descent. The run converges when an iteration's decrease meets
// the fractional test and the gradient at the new point the scaled test of BFGS,
// max_i |g_i| max(|x_i|, 1) / max(f, 1) below the square root of the tolerance, or when
// the gradient is exactly zero; after maxIter iterations it stops with the LIMIT flag and
// "CONGRD EXCEEDED MAXIMUM ITERATION." on the listing. The decrease alone ends a run too
// early on an ill-conditioned energy, such as a molecule's stiff bonds beside the soft
// rotations of a complex, where a step along a poor direction decreases it very little.
// The gradient is asked for the square root of the tolerance only: a line minimisation
// from values locates its minimum to about the square root of the precision of the
// values, so the gradient along the line cannot be brought much lower.
#pragma once

#include "optimize/minimizers.hpp"

namespace veka::opt {

Result congrd(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io);

}  // namespace veka::opt
