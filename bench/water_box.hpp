// A box of 512 TIP4P molecules at 1 g/cm3 (edge 24.83 A), RCUT 8.5 A, built without
// files for the benchmarks: oxygens on an 8 x 8 x 8 lattice, each molecule turned at random
// (TIP4P geometry: O-H 0.9572 A, H-O-H 104.52 degrees, O-M 0.15 A on the bisector); site
// parameters from the project's force field through the parameter assignment.
#pragma once

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include <unistd.h>

#include "energy/solution.hpp"
#include "molecule/params.hpp"
#include "state/state.hpp"

namespace bench {

using veka::State;

constexpr int kSide = 8, kMol = kSide * kSide * kSide;
constexpr double kEdge = 24.83;

// A parameter file for the parameter assignment: a 71-line command section, then the
// project's force-field table (whose two header lines are records 72 and 73).
inline std::string parameterFile() {
  const std::string path = "/tmp/veka_water_box" + std::to_string(getpid()) + ".par";
  std::ifstream ff(std::string(VEKA_DATA_DIR) + "/forcefield/opls-aa.par");
  std::stringstream table;
  table << ff.rdbuf();
  std::ofstream out(path);
  for (int k = 0; k < 71; ++k) out << "bench\n";
  out << table.str();
  return path;
}

inline void placeWater(State& s, int n, const double o[3], std::mt19937& g) {
  std::normal_distribution<double> nd;
  double u[3], v[3];  // random orthonormal pair: bisector and in-plane direction
  for (double& x : u) x = nd(g);
  for (double& x : v) x = nd(g);
  const double nu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  for (double& x : u) x /= nu;
  const double d = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  for (int k = 0; k < 3; ++k) v[k] -= d * u[k];
  const double nv = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (double& x : v) x /= nv;
  const double half = 0.5 * 104.52 * M_PI / 180.0, c = 0.9572 * std::cos(half);
  const double w = 0.9572 * std::sin(half);
  const double site[4][3] = {{0, 0, 0}, {c, w, 0}, {c, -w, 0}, {0.15, 0, 0}};
  for (int j = 0; j < 4; ++j) {
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = o[k] + site[j][0] * u[k] + site[j][1] * v[k];
    s.coord.X(n, j + 1) = p[0], s.coord.Y(n, j + 1) = p[1], s.coord.Z(n, j + 1) = p[2];
  }
}

inline std::unique_ptr<State> box() {
  auto st = std::make_unique<State>();
  State& s = *st;
  if (s.io.parfile.open(parameterFile(), veka::OpenStatus::Old) != 0) std::abort();
  s.sol.code(1) = 2;
  s.sol.nsites(1) = 4;
  veka::assignSolventSites(s);
  s.coord.NMOL = kMol;
  for (int k = 1; k <= 3; ++k) s.coord.EDGE(k) = kEdge, s.coord.HALF(k) = 0.5 * kEdge;
  std::mt19937 g(2024);
  const double a = kEdge / kSide;
  for (int n = 0; n < kMol; ++n) {
    const double o[3] = {(n % kSide + 0.5) * a - 0.5 * kEdge,
                         (n / kSide % kSide + 0.5) * a - 0.5 * kEdge,
                         (n / (kSide * kSide) + 0.5) * a - 0.5 * kEdge};
    placeWater(s, n + 1, o, g);
  }
  s.cutoff.RCUT = s.cutoff.SCUT = 8.5;
  veka::prepareSolventEnergy(s);
  return st;
}

}  // namespace bench
