// Scans (run mode 3): the settings taken from the command line, a rigid dihedral scan of
// butane against single-point energies, the relaxed
// butane profile, and bond and angle scans of water whose relaxed profiles are the
// harmonic terms alone.
#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "driver_fixture.hpp"
#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "optimize/driver.hpp"

namespace veka {
namespace {

using test::GasJob;

constexpr double kDegToRad = 0.017453292519943295;

TEST(DriverScan, SettingsFromTheCommandLine) {
  // Dihedral (RC1 0 or 3): 10 degrees when RC0 is not positive, 0..360 degrees with RC2 0.
  const ScanSettings d = scanSettings(-5.0, 3.9, 0.0);
  EXPECT_EQ(d.type, kVarDihedral);
  EXPECT_EQ(d.steps, 37);
  EXPECT_DOUBLE_EQ(d.step, 10.0 * kDegToRad);
  EXPECT_EQ(scanSettings(7.0, 0.0, 0.0).steps, 52);  // int(360 / 7) + 1
  EXPECT_EQ(scanSettings(15.0, 3.0, 4.7).steps, 4);
  // At most 181 steps, at least one.
  EXPECT_EQ(std::tuple(scanSettings(10.0, 3.0, 500.0).steps, scanSettings(0.5, 0.0, 0.0).steps,
                       scanSettings(0.1, 1.0, -3.0).steps),
            std::tuple(181, 181, 1));
  // Bond in A, angle in degrees (radians out); other types refused.
  EXPECT_DOUBLE_EQ(scanSettings(0.05, 1.5, 12.0).step, 0.05);
  const ScanSettings a = scanSettings(2.0, 2.0, 6.0);
  EXPECT_EQ(a.type, kVarAngle);
  EXPECT_DOUBLE_EQ(a.step, 2.0 * kDegToRad);
  EXPECT_EQ(scanSettings(1.0, 4.0, 3.0).type, 0);
  EXPECT_EQ(scanSettings(1.0, -1.0, 3.0).type, 0);
}

// A scan job set up in-process: the scanned atom from MXCON, the settings from RC0-RC2.
struct Scan {
  GasJob job;
  std::vector<double> value, energy;
  Scan(const std::string& file, int atom, double rc0, double rc1, double rc2)
      : job(test::optJob(file, "BFGS ", 3, {{6, test::record6("BFGS ", 1e-6)}})) {
    State& s = job.state();
    s.config.MXCON = atom;
    s.geom.RC0 = rc0, s.geom.RC1 = rc1, s.geom.RC2 = rc2;
    EXPECT_TRUE(optmiz(s));
    for (int k = 1; k <= s.optim->nscan; ++k) {
      value.push_back(s.optim->scanValue(k));
      energy.push_back(s.optim->scanEnergy(k));
    }
  }
  double lowest() const { return *std::min_element(energy.begin(), energy.end()); }
};

// Only the C1-C2-C3-C4 dihedral is variable: every step is the single-point energy of the
// geometry at that dihedral (that energy is checked against LAMMPS in the energy tests).
TEST(DriverScan, RigidButaneDihedralScanGivesTheSinglePointEnergies) {
  Scan scan("butane_rigid.z", 4, 0.0, 0.0, 0.0);
  ASSERT_EQ(scan.energy.size(), 37u);
  GasJob probe = test::optJob("butane_rigid.z");
  State& p = probe.state();
  for (std::size_t k = 0; k < 37; ++k) {
    EXPECT_NEAR(scan.value[k], 10.0 * static_cast<double>(k), 1e-9);
    p.zmat.DIH(4) = 10.0 * static_cast<double>(k) * kDegToRad;
    makmol(p.solcor.xyz[0], p.zmat);
    zmatTermValues(p);
    EXPECT_NEAR(scan.energy[k], gasPhaseEnergy(p), 2e-5) << 10 * k << " degrees";
  }
  // The syn barrier of the rigid rotor is the highest point, anti the lowest.
  EXPECT_EQ(std::max_element(scan.energy.begin(), scan.energy.end()) - scan.energy.begin(), 0);
  EXPECT_EQ(std::min_element(scan.energy.begin(), scan.energy.end()) - scan.energy.begin(), 18);
}

TEST(DriverScan, RelaxedButaneProfile) {
  Scan relaxed("butane.z", 4, 0.0, 0.0, 0.0);
  Scan rigid("butane_rigid.z", 4, 0.0, 0.0, 0.0);
  ASSERT_EQ(relaxed.energy.size(), 37u);
  const std::vector<double>& e = relaxed.energy;
  // Local minima at anti (180) and the two gauche angles (60-70 and 290-300), maxima at
  // syn and at the anti-gauche barriers; the profile is symmetric about 180 degrees.
  std::set<int> minima, maxima;
  for (int k = 1; k < 36; ++k) {
    if (e[k] < e[k - 1] && e[k] < e[k + 1]) minima.insert(10 * k);
    if (e[k] > e[k - 1] && e[k] > e[k + 1]) maxima.insert(10 * k);
  }
  ASSERT_EQ(minima.size(), 3u);
  EXPECT_EQ(minima.count(180), 1u);
  EXPECT_TRUE(minima.count(60) + minima.count(70) == 1);
  EXPECT_TRUE(minima.count(290) + minima.count(300) == 1);
  EXPECT_EQ(maxima, (std::set<int>{120, 240}));
  EXPECT_EQ(e[18], relaxed.lowest());
  for (int k = 0; k <= 18; ++k) EXPECT_NEAR(e[k], e[36 - k], 2e-4) << 10 * k << " degrees";
  // Relaxation lowers every point of the rigid profile, the barriers most: the syn barrier
  // of about 6 kcal/mol rigid falls by more than one.
  for (std::size_t k = 0; k < 37; ++k)
    EXPECT_LE(e[k] - relaxed.lowest(), rigid.energy[k] - rigid.lowest() + 1e-6);
  EXPECT_LT(e[0] - e[18], rigid.energy[0] - rigid.energy[18] - 1.0);
  EXPECT_GT(e[0] - e[18], 3.0);
  // The gauche minimum of the grid lies above anti by about the optimised difference.
  const double gauche = std::min(e[6], e[7]) - e[18];
  EXPECT_GT(gauche, 0.7);
  EXPECT_LT(gauche, 0.95);
}

// Water: with the other bond and the angle relaxed the energy is the scanned bond's own
// term, 600 (r - 0.9572)^2, and likewise 75 (theta - 109.5 degrees)^2 for the angle.
TEST(DriverScan, WaterBondAndAngleScansGiveTheHarmonicTerms) {
  Scan bond("water.z", 2, -0.01, 1.0, 10.0);
  ASSERT_EQ(bond.energy.size(), 10u);
  for (std::size_t k = 0; k < 10; ++k) {
    const double r = 1.0 - 0.01 * static_cast<double>(k);  // from the current 1.00 A
    EXPECT_NEAR(bond.value[k], r, 1e-12);
    EXPECT_NEAR(bond.energy[k], 600.0 * (r - 0.9572) * (r - 0.9572), 1e-6) << r;
  }
  Scan angle("water.z", 3, 2.0, 2.0, 8.0);
  ASSERT_EQ(angle.energy.size(), 8u);
  for (std::size_t k = 0; k < 8; ++k) {
    const double a = 98.0 + 2.0 * static_cast<double>(k);  // from the current 98 degrees
    const double d = (a - 109.5) * kDegToRad;
    EXPECT_NEAR(angle.value[k], a, 1e-9);
    EXPECT_NEAR(angle.energy[k], 75.0 * d * d, 1e-6) << a;
  }
}

TEST(DriverScan, RefusesAnAtomWithoutSuchAVariable) {
  for (const auto& [atom, rc1] :
       std::vector<std::pair<int, double>>{{3, 3.0}, {1, 1.0}, {9, 2.0}}) {
    GasJob job = test::optJob("water.z", "BFGS ", 3);
    State& s = job.state();
    s.config.MXCON = atom;
    s.geom.RC1 = rc1;
    const double before = s.zmat.ANG(3);
    EXPECT_FALSE(optmiz(s)) << atom;
    EXPECT_EQ(s.zmat.ANG(3), before);
    EXPECT_NE(job.listing().find("TO SCAN."), std::string::npos);
  }
}

}  // namespace
}  // namespace veka
