// Fletcher-Powell variable-metric minimiser (Davidon 1959; Fletcher and Powell 1963).
//
// The inverse Hessian H starts as the identity. Each iteration minimises exactly along
// -H g (bracketing plus Brent) and then applies the Davidon-Fletcher-Powell update
//   H += s s^T / (s.y) - (H y)(H y)^T / (y.H y),   s = step, y = gradient change,
// skipped when the curvature s.y is not safely positive (s.y <= sqrt(EPS |s|^2 |y|^2)).
// Should -H g stop pointing downhill H is reset to the identity. The run converges when
// an iteration's decrease meets the fractional test or the gradient is exactly zero;
// after maxIter iterations it stops with the LIMIT flag and
// "FLETCHER-POWELL EXCEEDED MAXIMUM ITERATION." on the listing.
#pragma once

#include "optimize/minimizers.hpp"

namespace veka::opt {

Result flepo(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io);

}  // namespace veka::opt
