// The trial geometry of a solute move: the choice of the solute, the rigid move of the
// three states, the internal move of its variables and the rebuild from the trial
// Z-matrices. The energies are in movmol_energy.cpp.
#include "montecarlo/movmol.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

#include "molecule/geometry.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/movmol_detail.hpp"
#include "montecarlo/random.hpp"

namespace veka {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double* axisOf(Xyz& c, int a) {
  return a == 1 ? c.x.data() : (a == 2 ? c.y.data() : c.z.data());
}

bool isCapAtom(const State& s, int m) {
  const Zmat& z = s.zmat;
  return s.control.cap && z.first(m) == z.last(m) && z.first(m) == s.cap.atom;
}

int chooseSolute(State& s) {
  const int n = s.zmat.NSOLUT;
  if (n <= 1) return 1;
  for (;;) {
    const int m = static_cast<int>(ranu(s.rands) * n) + 1;
    if (!isCapAtom(s, m)) return m;
  }
}

// What moves rigidly: the atoms, the ranges and the atom that is wrapped into the box.
struct RigidPart {
  int first, last, reference;
  double R, A;
};

// The rotation ranges ADELS are held in radians (the command section converts them).
RigidPart rigidPart(const State& s, int m) {
  const Zmat& z = s.zmat;
  const Movp& p = s.movp;
  const bool joint = s.sw.soluteBuild == 0 || z.NSOLUT == 1;
  if (m <= 2 && joint)
    return {1, z.last(z.NSOLUT == 1 ? 1 : 2), s.misc.NCENT(1), p.RDELS(1), p.ADELS(1)};
  const int ref = m == 1 ? s.misc.NCENT(1) : (m == 2 ? s.misc.NCENT(2) : z.first(m));
  return {z.first(m), z.last(m), ref, p.RDELS(m), p.ADELS(m)};
}

// Steps along x, y, z in turn for the atoms of `g` in all three states; an axis on which
// the reference atom leaves [-L/2, L/2] moves them back by one edge (not along z in a slab).
void translate(State& s, const RigidPart& g) {
  auto& t = s.move.sol.xyz;
  for (int a = 1; a <= 3; ++a) {
    const double d = ranu(s.rands) * (2.0 * g.R) - g.R;
    for (Xyz& c : t) {
      double* v = axisOf(c, a);
      for (int i = g.first; i <= g.last; ++i) v[i - 1] += d;
    }
    if (s.control.slab && a == 3) continue;
    const double r = axisOf(t[0], a)[g.reference - 1];
    const double half = s.coord.HALF(a), edge = s.coord.EDGE(a);
    const double shift = r > half ? -edge : (r < -half ? edge : 0.0);
    if (shift == 0.0) continue;
    for (Xyz& c : t) {
      double* v = axisOf(c, a);
      for (int i = g.first; i <= g.last; ++i) v[i - 1] += shift;
    }
  }
}

int rotationCentre(const State& s, int m) {
  return m <= 2 ? s.misc.rotationCentre(m) : s.zmat.first(m);
}

// Turns solute m by theta about its rotation-centre atom, in all three states; with
// variable internal coordinates only its first three atoms (the rebuild places the rest).
void rotateSolute(State& s, int m, double theta) {
  const Zmat& z = s.zmat;
  const int axis = rotationAxis(ranu(s.rands));
  const int last = hasVariables(s) && z.last(m) - z.first(m) >= 3 ? z.first(m) + 2 : z.last(m);
  for (Xyz& c : s.move.sol.xyz)
    rotateAbout(axis, theta, c.x.data(), c.y.data(), c.z.data(), z.first(m), last,
                rotationCentre(s, m));
}

// Positions (1-based among n) of the variables of one kind this move changes: all of them
// when n < 4, else min(int((n - 2) r) + 2, cap) distinct ones from the stream, ascending.
int choosePositions(State& s, int n, std::span<int> pos) {
  if (n < 4) {
    for (int j = 0; j < n; ++j) pos[static_cast<std::size_t>(j)] = j + 1;
    return n;
  }
  const int cap = s.movp.maxVarMove > 0 ? s.movp.maxVarMove : 15;
  const int m = std::min(static_cast<int>((n - 2) * ranu(s.rands)) + 2, cap);
  ranint(s.rands, pos.first(static_cast<std::size_t>(m)), n);
  return m;
}

double wrapDihedral(double v) {
  if (v > kTwoPi) return v - kTwoPi;
  if (v < 0.0) return v + kTwoPi;
  return v;
}

// New value of variable dihedral n: an ordinary step, or every K-th selection of a flip
// dihedral a flip of +-F.
double dihedralStep(State& s, int n, bool& flip) {
  Dihcom& d = s.dihcom;
  const double old = d.PHI[0](n);
  if (d.FLIP(n) != 0.0 && ++d.flipVisits >= std::max(2 * d.NFLIPD, 6)) {
    d.flipVisits = 0;
    flip = true;
    return wrapDihedral(ranu(s.rands) >= 0.5 ? old + d.FLIP(n) : old - d.FLIP(n));
  }
  return wrapDihedral(old + (ranu(s.rands) * d.DDMX(n) - d.DDIH(n)));
}

void moveDihedrals(State& s, int m, std::span<int> pos) {
  SoluteTrial& t = s.move.sol;
  const int k = choosePositions(s, t.vars.count(2, m), pos);
  bool flip = false;
  for (int j = 0; j < k; ++j) {
    const int n = t.vars.of(2, m)[pos[static_cast<std::size_t>(j)] - 1];
    t.PHI[0](n) = dihedralStep(s, n, flip);
  }
  if (flip) s.dihcom.flipTried = -(s.dihcom.flipTried + 1);
}

// Bonds (kind 0) or angles (kind 1): old + (r 2D - D) f.
template <class Values>
void moveStretchy(State& s, int kind, int m, std::span<int> pos, Values& trial, const Values& d,
                  const Values& d2) {
  SoluteTrial& t = s.move.sol;
  const int n = t.vars.count(kind, m);
  if (n == 0) return;
  const int other = kind == 0 ? s.angcom.NVANG : s.bndcom.NVBND;
  const int kinds = 1 + (other > 0 ? 1 : 0) + (s.dihcom.NVDIH > 0 ? 1 : 0);
  const int k = choosePositions(s, n, pos);
  const double f = stepFactor(k, kinds);
  for (int j = 0; j < k; ++j) {
    const int v = t.vars.of(kind, m)[pos[static_cast<std::size_t>(j)] - 1];
    trial(v) += (ranu(s.rands) * d2(v) - d(v)) * f;
  }
}

// Dependent variables copy their source; the perturbed states follow the reference, each
// variable keeping its offset from the reference (a geometry variation of a variable
// dihedral stays as the set-up and the full energy have it).
void followReference(State& s) {
  SoluteTrial& t = s.move.sol;
  const Bndcom& b = s.bndcom;
  const Angcom& a = s.angcom;
  const Dihcom& d = s.dihcom;
  for (int n = 1; n <= b.NVBND; ++n)
    if (b.IBDEP(n)) t.RB[0](n) = t.RB[0](b.IBDEP(n));
  for (int n = 1; n <= a.NVANG; ++n)
    if (a.IADEP(n)) t.TH[0](n) = t.TH[0](a.IADEP(n));
  for (int n = 1; n <= d.NVDIH; ++n)
    if (d.IDDEP(n)) t.PHI[0](n) = t.PHI[0](d.IDDEP(n));
  for (std::size_t k = 1; k < 3; ++k) {
    for (int n = 1; n <= b.NVBND; ++n) t.RB[k](n) = t.RB[0](n) + (b.RB[k](n) - b.RB[0](n));
    for (int n = 1; n <= a.NVANG; ++n) t.TH[k](n) = t.TH[0](n) + (a.TH[k](n) - a.TH[0](n));
    for (int n = 1; n <= d.NVDIH; ++n) t.PHI[k](n) = t.PHI[0](n) + (d.PHI[k](n) - d.PHI[0](n));
  }
}

void internalMove(State& s, int m) {
  SoluteTrial& t = s.move.sol;
  for (std::size_t k = 0; k < 3; ++k) {
    std::copy_n(s.bndcom.RB[k].data(), s.bndcom.NVBND, t.RB[k].data());
    std::copy_n(s.angcom.TH[k].data(), s.angcom.NVANG, t.TH[k].data());
    std::copy_n(s.dihcom.PHI[k].data(), s.dihcom.NVDIH, t.PHI[k].data());
  }
  std::array<int, MAXDIH> pos{};
  moveDihedrals(s, m, pos);
  moveStretchy(s, 0, m, pos, t.RB[0], s.bndcom.DBND, s.bndcom.DBMX);
  moveStretchy(s, 1, m, pos, t.TH[0], s.angcom.DANG, s.angcom.DAMX);
  followReference(s);
}

// `makml2`: the trial values into the Z-matrices of the three states, then solute m's atoms
// after its first three placed again from their partners' trial coordinates.
void rebuild(State& s, int m) {
  SoluteTrial& t = s.move.sol;
  const Zmat& z = s.zmat;
  const int states = s.geom.noPert ? 1 : 3;
  for (std::size_t k = 0; k < static_cast<std::size_t>(states); ++k) {
    ZValues& v = t.zm[k];
    for (int n = 1; n <= s.bndcom.NVBND; ++n) v.bnd(s.bndcom.IB1(n)) = t.RB[k](n);
    for (int n = 1; n <= s.angcom.NVANG; ++n) v.ang(s.angcom.IA1(n)) = t.TH[k](n);
    for (int n = 1; n <= s.dihcom.NVDIH; ++n) v.dih(s.dihcom.ID4(n)) = t.PHI[k](n);
    const ZmatView view{z.last(m),    z.IZ1.data(), z.IZ2.data(), z.IZ3.data(),
                        v.bnd.data(), v.ang.data(), v.dih.data()};
    if (z.last(m) - z.first(m) >= 3) makmolFrom(t.xyz[k], view, z.first(m) + 3);
  }
}

void copyCurrent(State& s) {
  const auto n = static_cast<std::size_t>(s.zmat.NSATM);
  for (std::size_t k = 0; k < 3; ++k) {
    const Xyz& c = s.solcor.xyz[k];
    Xyz& t = s.move.sol.xyz[k];
    std::copy_n(c.x.data(), n, t.x.data());
    std::copy_n(c.y.data(), n, t.y.data());
    std::copy_n(c.z.data(), n, t.z.data());
  }
}

}  // namespace

bool hasVariables(const State& s) {
  return s.bndcom.NVBND + s.angcom.NVANG + s.dihcom.NVDIH > 0;
}

double stepFactor(int m, int k) {
  auto bracket = [](int x) {
    const float num = 0.2f / static_cast<float>(x * x * x) + 0.8f;
    return static_cast<double>(num) / std::sqrt(static_cast<double>(x));
  };
  return bracket(m) * bracket(k);
}

void soluteTrialGeometry(State& s) {
  const int m = chooseSolute(s);
  s.move.solute = m;
  copyCurrent(s);
  const RigidPart g = rigidPart(s, m);
  translate(s, g);
  const double theta = ranu(s.rands) * (2.0 * g.A) - g.A;
  if (s.zmat.last(m) > s.zmat.first(m)) rotateSolute(s, m, theta);
  if (hasVariables(s)) {
    internalMove(s, m);
    rebuild(s, m);
  } else if (s.sw.soluteSetup == 1 && !s.geom.noPert) {
    SoluteTrial& t = s.move.sol;
    qtrf(s.zmat.NSATM, t.xyz[0], t.xyz[1]);
    qtrf(s.zmat.NSATM, t.xyz[0], t.xyz[2]);
  }
}

void recordDihedralHistory(State& s) {
  Dihcom& d = s.dihcom;
  if (d.NDIH == 0 || ++d.histMoves % d.histInterval != 0 || d.histIndex == MAXHIS) return;
  ++d.histIndex;
  for (int n = 1; n <= std::min(d.NDIH, NHISD); ++n) {
    double phi = std::fmod(d.PHI[0](n), kTwoPi);
    if (phi < 0.0) phi += kTwoPi;
    const int bin = std::min(static_cast<int>(phi * 48.0 / kTwoPi), 47) + 1;
    d.hist(n, d.histIndex) = static_cast<std::uint16_t>(bin);
  }
}

void adaptSoluteSteps(State& s) {
  const int every = 20 * s.movp.NSCHG;
  if (s.zmat.NSOLUT <= 2 || every <= 0 || s.config.NCON % every != 0) return;
  Movp& p = s.movp;
  for (int i = 3; i <= s.zmat.NSOLUT; ++i) {
    const int tried = s.mcrec.soluteTried(i);
    if (tried < 1) continue;
    const double ratio = static_cast<double>(s.mcrec.soluteAccepted(i)) / tried;
    if (ratio > 0.6) {
      p.RDELS(i) = std::min(1.1 * p.RDELS(i), 100.0);
      p.ADELS(i) = std::min(1.1 * p.ADELS(i), kTwoPi);
    } else if (ratio < 0.4) {
      p.RDELS(i) *= 0.9;
      p.ADELS(i) *= 0.9;
    }
  }
}

}  // namespace veka
