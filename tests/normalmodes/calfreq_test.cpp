// The whole analysis: frequencies against closed forms, the translation/rotation count,
// rigid Z-matrices, the atom limit and the listing.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "nmd.hpp"
#include "normalmodes/calfreq.hpp"
#include "normalmodes/tables.hpp"
#include "support/run.hpp"

namespace veka::nm {
namespace {

struct Analysis {
  std::unique_ptr<State> s;
  std::unique_ptr<Work> w = std::make_unique<Work>();
  std::string listing;
  bool ok = false;
};

Analysis analyse(const std::string& nmd) {
  Analysis r;
  r.s = test::stateFromNmd(nmd);
  test::TempDir dir;
  const std::string path = dir.file("listing");
  EXPECT_EQ(r.s->io.output.open(path, OpenStatus::Unknown), 0);
  r.ok = calfreq(*r.s, *r.w);
  r.s->io.output.close();
  r.listing = test::readFile(path);
  return r;
}

double freq(const Analysis& r, int k) {
  return r.w->freq[static_cast<std::size_t>(k)];
}

// Magnitude in cm-1 of a mode whatever its sign (raw eigenvalues are kept for modes that
// are not positive).
double magnitude(double f) {
  return f > 0 ? f : 108.587 * std::sqrt(-f);
}

constexpr double kConv = 108.587;

TEST(Calfreq, DiatomicStretchFollowsTheReducedMass) {
  const Analysis r = analyse(R"(
zatom C 1 6 0 0    0 0 0 0  0 0 0
zatom O 2 8 1 1.13 0 0 0 0  0 0 0
bond 1 2 1100 1.13 var
bond 2 1 0 0
)");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.w->n0, 5);
  const double mu = 12.011 * 15.9994 / (12.011 + 15.9994);
  EXPECT_NEAR(freq(r, 5), kConv * std::sqrt(2 * 1100 / mu), 1e-6);
  for (int k = 0; k < 5; ++k) EXPECT_LT(magnitude(freq(r, k)), 1e-3);
  ASSERT_EQ(r.w->nvib, 1);
}

TEST(Calfreq, SingleAtomHasThreeZeroModesAndOnlyTranslation) {
  const Analysis r = analyse("atom Ar 1 18 0.5 0.5 0.5 0 3.4 0.24\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(std::tuple(r.w->ncoord, r.w->n0, r.w->nvib), std::tuple(3, 3, 0));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(freq(r, k), 0.0);
  EXPECT_EQ(std::tuple(r.w->thermo.rotor, r.w->thermo.srot, r.w->thermo.svib),
            std::tuple(Rotor::Atom, 0.0, 0.0));
  EXPECT_NEAR(r.w->thermo.stotal, r.w->thermo.strans, 1e-12);
}

// Water at the geometry `angle` (degrees) with its variable entries `terms`. With the
// default ones, bonds and angle at their equilibrium values and no nonbonded pairs: a
// minimum.
const std::string kFlexible =
    "bond 2 1 450 0.9572 var\nbond 3 1 450 0.9572 var\n"
    "angle 3 1 2 55 104.52 var\n";
std::string water(const std::string& terms = kFlexible, double angle = 104.52) {
  return "zatom O  1 8 0 0      0 0      0 0  0 0 0\n"
         "zatom H1 2 1 1 0.9572 0 0      0 0  0 0 0\n"
         "zatom H2 2 1 1 0.9572 2 " +
         std::to_string(angle) + " 0 0  0 0 0\n" + terms;
}

TEST(Calfreq, FlexibleWaterHasSixZeroModesAndMassOrthogonalNormalCoordinates) {
  const Analysis r = analyse(water());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.w->n0, 6);
  ASSERT_EQ(r.w->nvib, 3);
  for (int k = 0; k < 6; ++k) EXPECT_LT(magnitude(freq(r, k)), 1e-3) << k;
  for (int k = 6; k < 9; ++k) EXPECT_GT(freq(r, k), 1000.0);
  // Cartesian normal coordinates c_k = M^-1/2 e_k: sum_a m_a c_ka c_la = delta_kl.
  const int nc = r.w->ncoord;
  for (int k = 0; k < nc; ++k)
    for (int l = 0; l < nc; ++l) {
      double s = 0;
      for (int a = 0; a < nc; ++a)
        s += r.w->sys.mass(a / 3 + 1) * r.w->vec[static_cast<std::size_t>(k * nc + a)] *
             r.w->vec[static_cast<std::size_t>(l * nc + a)];
      EXPECT_NEAR(s, k == l ? 1.0 : 0.0, 1e-10);
    }
  // The analysed energy of the minimum is zero; the listing carries the report.
  EXPECT_NEAR(r.w->energy.total(), 0.0, 1e-20);
  for (const char* text : {"   Etotal               = ", " Low frequencies --- ",
                           " (First 6 modes are probably translations and rotations.)",
                           " Mode =    9   Frequency = ", "  Thermochemistry  "})
    EXPECT_NE(r.listing.find(text), std::string::npos) << text;
  // Mode blocks: mode numbers 1-5, then the X, Y, Z rows of atoms 1..3.
  const auto lines = test::lines(r.listing);
  std::size_t k = 0;
  while (k < lines.size() && lines[k].rfind(" Frequencies ------ ", 0) != 0) ++k;
  ASSERT_LT(k + 10, lines.size());
  EXPECT_EQ(lines[k - 1],
            std::string(20, ' ') + "         1         2         3         4         5");
  EXPECT_EQ(std::tuple(lines[k].size(), lines[k + 1].substr(0, 20), lines[k + 2].substr(0, 20),
                       lines[k + 9].substr(0, 20), lines[k + 9].size()),
            std::tuple(20u + 50u, "    1     X         ", "    1     Y         ",
                       "    3     Z         ", 70u));
}

TEST(Calfreq, FullyRigidZmatrixLeavesOnlyTheRigidBodyModesBelowTheLimit) {
  // The same water, nothing variable: its three internal coordinates are rigid. Once
  // with dummy atoms in front, whose coordinates only place the molecule.
  for (const std::string& text : {water(""), test::nmdData("water_dummies.nmd")}) {
    const Analysis r = analyse(text);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(std::tuple(r.w->sys.nRBond, r.w->sys.nRAngle, r.w->nvib), std::tuple(2, 1, 0));
    for (int k = 0; k < 6; ++k) EXPECT_LT(magnitude(freq(r, k)), 20.0) << k;
    for (int k = 6; k < 9; ++k) EXPECT_GT(freq(r, k), 1.0e4) << k;
    EXPECT_EQ(r.listing.find(" Mode =    7"), std::string::npos);
    EXPECT_NE(r.listing.find(" Mode =    6"), std::string::npos);
  }
}

TEST(Calfreq, PartlyRigidWaterKeepsTheFlexibleBendAtItsConstrainedFrequency) {
  // Rigid O-H bonds, variable angle: one soft mode, the bend with fixed bond lengths.
  const Analysis r = analyse(water("angle 3 1 2 55 104.52 var\n"));
  ASSERT_EQ(r.w->nvib, 1);
  // Bend of a triatomic with rigid arms (Wilson G with the bonds held): the bend element
  // of G less its coupling to the two fixed bonds, G_tt - 2 G_rt^2 / (G_rr + G_rr').
  const double mH = 1.0079, mO = 15.9994, rr = 0.9572, th = 104.52 * std::numbers::pi / 180;
  const double uH = 1 / mH, uO = 1 / mO, c = std::cos(th), s = std::sin(th);
  const double gtt = 2 * uH / (rr * rr) + uO * (2 - 2 * c) / (rr * rr);
  const double grt = -uO * s / rr, grr = uH + uO, grr2 = uO * c;
  const double g = gtt - 2 * grt * grt / (grr + grr2);
  EXPECT_NEAR(r.w->vib[0], kConv * std::sqrt(2 * 55 * g), 0.02);
}

TEST(Calfreq, MoreThanOneHundredAtomsIsRefusedWithTheMessageOnly) {
  std::string text;
  for (int i = 0; i < 101; ++i) text += "atom C 1 6 " + std::to_string(1.5 * i) + " 0 0 0 0 0\n";
  text += "atom X -1 0 0 5 0 0 0 0\n";  // a dummy atom does not count
  const Analysis r = analyse(text);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.listing,
            " !!! Normal coordinate analysis can handle up to 100 atoms. !!!\n"
            "    The current number of atoms is 101.\n"
            "    Increase mxfatm in the subroutine calfreq and recompile.\n");
  // One hundred real atoms are analysed.
  text = text.substr(text.find('\n') + 1);
  EXPECT_TRUE(analyse(text).ok);
}

TEST(Calfreq, ImaginaryModeIsKeptAsItsRawEigenvalueAndIgnoredByTheThermochemistry) {
  // Water with its angle at 180 degrees but a bent equilibrium: a saddle point.
  const Analysis r = analyse(water(kFlexible, 150.0));
  ASSERT_TRUE(r.ok);
  EXPECT_LT(freq(r, 0), -1.0);           // a raw negative eigenvalue, not converted
  EXPECT_EQ(r.w->thermo.nImaginary, 0);  // it is the lowest mode: below n0
  EXPECT_NE(r.listing.find(" No imaginary frequencies are found."), std::string::npos);
}

}  // namespace
}  // namespace veka::nm
