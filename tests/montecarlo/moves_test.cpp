// Solvent moves: the trial sites and the stream they use, the neighbour lists, and a run of
// moves whose running energy and stored pair energies must equal a fresh evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../../bench/water_box.hpp"
#include "energy/solvent_box.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/random.hpp"
#include "support/stop.hpp"

namespace veka {
namespace {

using test::SolventBox;

// One TIP3P molecule (first site at x0) in a 20 A box, its trial sites built.
struct OneMolecule {
  SolventBox b{"TIP3P"};
  State& s = b.s;
  explicit OneMolecule(const std::array<double, 3>& o, int slab = 0, double rdel = 0.0,
                       double adel = 0.0) {
    b.box(20.0, 20.0, 20.0);
    b.place(1, 1, {o, {o[0] + 0.9, o[1], o[2]}, {o[0], o[1] + 0.9, o[2]}});
    s.control.slab = slab;
    s.movp.RDEL = rdel, s.movp.ADEL = adel;
    b.prepare();
    prepareMoves(s);
    s.move.molecule = 1;
  }
};

TEST(SolventMove, WrapsThePivotIntoTheBox) {
  struct Case {
    std::array<double, 3> o;
    int slab;
    std::array<double, 3> shift;
  } cases[] = {{{10.001, 0, 0}, 0, {-20, 0, 0}}, {{-10.001, 0, 0}, 0, {20, 0, 0}},
               {{10.0, -10.0, 0}, 0, {0, 0, 0}}, {{0, 0, 10.5}, 0, {0, 0, -20}},
               {{0, 0, 10.5}, 1, {0, 0, 0}},     {{0, 10.2, -10.3}, 1, {0, -20, 0}}};
  for (const Case& c : cases) {
    OneMolecule m(c.o, c.slab);
    trialSites(m.s);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_NEAR(m.s.move.x[i - 1], m.s.coord.X(1, i) + c.shift[0], 1e-12) << c.o[0];
      EXPECT_NEAR(m.s.move.y[i - 1], m.s.coord.Y(1, i) + c.shift[1], 1e-12) << c.o[1];
      EXPECT_NEAR(m.s.move.z[i - 1], m.s.coord.Z(1, i) + c.shift[2], 1e-12) << c.o[2];
    }
  }
}

// The steps come from the stream as ranu gives it: x, y, z steps, the angle, the axis; the
// axis plane alone turns, about site 1, which keeps its translated place.
TEST(SolventMove, DrawsFiveNumbersAndTurnsAboutSiteOne) {
  for (double adel : {0.0, 0.7}) {
    for (int seed : {1, 77, 4242, 99991}) {
      OneMolecule m({1.0, 2.0, 3.0}, 0, 0.3, adel);
      seedRands(m.s.rands, seed);
      Rands r = m.s.rands;
      double d[3];
      for (double& x : d) x = ranu(r) * 0.6 - 0.3;
      const double theta = ranu(r) * 2.0 * adel - adel;
      const int axis = rotationAxis(ranu(r));
      trialSites(m.s);
      EXPECT_EQ(m.s.rands.seed, r.seed);
      const Move& t = m.s.move;
      EXPECT_EQ(t.x[0], 1.0 + d[0]);
      EXPECT_EQ(t.y[0], 2.0 + d[1]);
      EXPECT_EQ(t.z[0], 3.0 + d[2]);
      const double* out[3] = {t.x.data(), t.y.data(), t.z.data()};
      const int fixed = axis == 1 ? 0 : (axis == 2 ? 1 : 2);
      EXPECT_EQ(out[fixed][1], (fixed == 0 ? 1.9 : (fixed == 1 ? 2.0 : 3.0)) + d[fixed]);
      const double dx = t.x[1] - t.x[0], dy = t.y[1] - t.y[0], dz = t.z[1] - t.z[0];
      EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 0.9, 1e-12);
      const double turned = fixed == 0 ? dy : dx;  // site 2 lies along +x from site 1
      EXPECT_NEAR(turned, fixed == 0 ? 0.0 : 0.9 * std::cos(theta), 1e-12);
    }
  }
}

// n molecules of TIP3P with their oxygens within 2 A of the box centre: each has n - 1
// neighbours.
void crowd(SolventBox& b, int n) {
  b.box(40.0, 40.0, 40.0);
  for (int i = 1; i <= n; ++i) {
    const double a = 0.1 * i, o[3] = {std::sin(a), std::cos(a), 0.003 * i};
    b.place(i, 1, {{o[0], o[1], o[2]}, {o[0] + 0.9, o[1], o[2]}, {o[0], o[1] + 0.9, o[2]}});
  }
  b.prepare();
  b.s.movp.NBUSE = 1;
  b.s.cutoff.RCUT = 8.5;
}

TEST(NeighbourLists, SixHundredNeighboursFitTheSixHundredAndFirstStops) {
  SolventBox ok("TIP3P");
  crowd(ok, 601);
  prepareMoves(ok.s);
  EXPECT_EQ(ok.s.nebor.size[0], 600);
  EXPECT_EQ(ok.s.nebor.row(601)[599], 600);
  SolventBox over("TIP3P");
  crowd(over, 602);
  EXPECT_EQ(test::stopMessage([&] { return over.listing(); }, [&] { prepareMoves(over.s); }),
            " \n **** NEIGHBOR LIST OVERFLOW IN NEIBOR ****\n **** SET NBUSE = 0 IN THE PARAMETER "
            "FILE OR INCREASE NBMAX AND RECOMPILE ****\n");
}

TEST(NeighbourLists, ThroughTheZBoundaryOnlyWithoutSlab) {
  for (int slab : {0, 1}) {
    SolventBox b("TIP3P");
    b.box(30.0, 30.0, 30.0);
    b.place(1, 1, {{0, 0, 14.0}, {0.9, 0, 14.0}, {0, 0.9, 14.0}});
    b.place(2, 1, {{0, 0, -14.0}, {0.9, 0, -14.0}, {0, 0.9, -14.0}});
    b.place(3, 1, {{0, 9.9, 14.0}, {0.9, 9.9, 14.0}, {0, 10.8, 14.0}});
    b.prepare();
    b.s.control.slab = slab;
    b.s.movp.NBUSE = 1;
    b.s.cutoff.RCUT = 8.5;
    prepareMoves(b.s);
    EXPECT_EQ(b.s.nebor.size[0], slab ? 1 : 2) << slab;
    EXPECT_EQ(b.s.nebor.row(1)[0], slab ? 3 : 2) << slab;
  }
}

// The moves of the block loop's solvent branch on 512 TIP4P at 25 C; returns the accepted.
long run(State& s, int moves) {
  const double beta = 1.0 / (0.00198717 * 298.15);
  long accepted = 0;
  for (int i = 0; i < moves; ++i) {
    s.move.molecule = static_cast<int>(ranu(s.rands) * s.coord.NMOL) + 1;
    movsvn(s);
    const double de = s.energy.ENEW - s.energy.EOLD;
    if (de > 20.0 / beta || (de >= -20.0 / beta && ranu(s.rands) > std::exp(-beta * de))) continue;
    acceptSolventMove(s);
    ++accepted;
  }
  return accepted;
}

std::unique_ptr<State> waterBox(int lists) {
  auto st = bench::box();
  State& s = *st;
  s.movp.RDEL = 0.15, s.movp.ADEL = 0.26, s.movp.NBUSE = lists, s.io.listLevel = 1;
  enmtx(s);
  prepareMoves(s);
  return st;
}

// 10^5 moves: the running energy and every stored pair energy equal a fresh evaluation of
// the final configuration.
TEST(SolventMove, RunningEnergyEqualsAFreshEvaluation) {
  for (int lists : {1, 0}) {
    auto st = waterBox(lists);
    State& s = *st;
    EXPECT_GT(run(s, 100000), 30000);
    const std::vector<double> pairs = s.slveco.EIJ;
    const double running = s.energy.EOLD;
    enmtx(s);
    EXPECT_NEAR(running, s.energy.EOLD, 1e-6) << lists;
    int bad = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i)
      bad += std::fabs(pairs[i] - s.slveco.EIJ[i]) > 1e-6;
    EXPECT_EQ(bad, 0) << lists;
    EXPECT_GT(s.nebor.builds, lists ? 10 : -1);
  }
}

// Lists far too short (radius 5 A) leave pairs within the cutoff unlisted: a moved molecule
// loses them from its row and column alike, so the stored energies stay symmetric and sum
// to the running energy.
TEST(SolventMove, UnlistedPairsLeaveRowAndColumnTogether) {
  auto st = waterBox(1);
  State& s = *st;
  s.nebor.R2 = 25.0;
  neibor(s);
  run(s, 20000);
  double sum = 0.0;
  int asymmetric = 0;
  for (int i = 1; i <= s.coord.NMOL; ++i)
    for (int j = i + 1; j <= s.coord.NMOL; ++j) {
      sum += s.slveco.pair(i, j);
      asymmetric += s.slveco.pair(i, j) != s.slveco.pair(j, i);
    }
  EXPECT_EQ(asymmetric, 0);
  EXPECT_NEAR(sum, s.energy.EOLD, 1e-6);
}

}  // namespace
}  // namespace veka
