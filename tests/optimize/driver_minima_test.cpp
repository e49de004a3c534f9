// Every minimiser of the driver, from displaced starts, reaches the minima of test
// molecules: the energy each method finds lies within its tolerance of the lowest one. That
// the BFGS minima of ethane, butane, cyclohexane, octanol and the complex are true minima
// of the force field is checked against LAMMPS (lammps_minimum_check.py); here the
// geometries that have a closed form: water's force-field geometry and the restraint of
// the water-methanol complex.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "driver_fixture.hpp"
#include "optimize/driver.hpp"

namespace veka {
namespace {

using test::angleDeg;
using test::bondLength;

struct Method {
  const char* keyword;
  bool gradient;
};
const Method kMethods[] = {{"SIMPL", false}, {"POWEL", false}, {"HOOKE", false}, {"FLEPO", true},
                           {"BFGS ", true},  {"CONJU", true},  {"SIMAN", false}};

// Runs every method on the file at FTOL 1e-6 (at most 50 cycles), checks each geometry and
// that each energy lies within the method's tolerance of the lowest one found: 1e-4
// kcal/mol for the gradient methods (or `gradientTol`), 5e-4 for the others. Returns the
// lowest energy.
double everyMethod(const std::string& file, const std::function<void(State&, const char*)>& check,
                   double gradientTol = 1e-4) {
  std::map<std::string, double> energy;
  for (const Method& m : kMethods) {
    test::GasJob job = test::optJob(file, m.keyword, 2, {{6, test::record6(m.keyword, 1e-6)}});
    State& s = job.state();
    s.config.MXCON = 50;
    EXPECT_TRUE(optmiz(s)) << file << " " << m.keyword;
    energy[m.keyword] = s.energy.EOLD;
    check(s, m.keyword);
  }
  double lowest = energy.begin()->second;
  for (const auto& [k, e] : energy) lowest = std::min(lowest, e);
  for (const Method& m : kMethods)
    EXPECT_NEAR(energy[m.keyword], lowest, m.gradient ? gradientTol : 5e-4)
        << file << " " << m.keyword;
  return lowest;
}

TEST(DriverMinima, EveryMethodFindsTheSameMinima) {
  // Water: HW-OW 0.9572 A, HW-OW-HW 109.5 degrees; three atoms have no nonbonded pairs.
  everyMethod("water.z", [](State& s, const char* m) {
    EXPECT_NEAR(bondLength(s, 1, 2), 0.9572, 1e-4) << m;
    EXPECT_NEAR(bondLength(s, 1, 3), 0.9572, 1e-4) << m;
    EXPECT_NEAR(angleDeg(s, 2, 1, 3), 109.5, 0.01) << m;
    EXPECT_LT(s.energy.EOLD, 1e-6) << m;
  });
  const auto none = [](State&, const char*) {};
  for (const char* file : {"ethane.z", "cyclohexane.z"}) everyMethod(file, none);
  // Gauche above anti by the force field's conformational energy (about 0.8 kcal/mol).
  const double gap = everyMethod("butane_gauche.z", none) - everyMethod("butane_anti.z", none);
  EXPECT_GT(gap, 0.5);
  EXPECT_LT(gap, 1.1);
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
        EXPECT_NEAR(s.nbcon.EBCOLD[0], 10.0 * (r - 3.0) * (r - 3.0), 1e-9) << m;
        // The nearly linear hydrogen bond O4...H2-O1 ends as a valid Z-matrix angle.
        EXPECT_TRUE(checkGeometry(s)) << m;
        EXPECT_GT(angleDeg(s, 4, 2, 1), 165.0) << m;
      },
      1e-3);
}

}  // namespace
}  // namespace veka
