// Solute moves of a flexible solute in the 512-TIP4P box of water_box.hpp less the molecules
// within 2.6 A of it, 25 C, RCUT = SCUT 8.5 A, three solute states evaluated (RC 0, 0.5, 1):
// the loop of the block for a solute move (`movmol`, the Metropolis decision with its 20/beta
// thresholds, `acceptSoluteMove`). RDELS 0.1 A, ADELS 10 degrees. Solutes: n-pentane (17
// atoms, /0) and n-hexane (20 atoms, /1), every bond, angle and dihedral after the first three
// atoms variable. Counters: acceptance and the share of moves that stopped early (bonded or
// intrasolute change above 25/beta).
// BM_SoluteSolventPass times the pentane's solute-solvent pass alone (every molecule against
// the packed solute), the part of a move that the early exits skip: /0 the one-molecule
// routine molecule by molecule, /1, /4, /8 the row at that width (the path of `movmol`);
// BM_SoluteSolventCutoff the same with SCUT 0, which leaves only the cutoff test of every
// molecule (/0 one molecule at a time, /8 the row).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "energy/eintra.hpp"
#include "energy/nbpair.hpp"
#include "energy/solution.hpp"
#include "molecule/params.hpp"
#include "molecule/zmatrix_states.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/movmol.hpp"
#include "montecarlo/random.hpp"
#include "water_box.hpp"

namespace {

using veka::State;

void open(veka::Unit& u, const std::string& path, veka::OpenStatus st) {
  if (u.open(path, st) != 0) std::abort();
}

// Drops the molecules whose oxygen lies within 2.6 A of a solute atom.
void makeRoom(State& s) {
  int kept = 0;
  for (int n = 1; n <= s.coord.NMOL; ++n) {
    bool near = false;
    for (int i = 1; i <= s.zmat.NSATM; ++i) {
      const veka::Xyz& c = s.solcor.xyz[0];
      near |= std::hypot(c.x(i) - s.coord.X(n, 1), c.y(i) - s.coord.Y(n, 1),
                         c.z(i) - s.coord.Z(n, 1)) < 2.6;
    }
    if (near) continue;
    ++kept;
    for (int j = 1; j <= 4; ++j)
      s.coord.X(kept, j) = s.coord.X(n, j), s.coord.Y(kept, j) = s.coord.Y(n, j),
                      s.coord.Z(kept, j) = s.coord.Z(n, j);
  }
  s.coord.NMOL = kept;
}

std::unique_ptr<State> soluteInWater(bool hexane = false) {
  auto st = bench::box();
  State& s = *st;
  const std::string data = VEKA_DATA_DIR;
  const std::string solute =
      hexane ? "/../bench/data/hexane.z" : "/../tests/energy/data/pentane_tg.z";
  open(s.io.zmatfile, data + solute, veka::OpenStatus::Old);
  open(s.io.bangfil, data + "/forcefield/opls-aa-bonded.par", veka::OpenStatus::Old);
  open(s.io.output, "/dev/null", veka::OpenStatus::Unknown);
  s.control.runMode = 1;
  s.geom.RC0 = 0.0, s.geom.RC1 = 0.5, s.geom.RC2 = 1.0, s.geom.noPert = 0;
  veka::readSolutes(s, 1);
  veka::param(s);
  veka::intraSettings(s);
  veka::nbpair(s, true);
  makeRoom(s);
  veka::prepareSolventEnergy(s);
  s.misc.NCENT(1) = s.misc.NCENT(2) = 1;
  s.misc.rotationCentre(1) = s.misc.rotationCentre(2) = 1;
  s.movp.RDELS(1) = 0.1, s.movp.ADELS(1) = 10.0;
  s.misc.TK = 298.15, s.misc.BETA = 1.0 / (s.misc.GASCON * s.misc.TK);
  veka::enmtx(s);
  veka::prepareMoves(s);
  veka::prepareSoluteMoves(s);
  return st;
}

void BM_SoluteMove(benchmark::State& state) {
  auto st = soluteInWater(state.range(0) == 1);
  State& s = *st;
  const double beta = s.misc.BETA, threshold = 20.0 / beta;
  long moves = 0, accepted = 0, early = 0;
  for (auto _ : state) {
    veka::movmol(s);
    ++moves;
    early += s.move.sol.complete ? 0 : 1;
    const double de = s.energy.ENEW - s.energy.EOLD;
    const bool accept =
        de < -threshold || (de <= threshold && veka::ranu(s.rands) <= std::exp(-beta * de));
    if (accept) veka::acceptSoluteMove(s), ++accepted;
  }
  state.counters["acceptance"] = static_cast<double>(accepted) / static_cast<double>(moves);
  state.counters["early_exits"] = static_cast<double>(early) / static_cast<double>(moves);
  state.counters["NMOL"] = s.coord.NMOL;
  state.SetItemsProcessed(moves);
}
BENCHMARK(BM_SoluteMove)->Unit(benchmark::kMicrosecond)->MinTime(3.0)->Arg(0)->Arg(1);

// Every molecule against the packed solute: one molecule at a time (width 0) or the row.
double pass(State& s, int width) {
  if (width == 0) {
    double sum = 0.0;
    for (int n = 1; n <= s.coord.NMOL; ++n) sum += veka::solventSoluteEnergy(s, n)[0];
    return sum;
  }
  auto& esx = s.slveco.ESX;
  veka::SoluteRowOut out{
      {esx[0].data(), esx[1].data(), esx[2].data()}, s.slveco.ESXC.data(), s.slveco.ESXL.data()};
  veka::soluteSolventRow(s, s.slveco.solute, out, width);
  return out.sum[0];
}

void BM_SoluteSolventPass(benchmark::State& state) {
  auto st = soluteInWater();
  for (auto _ : state) benchmark::DoNotOptimize(pass(*st, static_cast<int>(state.range(0))));
}
BENCHMARK(BM_SoluteSolventPass)->Unit(benchmark::kMicrosecond)->Arg(0)->Arg(1)->Arg(4)->Arg(8);

void BM_SoluteSolventCutoff(benchmark::State& state) {
  auto st = soluteInWater();
  st->slveco.SCUT2 = 0.0;
  for (auto _ : state) benchmark::DoNotOptimize(pass(*st, static_cast<int>(state.range(0))));
}
BENCHMARK(BM_SoluteSolventCutoff)->Unit(benchmark::kMicrosecond)->Arg(0)->Arg(8);

}  // namespace
