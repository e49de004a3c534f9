#include "montecarlo/samplers.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "energy/solution.hpp"
#include "energy/solvterms.hpp"
#include "molecule/moments.hpp"

namespace veka {

namespace {

using Vec = std::array<double, 3>;

constexpr double kMaxHA2 = 2.5 * 2.5;
constexpr double kMinCos = -0.5;  // cos of the largest D-H...A angle counted as bent: 120 deg

bool polar(int z) {
  return z == 7 || z == 8;
}

Vec sub(const Vec& a, const Vec& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double dot(const Vec& a, const Vec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The angle at H between D and A is at least 120 degrees and H...A short enough.
bool bond(const Vec& d, const Vec& h, const Vec& a) {
  const Vec ha = sub(a, h), hd = sub(d, h);
  const double ha2 = dot(ha, ha);
  if (ha2 > kMaxHA2) return false;
  return dot(ha, hd) <= kMinCos * std::sqrt(ha2 * dot(hd, hd));
}

Vec soluteAt(const State& s, int i) {
  const Xyz& c = s.solcor.xyz[0];
  return {c.x(i), c.y(i), c.z(i)};
}

// The sites of molecule n shifted as a whole to their image nearest to point p.
struct Molecule {
  int nsites = 0;
  std::array<Vec, MXSAT> site{};
};

Molecule nearestImage(const State& s, int n, const Vec& p) {
  const Coord& c = s.coord;
  Molecule m;
  m.nsites = s.sol.nsites(1);
  Vec shift{};
  const Vec first{c.X(n, 1), c.Y(n, 1), c.Z(n, 1)};
  for (std::size_t a = 0; a < 3; ++a) {
    const int axis = static_cast<int>(a) + 1;
    shift[a] = solv::shiftOf(p[a] - first[a], c.HALF(axis), c.EDGE(axis),
                             axis != 3 || s.control.slab == 0);
  }
  for (int k = 1; k <= m.nsites; ++k)
    m.site[static_cast<std::size_t>(k - 1)] = {c.X(n, k) + shift[0], c.Y(n, k) + shift[1],
                                               c.Z(n, k) + shift[2]};
  return m;
}

// The site bound to hydrogen site k: the nearest other site that is neither a hydrogen
// nor a charge site without element.
int boundSite(const State& s, const Molecule& m, int k) {
  int best = k;
  double d2 = 1.0e30;
  for (int j = 0; j < m.nsites; ++j) {
    if (j == k || s.potpar.natW(j + 1, 1) <= 1) continue;
    const Vec d = sub(m.site[static_cast<std::size_t>(j)], m.site[static_cast<std::size_t>(k)]);
    if (dot(d, d) < d2) d2 = dot(d, d), best = j;
  }
  return best;
}

int soluteDonor(const State& s, int i) {
  const Potpar& p = s.potpar;
  if (s.zmat.ITYPE(i) == -1 || p.NATI(i) != 1) return 0;
  for (int k = 1; k <= s.covnbr.NNEB(i); ++k)
    if (const int j = s.covnbr.NEB(k, i); polar(p.NATI(j))) return j;
  return 0;
}

void countMolecule(const State& s, int n, HbondCount& c) {
  const Potpar& p = s.potpar;
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    if (s.zmat.ITYPE(i) == -1) continue;
    const int donor = soluteDonor(s, i);
    const bool acceptor = polar(p.NATI(i));
    if (donor == 0 && !acceptor) continue;
    const Vec xi = soluteAt(s, i);
    const Molecule m = nearestImage(s, n, xi);
    for (int k = 0; k < m.nsites; ++k) {
      const int z = p.natW(k + 1, 1);
      const Vec& xk = m.site[static_cast<std::size_t>(k)];
      if (donor != 0 && polar(z) && bond(soluteAt(s, donor), xi, xk)) ++c.donor;
      if (acceptor && z == 1) {
        const int b = boundSite(s, m, k);
        if (b != k && polar(p.natW(b + 1, 1)) && bond(m.site[static_cast<std::size_t>(b)], xk, xi))
          ++c.acceptor;
      }
    }
  }
}

}  // namespace

HbondCount countHbonds(const State& s) {
  HbondCount c;
  if (s.zmat.NSATM <= 0 || s.zmat.noSolute) return c;
  for (int n = 1; n <= s.coord.NMOL; ++n)
    if (solventOf(s, n) == 1) countMolecule(s, n, c);
  return c;
}

double systemDipole(const State& s) {
  Vec mu{};
  if (s.zmat.NSATM > 0 && !s.zmat.noSolute) {
    const Moments mo = moments(s, 0);
    mu = {mo.dipole[0], mo.dipole[1], mo.dipole[2]};
  }
  const Coord& c = s.coord;
  for (int n = 1; n <= c.NMOL; ++n) {
    const int kind = solventOf(s, n);
    for (int k = 2; k <= s.sol.nsites(kind); ++k) {
      const double q = s.potpar.QW(k, kind) / s.misc.SQ332;
      mu[0] += q * (c.X(n, k) - c.X(n, 1));
      mu[1] += q * (c.Y(n, k) - c.Y(n, 1));
      mu[2] += q * (c.Z(n, k) - c.Z(n, 1));
    }
  }
  return kDebyePerEA * std::sqrt(dot(mu, mu));
}

void startSamplers(State& s) {
  Mcrec& m = s.mcrec;
  if (s.config.NACCPT != 0) return;
  m.IHB = {};
  m.hbSamples = 0;
  m.hbDonor = m.hbAcceptor = m.dipoleSum = 0.0;
}

void samplePeriodic(State& s) {
  Mcrec& m = s.mcrec;
  ++m.hbSamples;
  m.dipoleSum += systemDipole(s);
  if (s.coord.NMOL <= 0) return;
  const HbondCount c = countHbonds(s);
  m.hbDonor += c.donor;
  m.hbAcceptor += c.acceptor;
  ++m.IHB(std::min(c.donor, 10) + 1);
  ++m.IHB(std::min(c.acceptor, 10) + 12);
}

}  // namespace veka
