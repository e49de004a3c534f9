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
#include "optimize/driver.hpp"

namespace {

using veka::State;

void writeModel(const State& s) {
  const auto& z = s.zmat;
  const auto& p = s.potpar;
  const auto& c = s.solcor.xyz[0];
  for (int i = 1; i <= z.NSATM; ++i)
    std::printf("atom %d %d %d %.10f %.10f %.10f %.15g %.15g %.15g\n", i, p.NAT[0](i),
                z.moleculeOf(i), p.QI[0](i), p.SIG[0](i), p.EPS[0](i), c.x(i), c.y(i), c.z(i));
  const auto& b = s.bndcom;
  // Bonds and angles between two solutes (intermolecular variables) carry no energy.
  auto across = [&](int i, int j) { return z.moleculeOf(i) != z.moleculeOf(j); };
  for (int n = 1; n <= b.NBND; ++n)
    if (!across(b.IB1(n), b.IB2(n)))
      std::printf("bond %d %d %.12g %.12g\n", b.IB1(n), b.IB2(n), b.KB[0](n), b.RB0[0](n));
  const auto& a = s.angcom;
  const double deg = 1.0 / s.misc.DTORAD;
  for (int n = 1; n <= a.NANG; ++n)
    if (!across(a.IA1(n), a.IA2(n)) && !across(a.IA2(n), a.IA3(n)))
      std::printf("angle %d %d %d %.12g %.15g\n", a.IA1(n), a.IA2(n), a.IA3(n), a.KA[0](n),
                  a.TH0[0](n) * deg);
  const auto& d = s.dihcom;
  for (int n = 1; n <= d.NDIH; ++n) {
    if (d.ITOR0(n) == 500 || d.ITOR0(n) + d.ITOR1(n) == 0) continue;
    std::printf("torsion %d %d %d %d %.12g %.12g %.12g %.12g %.12g %.12g %.12g\n", d.ID1(n),
                d.ID2(n), d.ID3(n), d.ID4(n), d.V1[0](n), d.V2[0](n), d.V3[0](n), d.V4[0](n),
                d.F1[0](n) * deg, d.F2[0](n) * deg, d.F3[0](n) * deg);
  }
  const auto& cn = s.covnbr;
  for (int i = 1; i <= z.NSATM; ++i)
    for (int k = 1; k <= cn.NNEB(i); ++k)
      if (cn.NEB(k, i) > i) std::printf("neighbour %d %d\n", i, cn.NEB(k, i));
  const auto& nb = s.nbcom;
  for (int n = 1; n <= nb.NPAIR; ++n)
    std::printf("pair %d %d %d\n", nb.NBI(n), nb.NBJ(n), nb.I14(n) & 1);
  std::printf("setting dielec %.15g scale14 %.15g %.15g constv4 %d\n", p.DIELEC, p.SCL14C, p.SCL14L,
              d.constV4);
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
    writeModel(s);
  } catch (const veka::Stop&) {
    std::fprintf(stderr, "the run stopped\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
