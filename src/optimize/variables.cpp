#include "optimize/variables.hpp"

#include <algorithm>
#include <cmath>

#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "molecule/geometry.hpp"
#include "optimize/cartgrad.hpp"

namespace veka {

namespace {

constexpr double kBondLow = 0.1, kBondHigh = 100.0;     // A
constexpr double kAngleMargin = 1.7453292519943295e-8;  // 1e-6 degree in radians
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

double& zvalue(Zmat& z, int kind, int atom) {
  if (kind == kVarBond) return z.BND(atom);
  if (kind == kVarAngle) return z.ANG(atom);
  return z.DIH(atom);
}

// The atom of entry n of a variable list and the list index of the entry it copies.
struct Entry {
  int atom, master;
};
Entry entryOf(const State& s, int kind, int n) {
  if (kind == kVarBond) return {s.bndcom.IB1(n), s.bndcom.IBDEP(n)};
  if (kind == kVarAngle) return {s.angcom.IA1(n), s.angcom.IADEP(n)};
  return {s.dihcom.ID4(n), s.dihcom.IDDEP(n)};
}
int listLength(const State& s, int kind) {
  if (kind == kVarBond) return s.bndcom.NVBND;
  if (kind == kVarAngle) return s.angcom.NVANG;
  return s.dihcom.NVDIH;
}

void addVariable(State& s, int kind, int n, int atom) {
  Optim& o = *s.optim;
  const int k = ++o.nvar;
  o.kind(k) = kind;
  o.entry(k) = n;
  o.atom(k) = atom;
  o.firstAtom(k) = atom;
  o.x(k) = zvalue(s.zmat, kind, atom);
  if (kind == kVarBond) {
    o.lower(k) = kBondLow, o.upper(k) = kBondHigh;
  } else if (kind == kVarAngle) {
    o.lower(k) = kAngleMargin, o.upper(k) = kPi - kAngleMargin;
  } else {
    o.lower(k) = -kTwoPi, o.upper(k) = 2.0 * kTwoPi;
  }
}

// The variable that holds entry n of the list of `kind`, or 0.
int variableOf(const Optim& o, int kind, int n) {
  for (int k = 1; k <= o.nvar; ++k)
    if (o.kind(k) == kind && o.entry(k) == n) return k;
  return 0;
}

// The variable-dihedral entry of an atom, or 0.
int findDihedralEntry(const State& s, int atom) {
  for (int n = 1; n <= s.dihcom.NVDIH; ++n)
    if (s.dihcom.ID4(n) == atom) return n;
  return 0;
}

// Dependent entries in compressed rows per variable, and the lowest atom each moves.
void collectDependents(State& s) {
  Optim& o = *s.optim;
  for (int k = 1; k <= o.nvar + 1; ++k) o.depStart(k) = 0;
  auto forEachDependent = [&](auto&& f) {
    for (int kind = kVarBond; kind <= kVarDihedral; ++kind)
      for (int n = 1; n <= listLength(s, kind); ++n) {
        const Entry e = entryOf(s, kind, n);
        if (e.master == 0) continue;
        if (const int k = variableOf(o, kind, e.master); k != 0) f(k, e.atom);
      }
  };
  forEachDependent([&](int k, int) { ++o.depStart(k + 1); });
  o.depStart(1) = 0;
  for (int k = 1; k <= o.nvar; ++k) o.depStart(k + 1) += o.depStart(k);
  Array1<int, MAXOPT + 1>& fill = o.depStart;  // advanced while filling, restored below
  forEachDependent([&](int k, int atom) {
    o.depAtom(++fill(k)) = atom;
    o.firstAtom(k) = std::min(o.firstAtom(k), atom);
  });
  for (int k = o.nvar; k >= 1; --k) o.depStart(k + 1) = o.depStart(k);
  o.depStart(1) = 0;
}

// The angle v + 2 pi k nearest to `near`.
double nearestBranch(double v, double near) {
  return v + kTwoPi * std::nearbyint((near - v) / kTwoPi);
}

// Variable angles outside [0, pi] place their atom as the angle 2 pi - theta (or -theta)
// with the dihedral turned by pi: the angle terms take the angle of the geometry, and the
// atom's own variable dihedral the dihedral of the geometry.
void geometricAngles(State& s) {
  Angcom& a = s.angcom;
  Dihcom& d = s.dihcom;
  const Xyz& c = s.solcor.xyz[0];
  for (int n = 1; n <= a.NVANG; ++n) {
    const double th = a.TH[0](n);
    if (th >= 0.0 && th <= kPi) continue;
    a.TH[0](n) = bondAngle(atom(c, a.IA1(n)), atom(c, a.IA2(n)), atom(c, a.IA3(n)));
    for (int m = 1; m <= d.NVDIH; ++m) {
      if (d.ID4(m) != a.IA1(n)) continue;
      const double phi =
          dihedral(atom(c, d.ID1(m)), atom(c, d.ID2(m)), atom(c, d.ID3(m)), atom(c, d.ID4(m)));
      d.PHI[0](m) = nearestBranch(phi, d.PHI[0](m) + kPi);
    }
  }
}

bool hasDependents(const Optim& o, int k) {
  return o.depStart(k + 1) > o.depStart(k);
}

}  // namespace

int countVariables(const State& s) {
  int n = 0;
  for (int kind = kVarBond; kind <= kVarDihedral; ++kind)
    for (int e = 1; e <= listLength(s, kind); ++e)
      if (entryOf(s, kind, e).master == 0) ++n;
  return n;
}

void collectVariables(State& s) {
  Optim& o = optimArea(s);
  o.nvar = 0;
  for (int kind = kVarBond; kind <= kVarDihedral; ++kind)
    for (int n = 1; n <= listLength(s, kind); ++n) {
      const Entry e = entryOf(s, kind, n);
      if (e.master == 0) addVariable(s, kind, n, e.atom);
    }
  collectDependents(s);
  o.built = false;
  o.termsBuilt = false;
  setActive(s);
}

void setActive(State& s, int fixed) {
  Optim& o = *s.optim;
  o.nact = 0;
  for (int k = 1; k <= o.nvar; ++k) {
    if (k == fixed) continue;
    const auto m = static_cast<std::size_t>(o.nact);
    o.active(++o.nact) = k;
    o.xa[m] = o.x(k);
    o.la[m] = o.lower(k);
    o.ua[m] = o.upper(k);
  }
}

void takeActive(State& s) {
  Optim& o = *s.optim;
  for (int m = 1; m <= o.nact; ++m) o.x(o.active(m)) = o.xa[static_cast<std::size_t>(m - 1)];
}

void setVariable(State& s, int k, double v) {
  Optim& o = *s.optim;
  const int kind = o.kind(k);
  zvalue(s.zmat, kind, o.atom(k)) = v;
  for (int d = o.depStart(k) + 1; d <= o.depStart(k + 1); ++d)
    zvalue(s.zmat, kind, o.depAtom(d)) = v;
}

void applyAll(State& s) {
  Optim& o = *s.optim;
  for (int k = 1; k <= o.nvar; ++k) setVariable(s, k, o.x(k));
  for (int m = 1; m <= o.nact; ++m) o.xa[static_cast<std::size_t>(m - 1)] = o.x(o.active(m));
  o.built = false;
}

int applyActive(State& s, const double* xa) {
  Optim& o = *s.optim;
  int first = o.built ? s.zmat.NSATM + 1 : 1;
  for (int m = 1; m <= o.nact; ++m) {
    const int k = o.active(m);
    const double v = xa[m - 1];
    if (o.built && v == o.x(k)) continue;
    o.x(k) = v;
    setVariable(s, k, v);
    first = std::min(first, o.firstAtom(k));
  }
  return first;
}

void buildGeometry(State& s, int first) {
  Optim& o = *s.optim;
  Xyz& c = s.solcor.xyz[0];
  if (!o.built || first <= 3)
    makmol(c, s.zmat);
  else if (first <= s.zmat.NSATM)
    makmolFrom(c, workingView(s.zmat), first);
  o.built = true;
  zmatTermValues(s);
  geometricAngles(s);
}

void foldAngles(State& s) {
  Optim& o = *s.optim;
  Zmat& z = s.zmat;
  takeActive(s);
  for (int k = 1; k <= o.nvar; ++k) {
    const double th = o.x(k);
    if (o.kind(k) != kVarAngle || (th >= 0.0 && th <= kPi) || hasDependents(o, k)) continue;
    const int atom = o.atom(k);
    if (s.zmat.IZ3(atom) == 0) continue;  // no dihedral to turn: a turn of the frame
    int kd = 0;                           // the atom's dihedral variable
    for (int m = 1; m <= o.nvar; ++m)
      if (o.kind(m) == kVarDihedral && o.atom(m) == atom) kd = m;
    const int entry = findDihedralEntry(s, atom);
    if (kd != 0 ? hasDependents(o, kd) : entry != 0) continue;  // a dependent dihedral
    double t = std::fmod(th, kTwoPi);
    if (t < 0.0) t += kTwoPi;
    const bool turn = t > kPi;
    o.x(k) = turn ? kTwoPi - t : t;
    setVariable(s, k, o.x(k));
    if (!turn) continue;
    if (kd != 0) {
      o.x(kd) += o.x(kd) + kPi > o.upper(kd) ? -kPi : kPi;
      setVariable(s, kd, o.x(kd));
    } else {
      z.DIH(atom) += kPi;
    }
  }
  for (int m = 1; m <= o.nact; ++m) o.xa[static_cast<std::size_t>(m - 1)] = o.x(o.active(m));
  o.built = false;
}

double energyAt(State& s, const double* xa) {
  buildGeometry(s, applyActive(s, xa));
  ++s.optim->energies;
  return gasPhaseEnergy(s);
}

void gradientAt(State& s, const double* xa, double* ga) {
  buildGeometry(s, applyActive(s, xa));
  ++s.optim->gradients;
  cartesianGradient(s);
  variableGradient(s, ga);
}

}  // namespace veka
