// The internal move of a flexible molecule of the solvent read from its own Z-matrix file
// (`movfsl`).
//
// The molecule's current internal coordinates are measured from its stored sites (bond
// length, angle and dihedral of every atom to its Z-matrix partners), so that no copy of
// them has to be kept per molecule; some of the variable ones are changed, and atoms 4 to n
// of the trial sites are placed again from the first three.
#include <algorithm>
#include <array>
#include <numbers>
#include <span>

#include "energy/solution.hpp"
#include "molecule/geometry.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/random.hpp"

namespace veka {

namespace {

using Values = std::array<double, MXSAT + 1>;  // one per atom, 1-based

struct Internals {
  Values bond{}, angle{}, dihedral{};
};

Vec3 storedSite(const State& s, int k, int i) {
  return {s.coord.X(k, i), s.coord.Y(k, i), s.coord.Z(k, i)};
}

Internals measure(const State& s, int k, int n) {
  const Szmat& z = s.szmat;
  Internals v;
  for (int i = 2; i <= n; ++i) {
    const Vec3 d = storedSite(s, k, i), c = storedSite(s, k, z.IZ1(i));
    v.bond[i] = distance(d, c);
    if (i < 3) continue;
    const Vec3 b = storedSite(s, k, z.IZ2(i));
    v.angle[i] = bondAngle(d, c, b);
    if (i >= 4) v.dihedral[i] = dihedral(d, c, b, storedSite(s, k, z.IZ3(i)));
  }
  return v;
}

// The variables of one kind to change: all when there are fewer than four, else between
// two and min(total - 1, the cap) of them, drawn distinct and ascending.
int chooseVariables(State& s, int total, std::array<int, MXSVAR>& list) {
  if (total < 4) {
    for (int j = 0; j < total; ++j) list[static_cast<std::size_t>(j)] = j + 1;
    return total;
  }
  const int cap = s.movp.maxVarMove > 0 ? s.movp.maxVarMove : 15;
  const int m = std::min(static_cast<int>((total - 2) * ranu(s.rands)) + 2, cap);
  ranint(s.rands, std::span<int>(list.data(), static_cast<std::size_t>(m)), total);
  return m;
}

}  // namespace

void movfsl(State& s) {
  const Szmat& z = s.szmat;
  const int k = s.move.molecule;
  const int n = s.sol.nsites(solventOf(s, k));
  Internals v = measure(s, k, n);
  std::array<int, MXSVAR> list{};
  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  const int kinds = 1 + (z.NSVANG > 0) + (z.NSVDIH > 0);
  const double fk = 0.75 / kinds + 0.25;
  if (z.NSVDIH > 0) {
    const int m = chooseVariables(s, z.NSVDIH, list);
    for (int t = 0; t < m; ++t) {
      const int j = list[static_cast<std::size_t>(t)];
      double& phi = v.dihedral[static_cast<std::size_t>(z.ID4(j))];
      phi = phi - z.DDIH(j) + ranu(s.rands) * (2.0 * z.DDIH(j));
      if (phi > kTwoPi) phi -= kTwoPi;
      if (phi < 0.0) phi += kTwoPi;
    }
  }
  if (z.NSVBND > 0) {
    const int m = chooseVariables(s, z.NSVBND, list);
    const double f = (0.75 / m + 0.25) * fk;
    for (int t = 0; t < m; ++t) {
      const int j = list[static_cast<std::size_t>(t)];
      v.bond[static_cast<std::size_t>(z.IB1(j))] +=
          (ranu(s.rands) * (2.0 * z.DBND(j)) - z.DBND(j)) * f;
    }
  }
  if (z.NSVANG > 0) {
    const int m = chooseVariables(s, z.NSVANG, list);
    const double f = (0.75 / m + 0.25) * fk;
    for (int t = 0; t < m; ++t) {
      const int j = list[static_cast<std::size_t>(t)];
      v.angle[static_cast<std::size_t>(z.IA1(j))] +=
          (ranu(s.rands) * (2.0 * z.DANG(j)) - z.DANG(j)) * f;
    }
  }
  Move& mv = s.move;
  auto site = [&](int i) {
    return Vec3{mv.x[static_cast<std::size_t>(i - 1)], mv.y[static_cast<std::size_t>(i - 1)],
                mv.z[static_cast<std::size_t>(i - 1)]};
  };
  for (int i = 4; i <= n; ++i) {
    const auto u = static_cast<std::size_t>(i);
    const Vec3 p = genatm(site(z.IZ3(i)), site(z.IZ2(i)), site(z.IZ1(i)), v.bond[u], v.angle[u],
                          v.dihedral[u]);
    mv.x[u - 1] = p.x, mv.y[u - 1] = p.y, mv.z[u - 1] = p.z;
  }
}

}  // namespace veka
