#include "input/boxes.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "format/record.hpp"
#include "molecule/solvent_models.hpp"
#include "molecule/solvent_zmat.hpp"
#include "montecarlo/random.hpp"

namespace veka {

namespace {

constexpr int kWaterSizes[7] = {216, 250, 267, 324, 400, 512, 750};
constexpr int kWaterSkip[7] = {0, 433, 934, 1469, 2118, 2919, 3944};
// Lines before the 128, 267 and 400 boxes of organic solvent codes 3..12.
constexpr int kOrganicSkip[10][3] = {
    {0, 193, 595},      {1196, 1389, 1791}, {2392, 2581, 2983}, {3584, 3777, 4179},
    {4780, 5037, 5572}, {6373, 6566, 6968}, {0, 321, 990},      {1991, 2056, 2191},
    {2392, 2713, 3382}, {4383, 4640, 5175},
};
// Sites stored per molecule in the organic boxes of codes 3..12.
constexpr int kOrganicSites[10] = {3, 3, 3, 3, 4, 3, 5, 1, 5, 4};
constexpr int kArgon = 10, kMeome = 5, kTip5p = 13;
constexpr int kAutoBox = 9999;

bool isWater(int code) {
  return code == 1 || code == 2 || code == kTip5p;
}

[[noreturn]] void unavailableSize(State& s) {
  stop(s.io, "UNAVAILABLE BOX SIZE REQUESTED IN ZSTART - ABORTED", Console::Stdout);
}

int organicIndex(State& s, int code, int size) {
  if (size == 125 && code == kMeome) return 0;
  if (size == 128 || (size == 192 && code != kMeome)) return 0;
  if (size == 267) return 1;
  if (size == 400) return 2;
  unavailableSize(s);
}

// An empty box of n molecules with the given sites.
StoredBox emptyBox(int n, int sites) {
  StoredBox b;
  b.n = n;
  b.sites = sites;
  const auto size = static_cast<std::size_t>(n) * static_cast<std::size_t>(sites);
  b.x.assign(size, 0.0);
  b.y.assign(size, 0.0);
  b.z.assign(size, 0.0);
  return b;
}

// Copies molecule i of `from` shifted by d into molecule j of `to`.
void copyMolecule(StoredBox& to, int j, StoredBox& from, int i, const std::array<double, 3>& d) {
  for (int k = 1; k <= std::min(from.sites, to.sites); ++k) {
    to.at(to.x, j, k) = from.at(from.x, i, k) + d[0];
    to.at(to.y, j, k) = from.at(from.y, i, k) + d[1];
    to.at(to.z, j, k) = from.at(from.z, i, k) + d[2];
  }
}

// ------------------------------------------------------------------ special boxes

void buildTip5p(StoredBox& b) {
  StoredBox w = emptyBox(b.n, 5);
  w.half = b.half;
  for (int i = 1; i <= b.n; ++i) {
    copyMolecule(w, i, b, i, {0.0, 0.0, 0.0});
    double p[3][3], l1[3], l2[3];
    for (int k = 0; k < 3; ++k) {
      p[k][0] = b.at(b.x, i, k + 1);
      p[k][1] = b.at(b.y, i, k + 1);
      p[k][2] = b.at(b.z, i, k + 1);
    }
    tip5pLonePairs(p[0], p[1], p[2], l1, l2);
    for (int k = 4; k <= 5; ++k) {
      const double* l = k == 4 ? l1 : l2;
      w.at(w.x, i, k) = l[0];
      w.at(w.y, i, k) = l[1];
      w.at(w.z, i, k) = l[2];
    }
  }
  b = std::move(w);
}

// Molecules of the solvent's own Z-matrix file at the argon centres, spread apart.
void placeOwnSolvent(State& s, StoredBox& b) {
  const Szmat& zm = s.szmat;
  std::array<double, MXSAT> mx{}, my{}, mz{};
  buildSolventMolecule(zm, mx.data(), my.data(), mz.data());
  double d = 0.0;
  for (int i = 0; i < zm.NSAT; ++i)
    for (int j = i + 1; j < zm.NSAT; ++j)
      d = std::max(d,
                   std::hypot(mx[static_cast<std::size_t>(i)] - mx[static_cast<std::size_t>(j)],
                              my[static_cast<std::size_t>(i)] - my[static_cast<std::size_t>(j)],
                              mz[static_cast<std::size_t>(i)] - mz[static_cast<std::size_t>(j)]));
  const double f = std::max(1.0, (d + 2.5) / 3.8);
  StoredBox w = emptyBox(b.n, zm.NSAT);
  for (int a = 0; a < 3; ++a)
    w.half[static_cast<std::size_t>(a)] = f * b.half[static_cast<std::size_t>(a)];
  for (int i = 1; i <= b.n; ++i)
    for (int k = 1; k <= zm.NSAT; ++k) {
      const auto u = static_cast<std::size_t>(k - 1);
      w.at(w.x, i, k) = f * b.at(b.x, i, 1) + mx[u];
      w.at(w.y, i, k) = f * b.at(b.y, i, 1) + my[u];
      w.at(w.z, i, k) = f * b.at(b.z, i, 1) + mz[u];
    }
  s.slvbox.scale = f;
  b = std::move(w);
}

// The box grown along z to 1.5 times its x edge by the lower half of its image above.
void extendTo192(StoredBox& b) {
  const int add = b.n / 2;
  std::vector<int> order(static_cast<std::size_t>(b.n));
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(), [&](int p, int q) {
    return b.z[static_cast<std::size_t>(p - 1)] < b.z[static_cast<std::size_t>(q - 1)];
  });
  const double lz = 2.0 * b.half[2], newLz = 3.0 * b.half[0];
  const double shift = -(newLz - lz) / 2.0;
  StoredBox w = emptyBox(b.n + add, b.sites);
  for (int i = 1; i <= b.n; ++i) copyMolecule(w, i, b, i, {0.0, 0.0, shift});
  for (int m = 0; m < add; ++m)
    copyMolecule(w, b.n + m + 1, b, order[static_cast<std::size_t>(m)], {0.0, 0.0, lz + shift});
  w.half = {b.half[0], b.half[1], newLz / 2.0};
  b = std::move(w);
}

// Half edges of the automatic box.
std::array<double, 3> autoHalfEdges(const State& s) {
  double layer = s.sol.layer > 0.0 ? s.sol.layer : 7.0;
  if (s.cap.atom != 0) layer = s.cap.radius;
  std::array<double, 3> h{};
  const Xyz& c = s.solcor.xyz[0];
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    if (s.zmat.ITYPE(i) == -1) continue;
    h[0] = std::max(h[0], std::abs(c.x(i)));
    h[1] = std::max(h[1], std::abs(c.y(i)));
    h[2] = std::max(h[2], std::abs(c.z(i)));
  }
  for (double& v : h) v += layer;
  return h;
}

[[noreturn]] void tooManyMolecules(State& s) {
  stop(s.io, "** MAX # OF SOLVENT MOLECULES EXCEEDED IN BIGBOX **\nMXS =" + fmt::formatI(MXS, 6),
       Console::Stdout);
}

// Replicas of the stored box that an automatic box may take; a box that needs more would
// hold more than MXS molecules anyway.
constexpr double kMaxReplicas = 1.0e6;

StoredBox autoBox(State& s, StoredBox& b) {
  const std::array<double, 3> h = autoHalfEdges(s);
  std::array<int, 3> reach{};
  double replicas = 1.0;
  for (std::size_t a = 0; a < 3; ++a) {
    const double r = std::max(a < 2 ? 1.0 : 0.0, std::ceil((h[a] - b.half[a]) / (2.0 * b.half[a])));
    replicas *= 2.0 * r + 1.0;
    if (replicas > kMaxReplicas) tooManyMolecules(s);
    reach[a] = static_cast<int>(r);
  }
  std::vector<std::array<int, 2>> kept;  // (molecule, replica)
  const int nx = 2 * reach[0] + 1, ny = 2 * reach[1] + 1, nz = 2 * reach[2] + 1;
  auto shift = [&](int r) {
    const int ix = r % nx - reach[0], iy = (r / nx) % ny - reach[1], iz = r / (nx * ny) - reach[2];
    return std::array<double, 3>{2.0 * b.half[0] * ix, 2.0 * b.half[1] * iy, 2.0 * b.half[2] * iz};
  };
  for (int r = 0; r < nx * ny * nz; ++r) {
    const std::array<double, 3> d = shift(r);
    for (int i = 1; i <= b.n; ++i) {
      const std::size_t k = static_cast<std::size_t>(i - 1);
      if (std::abs(b.x[k] + d[0]) <= h[0] && std::abs(b.y[k] + d[1]) <= h[1] &&
          std::abs(b.z[k] + d[2]) <= h[2]) {
        if (static_cast<int>(kept.size()) == MXS) tooManyMolecules(s);
        kept.push_back({i, r});
      }
    }
  }
  StoredBox w = emptyBox(static_cast<int>(kept.size()), b.sites);
  w.half = h;
  for (std::size_t m = 0; m < kept.size(); ++m)
    copyMolecule(w, static_cast<int>(m) + 1, b, kept[m][0], shift(kept[m][1]));
  return w;
}

// ------------------------------------------------------------------ the two solvents

// The first solvent's box as the command section asks for it.
StoredBox firstSolventBox(State& s, bool automatic) {
  const int code = s.sol.code(1);
  int size = s.sol.boxSize;
  if (automatic) size = isWater(code) ? 512 : 267;
  StoredBox b = readStoredBox(chooseBox(s, code, size));
  if (code == kTip5p) buildTip5p(b);
  if (code == kSolventOther) placeOwnSolvent(s, b);
  if (size == 192 && !isWater(code)) extendTo192(b);
  s.slvbox.stored = b.n;
  return automatic ? autoBox(s, b) : std::move(b);
}

// Molecules of the second solvent to take its copies from.
StoredBox secondSolventTemplates(State& s) {
  const int code = s.sol.code(2);
  if (code == kSolventOther) {
    StoredBox t = emptyBox(1, s.szmat.NSAT);
    buildSolventMolecule(s.szmat, t.x.data(), t.y.data(), t.z.data());
    return t;
  }
  StoredBox t = readStoredBox(chooseBox(s, code, isWater(code) ? 216 : 128));
  if (code == kTip5p) buildTip5p(t);
  return t;
}

std::array<double, 3> centre(StoredBox& b, int i, int sites) {
  std::array<double, 3> c{};
  for (int k = 1; k <= sites; ++k) {
    c[0] += b.at(b.x, i, k) / sites;
    c[1] += b.at(b.y, i, k) / sites;
    c[2] += b.at(b.z, i, k) / sites;
  }
  return c;
}

void placeSecondSolvent(State& s, StoredBox& b, std::vector<int>& kind) {
  if (s.sol.NMOL2 <= 0 || s.sol.code(2) == 0 || s.sol.code(2) == kSolventNone) return;
  if (s.sol.NMOL2 > NLIM2)
    stop(s.io, "TOO MANY SOLVENT 2 MOLECULES - UP NLIM2 & RECOMPILE", Console::Stdout);
  StoredBox t = secondSolventTemplates(s);
  const int sites2 = std::min(t.sites, MXSAT);
  if (sites2 > b.sites) {  // room for the larger molecules
    StoredBox w = emptyBox(b.n, sites2);
    w.half = b.half;
    for (int i = 1; i <= b.n; ++i) copyMolecule(w, i, b, i, {0.0, 0.0, 0.0});
    b = std::move(w);
  }
  std::vector<int> chosen(static_cast<std::size_t>(std::min(s.sol.NMOL2, b.n)));
  ranint(s.rands, chosen, b.n);
  const int sites1 = std::min(s.sol.nsites(1), b.sites);
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    const int i = chosen[k], m = static_cast<int>(k % static_cast<std::size_t>(t.n)) + 1;
    const std::array<double, 3> at = centre(b, i, sites1), from = centre(t, m, t.sites);
    for (int site = 1; site <= b.sites; ++site)
      b.at(b.x, i, site) = b.at(b.y, i, site) = b.at(b.z, i, site) = 0.0;
    copyMolecule(b, i, t, m, {at[0] - from[0], at[1] - from[1], at[2] - from[2]});
    kind[static_cast<std::size_t>(i - 1)] = 2;
  }
}

void install(State& s, StoredBox& b, const std::vector<int>& kind) {
  Coord& c = s.coord;
  if (b.n > MXS) tooManyMolecules(s);
  c.NMOL = b.n;
  for (std::size_t a = 0; a < 3; ++a) {
    c.HALF(static_cast<int>(a) + 1) = b.half[a];
    c.EDGE(static_cast<int>(a) + 1) = 2.0 * b.half[a];
  }
  c.X.fill(0.0);
  c.Y.fill(0.0);
  c.Z.fill(0.0);
  for (int i = 1; i <= b.n; ++i) {
    c.solvent(i) = static_cast<std::uint8_t>(kind[static_cast<std::size_t>(i - 1)]);
    for (int k = 1; k <= std::min(b.sites, MXSAT); ++k) {
      c.X(i, k) = b.at(b.x, i, k);
      c.Y(i, k) = b.at(b.y, i, k);
      c.Z(i, k) = b.at(b.z, i, k);
    }
  }
}

}  // namespace

// ------------------------------------------------------------------ public

BoxSource chooseBox(State& s, int code, int size) {
  BoxSource src;
  if (isWater(code)) {
    const int* p = std::find(std::begin(kWaterSizes), std::end(kWaterSizes), size);
    if (p == std::end(kWaterSizes)) unavailableSize(s);
    return {&s.io.waterfile, kWaterSkip[p - kWaterSizes], 4, code == 2 ? 4 : 3};
  }
  const int c = code == kSolventOther ? kArgon : code;
  if (c < 3 || c > 12) unavailableSize(s);
  const int sites = kOrganicSites[c - 3];
  src.unit = c <= 8 ? &s.io.org1fil : &s.io.org2fil;
  src.skip = kOrganicSkip[c - 3][organicIndex(s, code, size)];
  src.storedSites = src.readSites = sites;
  return src;
}

StoredBox readStoredBox(const BoxSource& src) {
  static const fmt::Format kHeader("I4,3F12.8"), kCoords("6F13.8");
  Unit& u = *src.unit;
  u.rewind();
  for (int k = 0; k < src.skip; ++k) u.readRequired();
  int n = 0;
  std::array<double, 3> half{};
  {
    fmt::FormattedInput in(kHeader, u);
    in >> n >> half[0] >> half[1] >> half[2];
  }
  if (n < 1 || n > MXS)
    throw fmt::InputError(u.origin(), "a stored box of " + std::to_string(n) + " molecules (1 to " +
                                          std::to_string(MXS) + " allowed)");
  for (double h : half)
    if (!(h > 0.0))
      throw fmt::InputError(u.origin(), "a stored box with a half edge of 0 or below");
  StoredBox b = emptyBox(n, src.readSites);
  b.half = half;
  fmt::FormattedInput in(kCoords, u);
  for (int k = 1; k <= src.readSites; ++k) {
    for (std::vector<double>* v : {&b.x, &b.y, &b.z})
      for (int i = 1; i <= n; ++i) in >> b.at(*v, i, k);
  }
  in.finish();
  return b;
}

void placeSolvent(State& s) {
  s.slvbox.requested = s.coord.NMOL;
  if (s.sol.code(1) == kSolventNone || s.sol.code(1) == 0 || s.coord.NMOL <= 0) {
    s.coord.NMOL = 0;
    return;
  }
  StoredBox b = firstSolventBox(s, s.coord.NMOL == kAutoBox);
  std::vector<int> kind(static_cast<std::size_t>(b.n), 1);
  placeSecondSolvent(s, b, kind);
  install(s, b, kind);
}

void tip5pLonePairs(const double o[3], const double h1[3], const double h2[3], double l1[3],
                    double l2[3]) {
  constexpr double kROL = 0.70, kHalfLOL = 0.5 * 109.47 * 0.017453292519943295;
  double a[3], b[3], bis[3], nrm[3];
  for (int k = 0; k < 3; ++k) {
    a[k] = h1[k] - o[k];
    b[k] = h2[k] - o[k];
  }
  const double la = std::hypot(a[0], a[1], a[2]), lb = std::hypot(b[0], b[1], b[2]);
  for (int k = 0; k < 3; ++k) bis[k] = a[k] / la + b[k] / lb;
  nrm[0] = a[1] * b[2] - a[2] * b[1];
  nrm[1] = a[2] * b[0] - a[0] * b[2];
  nrm[2] = a[0] * b[1] - a[1] * b[0];
  const double lbis = std::hypot(bis[0], bis[1], bis[2]), ln = std::hypot(nrm[0], nrm[1], nrm[2]);
  const double c = kROL * std::cos(kHalfLOL), sn = kROL * std::sin(kHalfLOL);
  for (int k = 0; k < 3; ++k) {
    l1[k] = o[k] - c * bis[k] / lbis + sn * nrm[k] / ln;
    l2[k] = o[k] - c * bis[k] / lbis - sn * nrm[k] / ln;
  }
}

}  // namespace veka
