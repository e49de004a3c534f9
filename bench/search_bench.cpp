// Conformational searches, set up by the real command-section reader and gas-phase set-up
// with the project's OPLS-AA files and the example's command section: n-pentane
// (data/examples/pentane: 17 atoms, 45 variables, eight dihedrals sampled) and n-heptane
// (tests/search/data/heptane.z: 23 atoms, 63 variables, fourteen dihedrals sampled); a whole
// search of 100 tries by run mode 5 and by run mode 6 (listing to /dev/null, no UPFILE),
// from the same start and random stream each time. Reported: tries per second and the
// conformers found.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "input/command.hpp"
#include "input/setup.hpp"
#include "search/search.hpp"
#include "state/state.hpp"

namespace {

using namespace veka;

constexpr int kTries = 100;

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::unique_ptr<State> job(int mode, const std::string& solute) {
  auto s = std::make_unique<State>();
  const std::string data = VEKA_DATA_DIR;
  const std::string example = data + "/examples/pentane/";
  s->io.parfile.openText(
      readText(example + "command.txt") + readText(data + "/forcefield/opls-aa.par"), "par");
  s->io.bangfil.openText(readText(data + "/forcefield/opls-aa-bonded.par"), "bang");
  s->io.zmatfile.openText(readText(solute), "zmat");
  s->io.output.open("/dev/null", OpenStatus::Unknown);
  s->control.runMode = mode;
  s->control.startFlag = 1;
  s->io.listLevel = 1;
  s->geom.noPert = 1;
  readCommandSection(*s);
  setupGasPhase(*s);
  s->config.MXCON = kTries;
  return s;
}

void searchRun(benchmark::State& st, int mode, const std::string& solute) {
  auto s = job(mode, solute);
  const Zmat start = s->zmat;
  const SearchSet settings = s->search;
  for (auto _ : st) {
    st.PauseTiming();
    s->zmat = start;
    s->search = settings;
    s->rands = Rands{};
    st.ResumeTiming();
    search(*s);
  }
  st.counters["tries/s"] = benchmark::Counter(static_cast<double>(kTries) * st.iterations(),
                                              benchmark::Counter::kIsRate);
  st.counters["conformers"] = s->csrch.NCONF;
}

const std::string kPentane = std::string(VEKA_DATA_DIR) + "/examples/pentane/pentane.z";
const std::string kHeptane = std::string(VEKA_DATA_DIR) + "/../tests/search/data/heptane.z";

void BM_SearchPentaneMode5(benchmark::State& st) {
  searchRun(st, 5, kPentane);
}
void BM_SearchPentaneMode6(benchmark::State& st) {
  searchRun(st, 6, kPentane);
}
void BM_SearchHeptaneMode5(benchmark::State& st) {
  searchRun(st, 5, kHeptane);
}
void BM_SearchHeptaneMode6(benchmark::State& st) {
  searchRun(st, 6, kHeptane);
}
BENCHMARK(BM_SearchPentaneMode5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchPentaneMode6)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchHeptaneMode5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchHeptaneMode6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
