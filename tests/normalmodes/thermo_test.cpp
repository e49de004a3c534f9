// Ideal-gas thermochemistry: settings, moments of inertia, rotor classes, the cutoff and
// mixing rules, imaginary modes and the final table. The harmonic, rotational and
// translational terms themselves are compared with ASE (ase_check.py).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "normalmodes/thermo.hpp"
#include "state/io.hpp"
#include "support/run.hpp"

namespace veka::nm {
namespace {

constexpr double R = 1.987216;

TEST(ThermoSettings, InvalidValuesTakeTheirDefaults) {
  const ThermoSettings a = thermoSettings(25.0, 0.0, -1.0, 0, -3);
  EXPECT_DOUBLE_EQ(a.T, 298.15);
  EXPECT_DOUBLE_EQ(a.scale, 1.0);
  EXPECT_DOUBLE_EQ(a.cutoff, 500.0);
  EXPECT_EQ(a.nconf, 1);
  EXPECT_EQ(a.sigma, 1);
  const ThermoSettings b = thermoSettings(-300.0, -0.5, 0.0, 4, 12);
  EXPECT_DOUBLE_EQ(b.T, 298.15);  // below absolute zero
  EXPECT_DOUBLE_EQ(b.scale, 1.0);
  EXPECT_DOUBLE_EQ(b.cutoff, 0.0);  // zero is a valid cutoff
  EXPECT_EQ(b.nconf, 4);
  EXPECT_EQ(b.sigma, 12);
  EXPECT_DOUBLE_EQ(thermoSettings(-273.15, 0.97, 100, 1, 1).T, 0.0);
}

// The moments themselves enter the rotational entropy compared with ASE (ase_check.py).
TEST(Inertia, RotorClassesAndDegenerateSets) {
  const int zH[2] = {1, 1};
  const double h2[6] = {0, 0, 0.1, 0, 0, 0.84};
  const Inertia a = inertia(2, h2, zH);
  EXPECT_EQ(a.rotor(), Rotor::Linear);
  EXPECT_EQ(a.rot[0], 0.0);
  EXPECT_NEAR(std::fabs(a.axes[2]), 1.0, 1e-9);  // smallest moment about the bond axis
  const int z3[3] = {6, 8, 1};
  const double tri[9] = {0, 0, 0, 3, 0, 0, 0, 4, 0};
  const Inertia g = inertia(3, tri, z3, false);  // unit masses: the geometric moments
  EXPECT_NEAR(g.com[1], 4.0 / 3.0, 1e-12);
  EXPECT_NEAR(g.moments[0] + g.moments[1] + g.moments[2], 2 * (6 + 96.0 / 9), 1e-6);
  EXPECT_EQ(g.rotor(), Rotor::Nonlinear);
  const int z1[1] = {18};
  const double at[3] = {1, 2, 3};
  EXPECT_EQ(inertia(1, at, z1).rotor(), Rotor::Atom);
  // Empty set: the mass sum starts above zero, nothing divides by zero.
  EXPECT_TRUE(std::isfinite(inertia(0, at, z1).com[0]));
}

TEST(Inertia, VeryLargeMoleculeIsStillANonlinearRotor) {
  // Three heavy atoms 60 A apart: all constants nonzero, product below 1e-10.
  const int z[3] = {53, 53, 53};
  const double x[9] = {0, 0, 0, 60, 0, 0, 0, 60, 0};
  const Inertia in = inertia(3, x, z);
  ASSERT_GT(in.rot[2], 0.0);
  ASSERT_LT(in.rot[0] * in.rot[1] * in.rot[2], 1e-10);
  EXPECT_EQ(in.rotor(), Rotor::Nonlinear);
  const ThermoResult r = thermo(ThermoSettings{}, 0.0, nullptr, 0, 3, x, z, nullptr);
  EXPECT_TRUE(std::isfinite(r.srot));
  EXPECT_NEAR(r.srot, R * (std::log(r.qrot) + 1.5), 1e-9);
  EXPECT_DOUBLE_EQ(r.erot, 1.5 * R * 298.15);
}

// Bent triatomic for the rotational part.
const int kZ[3] = {8, 1, 1};
const double kX[9] = {0, 0, 0, 0.9572, 0, 0, -0.239987, 0.926627, 0};

TEST(Thermo, ModesAtOrBelowTheCutoffGetHalfRTAndNoZeroPointEnergy) {
  ThermoSettings set;
  set.cutoff = 200.0;
  set.scale = 0.5;
  const double f[3] = {400.0, 401.0, 1000.0};  // scaled: 200 (= cutoff), 200.5, 500
  const ThermoResult r = thermo(set, 0.0, f, 3, 3, kX, kZ, nullptr);
  EXPECT_NEAR(r.zpe, 1.4294999837875366 * (200.5 + 500.0), 1e-9);
  auto thermal = [](double nu) {
    const double e = std::exp(-1.438768970469153 * nu / 298.15);
    return 2.8591447184198286 * nu * e / (1 - e);
  };
  EXPECT_NEAR(r.evib, 0.993608 * 298.15 + thermal(200.5) + thermal(500.0), 1e-9);
  // Q, Cv and S stay harmonic for every mode.
  double q = 1;
  for (double nu : {200.0, 200.5, 500.0}) q /= 1 - std::exp(-1.438768970469153 * nu / 298.15);
  EXPECT_NEAR(r.qvib, q, 1e-12 * q);
}

// The listing: the settings, the mixing entropy and the imaginary modes with one
// conformer and with three.
TEST(Thermo, ConformerMixingAndImaginaryModesInTheListing) {
  ThermoSettings set;
  const double f[4] = {-0.25, 800.0, -3.0, 1600.0};
  for (int nconf : {1, 3}) {
    set.nconf = nconf;
    test::TempDir dir;
    Io io;
    ASSERT_EQ(io.output.open(dir.file("l"), OpenStatus::Unknown), 0);
    const ThermoResult r =
        thermo(set, 1.0, nconf == 1 ? f + 1 : f, nconf == 1 ? 1 : 4, 3, kX, kZ, &io);
    io.output.close();
    const std::string l = test::readFile(dir.file("l"));
    EXPECT_NEAR(r.stotal, r.svib + r.srot + r.strans + r.smix, 1e-12);
    EXPECT_NEAR(r.smix, R * std::log(nconf), 1e-12);
    EXPECT_EQ(r.nImaginary, nconf == 1 ? 0 : 2);
    for (const char* text :
         {" *****************  Thermochemistry  ******************\n",
          " Temperature            = 298.15 K\n", " Cutoff Frequency       = 500.00 cm-1\n",
          " Eelec(0)   =       1.000000 kcal/mol\n", " cal/mol-K (CVtotal + R)\n",
          " Molecular Weight =  18.02\n", " Principal Moments of Inertia in CM-1\n", "    800.00"})
      EXPECT_NE(l.find(text), std::string::npos) << text;
    if (nconf == 1) {
      EXPECT_EQ(l.find("Smix"), std::string::npos);
      EXPECT_EQ(l.find("Number of Conformers ="), std::string::npos);
      EXPECT_NE(l.find(" No imaginary frequencies are found.\n"), std::string::npos);
      continue;
    }
    for (const char* text :
         {" Number of Conformers   =   3\n", " Smix       =       2.183180 cal/mol-K\n",
          " Number of Conformers =  3\n",
          " The following   2 imaginary frequencies are ignored.\n   -0.2500   -3.0000\n",
          " Frequencies -----\n   -0.2500  800.0000   -3.0000 1600.0000\n"})
      EXPECT_NE(l.find(text), std::string::npos) << text;
    EXPECT_EQ(l.find("     -0.25 "), std::string::npos);  // vibrational lines of real modes only
  }
}

}  // namespace
}  // namespace veka::nm
