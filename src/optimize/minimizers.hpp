// Minimisers of the gas-phase optimiser.
//
// Seven methods minimise an objective over n <= MAXOPT variables with lower and upper
// bounds per variable:
//
//   0 simplex   downhill simplex (Nelder-Mead)                         no gradient
//   1 powell    Powell direction set, bracketing and Brent line search  no gradient
//   2 hooke     Hooke-Jeeves pattern search with clamping to the bounds no gradient
//   3 flepo     Fletcher-Powell (Davidon-Fletcher-Powell) variable metric  gradient
//   4 bfgs      BFGS quasi-Newton with a backtracking line search          gradient
//   5 congrd    Polak-Ribiere conjugate gradient                           gradient
//   8 siman     simulated annealing inside the bounds                 no gradient
//
// Only the pattern search and the annealing use the bounds; the others accept them and
// leave the variables free (the driver checks the geometry afterwards).
//
// Each method is declared, with its algorithm, in its own header (optimize/simplex.hpp,
// powell.hpp, hooke.hpp, flepo.hpp, bfgs.hpp, congrd.hpp, siman.hpp); this header holds
// what they share and `minimize`, which runs one of them by its number.
//
// Every method works in a Workspace the caller creates once; nothing is allocated during
// a run. The point is taken from and returned in Problem::x: on every return (normal,
// limit reached, line-search failure) it holds the best point the method has, so the
// caller can go on from it. Refusals (too many variables, invalid annealing settings or
// start) leave it unchanged.
//
// Messages. BFGS writes its two failure messages list-directed on standard output. All
// other messages (iteration limits, refusals, the annealing's settings and results) are
// written on the main listing, list-directed with one leading blank.
//
// Meaning of Settings::tol per method:
//   simplex, powell, flepo, congrd: fractional decrease of the objective,
//       converged when 2|f_old - f_new| <= tol (|f_old| + |f_new| + 1e-10);
//       for the simplex f_old, f_new are its highest and lowest vertex, for the others
//       the values before and after one iteration; congrd also needs the gradient test
//       of bfgs, against sqrt(tol), at the new point.
//   hooke: the relative step length, which starts at rho and is multiplied by rho
//       together with the steps, ends the search when it falls to tol.
//   bfgs: gradient test max_i |g_i| max(|x_i|, 1) / max(f, 1) < tol.
//   siman: convergence criterion on the objective between temperatures.
//
// Result::iterations counts simplex steps, Powell sweeps through the directions, pattern-
// search sweeps, line searches of Fletcher-Powell, BFGS and conjugate gradients, and the
// temperatures of the annealing.
#pragma once

#include <array>

#include "montecarlo/random.hpp"
#include "state/capacities.hpp"
#include "state/io.hpp"

namespace veka::opt {

inline constexpr int NMAX = MAXOPT;  // largest number of variables

// Method numbers of the command section.
enum Method : int {
  SIMPLEX = 0,
  POWELL = 1,
  HOOKE = 2,
  FLEPO = 3,
  BFGS = 4,
  CONGRD = 5,
  SIMAN = 8,
};

// Error flag of a Result.
enum ErrorFlag : int {
  OK = 0,       // converged
  LIMIT = 1,    // iteration or evaluation limit reached, or the line search failed
  REFUSED = 2,  // nothing done: too many variables, invalid settings or start
};

// The function to minimise. x and g hold n values, x[0] .. x[n-1].
class Objective {
 public:
  virtual ~Objective() = default;
  virtual double value(const double* x) = 0;
  // Gradient dvalue/dx into g; called by the gradient methods only.
  virtual void gradient(const double* x, double* g) = 0;
};

// Uniform random numbers in [0, 1) for the annealing.
class Uniform {
 public:
  virtual ~Uniform() = default;
  virtual double next() = 0;
};

// The annealing draws from the program's random-number stream.
class StreamUniform final : public Uniform {
 public:
  explicit StreamUniform(Rands& r) : r_(&r) {}
  double next() override { return ranu(*r_); }

 private:
  Rands* r_;
};

// The variables and their bounds (all three required, whether or not the method uses the
// bounds).
struct Problem {
  int n = 0;                      // number of variables, 0 .. NMAX
  double* x = nullptr;            // start in, result out
  const double* lower = nullptr;  // lower bounds, n values
  const double* upper = nullptr;  // upper bounds, n values
};

struct Settings {
  double tol = 1e-5;   // convergence tolerance; meaning per method above
  int maxIter = 2000;  // iteration limit of simplex, Powell, Hooke-Jeeves, FP, CG
  double rho = 0.5;    // step-reduction factor of the pattern search (outside (0, 1): 0.5)
  // Simulated annealing.
  long long saMaxEval = 1000000;  // maximum number of function evaluations
  int saIter = 5;                 // iterations before each temperature reduction
  double saT0 = 5.0;              // initial temperature (objective units)
  double saFactor = 0.5;          // temperature reduction factor, 0 < factor < 1
};

struct Result {
  int iterations = 0;       // method's own iterations (see each method)
  double value = 0.0;       // objective at the returned point
  long long functions = 0;  // objective evaluations
  long long gradients = 0;  // gradient evaluations
  int error = OK;           // ErrorFlag
};

// Work arrays of all methods, sized for NMAX variables. Create once and reuse.
struct Workspace {
  // BFGS and FP inverse Hessian (n x n), Powell directions (n x n), simplex vertices
  // ((n + 1) x n); stored row by row with leading dimension n.
  std::array<double, (NMAX + 1) * NMAX> mat;
  std::array<double, NMAX + 1> vals;            // simplex vertex values
  std::array<std::array<double, NMAX>, 7> vec;  // work vectors
  // The stream the annealing draws from: the program's (set by the caller) or, when
  // none is set, the workspace's own generator.
  Rands* stream = nullptr;
  Rands ownStream;
  Rands& rands() { return stream ? *stream : ownStream; }
};

// The method of the given number; an unknown number (6, 7, ...) is refused.
Result minimize(int method, Objective& f, const Problem& p, const Settings& s, Workspace& ws,
                Io& io);

// The pattern search's penalty for variables outside their bounds:
// 1000 * sum over those variables of (1 + d^2), d = distance beyond the bound.
double boundPenalty(int n, const double* x, const double* lower, const double* upper);

}  // namespace veka::opt
