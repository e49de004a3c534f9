// Prints the program's random-number stream in the layout of ranref.f90 for
// random_check.py: arguments seed and count; per draw the draw number, the seed after it,
// ICON, ICHG and the number. Odd draws go through ranu, even ones through RanuLocal, so
// the comparison covers both forms.
#include <cstdio>
#include <cstdlib>

#include "montecarlo/random.hpp"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  veka::Rands r;
  veka::seedRands(r, std::atoi(argv[1]));
  const long n = std::atol(argv[2]);
  for (long k = 1; k <= n; ++k) {
    double x = 0.0;
    if (k % 2 == 1) {
      x = veka::ranu(r);
    } else {
      veka::RanuLocal local(r);
      x = local.next();
    }
    std::printf("%8ld %8d %10d %6d %24.16E\n", k, r.seed, r.ICON, r.ICHG, x);
  }
  return 0;
}
