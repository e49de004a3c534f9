// Powell's direction-set method (Powell 1964) with the direction-replacement rule of
// Brent (1973).
//
// The directions start as the unit vectors. Each iteration minimises along every
// direction in turn (bracketing plus Brent, starting with a unit step multiplier), then
// considers the average direction of the iteration: when extrapolating twice as far along
// it still lowers the objective, and the curvature test does not forbid it, a line
// minimisation is made along it and it replaces the direction of the largest single
// decrease. The run converges when an iteration's decrease meets the fractional test;
// after maxIter iterations it stops with the LIMIT flag and
// "POWELL EXCEEDING MAXIMUM NUMBER OF ITER" on the listing.
#pragma once

#include "optimize/minimizers.hpp"

namespace veka::opt {

Result powell(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io);

}  // namespace veka::opt
