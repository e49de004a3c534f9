// Pieces of the block loop and the results: the Metropolis decision at its thresholds, a
// rejected volume move, histogram bins and batch-mean errors.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "energy/solution.hpp"
#include "energy/solvent_box.hpp"
#include "montecarlo/metropolis.hpp"
#include "montecarlo/monte.hpp"
#include "montecarlo/sums.hpp"
#include "montecarlo/volume.hpp"
#include "results/blockstats.hpp"

namespace veka {
namespace {

TEST(Metropolis, ThresholdsAndTheRandomTest) {
  const double beta = 1.0 / (0.00198717 * 298.15), limit = 20.0 / beta;
  struct Case {
    double dE, w;
    bool draws, accepted;
  } cases[] = {
      {std::nextafter(limit, 1e9), 1.0, false, false},   // beyond +20/beta: rejected at once
      {limit, 1.0, true, false},                         // exactly 20/beta: the random test
      {std::nextafter(-limit, -1e9), 0.0, false, true},  // beyond -20/beta: accepted at once
      {0.0, 1.0, true, true},                            // w exp(0) = 1 >= every r
      {0.0, 1e-9, true, false},                          // a tiny weight loses the test
  };
  for (const Case& c : cases) {
    for (int seed : {0, 1048572, 786123}) {
      Rands r;
      seedRands(r, seed);
      const int before = r.seed;
      EXPECT_EQ(metropolis(c.dE, c.w, beta, limit, r), c.accepted) << c.dE << " " << seed;
      EXPECT_EQ(r.seed != before, c.draws) << c.dE;
    }
  }
}

TEST(Metropolis, VolumeWork) {
  // dW = dE - N/beta ln(Vn/Vo) + P'(Vn - Vo)
  EXPECT_DOUBLE_EQ(volumeWork(1.0, 300.0, 1.4576e-5, 1000.0, 1010.0),
                   1.0 - 300.0 * std::log(1.01) + 1.4576e-5 * 10.0);
}

TEST(Sums, HistogramBins) {
  Array1<double, 2> b{};
  b(1) = -10.0, b(2) = 0.0;  // increment 0.2
  EXPECT_EQ(histogramBin(-10.0, b), 1);
  EXPECT_EQ(histogramBin(-10.1, b), 1);  // truncation toward zero
  EXPECT_EQ(histogramBin(-10.3, b), 0);
  EXPECT_EQ(histogramBin(-0.1, b), 50);
  EXPECT_EQ(histogramBin(0.0, b), 0);
  EXPECT_EQ(dihedralBin(0.0), 1);
  EXPECT_EQ(dihedralBin(6.5 * 0.017453292519943295), 2);
  EXPECT_EQ(dihedralBin(-1e-3), 60);
}

// The monitor molecule's pair histogram against a count of its row entry by entry: zeros,
// entries on both sides of the range and a NaN, a non-zero diagonal that must not count.
TEST(Sums, MonitorPairHistogramCountsEveryOtherMolecule) {
  auto st = std::make_unique<State>();
  State& s = *st;
  s.coord.NMOL = 37, s.slveco.LD = 40;
  s.slveco.EIJ.assign(static_cast<std::size_t>(s.coord.NMOL * s.slveco.LD), 0.0);
  s.rdf.EPARD(1) = -6.0, s.rdf.EPARD(2) = 2.0;
  const int m = 5;
  double* row = s.slveco.row(m);
  for (int j = 0; j < s.coord.NMOL; j += 3) row[j] = -6.5 + 0.23 * j;
  row[m - 1] = -1.0, row[7] = std::nan(""), row[8] = -0.0;
  sampleMolecule(s, m);
  Array1<int, NDIST> ref{};
  for (int j = 1; j <= s.coord.NMOL; ++j)
    if (const int k = histogramBin(row[j - 1], s.rdf.EPARD); j != m && k > 0) ++ref(k);
  EXPECT_EQ(s.mcrec.IEPAIR.v, ref.v);
}

class VolumeMove : public ::testing::TestWithParam<int> {};

TEST_P(VolumeMove, RejectionRestoresCoordinatesAndPairEnergies) {
  test::SolventBox b("TIP4P");
  b.ionInRandomBox();
  State& s = b.s;
  s.solcor.xyz[0].x(1) = 2.0, s.solcor.xyz[0].y(1) = -3.0, s.solcor.xyz[0].z(1) = 4.0;
  s.control.vxyz = GetParam();
  s.movp.VDEL = 400.0;
  b.prepare();
  enmtx(s);
  s.npt.VOLD = 18.0 * 18.0 * 18.0;
  const auto coord = std::make_unique<Coord>(s.coord);
  const std::vector<double> eij = s.slveco.EIJ, esx = s.slveco.ESX[0];
  const double ess = s.energy.ESSOLD;
  volumeMove(s);
  EXPECT_NE(s.npt.VNEW, s.npt.VOLD);
  EXPECT_NE(s.coord.X(7, 2) + s.coord.Y(7, 2) + s.coord.Z(7, 2),
            coord->X(7, 2) + coord->Y(7, 2) + coord->Z(7, 2));
  EXPECT_NE(s.slveco.EIJ, eij);
  // The trial energy is the full energy of the new box.
  const double trial = s.energy.ENEW;
  enmtx(s);
  EXPECT_NEAR(trial, s.energy.ENEW, 1e-9);
  EXPECT_NEAR(s.coord.EDGE(1) * s.coord.EDGE(2) * s.coord.EDGE(3), s.npt.VNEW, 1e-8);
  rejectVolumeMove(s);
  EXPECT_EQ(s.npt.VNEW, s.npt.VOLD);
  EXPECT_EQ(s.coord.EDGE(1), 18.0);
  EXPECT_EQ(s.coord.HALF(3), 9.0);
  EXPECT_NEAR(s.solcor.xyz[0].y(1), -3.0, 1e-12);
  for (int n = 1; n <= 60; ++n)
    for (int k = 1; k <= 4; ++k) {
      ASSERT_NEAR(s.coord.X(n, k), coord->X(n, k), 1e-12);
      ASSERT_NEAR(s.coord.Y(n, k), coord->Y(n, k), 1e-12);
      ASSERT_NEAR(s.coord.Z(n, k), coord->Z(n, k), 1e-12);
    }
  for (std::size_t k = 0; k < s.slveco.EIJ.size(); ++k)
    ASSERT_NEAR(s.slveco.EIJ[k], eij[k], 1e-9) << k;
  for (std::size_t k = 0; k < 60; ++k) ASSERT_NEAR(s.slveco.ESX[0][k], esx[k], 1e-9);
  EXPECT_NEAR(s.energy.ESSNEW, ess, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(IsotropicAndOneAxis, VolumeMove, ::testing::Values(0, 1));

TEST(Monte, ABlockOfRejectedMovesEntersItsConfigurationOnceWithWeightMxcon) {
  test::SolventBox b("TIP4P");
  b.box(18, 18, 18);
  b.random(40, 0, 5);
  State& s = b.s;
  b.prepare();
  enmtx(s);
  s.energy.EOLD = -1.0e9;  // every trial box lies 1e9 above: rejected without a number
  s.misc.TK = 298.15, s.misc.BETA = 1.0 / (s.misc.GASCON * s.misc.TK);
  s.movp.NVCHG = 1, s.movp.NSCHG = 999999, s.movp.VDEL = 200.0;
  s.config.MXCON = 20, s.config.NACCPT = 40;
  const int seed = s.rands.seed;
  const double x = s.coord.X(3, 2);
  monte(s);
  EXPECT_EQ(s.config.NRJECT, 20);
  EXPECT_EQ(s.config.NACCPT, 60);
  EXPECT_EQ(s.mcrun.block[kSumWeight], 20.0);
  EXPECT_EQ(s.mcrun.block[kSumE], -2.0e10);
  EXPECT_EQ(s.npt.rejected, 20);
  EXPECT_NEAR(s.coord.X(3, 2), x, 1e-11);
  Rands r;  // two numbers per volume move: the monitor molecule and the change
  seedRands(r, seed);
  for (int k = 0; k < 40; ++k) ranu(r);
  EXPECT_EQ(s.rands.seed, r.seed);
}

TEST(BatchMeans, AgainstAHandComputation) {
  // Three blocks of 10 configurations: energies -1, -2, -4 per configuration, volumes
  // constant, exp(-beta dE1) averaging 0.5, 0.25, 1.0.
  const Thermo t{1.0 / (0.00198717 * 300.0), 300.0};
  std::vector<Sums> blocks(3);
  const double e[3] = {-1.0, -2.0, -4.0}, f[3] = {0.5, 0.25, 1.0};
  Sums total;
  for (std::size_t b = 0; b < 3; ++b) {
    blocks[b][kSumE] = 10.0 * e[b];
    blocks[b][kSumV] = 10.0 * 1000.0;
    blocks[b][kSumV2] = 10.0 * 1e6;
    blocks[b][kSumF1] = 10.0 * f[b];
    addSums(total, blocks[b]);
  }
  const Stat E = batchMean(Quantity::Energy, total, 30.0, blocks, 10.0, t);
  EXPECT_DOUBLE_EQ(E.value, -7.0 / 3.0);
  // sum of squared deviations: (4/3)^2 + (1/3)^2 + (5/3)^2 = 42/9
  EXPECT_DOUBLE_EQ(E.error, std::sqrt(42.0 / 9.0 / 6.0));
  const Stat G = batchMean(Quantity::DeltaG1, total, 30.0, blocks, 10.0, t);
  const double g = -std::log(1.75 / 3.0) / t.beta;
  double ss = 0.0;
  for (double x : f) ss += std::pow(-std::log(x) / t.beta - g, 2);
  EXPECT_DOUBLE_EQ(G.value, g);
  EXPECT_NEAR(G.error, std::sqrt(ss / 6.0), 1e-14);
  EXPECT_EQ(batchMean(Quantity::Kappa, total, 30.0, blocks, 10.0, t).value, 0.0);
  const std::vector<Sums> one(1, blocks[0]);
  EXPECT_EQ(batchMean(kSumE, blocks[0], 10.0, one, 10.0).error, 0.0);
}

}  // namespace
}  // namespace veka
