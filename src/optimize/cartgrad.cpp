#include "optimize/cartgrad.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/terms.hpp"
#include "energy/xxpot.hpp"
#include "molecule/geometry.hpp"
#include "optimize/variables.hpp"

namespace veka {

namespace {

constexpr int kMarker = 9999;  // atom field of a position or centroid restraint
constexpr double kTwoPi = 6.283185307179586;

// Compressed rows from items that each name up to four atoms: atomsOf(n, out) writes the
// distinct atoms of item n into out and returns their number.
template <int N, class AtomsOf>
void buildRows(AtomRows<N>& rows, int natoms, int nitems, AtomsOf&& atomsOf) {
  for (int i = 1; i <= natoms + 1; ++i) rows.start(i) = 0;
  int a[4];
  for (int n = 1; n <= nitems; ++n)
    for (int m = 0, k = atomsOf(n, a); m < k; ++m) ++rows.start(a[m] + 1);
  for (int i = 1; i <= natoms; ++i) rows.start(i + 1) += rows.start(i);
  // Fill with start(i) as the cursor of atom i, which ends at the start of atom i + 1;
  // then shift the starts back by one atom.
  for (int n = 1; n <= nitems; ++n)
    for (int m = 0, k = atomsOf(n, a); m < k; ++m) rows.item(++rows.start(a[m])) = n;
  for (int i = natoms; i >= 1; --i) rows.start(i + 1) = rows.start(i);
  rows.start(1) = 0;
}

// Distinct atoms of a list of up to four, in place; returns their number.
int distinct(int* a, int k) {
  int m = 0;
  for (int i = 0; i < k; ++i) {
    if (a[i] < 1) continue;
    bool seen = false;
    for (int j = 0; j < m; ++j) seen = seen || a[j] == a[i];
    if (!seen) a[m++] = a[i];
  }
  return m;
}

int restraintAtoms(const Nbcon& c, int n, int* a) {
  const int i = c.IBC(n), j = c.JBC(n);
  if (j == kMarker) {
    a[0] = i;
    return 1;
  }
  if (i == kMarker) {
    if (static_cast<int>(c.PBC1(n)) == 0) return 0;
    a[0] = j, a[1] = static_cast<int>(c.PBC1(n)), a[2] = static_cast<int>(c.PBC2(n));
    a[3] = static_cast<int>(c.PBC3(n));
    return distinct(a, 4);
  }
  a[0] = i, a[1] = j;
  return distinct(a, 2);
}

// The angle v + 2 pi k nearest to `near`.
double nearestBranch(double v, double near) {
  return v + kTwoPi * std::nearbyint((near - v) / kTwoPi);
}

double bondedEnergy(const State& s, int a) {
  const AtomTerms& t = s.optim->terms;
  const Xyz& c = s.solcor.xyz[0];
  const Bndcom& b = s.bndcom;
  const Angcom& an = s.angcom;
  const Dihcom& d = s.dihcom;
  double e = 0.0;
  for (int m = t.bonds.first(a); m <= t.bonds.last(a); ++m) {
    const int n = t.bonds.item(m);
    const double r = distance(atom(c, b.IB1(n)), atom(c, b.IB2(n)));
    e += harmonicTerm(b.KB[0](n), r, b.RB0[0](n));
  }
  for (int m = t.angles.first(a); m <= t.angles.last(a); ++m) {
    const int n = t.angles.item(m);
    const double th = bondAngle(atom(c, an.IA1(n)), atom(c, an.IA2(n)), atom(c, an.IA3(n)));
    e += harmonicTerm(an.KA[0](n), th, an.TH0[0](n));
  }
  for (int m = t.dihedrals.first(a); m <= t.dihedrals.last(a); ++m) {
    const int n = t.dihedrals.item(m);
    double phi =
        dihedral(atom(c, d.ID1(n)), atom(c, d.ID2(n)), atom(c, d.ID3(n)), atom(c, d.ID4(n)));
    if (d.ITOR0(n) == kDihedralRestraintType) {
      if (n <= d.NVDIH) phi = nearestBranch(phi, d.PHI[0](n));
      e += dihedralRestraintTerm(d, n, phi);
    } else {
      e += torsionTerm(d, 0, n, phi);
    }
  }
  for (int m = t.restraints.first(a); m <= t.restraints.last(a); ++m)
    e += restraintTerm(s, t.restraints.item(m), 0);
  return e;
}

double intraPairEnergy(const State& s, int a) {
  const AtomTerms& t = s.optim->terms;
  const Xyz& c = s.solcor.xyz[0];
  const Nbcom& nb = s.nbcom;
  const Potpar& p = s.potpar;
  const auto& slot = p.slot[0];
  const double invD = 1.0 / p.DIELEC;
  const double sc[2] = {invD, p.SCL14C * invD}, sl[2] = {1.0, p.SCL14L};
  double e = 0.0;
  for (int m = t.pairs.first(a); m <= t.pairs.last(a); ++m) {
    const int n = t.pairs.item(m);
    if (nb.EWX(n) & 1) continue;  // kept for an Ewald correction only: no energy here
    const int i = nb.NBI(n), j = nb.NBJ(n), k = nb.I14(n) & 1;
    const int si = slot(i), sj = slot(j);
    const double dx = c.x(i) - c.x(j), dy = c.y(i) - c.y(j), dz = c.z(i) - c.z(j);
    e += pairTerm(dx * dx + dy * dy + dz * dz, sc[k] * p.Q(si), p.Q(sj), sl[k], p.A(si), p.A(sj),
                  p.C(si), p.C(sj));
  }
  return e;
}

// True when the solute-solute energy has pairs between molecules ma and mb.
bool interacting(const State& s, int ma, int mb) {
  return ma != mb && (s.sw.firstSoluteOnly != 1 || ma == 1 || mb == 1);
}

double interPairEnergy(const State& s, int a) {
  const Zmat& z = s.zmat;
  if (z.NSOLUT < 2 || z.ITYPE(a) == -1) return 0.0;
  const Xyz& c = s.solcor.xyz[0];
  const Potpar& p = s.potpar;
  const auto& slot = p.slot[0];
  const double krf = s.cutoff.reactionField ? s.cutoff.KRF : 0.0;
  const int sa = slot(a), ma = s.optim->terms.molecule(a);
  const double qa = p.Q(sa) / p.DIELEC, aa = p.A(sa), ca = p.C(sa);
  double e = 0.0;
  for (int mb = 1; mb <= z.NSOLUT; ++mb) {
    if (!interacting(s, ma, mb)) continue;
    for (int j = z.first(mb); j <= z.last(mb); ++j) {
      if (z.ITYPE(j) == -1) continue;
      const int sj = slot(j);
      const double dx = c.x(a) - c.x(j), dy = c.y(a) - c.y(j), dz = c.z(a) - c.z(j);
      const InterPair t =
          interPairTerm(dx * dx + dy * dy + dz * dz, qa, p.Q(sj), krf, aa, p.A(sj), ca, p.C(sj));
      e += t.coul + t.lj;
    }
  }
  return e;
}

bool polarisable(const State& s, int i) {
  return s.zmat.ITYPE(i) != -1 && s.potpar.alpha(i) != 0.0;
}

// Field at point r from the charges of the molecules other than `mol`.
Vec3 fieldAt(const State& s, const Vec3& r, int mol) {
  const Zmat& z = s.zmat;
  const Xyz& c = s.solcor.xyz[0];
  const Potpar& p = s.potpar;
  Vec3 f;
  for (int mb = 1; mb <= z.NSOLUT; ++mb) {
    if (mb == mol) continue;
    for (int j = z.first(mb); j <= z.last(mb); ++j) {
      if (z.ITYPE(j) == -1) continue;
      const double q = p.Q(p.slot[0](j));
      if (q == 0.0) continue;
      const double dx = r.x - c.x(j), dy = r.y - c.y(j), dz = r.z - c.z(j);
      const double ff = fieldFactor(dx * dx + dy * dy + dz * dz, q);
      f.x += ff * dx, f.y += ff * dy, f.z += ff * dz;
    }
  }
  return f;
}

// Fields at every polarisable atom for the current coordinates.
void baseFields(State& s) {
  const Xyz& c = s.solcor.xyz[0];
  Xyz& f = s.optim->field;
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    if (!polarisable(s, i)) continue;
    setAtom(f, i, fieldAt(s, atom(c, i), s.optim->terms.molecule(i)));
  }
}

// The polarisation energy terms that change when atom a moves from `from` to its current
// position: its own -1/2 alpha |F|^2 and those of the atoms of the other molecules, whose
// fields change by a's contribution (constant terms left out).
double polarisationEnergy(const State& s, int a, const Vec3& from) {
  if (!s.potpar.polarisable) return 0.0;
  const Zmat& z = s.zmat;
  const Xyz& c = s.solcor.xyz[0];
  const Potpar& p = s.potpar;
  const int ma = s.optim->terms.molecule(a);
  const Vec3 r = atom(c, a);
  double e = 0.0;
  if (polarisable(s, a)) {
    const Vec3 f = fieldAt(s, r, ma);
    e += p.alpha(a) * (f.x * f.x + f.y * f.y + f.z * f.z);
  }
  const double qa = z.ITYPE(a) == -1 ? 0.0 : p.Q(p.slot[0](a));
  if (qa == 0.0) return -0.5 * e;
  for (int i = 1; i <= z.NSATM; ++i) {
    if (!polarisable(s, i) || s.optim->terms.molecule(i) == ma) continue;
    const Vec3 ri = atom(c, i);
    const double ox = ri.x - from.x, oy = ri.y - from.y, oz = ri.z - from.z;
    const double nx = ri.x - r.x, ny = ri.y - r.y, nz = ri.z - r.z;
    const double fo = fieldFactor(ox * ox + oy * oy + oz * oz, qa);
    const double fn = fieldFactor(nx * nx + ny * ny + nz * nz, qa);
    const Vec3 f0 = atom(s.optim->field, i);
    const double fx = f0.x - fo * ox + fn * nx, fy = f0.y - fo * oy + fn * ny,
                 fz = f0.z - fo * oz + fn * nz;
    e += p.alpha(i) * (fx * fx + fy * fy + fz * fz);
  }
  return -0.5 * e;
}

void copyAtoms(const Xyz& from, Xyz& to, int first, int last) {
  if (first > last) return;
  const auto b = static_cast<std::size_t>(first - 1), e = static_cast<std::size_t>(last);
  std::copy(from.x.data() + b, from.x.data() + e, to.x.data() + b);
  std::copy(from.y.data() + b, from.y.data() + e, to.y.data() + b);
  std::copy(from.z.data() + b, from.z.data() + e, to.z.data() + b);
}

}  // namespace

void buildAtomTerms(State& s) {
  AtomTerms& t = s.optim->terms;
  const Zmat& z = s.zmat;
  const int na = z.NSATM;
  const Bndcom& b = s.bndcom;
  const Angcom& an = s.angcom;
  const Dihcom& d = s.dihcom;
  const Nbcom& nb = s.nbcom;
  buildRows(t.bonds, na, b.NBND, [&](int n, int* a) {
    a[0] = b.IB1(n), a[1] = b.IB2(n);
    return distinct(a, 2);
  });
  buildRows(t.angles, na, an.NANG, [&](int n, int* a) {
    a[0] = an.IA1(n), a[1] = an.IA2(n), a[2] = an.IA3(n);
    return distinct(a, 3);
  });
  buildRows(t.dihedrals, na, d.NDIH, [&](int n, int* a) {
    if (!isTorsion(d, n) && d.ITOR0(n) != kDihedralRestraintType) return 0;
    a[0] = d.ID1(n), a[1] = d.ID2(n), a[2] = d.ID3(n), a[3] = d.ID4(n);
    return distinct(a, 4);
  });
  buildRows(t.restraints, na, s.nbcon.NBC,
            [&](int n, int* a) { return restraintAtoms(s.nbcon, n, a); });
  buildRows(t.pairs, na, nb.NPAIR, [&](int n, int* a) {
    a[0] = nb.NBI(n), a[1] = nb.NBJ(n);
    return 2;
  });
  for (int m = 1; m <= z.NSOLUT; ++m)
    for (int i = z.first(m); i <= z.last(m); ++i) t.molecule(i) = m;
  s.optim->termsBuilt = true;
}

double atomEnergy(const State& s, int a) {
  return bondedEnergy(s, a) + intraPairEnergy(s, a) + interPairEnergy(s, a);
}

void cartesianGradient(State& s, double step) {
  Optim& o = *s.optim;
  if (!o.termsBuilt) buildAtomTerms(s);
  if (s.potpar.polarisable) baseFields(s);
  Xyz& c = s.solcor.xyz[0];
  for (int a = 1; a <= s.zmat.NSATM; ++a) {
    const Vec3 from = atom(c, a);
    double* coord[3] = {&c.x(a), &c.y(a), &c.z(a)};
    double* out[3] = {&o.grad.x(a), &o.grad.y(a), &o.grad.z(a)};
    for (int ax = 0; ax < 3; ++ax) {
      double& v = *coord[ax];
      const double v0 = v;
      // E(v0 + t) - E(v0 - t) from the terms of atom a.
      auto difference = [&](double t) {
        v = v0 + t;
        const double ep = atomEnergy(s, a) + polarisationEnergy(s, a, from);
        v = v0 - t;
        const double em = atomEnergy(s, a) + polarisationEnergy(s, a, from);
        v = v0;
        return ep - em;
      };
      *out[ax] = difference(step) * (0.5 / step);
    }
  }
}

void variableGradient(State& s, double* ga, double step) {
  Optim& o = *s.optim;
  const int n = s.zmat.NSATM;
  const ZmatView view = workingView(s.zmat);
  copyAtoms(s.solcor.xyz[0], o.base, 1, n);
  copyAtoms(o.base, o.plus, 1, n);
  copyAtoms(o.base, o.minus, 1, n);
  for (int m = 1; m <= o.nact; ++m) {
    const int k = o.active(m), f = o.firstAtom(k);
    const double v0 = o.x(k);
    // Sum over the moved atoms of the Cartesian gradient times x(v0 + t) - x(v0 - t).
    auto difference = [&](double t) {
      setVariable(s, k, v0 + t);
      makmolFrom(o.plus, view, f);
      setVariable(s, k, v0 - t);
      makmolFrom(o.minus, view, f);
      setVariable(s, k, v0);
      double sum = 0.0;
      for (int i = f; i <= n; ++i)
        sum += o.grad.x(i) * (o.plus.x(i) - o.minus.x(i)) +
               o.grad.y(i) * (o.plus.y(i) - o.minus.y(i)) +
               o.grad.z(i) * (o.plus.z(i) - o.minus.z(i));
      copyAtoms(o.base, o.plus, f, n);
      copyAtoms(o.base, o.minus, f, n);
      return sum;
    };
    ga[m - 1] = difference(step) * (0.5 / step);
  }
}

}  // namespace veka
