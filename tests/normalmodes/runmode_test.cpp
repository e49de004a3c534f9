// Run mode 4 from the command line: the normal modes and thermochemistry of a solute.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

TEST(RunMode4, WaterAtItsMinimumHasThreeRealModesAndThermochemistry) {
  Job job(commandSection({{8, "  0  1  2    1.0000  500.0000"}}),
          readFile(testData("normalmodes/data/water_min.z")));
  const RunResult r = job.run("400");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string l = job.listing();
  for (const char* text : {" *****************  Thermochemistry  ******************",
                           " No imaginary frequencies are found.", " Symmetry Number =  2"})
    EXPECT_NE(l.find(text), std::string::npos) << text;
  const std::vector<double> f = finalFrequencies(l);
  ASSERT_EQ(f.size(), 3u) << l;
  // The antisymmetric stretch does not mix with the bend: by hand, with the bond force
  // constant 2 x 600 kcal/mol/A^2 and the Wilson G element 1/mH + 1/mO - cos(theta)/mO,
  // nu = 108.587 sqrt(1200 G) = 3901.03 cm-1. The bend (2 x 75 kcal/mol/rad^2) lies near
  // 108.587 sqrt(150 G_bend) = 2038 cm-1 less a little stretch coupling.
  const double th = 109.5 * 3.141592653589793 / 180.0;
  const double g = 1.0 / 1.0079 + 1.0 / 15.9994 - std::cos(th) / 15.9994;
  EXPECT_NEAR(f[2], 108.587 * std::sqrt(1200.0 * g), 0.01);
  EXPECT_NEAR(f[0], 2038.0, 20.0);
  EXPECT_GT(f[1], 3700.0);
  EXPECT_LT(f[1], f[2]);
  EXPECT_NE(l.find("total CPU time(sec)  ="), std::string::npos);
}

}  // namespace
}  // namespace veka::test
