// Trajectory frames of the 512-TIP4P box of water_box.hpp with a 17-atom solute (2065
// atoms, 24.8 kB a frame): `writeFrame` as the block calls it, filling the frame buffer
// and writing it and the new frame count to a file in the temporary folder (page cache; the
// file is rewritten from its first frame every 1000 frames so that it stays small).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "montecarlo/trajectory.hpp"
#include "water_box.hpp"

namespace {

using veka::State;

void BM_TrajectoryFrame(benchmark::State& bs) {
  auto st = bench::box();
  State& s = *st;
  s.zmat.NSATM = 17;
  s.zmat.NSOLUT = 1;
  s.zmat.first(1) = 1;
  s.zmat.last(1) = 17;
  for (int i = 1; i <= 17; ++i) {
    s.zmat.ITYPE(i) = 1;
    s.potpar.NAT[0](i) = i % 3 == 0 ? 6 : 1;
    s.solcor.xyz[0].x(i) = 0.5 * i;
  }
  const std::string base = "/tmp/veka_trajectory_bench" + std::to_string(::getpid());
  s.traj.name = base;
  s.control.runMode = 1;
  s.config.NSAVE = 999999;
  s.config.MXCON = 1000000;
  veka::openTrajectory(s);
  for (auto _ : bs) {
    veka::writeFrame(s);
    if (s.traj.frames == 1000) s.traj.frames = 0;
  }
  bs.counters["atoms"] = s.traj.atoms;
  bs.counters["bytes"] = static_cast<double>(s.traj.frame.size());
  veka::closeTrajectory(s);
  std::remove((base + ".dcd").c_str());
  std::remove((base + ".pdb").c_str());
}
BENCHMARK(BM_TrajectoryFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
