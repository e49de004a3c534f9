// Hooke-Jeeves pattern search (Hooke and Jeeves 1961) inside the bounds.
//
// Each variable has its own step, initially |rho x_i| (rho when x_i = 0). An exploratory
// sweep tries each variable in turn: one step in the current sign, and when that does not
// lower the objective one step in the opposite sign (which then becomes the sign kept);
// when neither lowers it the variable keeps its value. After a successful sweep from the
// base point a pattern move jumps as far again along the base-to-new displacement and
// explores there; pattern moves continue while they keep lowering the objective and
// actually move (some variable by more than half its step), and a pattern move whose
// sweep finds nothing lower falls back to the previous base. Whenever the last sweep
// found no improvement every step, and the relative step length (starting at rho), is
// multiplied by rho; the search ends when the relative step length has fallen to the
// tolerance, and after maxIter iterations (exploratory sweeps, from a base or from a
// pattern point) with the LIMIT flag and "MAXIMUM ITERATION IN HOOKE." on the listing.
//
// Every trial point is clamped to the bounds. The objective searched is the function plus
// boundPenalty(), which is non-zero only for a start outside the bounds and drives the
// search into them.
//
// One addition to the textbook search: a pattern sequence that ends because its last
// improvement moved no variable by half a step keeps that improved point as the new base.
#pragma once

#include "optimize/minimizers.hpp"

namespace veka::opt {

Result hooke(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io);

}  // namespace veka::opt
