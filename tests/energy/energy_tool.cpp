// Runs a solute file through the gas-phase set-up (project OPLS-AA force field) and writes
// what an independent engine needs to recompute its energies, and the program's own
// energies split by term:
//
//   atom I Z MOL Q SIGMA EPS X Y Z           (reference state; Q unscaled, in e)
//   bond I J K R0                            (the bond list)
//   angle I J K KF THETA0_DEG                (the angle list)
//   torsion I J K L V1 V2 V3 V4 F1 F2 F3     (dihedrals with a torsion term; phases in deg)
//   neighbour I J                            (covalent neighbours, I < J)
//   pair I J FLAG14                          (the intrasolute pair list)
//   setting dielec D scale14 C L constv4 0|1
//   energy NAME VALUE                        (bond angle torsion coul14 lj14 coul lj
//                                             intercoul interlj total)
//
// Usage: energy_tool <solute file>
#include <cstdio>
#include <exception>
#include <string>

#include "energy/eintra.hpp"
#include "energy/xxpot.hpp"
#include "gas_job.hpp"
#include "model_dump.hpp"

namespace {

using veka::State;

// Nonbonded sums of the reference state with the 1-4 scale factors and the Lennard-Jones
// coefficients switched on or off, through the program's own pair loop.
double pairSum(State& s, bool with14, bool withLj) {
  auto& p = s.potpar;
  const double c14 = p.SCL14C, l14 = p.SCL14L;
  auto a = p.A, c = p.C;
  if (!with14) p.SCL14C = p.SCL14L = 0.0;
  if (!withLj) p.A.fill(0.0), p.C.fill(0.0);
  const double e = veka::pairEnergy(s, 0);
  p.SCL14C = c14, p.SCL14L = l14, p.A = a, p.C = c;
  return e;
}

void writeEnergies(State& s) {
  const double total = veka::eintra(s, 0);
  const double all = pairSum(s, true, true), plain = pairSum(s, false, true);
  const double coulAll = pairSum(s, true, false), coul = pairSum(s, false, false);
  s.energy.selected = 1;
  veka::xxpot(s);
  const double coul14 = coulAll - coul;
  const double rows[] = {s.bndcom.EBNDNE[0],   s.angcom.EANGNE[0],
                         s.dihcom.EDIHNE[0],   coul14,
                         all - plain - coul14, coul,
                         plain - coul,         s.energy.EXXC,
                         s.energy.EXXL,        total};
  const char* names[] = {"bond", "angle", "torsion",   "coul14",  "lj14",
                         "coul", "lj",    "intercoul", "interlj", "total"};
  for (int k = 0; k < 10; ++k) std::printf("energy %s %.12f\n", names[k], rows[k]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: energy_tool <solute file>\n");
    return 2;
  }
  try {
    veka::test::GasJob job(veka::test::readFile(argv[1]));
    veka::test::writeModel(job.state(), false);
    writeEnergies(job.state());
  } catch (const veka::Stop&) {
    std::fprintf(stderr, "the set-up stopped\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
