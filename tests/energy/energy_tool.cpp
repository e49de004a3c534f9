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
// With --optimise it first optimises the solutes (run mode 2, BFGS, FTOL 1e-6, at most 50
// cycles) and writes the model at the optimised geometry, leaving out bonds and angles
// between two solutes, then the distance restraints and the optimised energy:
//
//   restraint I J R0 K                       (reference state)
//   energy total E
//
// Usage: energy_tool <solute file> [--optimise]
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "energy/eintra.hpp"
#include "energy/xxpot.hpp"
#include "gas_job.hpp"
#include "model_dump.hpp"
#include "optimize/driver.hpp"
#include "optimize/driver_fixture.hpp"

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

void writeOptimised(State& s) {
  s.config.MXCON = 50;
  if (!veka::optmiz(s)) throw std::runtime_error("the optimisation was refused");
  veka::test::writeModel(s, true);
  const auto& r = s.nbcon;
  for (int n = 1; n <= r.NBC; ++n)
    if (r.IBC(n) != 9999 && r.JBC(n) != 9999 && r.RBC0(n) >= 0.0)
      std::printf("restraint %d %d %.12g %.12g\n", r.IBC(n), r.JBC(n), r.RBC0(n), r.PBC1(n));
  std::printf("energy total %.12f\n", s.energy.EOLD);
}

}  // namespace

int main(int argc, char** argv) {
  const bool optimise = argc == 3 && std::string(argv[2]) == "--optimise";
  if (argc != 2 && !optimise) {
    std::fprintf(stderr, "usage: energy_tool <solute file> [--optimise]\n");
    return 2;
  }
  try {
    veka::test::GasJob::Options o;
    if (optimise)
      o.records = {{6, veka::test::record6("BFGS ", 1e-6)}}, o.runMode = 2, o.listLevel = 1;
    veka::test::GasJob job(veka::test::readFile(argv[1]), o);
    if (optimise) {
      writeOptimised(job.state());
    } else {
      veka::test::writeModel(job.state(), false);
      writeEnergies(job.state());
    }
  } catch (const veka::Stop&) {
    std::fprintf(stderr, "the set-up stopped\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
