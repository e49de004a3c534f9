// The solvent-solvent energy on 512 TIP4P molecules at 1 g/cm3 (edge 24.83 A), RCUT 8.5 A:
// one molecule's row against the other 511 (the work of one solvent move), the same row
// against a neighbour list of radius RCUT + 1.5 A, and the full energy of the box (all
// pairs into the stored pair energies; `enmtx` with no solute).
// (The box: water_box.hpp.)
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "water_box.hpp"

namespace {

using bench::kEdge;
using bench::kMol;
using veka::State;

State& shared() {
  static std::unique_ptr<State> s = bench::box();
  return *s;
}

// Row of molecule k against all others, k cycling through the box; arg: width.
void BM_SolventRow(benchmark::State& b) {
  State& s = shared();
  std::vector<double> out(kMol);
  int k = 0, kept = 0;
  for (auto _ : b) {
    k = k % kMol + 1;
    benchmark::DoNotOptimize(
        veka::solventRowAll(s, veka::storedMolecule(s, k), k, out.data(), int(b.range(0))));
    benchmark::ClobberMemory();
  }
  for (double e : out) kept += e != 0.0;
  b.counters["interacting"] = kept;
}
BENCHMARK(BM_SolventRow)->Arg(1)->Arg(4)->Arg(8);

// The same row against each molecule's neighbours within RCUT + 1.5 A (first sites).
void BM_SolventRowList(benchmark::State& b) {
  State& s = shared();
  std::vector<std::vector<std::int16_t>> lists(kMol + 1);
  const double r2 = 10.0 * 10.0;
  for (int i = 1; i <= kMol; ++i)
    for (int j = 1; j <= kMol; ++j) {
      double d2 = 0.0;
      const double dd[3] = {s.coord.X(i, 1) - s.coord.X(j, 1), s.coord.Y(i, 1) - s.coord.Y(j, 1),
                            s.coord.Z(i, 1) - s.coord.Z(j, 1)};
      for (double d : dd) {
        d = std::fabs(d);
        if (d > 0.5 * kEdge) d -= kEdge;
        d2 += d * d;
      }
      if (i != j && d2 <= r2) lists[std::size_t(i)].push_back(std::int16_t(j));
    }
  std::vector<double> out(kMol);
  int k = 0;
  double listed = 0;
  for (auto _ : b) {
    k = k % kMol + 1;
    const auto& l = lists[std::size_t(k)];
    benchmark::DoNotOptimize(veka::solventRowList(s, veka::storedMolecule(s, k), l.data(),
                                                  int(l.size()), out.data(), int(b.range(0))));
    benchmark::ClobberMemory();
    listed += double(l.size());
  }
  b.counters["listed"] = benchmark::Counter(listed, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SolventRowList)->Arg(1)->Arg(8);

// Every pair into the stored pair energies.
void BM_SolventPairMatrix(benchmark::State& b) {
  State& s = shared();
  for (auto _ : b) benchmark::DoNotOptimize(veka::solventSolventEnergy(s));
  b.counters["ESS"] = s.energy.ESSNEW = veka::solventSolventEnergy(s);
}
BENCHMARK(BM_SolventPairMatrix)->Unit(benchmark::kMicrosecond);

// The full energy of the configuration (no solute).
void BM_FullEnergy(benchmark::State& b) {
  State& s = shared();
  for (auto _ : b) {
    veka::enmtx(s);
    benchmark::DoNotOptimize(s.energy.EOLD);
  }
  b.counters["EOLD"] = s.energy.EOLD;
}
BENCHMARK(BM_FullEnergy)->Unit(benchmark::kMicrosecond);

}  // namespace
