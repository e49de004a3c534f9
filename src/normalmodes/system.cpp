#include "normalmodes/system.hpp"

#include <cmath>
#include <numbers>

#include "molecule/elements.hpp"
#include "normalmodes/derivs.hpp"
#include "normalmodes/tables.hpp"
#include "state/state.hpp"

namespace veka::nm {
namespace {

// Dummy atoms, and atoms without mass (atomic number 0), take no part in the analysis.
bool isDummy(const State& s, int i) {
  return s.zmat.ITYPE(i) == -1 || atomicWeight(s.potpar.NAT[0](i)) <= 0.0;
}

void copyAtoms(const State& s, System& sys) {
  const auto& xyz = s.solcor.xyz[0];
  sys.newIndex.fill(0);
  sys.n = 0;
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    if (isDummy(s, i)) continue;
    const int a = ++sys.n;
    sys.newIndex(i) = a;
    sys.orig(a) = i;
    sys.x[static_cast<std::size_t>(3 * (a - 1))] = xyz.x(i);
    sys.x[static_cast<std::size_t>(3 * (a - 1) + 1)] = xyz.y(i);
    sys.x[static_cast<std::size_t>(3 * (a - 1) + 2)] = xyz.z(i);
    sys.Z(a) = s.potpar.NAT[0](i);
    sys.mass(a) = atomicWeight(sys.Z(a));
    sys.mol(a) = s.zmat.moleculeOf(i);
    sys.name(a) = s.zmat.name(i);
    const int slot = s.potpar.slot[0](i);
    if (slot >= 1) {
      sys.Q(a) = s.potpar.Q(slot);
      sys.A(a) = s.potpar.A(slot);
      sys.C(a) = s.potpar.C(slot);
    } else {
      sys.Q(a) = sys.A(a) = sys.C(a) = 0.0;
    }
  }
}

// New index of solute atom i, 0 when it is a dummy atom or not a solute atom.
int mapped(const System& sys, int i) {
  return i >= 1 && i <= MAXATM ? sys.newIndex(i) : 0;
}

void copyBonded(const State& s, System& sys) {
  const auto& b = s.bndcom;
  sys.nBond = 0;
  for (int n = 1; n <= b.NBND; ++n) {
    const int i = mapped(sys, b.IB1(n)), j = mapped(sys, b.IB2(n));
    if (i == 0 || j == 0) continue;
    sys.bond[static_cast<std::size_t>(sys.nBond++)] = {i, j, b.KB[0](n), b.RB0[0](n)};
  }
  const auto& a = s.angcom;
  sys.nAngle = 0;
  for (int n = 1; n <= a.NANG; ++n) {
    const int i = mapped(sys, a.IA1(n)), j = mapped(sys, a.IA2(n)), k = mapped(sys, a.IA3(n));
    if (i == 0 || j == 0 || k == 0) continue;
    sys.angle[static_cast<std::size_t>(sys.nAngle++)] = {i, j, k, a.KA[0](n), a.TH0[0](n)};
  }
  const auto& d = s.dihcom;
  sys.nTorsion = 0;
  for (int n = 1; n <= d.NDIH; ++n) {
    const bool restraint = d.ITOR0(n) == 500;
    if (!restraint && d.ITOR0(n) + d.ITOR1(n) == 0) continue;
    const int i = mapped(sys, d.ID1(n)), j = mapped(sys, d.ID2(n)), k = mapped(sys, d.ID3(n)),
              l = mapped(sys, d.ID4(n));
    if (i == 0 || j == 0 || k == 0 || l == 0) continue;
    NmTorsion& t = sys.torsion[static_cast<std::size_t>(sys.nTorsion++)];
    t = NmTorsion{};
    t.i = i, t.j = j, t.k = k, t.l = l;
    t.v1 = d.V1[0](n), t.v2 = d.V2[0](n), t.v3 = d.V3[0](n), t.v4 = d.V4[0](n);
    t.f1 = d.F1[0](n), t.f2 = d.F2[0](n), t.f3 = d.F3[0](n);
    t.phiRef = d.PHI[0](n);
    t.restraint = restraint;
    t.improper = d.improper(n) != 0;
  }
}

void copyRestraints(const State& s, System& sys) {
  const auto& c = s.nbcon;
  sys.nRestraint = 0;
  for (int n = 1; n <= c.NBC; ++n) {
    NmRestraint r;
    r.record = n;
    r.r0 = c.RBC0(n), r.p1 = c.PBC1(n), r.p2 = c.PBC2(n), r.p3 = c.PBC3(n);
    if (c.JBC(n) == 9999) {
      r.kind = RestraintKind::Position;
      r.i = mapped(sys, c.IBC(n));
      if (r.i == 0) continue;
    } else if (c.IBC(n) == 9999) {
      r.kind = RestraintKind::Centroid;
      r.i = mapped(sys, c.JBC(n));
      const double p[3] = {r.p1, r.p2, r.p3};
      if (r.i == 0 || static_cast<int>(r.p1) == 0) continue;
      bool ok = true;
      for (int m = 0; m < 3; ++m) {
        const int atom = static_cast<int>(p[m]);
        r.c[static_cast<std::size_t>(m)] = atom == 0 ? 0 : mapped(sys, atom);
        if (atom != 0 && r.c[static_cast<std::size_t>(m)] == 0) ok = false;
      }
      if (!ok) continue;
    } else {
      r.kind = r.r0 >= 0.0 ? RestraintKind::Distance : RestraintKind::FlatBottom;
      r.i = mapped(sys, c.IBC(n));
      r.j = mapped(sys, c.JBC(n));
      if (r.i == 0 || r.j == 0) continue;
    }
    sys.restraint[static_cast<std::size_t>(sys.nRestraint++)] = r;
  }
}

void copyPairs(const State& s, System& sys) {
  const auto& p = s.nbcom;
  sys.nPair = 0;
  for (int n = 1; n <= p.NPAIR; ++n) {
    const int i = mapped(sys, p.NBI(n)), j = mapped(sys, p.NBJ(n));
    if (i == 0 || j == 0) continue;
    sys.pair[static_cast<std::size_t>(sys.nPair++)] = {i, j, (p.I14(n) & 1) != 0};
  }
  // Pairs of atoms of different solutes; with solute-solute interactions restricted to
  // solute 1 only the pairs whose first atom belongs to solute 1.
  sys.nXPair = 0;
  const bool onlyFirst = s.sw.firstSoluteOnly == 1;
  for (int i = 1; i <= sys.n; ++i) {
    if (onlyFirst && sys.mol(i) != 1) continue;
    for (int j = i + 1; j <= sys.n; ++j)
      if (sys.mol(j) != sys.mol(i)) sys.xpair[static_cast<std::size_t>(sys.nXPair++)] = {i, j};
  }
}

}  // namespace

int countRealAtoms(const State& s) {
  int n = 0;
  for (int i = 1; i <= s.zmat.NSATM; ++i)
    if (!isDummy(s, i)) ++n;
  return n;
}

void rmdummy(const State& s, System& sys) {
  copyAtoms(s, sys);
  copyBonded(s, sys);
  copyRestraints(s, sys);
  copyPairs(s, sys);
  sys.dielec = s.potpar.DIELEC;
  sys.scl14c = s.potpar.SCL14C;
  sys.scl14l = s.potpar.SCL14L;
  sys.chop = s.dihcom.chop > 0.0 ? s.dihcom.chop : 1.0e10;
  sys.constV4 = s.dihcom.constV4 != 0;
  sys.nRBond = sys.nRAngle = sys.nRDih = sys.nRImp = 0;
}

// Rigid terms.
//
// Candidates come from the geometry: within one solute, two real atoms are bonded when
// their distance is at most the sum of their covalent radii plus 0.2 A; angles are the
// triples a-j-b with a and b bonded to j; dihedrals are the chains a-b-c-d of three
// bonds; improper torsions are the quadruples a-b-c-d whose atoms a, c and d are all
// bonded to b.
//
// The Z-matrix line of each real atom i (bond partner j, angle partner k, dihedral partner
// l) names up to three internal coordinates: the bond i-j, the angle i-j-k and the
// dihedral i-j-k-l. Such a coordinate is declared variable when it appears among the
// leading (variable) entries of the bond, angle or dihedral list, in either direction; a
// dependent copy of a variable coordinate counts as variable. A candidate is rigid when
// it is a coordinate of some atom's Z-matrix line that is not declared variable:
//  - the bond i-j, when i and j are bonded;
//  - the angle i-j-k, when i and k are both bonded to j;
//  - the dihedral i-j-k-l, when it is a chain of three bonds (rigid dihedral), or else
//    when i, k and l are all bonded to j (rigid improper torsion i-j-k-l).
// A coordinate that involves a dummy atom describes no geometry of the real atoms and is
// never made rigid; in a Z-matrix that starts with dummy atoms these are exactly the
// coordinates that place the molecule as a whole. Coordinates between atoms that are not
// bonded (for instance the placement of one solute relative to another) stay flexible,
// governed by the force field.
namespace {

bool bonded(const System& sys, int a, int b) {
  if (a == b || sys.mol(a) != sys.mol(b)) return false;
  Vec3 u;
  const double r = separation(sys.x.data(), a, b, u);
  return r <= covalentRadius(sys.Z(a)) + covalentRadius(sys.Z(b)) + 0.2;
}

bool variableBond(const State& s, int i, int j) {
  for (int n = 1; n <= s.bndcom.NVBND; ++n) {
    const int a = s.bndcom.IB1(n), b = s.bndcom.IB2(n);
    if ((a == i && b == j) || (a == j && b == i)) return true;
  }
  return false;
}

bool variableAngle(const State& s, int i, int j, int k) {
  for (int n = 1; n <= s.angcom.NVANG; ++n) {
    const int a = s.angcom.IA1(n), b = s.angcom.IA2(n), c = s.angcom.IA3(n);
    if (b == j && ((a == i && c == k) || (a == k && c == i))) return true;
  }
  return false;
}

bool variableDihedral(const State& s, int i, int j, int k, int l) {
  const auto& d = s.dihcom;
  for (int n = 1; n <= d.NVDIH; ++n) {
    const int a = d.ID1(n), b = d.ID2(n), c = d.ID3(n), e = d.ID4(n);
    if ((a == i && b == j && c == k && e == l) || (a == l && b == k && c == j && e == i))
      return true;
  }
  return false;
}

void addRigid(std::array<NmRigid, MXFATM>& list, int& count, std::array<int, 4> atoms) {
  if (count < MXFATM) list[static_cast<std::size_t>(count++)] = NmRigid{atoms, 0.0};
}

}  // namespace

void mkrigid(const State& s, System& sys) {
  sys.nRBond = sys.nRAngle = sys.nRDih = sys.nRImp = 0;
  const auto& z = s.zmat;
  for (int a = 1; a <= sys.n; ++a) {
    const int i = sys.orig(a);
    const int zj = z.IZ1(i), zk = z.IZ2(i), zl = z.IZ3(i);
    const int j = mapped(sys, zj), k = mapped(sys, zk), l = mapped(sys, zl);
    if (j == 0 || !bonded(sys, a, j)) continue;
    if (!variableBond(s, i, zj)) addRigid(sys.rbond, sys.nRBond, {a, j, 0, 0});
    if (k == 0 || k == a || !bonded(sys, k, j)) continue;
    if (!variableAngle(s, i, zj, zk)) addRigid(sys.rangle, sys.nRAngle, {a, j, k, 0});
    if (l == 0 || l == a || l == j || l == k || variableDihedral(s, i, zj, zk, zl)) continue;
    if (bonded(sys, k, l))
      addRigid(sys.rdih, sys.nRDih, {a, j, k, l});
    else if (bonded(sys, l, j))
      addRigid(sys.rimp, sys.nRImp, {a, j, k, l});
  }
}

void rdatype(const State& s, System& sys) {
  for (int a = 1; a <= sys.n; ++a) {
    const int i = sys.orig(a);
    sys.label(a) = s.potpar.AMTYPP(i).blank() ? s.potpar.AMTYPI(i) : s.potpar.AMTYPP(i);
  }
}

void fixequil(System& sys) {
  const double* x = sys.x.data();
  for (int n = 0; n < sys.nRBond; ++n) {
    NmRigid& r = sys.rbond[static_cast<std::size_t>(n)];
    Vec3 u;
    r.ref = separation(x, r.a[0], r.a[1], u);
  }
  // An angle within 1e-6 rad of 180 (or 0) degrees is held at exactly that value, so that
  // both bending directions of a collinear triple are held.
  for (int n = 0; n < sys.nRAngle; ++n) {
    NmRigid& r = sys.rangle[static_cast<std::size_t>(n)];
    r.ref = bendAngle(x, r.a[0], r.a[1], r.a[2]);
    if (std::numbers::pi - r.ref < 1.0e-6) r.ref = std::numbers::pi;
    if (r.ref < 1.0e-6) r.ref = 0.0;
  }
  for (int n = 0; n < sys.nRDih; ++n) {
    NmRigid& r = sys.rdih[static_cast<std::size_t>(n)];
    r.ref = dihedralAngle(x, r.a[0], r.a[1], r.a[2], r.a[3]);
  }
  for (int n = 0; n < sys.nRImp; ++n) {
    NmRigid& r = sys.rimp[static_cast<std::size_t>(n)];
    r.ref = dihedralAngle(x, r.a[0], r.a[1], r.a[2], r.a[3]);
  }
}

}  // namespace veka::nm
