// The cycles of the driver: their number, the rule that ends them, and the pair list
// rebuilt on the geometry each cycle reaches.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "driver_fixture.hpp"
#include "energy/nbpair.hpp"
#include "optimize/driver.hpp"

namespace veka {
namespace {

using test::GasJob;
using test::optJob;

int cycleBoxes(const std::string& listing) {
  int n = 0;
  for (const std::string& l : test::lines(listing))
    n += l.rfind(" |   Optimization Cycle =", 0) == 0;
  return n;
}

TEST(DriverCycles, MxconLimitsTheCycles) {
  for (const auto& [mxcon, cycles] :
       std::vector<std::pair<int, int>>{{1, 2}, {20000, 10000}, {7, 7}}) {
    GasJob job = optJob("water.z");
    State& s = job.state();
    s.config.MXCON = mxcon;
    ASSERT_TRUE(optmiz(s));
    EXPECT_EQ(s.optim->MXCYCL, cycles) << mxcon;
  }
}

TEST(DriverCycles, AStartAtTheMinimumStillRunsTwoCycles) {
  // The first cycle never ends the run: the rule compares a cycle with the one before.
  GasJob first = optJob("butane_anti.z");
  first.state().config.MXCON = 50;
  ASSERT_TRUE(optmiz(first.state()));
  GasJob again = optJob("butane_anti.z");
  State& s = again.state();
  s.config.MXCON = 50;
  for (int i = 1; i <= s.zmat.NSATM; ++i) {  // the optimised internal coordinates
    s.zmat.BND(i) = first.state().zmat.BND(i);
    s.zmat.ANG(i) = first.state().zmat.ANG(i);
    s.zmat.DIH(i) = first.state().zmat.DIH(i);
  }
  ASSERT_TRUE(optmiz(s));
  EXPECT_EQ(cycleBoxes(again.listing()), 2);
  EXPECT_NEAR(s.energy.EOLD, first.state().energy.EOLD, 1e-9);
}

TEST(DriverCycles, ThePairListFollowsTheGeometry) {
  // With a pair-list cutoff of 3.2 A the pairs near the cutoff change between the start
  // and the optimised butane; the list after the run is the one of the final geometry.
  GasJob job = optJob("butane_gauche.z", "BFGS ", 2, {{32, "   12.0000   12.0000    3.2000   0"}});
  State& s = job.state();
  s.config.MXCON = 50;
  auto pairs = [&] {
    std::vector<std::pair<int, int>> p;
    for (int n = 1; n <= s.nbcom.NPAIR; ++n) p.emplace_back(s.nbcom.NBI(n), s.nbcom.NBJ(n));
    return p;
  };
  const auto start = pairs();
  ASSERT_TRUE(optmiz(s));
  const auto final = pairs();
  renbpr(s, true);
  EXPECT_EQ(final, pairs());
  EXPECT_NE(final, start);
}

}  // namespace
}  // namespace veka
