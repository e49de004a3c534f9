// Downhill simplex (Nelder and Mead 1965).
//
// The simplex starts at the given point and the n points displaced from it along each
// axis by STEP * max(|x_i|, 1) (towards the lower bound when the upper one would be
// crossed). Each iteration reflects the highest vertex through the centroid of the
// others; a reflection better than the best vertex is extended twice as far, one still
// worse than the second-highest is replaced by a contraction halfway towards the
// centroid, and when even that fails the whole simplex shrinks halfway towards the best
// vertex. The run converges when the highest and lowest vertex values meet the
// fractional test; after maxIter iterations it stops with the LIMIT flag and
// "SIMPLEX EXCEEDED MAXIMUM ITERATION." on the listing.
#pragma once

#include "optimize/minimizers.hpp"

namespace veka::opt {

Result simplex(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io);

}  // namespace veka::opt
