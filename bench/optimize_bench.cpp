// Gas-phase optimisation of 1-octanol (27 atoms; every bond, angle and dihedral variable:
// 75 variables) with BFGS from the displaced start of tests/optimize/data/octanol.z, set
// up by the real command-section reader and gas-phase set-up with the project's OPLS-AA
// files. The whole optimisation (cycles, pair-list rebuilds, result listing to
// /dev/null), one energy evaluation and one gradient; and the same optimisation of
// C50H102 (152 atoms, 450 variables, the largest vector allowed).
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "energy/nbpair.hpp"
#include "input/command.hpp"
#include "input/setup.hpp"
#include "molecule/geometry.hpp"
#include "optimize/driver.hpp"
#include "optimize/variables.hpp"
#include "state/state.hpp"

namespace {

using namespace veka;

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A command section for a gas-phase job: BFGS, FTOL 0.001, no solvent.
std::string commandSection() {
  static const char* kData[35] = {
      "NONE     0.0000",
      "NONEOPLS 0.00  0  0  0",
      "ZMAT ",
      "NONE           ",
      "   0    0.0000    0.0000",
      "BFGS    0.001000FULL         0       0    0.0000    0.0000",
      "00000000    0.0000    0.0000    0.0000    0.0000    0.0000    0.0000",
      "  0  0  0    0.0000    0.0000",
      "   0   0  0.00",
      "NONE    0",
      "  1  1  1  0  0  0  0  0",
      "  1  1",
      "  2",
      "  0  0  0  0  0  0  0  0  0",
      "  0  0",
      "  0",
      "  0",
      "  0",
      "  0",
      "    0.0000    0.0000",
      "    0.0000    0.0000",
      "    0.0000    0.0000",
      "    0.0000    0.0000",
      "    0.0000    0.0000",
      "999999     1    15     0",
      "999999     0     0     0",
      "    0.0000    0.0000",
      "    0.1500   15.0000    0.0000",
      "    0.1000   10.0000",
      "    0.1000   10.0000",
      "   0    0.0000    0.0000",
      "   12.0000   12.0000  100.0000   0",
      "   25.0000    1.0000    0.0000    1.0000",
      "    1.0000    2.0000    2.0000    1.0000",
      "NONE    1     0.0000     0.0000"};
  std::string s = "optimiser benchmark\n";
  for (const char* d : kData) s += std::string(" record\n") + d + "\n";
  return s;
}

// A set-up run-mode-2 job of a solute file of the optimiser tests.
std::unique_ptr<State> job(const std::string& file) {
  auto s = std::make_unique<State>();
  const std::string data = VEKA_DATA_DIR;
  s->io.parfile.openText(commandSection() + readText(data + "/forcefield/opls-aa.par"), "par");
  s->io.bangfil.openText(readText(data + "/forcefield/opls-aa-bonded.par"), "bang");
  s->io.zmatfile.openText(readText(data + "/../tests/optimize/data/" + file), "zmat");
  s->io.output.open("/dev/null", OpenStatus::Unknown);
  s->control.runMode = 2;
  s->io.listLevel = 1;
  s->geom.noPert = 1;
  readCommandSection(*s);
  setupGasPhase(*s);
  s->config.MXCON = 50;
  return s;
}

// The Z-matrix values and the pair list of the start, put back before each run.
struct Start {
  Zmat zmat;
  explicit Start(const State& s) : zmat(s.zmat) {}
  void restore(State& s) const {
    s.zmat = zmat;
    makmol(s.solcor.xyz[0], s.zmat);
    renbpr(s, true);
  }
};

void optimise(benchmark::State& st, const std::string& file) {
  auto s = job(file);
  const auto start = std::make_unique<Start>(*s);
  double energy = 0.0;
  long long energies = 0, gradients = 0;
  for (auto _ : st) {
    st.PauseTiming();
    start->restore(*s);
    st.ResumeTiming();
    optmiz(*s);
    energy = s->energy.EOLD;
    energies = s->optim->energies;
    gradients = s->optim->gradients;
  }
  st.counters["variables"] = s->optim->nvar;
  st.counters["energies"] = static_cast<double>(energies);
  st.counters["gradients"] = static_cast<double>(gradients);
  st.counters["E_kcal"] = energy;
}

void BM_BfgsOctanol(benchmark::State& st) {
  optimise(st, "octanol.z");
}
BENCHMARK(BM_BfgsOctanol)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BfgsC50H102(benchmark::State& st) {
  optimise(st, "c50.z");
}
BENCHMARK(BM_BfgsC50H102)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnergyOctanol(benchmark::State& st) {
  auto s = job("octanol.z");
  collectVariables(*s);
  for (auto _ : st) {
    s->optim->built = false;  // a full rebuild, as after a change of an early variable
    benchmark::DoNotOptimize(energyAt(*s, s->optim->xa.data()));
  }
}
BENCHMARK(BM_EnergyOctanol)->Unit(benchmark::kMicrosecond);

void BM_GradientOctanol(benchmark::State& st) {
  auto s = job("octanol.z");
  collectVariables(*s);
  double g[MAXOPT];
  for (auto _ : st) {
    gradientAt(*s, s->optim->xa.data(), g);
    benchmark::DoNotOptimize(g[0]);
  }
}
BENCHMARK(BM_GradientOctanol)->Unit(benchmark::kMicrosecond);

}  // namespace
