#include "energy/xxpot.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/terms.hpp"
#include "molecule/params.hpp"

namespace veka {

namespace {

constexpr int kMarker = 9999;  // atom field of a position or centroid restraint

inline std::size_t st(int k) {
  return static_cast<std::size_t>(k);
}

int stateCount(const State& s) {
  return s.geom.noPert ? 1 : 3;
}

double dist2(const Xyz& c, int i, int j) {
  const double dx = c.x(i) - c.x(j), dy = c.y(i) - c.y(j), dz = c.z(i) - c.z(j);
  return dx * dx + dy * dy + dz * dz;
}

// Separations with the minimum image: an axis whose |d| exceeds the half edge loses one
// edge. `on` is false outside Monte Carlo runs; `zOn` false in a slab.
struct Image {
  bool on = false, zOn = false;
  double ex = 0, ey = 0, ez = 0, hx = 0, hy = 0, hz = 0;
  explicit Image(const State& s) {
    on = s.control.runMode <= 1;
    zOn = on && s.control.slab == 0;
    ex = s.coord.EDGE(1), ey = s.coord.EDGE(2), ez = s.coord.EDGE(3);
    hx = s.coord.HALF(1), hy = s.coord.HALF(2), hz = s.coord.HALF(3);
  }
  // The separation to the nearest image, with its sign (the field needs the direction).
  void apply(double& dx, double& dy, double& dz) const {
    if (!on) return;
    if (std::fabs(dx) > hx) dx = dx > 0 ? dx - ex : dx + ex;
    if (std::fabs(dy) > hy) dy = dy > 0 ? dy - ey : dy + ey;
    if (zOn && std::fabs(dz) > hz) dz = dz > 0 ? dz - ez : dz + ez;
  }
};

double positionTerm(const Xyz& c, int i, double k, double px, double py, double pz) {
  const double dx = c.x(i) - px, dy = c.y(i) - py, dz = c.z(i) - pz;
  return k * (dx * dx + dy * dy + dz * dz);
}

double centroidTerm(const Xyz& c, int j, double k, const double (&p)[3]) {
  double cx = 0, cy = 0, cz = 0;
  int m = 0;
  for (double v : p) {
    const int a = static_cast<int>(v);
    if (a == 0) continue;
    cx += c.x(a), cy += c.y(a), cz += c.z(a);
    ++m;
  }
  return positionTerm(c, j, k, cx / m, cy / m, cz / m);
}

double flatBottom(double r, double lower, double upper, double k) {
  if (r > upper) return k * (r - upper) * (r - upper);
  if (r <= lower) return k * (r - lower) * (r - lower);
  return 0.0;
}

void addDihedralRestraints(const State& s, std::array<double, 3>& e) {
  const Dihcom& d = s.dihcom;
  for (int n = 1; n <= d.NDIH; ++n) {
    if (d.ITOR0(n) != kDihedralRestraintType) continue;
    const double en = dihedralRestraintTerm(d, n, d.PHI[0](n));
    e[0] += en;
    if (s.geom.RC1 != s.geom.RC0) e[1] += en;
    if (s.geom.RC2 != s.geom.RC0) e[2] += en;
  }
}

struct PairSums {
  double total = 0.0, coul = 0.0, lj = 0.0;  // coul, lj: the selected solute's parts
};

// Pair energy of state k between the solute molecules.
PairSums interPairs(const State& s, int k, const Image& img) {
  const Zmat& z = s.zmat;
  const Potpar& p = s.potpar;
  const Xyz& c = s.solcor.xyz[st(k)];
  const auto& slot = p.slot[st(k)];
  const double invD = 1.0 / p.DIELEC;
  const double krf = s.cutoff.reactionField ? s.cutoff.KRF : 0.0;
  const int lastMol = s.sw.firstSoluteOnly == 1 ? 1 : z.NSOLUT - 1;
  PairSums sum;
  for (int mi = 1; mi <= lastMol; ++mi) {
    const bool selI = mi == s.energy.selected;
    for (int i = z.first(mi); i <= z.last(mi); ++i) {
      if (z.ITYPE(i) == -1) continue;
      const int si = slot(i);
      const double qi = p.Q(si) * invD, ai = p.A(si), ci = p.C(si);
      for (int mj = mi + 1; mj <= z.NSOLUT; ++mj) {
        const bool sel = k == 0 && (selI || mj == s.energy.selected);
        double ec = 0.0, el = 0.0;
        for (int j = z.first(mj); j <= z.last(mj); ++j) {
          if (z.ITYPE(j) == -1) continue;
          double dx = c.x(i) - c.x(j), dy = c.y(i) - c.y(j), dz = c.z(i) - c.z(j);
          img.apply(dx, dy, dz);
          const int sj = slot(j);
          const InterPair t = interPairTerm(dx * dx + dy * dy + dz * dz, qi, p.Q(sj), krf, ai,
                                            p.A(sj), ci, p.C(sj));
          el += t.lj;
          ec += t.coul;
        }
        sum.total += ec + el;
        if (sel) sum.coul += ec, sum.lj += el;
      }
    }
  }
  return sum;
}

// Polarisation energy of state k.
double polarisation(const State& s, int k, const Image& img) {
  const Zmat& z = s.zmat;
  const Potpar& p = s.potpar;
  const Xyz& c = s.solcor.xyz[st(k)];
  const auto& slot = p.slot[st(k)];
  double e = 0.0;
  for (int mi = 1; mi <= z.NSOLUT; ++mi) {
    for (int i = z.first(mi); i <= z.last(mi); ++i) {
      if (z.ITYPE(i) == -1 || p.alpha(i) == 0.0) continue;
      double fx = 0.0, fy = 0.0, fz = 0.0;
      for (int mj = 1; mj <= z.NSOLUT; ++mj) {
        if (mj == mi) continue;
        for (int j = z.first(mj); j <= z.last(mj); ++j) {
          if (z.ITYPE(j) == -1) continue;
          const double q = p.Q(slot(j));
          if (q == 0.0) continue;
          double dx = c.x(i) - c.x(j), dy = c.y(i) - c.y(j), dz = c.z(i) - c.z(j);
          img.apply(dx, dy, dz);
          const double f = fieldFactor(dx * dx + dy * dy + dz * dz, q);
          fx += f * dx, fy += f * dy, fz += f * dz;
        }
      }
      e += p.alpha(i) * (fx * fx + fy * fy + fz * fz);
    }
  }
  return -0.5 * e;
}

}  // namespace

double restraintTerm(const State& s, int n, int k) {
  const Nbcon& c = s.nbcon;
  const Xyz& x = s.solcor.xyz[st(k)];
  const int i = c.IBC(n), j = c.JBC(n);
  const double r0 = c.RBC0(n), p[3] = {c.PBC1(n), c.PBC2(n), c.PBC3(n)};
  if (j == kMarker) return positionTerm(x, i, r0, p[0], p[1], p[2]);
  if (i == kMarker) {
    if (static_cast<int>(p[0]) == 0) return 0.0;
    return centroidTerm(s.solcor.xyz[0], j, r0, p);
  }
  if (r0 >= 0.0) {
    const double d = std::sqrt(dist2(x, i, j)) - r0;
    return p[k] * d * d;
  }
  return k == 0 ? flatBottom(std::sqrt(dist2(x, i, j)), p[0], p[1], p[2]) : 0.0;
}

std::array<double, 3> restraintEnergies(const State& s) {
  const int states = stateCount(s);
  std::array<double, 3> e{};
  for (int n = 1; n <= s.nbcon.NBC; ++n)
    for (int k = 0; k < states; ++k) e[st(k)] += restraintTerm(s, n, k);
  addDihedralRestraints(s, e);
  if (s.geom.noPert) e[1] = e[2] = e[0];
  return e;
}

void xxpot(State& s) {
  const std::array<double, 3> bc = restraintEnergies(s);
  Nbcon& c = s.nbcon;
  Energy& en = s.energy;
  c.EBCNEW = bc;
  std::array<double, 3> pair{};
  en.EXXC = en.EXXL = 0.0;
  if (!qmSolutes(s) && s.zmat.NSOLUT > 1) {
    const Image img(s);
    for (int k = 0; k < stateCount(s); ++k) {
      const PairSums ps = interPairs(s, k, img);
      pair[st(k)] = ps.total;
      if (k == 0) en.EXXC = ps.coul, en.EXXL = ps.lj;
    }
  }
  if (s.geom.noPert) pair[1] = pair[2] = pair[0];
  for (std::size_t k = 0; k < 3; ++k) en.EXXNEW[k] = bc[k] + pair[k];
}

void polpot(State& s) {
  Energy& en = s.energy;
  en.EPONEW = {};
  if (!s.potpar.polarisable) return;
  const Image img(s);
  en.EPONEW[0] = polarisation(s, 0, img);
  en.EPONEW[1] = s.geom.noPert ? en.EPONEW[0] : polarisation(s, 1, img);
  en.EPONEW[2] = s.geom.noPert ? en.EPONEW[0] : polarisation(s, 2, img);
}

void listSoluteOneOnly(State& s) {
  if (s.sw.firstSoluteOnly == 1)
    s.io.list(" *** Solute - Solute Interactions Neglected for Solutes Other than Solute 1 ***");
}

}  // namespace veka
