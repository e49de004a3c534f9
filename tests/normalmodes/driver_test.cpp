// Runs the analysis on a molecule description file. The reference checks
// (lammps_check.py, ase_check.py) name the description in VEKA_NMD and the listing to
// write in VEKA_NMD_LISTING and run this test alone; without them it analyses a water
// molecule as a smoke test of the route.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "nmd.hpp"
#include "normalmodes/calfreq.hpp"
#include "support/run.hpp"

namespace veka::nm {
namespace {

TEST(Driver, AnalysesTheDescriptionNamedInTheEnvironment) {
  const char* in = std::getenv("VEKA_NMD");
  const char* out = std::getenv("VEKA_NMD_LISTING");
  test::TempDir dir;
  const std::string text = in ? test::readFile(in) : std::string(R"(
zatom O  1 8 0 0      0 0      0 0  -0.834 3.15 0.152
zatom H1 2 1 1 0.9572 0 0      0 0   0.417 0 0
zatom H2 2 1 1 0.9572 2 104.52 0 0   0.417 0 0
bond 2 1 450 0.9572 var
bond 3 1 450 0.9572 var
angle 3 1 2 55 104.52 var
nmode 0 1 2 0.9 0
)");
  const std::string listing = out ? std::string(out) : dir.file("listing");
  auto s = test::stateFromNmd(text);
  ASSERT_EQ(s->io.output.open(listing, OpenStatus::Unknown), 0);
  auto w = std::make_unique<Work>();
  ASSERT_TRUE(calfreq(*s, *w));
  s->io.output.close();
  const std::string got = test::readFile(listing);
  EXPECT_NE(got.find(" H = "), std::string::npos);
  if (!in) {
    EXPECT_EQ(w->nvib, 3);
    EXPECT_EQ(w->thermo.set.sigma, 2);
    EXPECT_DOUBLE_EQ(w->thermo.set.scale, 0.9);
    EXPECT_DOUBLE_EQ(w->thermo.set.cutoff, 0.0);
  }
}

}  // namespace
}  // namespace veka::nm
