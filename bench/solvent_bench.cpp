// The solvent-solvent energy on 512 TIP4P molecules at 1 g/cm3 (edge 24.83 A), RCUT 8.5 A:
// one molecule's row against the other 511 (the work of one solvent move), the same row
// against a neighbour list of radius RCUT + 1.5 A, and the full energy of the box (all
// pairs into the stored pair energies; `enmtx` with no solute).
//
// The box: oxygens on an 8 x 8 x 8 lattice, each molecule turned at random (TIP4P
// geometry: O-H 0.9572 A, H-O-H 104.52 degrees, O-M 0.15 A on the bisector); site
// parameters from the project's force field through the parameter assignment.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "energy/solution.hpp"
#include "molecule/params.hpp"
#include "state/state.hpp"

namespace {

using veka::State;

constexpr int kSide = 8, kMol = kSide * kSide * kSide;
constexpr double kEdge = 24.83;

// A parameter file for the parameter assignment: a 71-line command section, then the
// project's force-field table (whose two header lines are records 72 and 73).
std::string parameterFile() {
  const std::string path = "/tmp/veka_solvent_bench.par";
  std::ifstream ff(std::string(VEKA_DATA_DIR) + "/forcefield/opls-aa.par");
  std::stringstream table;
  table << ff.rdbuf();
  std::ofstream out(path);
  for (int k = 0; k < 71; ++k) out << "bench\n";
  out << table.str();
  return path;
}

void placeWater(State& s, int n, const double o[3], std::mt19937& g) {
  std::normal_distribution<double> nd;
  double u[3], v[3];  // random orthonormal pair: bisector and in-plane direction
  for (double& x : u) x = nd(g);
  for (double& x : v) x = nd(g);
  const double nu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  for (double& x : u) x /= nu;
  const double d = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  for (int k = 0; k < 3; ++k) v[k] -= d * u[k];
  const double nv = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (double& x : v) x /= nv;
  const double half = 0.5 * 104.52 * M_PI / 180.0, c = 0.9572 * std::cos(half);
  const double w = 0.9572 * std::sin(half);
  const double site[4][3] = {{0, 0, 0}, {c, w, 0}, {c, -w, 0}, {0.15, 0, 0}};
  for (int j = 0; j < 4; ++j) {
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = o[k] + site[j][0] * u[k] + site[j][1] * v[k];
    s.coord.X(n, j + 1) = p[0], s.coord.Y(n, j + 1) = p[1], s.coord.Z(n, j + 1) = p[2];
  }
}

std::unique_ptr<State> box() {
  auto st = std::make_unique<State>();
  State& s = *st;
  if (s.io.parfile.open(parameterFile(), veka::OpenStatus::Old) != 0) std::abort();
  s.sol.code(1) = 2;
  s.sol.nsites(1) = 4;
  veka::assignSolventSites(s);
  s.coord.NMOL = kMol;
  for (int k = 1; k <= 3; ++k) s.coord.EDGE(k) = kEdge, s.coord.HALF(k) = 0.5 * kEdge;
  std::mt19937 g(2024);
  const double a = kEdge / kSide;
  for (int n = 0; n < kMol; ++n) {
    const double o[3] = {(n % kSide + 0.5) * a - 0.5 * kEdge,
                         (n / kSide % kSide + 0.5) * a - 0.5 * kEdge,
                         (n / (kSide * kSide) + 0.5) * a - 0.5 * kEdge};
    placeWater(s, n + 1, o, g);
  }
  s.cutoff.RCUT = s.cutoff.SCUT = 8.5;
  veka::prepareSolventEnergy(s);
  return st;
}

State& shared() {
  static std::unique_ptr<State> s = box();
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
