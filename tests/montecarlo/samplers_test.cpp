// Hydrogen-bond and dipole samplers on configurations checked by hand: a solute O-H
// (O at the origin, H at +0.96 A on x) and one TIP4P water.
#include "montecarlo/samplers.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "energy/solvent_box.hpp"

namespace veka {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// The water's O at `o`; its hydrogens 0.9572 A away at +-52.26 degrees about the direction
// `dir` (unit vector in the xy plane, pointing from O to the H bisector), M on it.
test::Sites water(std::array<double, 3> o, double dir) {
  const double c = std::cos(dir), sn = std::sin(dir), h = 52.26 * kDeg, r = 0.9572;
  test::Sites w = {o, o, o, o};
  for (int k : {1, 2}) {
    const double a = dir + (k == 1 ? h : -h);
    w[k][0] += r * std::cos(a), w[k][1] += r * std::sin(a);
  }
  w[3][0] += 0.15 * c, w[3][1] += 0.15 * sn;
  return w;
}

struct Case {
  const char* what;
  std::array<double, 3> o;
  double dir;  // degrees
  int donor, acceptor;
};

class Samplers : public ::testing::TestWithParam<Case> {};

TEST_P(Samplers, CountsTheBondsOfOneWater) {
  const Case& c = GetParam();
  test::SolventBox b("TIP4P");
  State& s = b.s;
  b.box(18, 18, 18);
  s.zmat.NSATM = 2, s.zmat.NSOLUT = 1, s.zmat.first(1) = 1, s.zmat.last(1) = 2;
  s.zmat.ITYPE(1) = s.zmat.ITYPE(2) = 1;
  s.potpar.NATI(1) = 8, s.potpar.NATI(2) = 1;
  s.covnbr.NNEB(1) = s.covnbr.NNEB(2) = 1, s.covnbr.NEB(1, 1) = 2, s.covnbr.NEB(1, 2) = 1;
  s.solcor.xyz[0].x(2) = 0.96;
  b.place(1, 1, water(c.o, c.dir * kDeg));
  const HbondCount n = countHbonds(s);
  EXPECT_EQ(n.donor, c.donor) << c.what;
  EXPECT_EQ(n.acceptor, c.acceptor) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    HandChecked, Samplers,
    ::testing::Values(
        // H...O 1.9 A straight on, hydrogens pointing away: solute donates.
        Case{"linear donor", {2.86, 0, 0}, 0, 1, 0},
        // H...O 2.6 A: too long.
        Case{"long donor", {3.56, 0, 0}, 0, 0, 0},
        // O 1.9 A from H but at 90 degrees to O-H (angle at H 90): not counted.
        Case{"bent donor", {0.96, 1.9, 0}, 90, 0, 0},
        // Through the periodic boundary: the water's image 18 A to the left.
        Case{"donor by image", {-15.14, 0, 0}, 0, 1, 0},
        // A water hydrogen pointing at the solute O from -x: the solute accepts (the H at
        // -1.9 A from O, its O 0.9572 A further), hydrogens one straight and one off.
        Case{"acceptor", {-1.9 - 0.9572, 0, 0}, 52.26, 0, 1}));

TEST(SystemDipole, OfOneTip4pWaterIsTheModelDipole) {
  test::SolventBox b("TIP4P");
  b.box(18, 18, 18);
  b.place(1, 1, water({1, 2, 3}, 30 * kDeg));
  // (2 x 0.52 x 0.9572 cos(52.26) - 1.04 x 0.15) e A = 2.17737 D.
  EXPECT_NEAR(systemDipole(b.s), 2.17737, 1e-4);
}

}  // namespace
}  // namespace veka
