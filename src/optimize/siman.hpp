// Simulated annealing for continuous variables inside bounds (Corana, Marchesi, Martini
// and Ridella, ACM TOMS 13 (1987) 262).
//
// At each temperature T the search makes saIter rounds of NS cycles; a cycle moves every
// variable in turn by a uniform random amount within +-v_i (a move past a bound is
// replaced by a uniform draw between the bounds) and accepts it by the Metropolis test
// exp(-(f_new - f)/T). After each round every step v_i is adapted to aim at half of its
// moves accepted: above 60 % accepted v_i grows by 1 + C (r - 0.6) / 0.4, below 40 % it
// shrinks by the same rule, and it never exceeds the width of the bounds. After the
// rounds of one temperature the search stops when the current value lies within the
// tolerance of the best one and of the values at the end of the last NEPS temperatures;
// otherwise T is multiplied by saFactor and the search restarts from the best point.
// Reaching saMaxEval evaluations stops it with the LIMIT flag. The best point is returned.
//
// Constants: NS = 20 cycles per round, NEPS = 4 temperatures in the stopping test,
// C = 2 step-adaptation factor (the values recommended by Corana et al.); initial steps
// v_i = min(1, upper_i - lower_i).
//
// Settings and results are written to the listing. Refused (REFUSED, nothing evaluated):
// a non-positive initial temperature, a reduction factor outside (0, 1), a non-positive
// number of iterations or evaluations, a start outside the bounds.
#pragma once

#include "optimize/minimizers.hpp"

namespace veka::opt {

Result siman(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io,
             Uniform& random);
// Annealing with the workspace's own generator.
inline Result siman(Objective& f, const Problem& p, const Settings& s, Workspace& ws, Io& io) {
  StreamUniform u(ws.rands());
  return siman(f, p, s, ws, io, u);
}

}  // namespace veka::opt
