// Single-molecule solvent moves on 512 TIP4P at 25 C, RCUT 8.5 A, one core: the move loop
// of the block (pick a molecule, `movsvn`, the Metropolis decision with its 20/beta
// thresholds, `acceptSolventMove`) with neighbour lists on (arg 1) and off (arg 0).
// RDEL 0.15 A and ADEL 15 degrees give 40-50 % acceptance. The box (water_box.hpp) is
// first relaxed by 300,000 moves.
//
// BM_MovePhases runs the same loop with a time-stamp reading around each phase: the pick,
// the trial sites, the trial energy, the decision and the acceptance, each in ns per move
// (acceptance averaged over all moves). BM_RowOnly and BM_RowSum time the two parts of the
// trial energy: the row kernel against the moving molecule's list (or every molecule), and
// the sum of its stored row. BM_SqrtDivFloor is the arithmetic floor of the row: 1/r^2 and
// sqrt(1/r^2) for 900 terms at the widest vector width, as the row kernel forms them.
#include <benchmark/benchmark.h>
#include <immintrin.h>
#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "montecarlo/moves.hpp"
#include "montecarlo/random.hpp"
#include "water_box.hpp"

namespace {

using veka::State;

constexpr double kRdel = 0.15, kAdelDeg = 15.0, kTempC = 25.0;

struct Mc {
  std::unique_ptr<State> st;
  double beta = 0.0, threshold = 0.0;
  long tried = 0, accepted = 0;
  double movesPerBuild = 0.0;  // during the relaxation
};

bool decide(State& s, const Mc& mc) {
  const double de = s.energy.ENEW - s.energy.EOLD;
  if (de > mc.threshold) return false;
  if (de < -mc.threshold) return true;
  return veka::ranu(s.rands) <= std::exp(-mc.beta * de);
}

void pick(State& s) {
  const int k = static_cast<int>(veka::ranu(s.rands) * s.coord.NMOL) + 1;
  s.move.molecule = k;
  ++s.movrec.tried[static_cast<std::size_t>(k - 1)];
}

bool step(Mc& mc) {
  State& s = *mc.st;
  pick(s);
  veka::movsvn(s);
  ++mc.tried;
  if (!decide(s, mc)) return false;
  veka::acceptSolventMove(s);
  ++mc.accepted;
  return true;
}

Mc& system(int lists) {
  static std::unique_ptr<Mc> mc[2];
  if (!mc[lists]) {
    auto m = std::make_unique<Mc>();
    m->st = bench::box();
    State& s = *m->st;
    s.movp.RDEL = kRdel;
    s.movp.ADEL = kAdelDeg * M_PI / 180.0;
    s.movp.NBUSE = lists;
    s.io.listLevel = 1;
    m->beta = 1.0 / (0.00198717 * (kTempC + 273.15));
    m->threshold = 20.0 / m->beta;
    veka::enmtx(s);
    veka::prepareMoves(s);
    for (int i = 0; i < 300000; ++i) step(*m);
    m->movesPerBuild = 300000.0 / static_cast<double>(std::max(s.nebor.builds, 1L));
    mc[lists] = std::move(m);
  }
  return *mc[lists];
}

void report(benchmark::State& b, const Mc& mc, long tried0, long acc0) {
  const double n = static_cast<double>(mc.tried - tried0);
  b.SetItemsProcessed(static_cast<int64_t>(n));
  b.counters["accepted%"] = 100.0 * static_cast<double>(mc.accepted - acc0) / n;
  b.counters["moves/s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  b.counters["EOLD/mol"] = mc.st->energy.EOLD / mc.st->coord.NMOL;
}

void BM_SolventMove(benchmark::State& b) {
  Mc& mc = system(static_cast<int>(b.range(0)));
  const long t0 = mc.tried, a0 = mc.accepted;
  for (auto _ : b) benchmark::DoNotOptimize(step(mc));
  report(b, mc, t0, a0);
}
BENCHMARK(BM_SolventMove)->Arg(1)->Arg(0);

void BM_MovePhases(benchmark::State& b) {
  Mc& mc = system(static_cast<int>(b.range(0)));
  State& s = *mc.st;
  const long t0 = mc.tried, a0 = mc.accepted;
  unsigned long long ph[5] = {};
  const auto w0 = std::chrono::steady_clock::now();
  const unsigned long long c0 = __rdtsc();
  for (auto _ : b) {
    unsigned long long t = __rdtsc(), u;
    pick(s);
    u = __rdtsc(), ph[0] += u - t, t = u;
    veka::trialSites(s);
    u = __rdtsc(), ph[1] += u - t, t = u;
    veka::trialEnergy(s);
    u = __rdtsc(), ph[2] += u - t, t = u;
    const bool ok = decide(s, mc);
    u = __rdtsc(), ph[3] += u - t, t = u;
    ++mc.tried;
    if (ok) {
      veka::acceptSolventMove(s);
      ++mc.accepted;
      ph[4] += __rdtsc() - t;
    }
  }
  const double ns =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - w0).count();
  const double perTick = ns / static_cast<double>(__rdtsc() - c0);
  const double n = static_cast<double>(mc.tried - t0);
  const char* names[5] = {"pick_ns", "sites_ns", "energy_ns", "decide_ns", "accept_ns"};
  for (int i = 0; i < 5; ++i) b.counters[names[i]] = static_cast<double>(ph[i]) * perTick / n;
  report(b, mc, t0, a0);
}
BENCHMARK(BM_MovePhases)->Arg(1)->Arg(0);

// The row kernel alone at each molecule's current sites, against its list or all.
void BM_RowOnly(benchmark::State& b) {
  Mc& mc = system(static_cast<int>(b.range(0)));
  State& s = *mc.st;
  std::vector<double> out(static_cast<std::size_t>(s.coord.NMOL));
  int k = 0;
  for (auto _ : b) {
    k = k % s.coord.NMOL + 1;
    const veka::MolView m = veka::storedMolecule(s, k);
    benchmark::DoNotOptimize(
        s.movp.NBUSE == 1 ? veka::solventRowList(s, m, s.nebor.row(k),
                                                 s.nebor.size[std::size_t(k - 1)], out.data())
                          : veka::solventRowAll(s, m, k, out.data()));
  }
}
BENCHMARK(BM_RowOnly)->Arg(1)->Arg(0);

void BM_RowSum(benchmark::State& b) {
  Mc& mc = system(1);
  State& s = *mc.st;
  int k = 0;
  for (auto _ : b) {
    k = k % s.coord.NMOL + 1;
    benchmark::DoNotOptimize(veka::rowSum(s.slveco.row(k), s.coord.NMOL));
  }
}
BENCHMARK(BM_RowSum);

// g++ 12 reports the intrinsics' own undefined masks as uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
[[gnu::target("avx512f")]] double sqrtDiv(const double* r2, int n) {
  __m512d acc = _mm512_setzero_pd();
  const __m512d one = _mm512_set1_pd(1.0);
  for (int i = 0; i < n; i += 8) {
    const __m512d ri2 = _mm512_div_pd(one, _mm512_loadu_pd(r2 + i));
    acc = _mm512_add_pd(acc, _mm512_sqrt_pd(ri2));
  }
  return _mm512_reduce_add_pd(acc);
}
#pragma GCC diagnostic pop

void BM_SqrtDivFloor(benchmark::State& b) {
  if (!__builtin_cpu_supports("avx512f")) {
    b.SkipWithError("no AVX-512");
    return;
  }
  std::vector<double> r2(904);
  for (std::size_t i = 0; i < r2.size(); ++i) r2[i] = 4.0 + 0.07 * static_cast<double>(i);
  for (auto _ : b) {
    benchmark::DoNotOptimize(r2.data());
    benchmark::DoNotOptimize(sqrtDiv(r2.data(), 904));
  }
}
BENCHMARK(BM_SqrtDivFloor);

}  // namespace

void BM_Neibor(benchmark::State& b) {
  Mc& mc = system(1);
  b.counters["moves_per_build"] = mc.movesPerBuild;
  for (auto _ : b) veka::neibor(*mc.st);
}
BENCHMARK(BM_Neibor)->Unit(benchmark::kMicrosecond);

// One number of the stream, as the move draws them (about 7.4 per move: the pick, three
// steps, the angle, the axis, the Metropolis number when |dE| <= 20/beta, the monitor
// molecule after an acceptance).
void BM_Draw(benchmark::State& b) {
  veka::Rands r;
  veka::RanuLocal local(r);
  for (auto _ : b) benchmark::DoNotOptimize(local.next());
}
BENCHMARK(BM_Draw);
