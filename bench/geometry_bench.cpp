// Z-matrix geometry on a solute of the full capacity: building 4500 atoms from their
// internal coordinates (makmol) and superimposing 4500 points (qtrf), as a solute move
// does once per attempt.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

#include "molecule/geometry.hpp"
#include "state/solute.hpp"

namespace veka {
namespace {

constexpr double kDeg = 3.141592653589793 / 180.0;

// A branched, protein-like Z-matrix of MAXATM atoms: each atom hangs on one of the last
// few atoms, with tetrahedral-ish angles and random dihedrals.
std::unique_ptr<Zmat> bigZmatrix() {
  auto z = std::make_unique<Zmat>();
  std::mt19937_64 g(42);
  std::uniform_int_distribution<int> back(1, 6);
  std::uniform_real_distribution<double> bond(1.0, 1.6), angle(100.0, 125.0), dih(-180.0, 180.0);
  z->NSATM = MAXATM;
  for (int i = 2; i <= MAXATM; ++i) {
    z->IZ1(i) = std::max(1, i - back(g));
    z->BND(i) = bond(g);
    if (i >= 3) {
      z->IZ2(i) = z->IZ1(i) > 1 ? z->IZ1(i) - 1 : 2;
      if (z->IZ2(i) == z->IZ1(i) || z->IZ2(i) >= i) z->IZ2(i) = z->IZ1(i) == 1 ? 2 : 1;
      z->ANG(i) = angle(g) * kDeg;
    }
    if (i >= 4) {
      int l = z->IZ2(i) > 1 ? z->IZ2(i) - 1 : 3;
      while (l == z->IZ1(i) || l == z->IZ2(i) || l >= i) l = l % (i - 1) + 1;
      z->IZ3(i) = l;
      z->DIH(i) = dih(g) * kDeg;
    }
  }
  return z;
}

void BM_makmol(benchmark::State& state) {
  const auto z = bigZmatrix();
  auto out = std::make_unique<Xyz>();
  for (auto _ : state) {
    makmol(*out, *z);
    benchmark::DoNotOptimize(out->x(MAXATM));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MAXATM);
}
BENCHMARK(BM_makmol)->Unit(benchmark::kMicrosecond);

// A solute move that changed the dihedral of the middle atom: only atoms 2250..4500 are
// rebuilt.
void BM_makmolFromMiddle(benchmark::State& state) {
  const auto z = bigZmatrix();
  auto out = std::make_unique<Xyz>();
  makmol(*out, *z);
  for (auto _ : state) {
    makmolFrom(*out, workingView(*z), MAXATM / 2);
    benchmark::DoNotOptimize(out->x(MAXATM));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MAXATM / 2);
}
BENCHMARK(BM_makmolFromMiddle)->Unit(benchmark::kMicrosecond);

void BM_qtrf(benchmark::State& state) {
  const auto z = bigZmatrix();
  auto ref = std::make_unique<Xyz>();
  auto start = std::make_unique<Xyz>();
  auto mov = std::make_unique<Xyz>();
  makmol(*ref, *z);
  // The moving set: the reference turned by 30 degrees about z and shifted.
  const double c = std::cos(30.0 * kDeg), s = std::sin(30.0 * kDeg);
  for (int i = 1; i <= MAXATM; ++i) {
    start->x(i) = c * ref->x(i) - s * ref->y(i) + 3.0;
    start->y(i) = s * ref->x(i) + c * ref->y(i) - 1.0;
    start->z(i) = ref->z(i) + 2.0;
  }
  for (auto _ : state) {
    state.PauseTiming();
    *mov = *start;
    state.ResumeTiming();
    qtrf(MAXATM, *ref, *mov);
    benchmark::DoNotOptimize(mov->x(1));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * MAXATM);
}
BENCHMARK(BM_qtrf)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veka

namespace veka {
namespace {

// The sines and cosines makmol needs for 4500 atoms (angle and dihedral of each).
void BM_sinCos(benchmark::State& state) {
  static double x[2 * MAXATM], s[2 * MAXATM], c[2 * MAXATM];
  for (int i = 0; i < 2 * MAXATM; ++i) x[i] = -3.0 + 6.0 * i / (2 * MAXATM);
  for (auto _ : state) {
    sinCos(x, s, c, 2 * MAXATM);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2 * MAXATM);
}
BENCHMARK(BM_sinCos)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace veka
