// Every minimiser of the driver, from displaced starts, reaches the known minima of test
// molecules: water's force-field geometry, staggered ethane, anti and gauche butane,
// chair cyclohexane and a water-methanol complex held by a distance restraint.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "driver_fixture.hpp"
#include "optimize/driver.hpp"

namespace veka {
namespace {

using test::angleDeg;
using test::angleDiff;
using test::bondLength;
using test::dihedralDeg;
using test::GasJob;
using test::optJob;

struct Method {
  const char* keyword;
  bool gradient;
};
const Method kMethods[] = {{"SIMPL", false}, {"POWEL", false}, {"HOOKE", false}, {"FLEPO", true},
                           {"BFGS ", true},  {"CONJU", true},  {"SIMAN", false}};

// Optimises a file with a method and a tolerance; returns the job for inspection.
struct Run {
  std::unique_ptr<GasJob> job;
  double energy = 0.0;
  State& state() { return job->state(); }
};
Run optimise(const std::string& file, const std::string& method, double ftol) {
  GasJob::Options o;
  o.records = {{6, test::record6(method, ftol)}};
  o.runMode = 2;
  o.listLevel = 1;
  Run r{std::make_unique<GasJob>(test::optData(file), o)};
  State& s = r.state();
  s.config.MXCON = 50;
  EXPECT_TRUE(optmiz(s)) << file << " " << method;
  r.energy = s.energy.EOLD;
  return r;
}

// Runs every method on the file at FTOL 1e-6, checks each geometry and that each energy
// lies within the method's tolerance of the lowest one found: 1e-4 kcal/mol for the
// gradient methods (or `gradientTol`), 5e-4 for the others.
template <class Check>
void everyMethod(const std::string& file, Check&& check, double gradientTol = 1e-4) {
  std::map<std::string, double> energy;
  for (const Method& m : kMethods) {
    Run r = optimise(file, m.keyword, 1e-6);
    energy[m.keyword] = r.energy;
    check(r.state(), m.keyword);
  }
  double lowest = energy.begin()->second;
  for (const auto& [k, e] : energy) lowest = std::min(lowest, e);
  for (const Method& m : kMethods)
    EXPECT_NEAR(energy[m.keyword], lowest, m.gradient ? gradientTol : 5e-4)
        << file << " " << m.keyword;
}

TEST(DriverMinima, WaterTakesTheForceFieldGeometry) {
  // HW-OW 0.9572 A, HW-OW-HW 109.5 degrees; three atoms have no nonbonded pairs.
  everyMethod("water.z", [](State& s, const char* m) {
    EXPECT_NEAR(bondLength(s, 1, 2), 0.9572, 1e-4) << m;
    EXPECT_NEAR(bondLength(s, 1, 3), 0.9572, 1e-4) << m;
    EXPECT_NEAR(angleDeg(s, 2, 1, 3), 109.5, 0.01) << m;
    EXPECT_LT(s.energy.EOLD, 1e-6) << m;
  });
}

TEST(DriverMinima, EthaneEndsStaggered) {
  // Every H-C-C-H dihedral 60 degrees (mod 120) from eclipsed, from a start near eclipsed.
  everyMethod("ethane.z", [](State& s, const char* m) {
    for (int h1 : {3, 7, 8})
      for (int h2 : {4, 5, 6}) {
        const double phi = dihedralDeg(s, h1, 2, 1, h2);
        EXPECT_NEAR(std::fabs(angleDiff(std::fmod(phi + 720.0, 120.0), 60.0)), 0.0, 0.5)
            << m << " H" << h1 << "-C-C-H" << h2 << " = " << phi;
      }
  });
}

TEST(DriverMinima, ButaneAntiAndGauche) {
  everyMethod("butane_anti.z", [](State& s, const char* m) {
    EXPECT_NEAR(std::fabs(angleDiff(dihedralDeg(s, 1, 2, 3, 4), 180.0)), 0.0, 0.5) << m;
  });
  std::vector<double> gauche;
  everyMethod("butane_gauche.z", [&](State& s, const char* m) {
    const double phi = dihedralDeg(s, 1, 2, 3, 4);
    EXPECT_GT(phi, 55.0) << m;
    EXPECT_LT(phi, 75.0) << m;
    gauche.push_back(phi);
  });
  for (double phi : gauche) EXPECT_NEAR(phi, gauche.front(), 0.5);
  // Gauche above anti by the force field's conformational energy (about 0.8 kcal/mol).
  const double anti = optimise("butane_anti.z", "BFGS ", 1e-6).energy;
  const double gau = optimise("butane_gauche.z", "BFGS ", 1e-6).energy;
  EXPECT_GT(gau - anti, 0.5);
  EXPECT_LT(gau - anti, 1.1);
}

TEST(DriverMinima, CyclohexaneClosesItsRingAsAChair) {
  everyMethod("cyclohexane.z", [](State& s, const char* m) {
    for (int k = 0; k < 6; ++k) {
      const int a = k + 1, b = (k + 1) % 6 + 1, c = (k + 2) % 6 + 1, d = (k + 3) % 6 + 1;
      const double phi = dihedralDeg(s, a, b, c, d);
      EXPECT_GT(std::fabs(phi), 50.0) << m << " ring dihedral " << k;
      EXPECT_LT(std::fabs(phi), 60.0) << m << " ring dihedral " << k;
      EXPECT_EQ(phi > 0.0,
                k % 2 == 0 ? dihedralDeg(s, 1, 2, 3, 4) > 0.0 : dihedralDeg(s, 1, 2, 3, 4) < 0.0)
          << m << " the signs alternate around a chair";
    }
    EXPECT_NEAR(bondLength(s, 6, 1), bondLength(s, 1, 2), 0.002) << m << " ring closed";
  });
}

TEST(DriverMinima, RestrainedComplex) {
  // O1...O4 restrained to 3.0 A (10 kcal/mol/A^2); the hydrogen bond pulls it shorter.
  // The gradient methods end where the numerical gradient (central differences over
  // +-0.01) vanishes; on the soft intermolecular modes that lies up to 1e-3 kcal/mol above
  // the minimum the direct-search methods find.
  everyMethod(
      "complex.z",
      [](State& s, const char* m) {
        const double r = bondLength(s, 1, 4);
        EXPECT_GT(r, 2.8) << m;
        EXPECT_LT(r, 3.0) << m;
        EXPECT_NEAR(s.nbcon.EBCOLD, 10.0 * (r - 3.0) * (r - 3.0), 1e-9) << m;
        // The nearly linear hydrogen bond O4...H2-O1 ends as a valid Z-matrix angle.
        EXPECT_TRUE(checkGeometry(s)) << m;
        EXPECT_GT(angleDeg(s, 4, 2, 1), 165.0) << m;
      },
      1e-3);
}

}  // namespace
}  // namespace veka
