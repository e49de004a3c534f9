#include "normalmodes/force.hpp"

#include <cmath>
#include <cstddef>
#include <numbers>

namespace veka::nm {
namespace {

inline std::size_t idx(int n) {
  return static_cast<std::size_t>(n);
}

// Wraps an angle difference into (-pi, pi].
double wrap(double d) {
  d = std::remainder(d, 2.0 * std::numbers::pi);
  return d <= -std::numbers::pi ? d + 2.0 * std::numbers::pi : d;
}

double radialTerm(Sink& out, const double* x, int i, int j, double k, double r0) {
  Vec3 u;
  const double r = separation(x, i, j, u);
  ddstretch(out, i, j, r, u, 2.0 * k * (r - r0), 2.0 * k);
  return k * (r - r0) * (r - r0);
}

// dE/dphi and d2E/dphi2 of the Fourier series; zero-coefficient terms are skipped.
void torsionDerivatives(const System& sys, const NmTorsion& t, double phi, double& e1, double& e2) {
  e1 = e2 = 0.0;
  if (t.v1 != 0.0) {
    e1 -= 0.5 * t.v1 * std::sin(phi + t.f1);
    e2 -= 0.5 * t.v1 * std::cos(phi + t.f1);
  }
  if (t.v2 != 0.0) {
    e1 += t.v2 * std::sin(2.0 * phi + t.f2);
    e2 += 2.0 * t.v2 * std::cos(2.0 * phi + t.f2);
  }
  if (t.v3 != 0.0) {
    e1 -= 1.5 * t.v3 * std::sin(3.0 * phi + t.f3);
    e2 -= 4.5 * t.v3 * std::cos(3.0 * phi + t.f3);
  }
  if (t.v4 != 0.0 && !sys.constV4) {
    e1 += 2.0 * t.v4 * std::sin(4.0 * phi);
    e2 += 8.0 * t.v4 * std::cos(4.0 * phi);
  }
}

// Torsion or type-500 restraint; returns the energy and adds it to the right sum.
void torsionTerm(const System& sys, const NmTorsion& t, Sink& out, Energies& e) {
  const double* x = sys.x.data();
  const bool derivs = out.g || out.h;
  Dihedral dq;
  if (!derivs) {
    dq.phi = dihedralAngle(x, t.i, t.j, t.k, t.l);
  } else if (!ddtorsion(x, t.i, t.j, t.k, t.l, dq)) {
    // Three collinear atoms: the dihedral and its derivatives are undefined. The energy is
    // taken at the angle the geometry gives and the term adds no derivatives.
    dq.phi = dihedralAngle(x, t.i, t.j, t.k, t.l);
    if (t.restraint) {
      const double d = restraintBranch(t, dq.phi) - t.v1;
      e.constraint += t.v4 * d * d;
    } else {
      e.torsion += std::min(torsionEnergy(sys, t, dq.phi), sys.chop);
    }
    return;
  }
  const int atoms[4] = {t.i, t.j, t.k, t.l};
  if (t.restraint) {
    const double d = restraintBranch(t, dq.phi) - t.v1;
    e.constraint += t.v4 * d * d;
    if (derivs)
      addCoordinateTerm(out, atoms, 4, dq.g.data(), dq.h.data(), 2.0 * t.v4 * d, 2.0 * t.v4);
    return;
  }
  const double en = torsionEnergy(sys, t, dq.phi);
  if (en > sys.chop) {  // a chopped barrier is flat: constant energy, no force
    e.torsion += sys.chop;
    return;
  }
  e.torsion += en;
  if (!derivs) return;
  double e1, e2;
  torsionDerivatives(sys, t, dq.phi, e1, e2);
  addCoordinateTerm(out, atoms, 4, dq.g.data(), dq.h.data(), e1, e2);
}

double restraintTerm(const System& sys, const NmRestraint& c, Sink& out) {
  const double* x = sys.x.data();
  switch (c.kind) {
    case RestraintKind::Position:
    case RestraintKind::Centroid: {
      // E = k |sum_p w_p x_p - P|^2 with weights w (1 for the restrained atom, -1/m for
      // each centroid atom) and P the fixed point (position form) or 0 (centroid form).
      int atoms[4] = {c.i, 0, 0, 0};
      double w[4] = {1.0, 0.0, 0.0, 0.0};
      int m = 1;
      Vec3 d{};
      if (c.kind == RestraintKind::Position) {
        d = {-c.p1, -c.p2, -c.p3};
      } else {
        int nc = 0;
        for (int a : c.c) nc += a != 0;
        for (int a : c.c)
          if (a != 0) atoms[m] = a, w[m++] = -1.0 / nc;
      }
      for (int p = 0; p < m; ++p)
        for (int q = 0; q < 3; ++q) d[idx(q)] += w[p] * x[3 * (atoms[p] - 1) + q];
      const double k = c.r0;
      if (out.g)
        for (int p = 0; p < m; ++p)
          for (int q = 0; q < 3; ++q) out.g[3 * (atoms[p] - 1) + q] += 2.0 * k * w[p] * d[idx(q)];
      if (out.h)
        for (int p = 0; p < m; ++p)
          for (int q = 0; q < m; ++q)
            for (int a = 0; a < 3; ++a)
              out.h[idx(3 * (atoms[p] - 1) + a) * idx(out.ld) + idx(3 * (atoms[q] - 1) + a)] +=
                  2.0 * k * w[p] * w[q];
      return k * (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    }
    case RestraintKind::Distance:
      return radialTerm(out, x, c.i, c.j, c.p1, c.r0);
    case RestraintKind::FlatBottom: {
      Vec3 u;
      const double r = separation(x, c.i, c.j, u);
      double bound;
      if (r > c.p2)
        bound = c.p2;
      else if (r <= c.p1)
        bound = c.p1;
      else
        return 0.0;
      ddstretch(out, c.i, c.j, r, u, 2.0 * c.p3 * (r - bound), 2.0 * c.p3);
      return c.p3 * (r - bound) * (r - bound);
    }
  }
  return 0.0;
}

double pairTermAt(Sink& out, const double* x, const NmPair& p, double qq, double aa, double cc,
                  double sc, double sl) {
  Vec3 u;
  const double r = separation(x, p.i, p.j, u);
  // Below 1e-3 A the energy is evaluated at 1e-3 A (a floor of 1e-6 A^2 on r^2): it is flat
  // there and has no derivatives.
  if (r < 1.0e-3) return pairTerm(1.0e-3, qq, aa, cc, sc, sl).e;
  const Radial t = pairTerm(r, qq, aa, cc, sc, sl);
  ddstretch(out, p.i, p.j, r, u, t.d1, t.d2);
  return t.e;
}

void rigidTerms(const System& sys, Sink& out, Energies& e) {
  const double* x = sys.x.data();
  const double k = kRigidForce;
  for (int n = 0; n < sys.nRBond; ++n) {
    const NmRigid& r = sys.rbond[idx(n)];
    e.rigid += radialTerm(out, x, r.a[0], r.a[1], k, r.ref);
  }
  for (int n = 0; n < sys.nRAngle; ++n) {
    const NmRigid& r = sys.rangle[idx(n)];
    e.rigid += ddbend(out, x, r.a[0], r.a[1], r.a[2], k, r.ref);
  }
  for (int list = 0; list < 2; ++list) {
    const auto& rl = list == 0 ? sys.rdih : sys.rimp;
    const int count = list == 0 ? sys.nRDih : sys.nRImp;
    for (int n = 0; n < count; ++n) {
      const NmRigid& r = rl[idx(n)];
      Dihedral dq;
      if (!ddtorsion(x, r.a[0], r.a[1], r.a[2], r.a[3], dq)) continue;
      const double d = wrap(dq.phi - r.ref);
      e.rigid += k * d * d;
      addCoordinateTerm(out, r.a.data(), 4, dq.g.data(), dq.h.data(), 2.0 * k * d, 2.0 * k);
    }
  }
}

}  // namespace

Radial pairTerm(double r, double qq, double aa, double cc, double sc, double sl) {
  const double ri = 1.0 / r, r2 = ri * ri, r6 = r2 * r2 * r2, r12 = r6 * r6;
  Radial t;
  t.e = sc * qq * ri + sl * (aa * r12 - cc * r6);
  t.d1 = -sc * qq * r2 + sl * (-12.0 * aa * r12 + 6.0 * cc * r6) * ri;
  t.d2 = 2.0 * sc * qq * r2 * ri + sl * (156.0 * aa * r12 - 42.0 * cc * r6) * r2;
  return t;
}

double torsionEnergy(const System& sys, const NmTorsion& t, double phi) {
  double e = 0.0;
  if (t.v1 != 0.0) e += 0.5 * t.v1 * (1.0 + std::cos(phi + t.f1));
  if (t.v2 != 0.0) e += 0.5 * t.v2 * (1.0 - std::cos(2.0 * phi + t.f2));
  if (t.v3 != 0.0) e += 0.5 * t.v3 * (1.0 + std::cos(3.0 * phi + t.f3));
  if (t.v4 != 0.0) e += sys.constV4 ? t.v4 : 0.5 * t.v4 * (1.0 - std::cos(4.0 * phi));
  return e;
}

double restraintBranch(const NmTorsion& t, double phi) {
  return t.phiRef + wrap(phi - t.phiRef);
}

double intraPairEnergy(const System& sys, const NmPair& p, double* r) {
  Vec3 u;
  const double d = std::max(separation(sys.x.data(), p.i, p.j, u), 1.0e-3);
  if (r) *r = d;
  const double sc = p.is14 ? sys.scl14c : 1.0, sl = p.is14 ? sys.scl14l : 1.0;
  return pairTerm(d, sys.Q(p.i) * sys.Q(p.j) / sys.dielec, sys.A(p.i) * sys.A(p.j),
                  sys.C(p.i) * sys.C(p.j), sc, sl)
      .e;
}

double interPairEnergy(const System& sys, const NmPair& p, double* r) {
  Vec3 u;
  const double d = std::max(separation(sys.x.data(), p.i, p.j, u), 1.0e-3);
  if (r) *r = d;
  return pairTerm(d, sys.Q(p.i) * sys.Q(p.j) / sys.dielec, sys.A(p.i) * sys.A(p.j),
                  sys.C(p.i) * sys.C(p.j), 1.0, 1.0)
      .e;
}

double restraintEnergy(const System& sys, const NmRestraint& c, double* value) {
  Sink none;
  if (value) {
    const double* x = sys.x.data();
    if (c.kind == RestraintKind::Distance || c.kind == RestraintKind::FlatBottom) {
      Vec3 u;
      *value = separation(x, c.i, c.j, u);
    } else {
      Vec3 d{};
      int nc = 0;
      for (int a : c.c) nc += a != 0;
      for (int q = 0; q < 3; ++q) {
        d[idx(q)] = x[3 * (c.i - 1) + q];
        if (c.kind == RestraintKind::Position) {
          d[idx(q)] -= q == 0 ? c.p1 : (q == 1 ? c.p2 : c.p3);
        } else {
          for (int a : c.c)
            if (a != 0) d[idx(q)] -= x[3 * (a - 1) + q] / nc;
        }
      }
      *value = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    }
  }
  return restraintTerm(sys, c, none);
}

Energies force(const System& sys, Sink& out, bool rigid) {
  Energies e;
  const double* x = sys.x.data();
  for (int n = 0; n < sys.nBond; ++n) {
    const NmBond& b = sys.bond[idx(n)];
    e.stretch += radialTerm(out, x, b.i, b.j, b.k, b.r0);
  }
  for (int n = 0; n < sys.nAngle; ++n) {
    const NmAngle& a = sys.angle[idx(n)];
    e.bend += ddbend(out, x, a.i, a.j, a.k, a.kf, a.th0);
  }
  for (int n = 0; n < sys.nTorsion; ++n) torsionTerm(sys, sys.torsion[idx(n)], out, e);
  for (int n = 0; n < sys.nRestraint; ++n)
    e.constraint += restraintTerm(sys, sys.restraint[idx(n)], out);
  for (int n = 0; n < sys.nPair; ++n) {
    const NmPair& p = sys.pair[idx(n)];
    const double sc = p.is14 ? sys.scl14c : 1.0, sl = p.is14 ? sys.scl14l : 1.0;
    e.intra += pairTermAt(out, x, p, sys.Q(p.i) * sys.Q(p.j) / sys.dielec, sys.A(p.i) * sys.A(p.j),
                          sys.C(p.i) * sys.C(p.j), sc, sl);
  }
  for (int n = 0; n < sys.nXPair; ++n) {
    const NmPair& p = sys.xpair[idx(n)];
    e.inter += pairTermAt(out, x, p, sys.Q(p.i) * sys.Q(p.j) / sys.dielec, sys.A(p.i) * sys.A(p.j),
                          sys.C(p.i) * sys.C(p.j), 1.0, 1.0);
  }
  if (rigid) rigidTerms(sys, out, e);
  return e;
}

}  // namespace veka::nm
