// Gas-phase jobs of the optimiser tests, run in-process through the real set-up, and
// helpers on their geometry.
#pragma once

#include <cmath>
#include <map>
#include <string>

#include "energy/gas_job.hpp"
#include "molecule/geometry.hpp"
#include "optimize/variables.hpp"

namespace veka::test {

inline constexpr double kDeg = 57.29577951308232;  // degrees per radian

// A solute file of tests/optimize/data.
inline std::string optData(const std::string& name) {
  return readFile(testData("optimize/data/" + name));
}

// Record 6 of the command section with the method keyword (A5), the tolerance FTOL and
// the Z-matrix output keyword NEWZM (A5).
inline std::string record6(const std::string& method, double ftol = 0.001,
                           const std::string& newzm = "FULL ") {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%-5.5s %10.6f%-5.5s        0       0    0.0000    0.0000",
                method.c_str(), ftol, newzm.c_str());
  return buf;
}

// A set-up gas-phase job (run mode 2 unless told) of a file of tests/optimize/data.
inline GasJob optJob(const std::string& file, const std::string& method = "BFGS ", int runMode = 2,
                     std::map<int, std::string> records = {}) {
  GasJob::Options o;
  records.emplace(6, record6(method));
  o.records = std::move(records);
  o.runMode = runMode;
  o.listLevel = 1;
  return GasJob(optData(file), o);
}

// Dihedral a-b-c-d of the reference coordinates in degrees.
inline double dihedralDeg(const State& s, int a, int b, int c, int d) {
  const Xyz& x = s.solcor.xyz[0];
  return dihedral(atom(x, a), atom(x, b), atom(x, c), atom(x, d)) * kDeg;
}
inline double angleDeg(const State& s, int a, int b, int c) {
  const Xyz& x = s.solcor.xyz[0];
  return bondAngle(atom(x, a), atom(x, b), atom(x, c)) * kDeg;
}
inline double bondLength(const State& s, int a, int b) {
  const Xyz& x = s.solcor.xyz[0];
  return distance(atom(x, a), atom(x, b));
}

}  // namespace veka::test
