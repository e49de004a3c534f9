// Optimises a solute file in run mode 2 (project OPLS-AA force field, FTOL 1e-6, at most
// 50 cycles) and writes the optimised model in the format of tests/energy/energy_tool:
//
//   atom I Z MOL Q SIGMA EPS X Y Z           (Q unscaled, in e; optimised coordinates)
//   bond I J K R0                            (within one solute)
//   angle I J K KF THETA0_DEG                (within one solute)
//   torsion I J K L V1 V2 V3 V4 F1 F2 F3     (phases in degrees)
//   neighbour I J
//   pair I J FLAG14
//   setting dielec D scale14 C L constv4 0|1
//   restraint I J R0 K                       (distance restraints, reference state)
//   energy total E                           (the optimised energy)
//
// Usage: optimize_tool <solute file> [method keyword, default "BFGS "]
#include <cstdio>
#include <exception>
#include <string>

#include "driver_fixture.hpp"
#include "energy/model_dump.hpp"
#include "optimize/driver.hpp"

namespace {

using veka::State;

void writeOptimised(const State& s) {
  veka::test::writeModel(s, true);
  const auto& r = s.nbcon;
  for (int n = 1; n <= r.NBC; ++n)
    if (r.IBC(n) != 9999 && r.JBC(n) != 9999 && r.RBC0(n) >= 0.0)
      std::printf("restraint %d %d %.12g %.12g\n", r.IBC(n), r.JBC(n), r.RBC0(n), r.PBC1(n));
  std::printf("energy total %.12f\n", s.energy.EOLD);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: optimize_tool <solute file> [method]\n");
    return 2;
  }
  try {
    veka::test::GasJob::Options o;
    o.records = {{6, veka::test::record6(argc == 3 ? argv[2] : "BFGS ", 1e-6)}};
    o.runMode = 2;
    o.listLevel = 1;
    veka::test::GasJob job(veka::test::readFile(argv[1]), o);
    State& s = job.state();
    s.config.MXCON = 50;
    if (!veka::optmiz(s)) {
      std::fprintf(stderr, "the optimisation was refused\n");
      return 1;
    }
    writeOptimised(s);
  } catch (const veka::Stop&) {
    std::fprintf(stderr, "the run stopped\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
