#include "molecule/bonded_terms.hpp"

#include <algorithm>
#include <cmath>

#include "format/record.hpp"
#include "molecule/bonded.hpp"
#include "molecule/params.hpp"

namespace veka {

namespace {

bool realAtom(const State& s, int a) {
  return a >= 1 && a <= s.zmat.NSATM && s.zmat.ITYPE(a) != -1;
}

// Both atoms real and in one solute molecule: only then does a term get parameters.
bool realTerm(const State& s, std::initializer_list<int> atoms) {
  for (int a : atoms)
    if (!realAtom(s, a)) return false;
  const int mol = s.zmat.moleculeOf(*atoms.begin());
  for (int a : atoms)
    if (s.zmat.moleculeOf(a) != mol) return false;
  return true;
}

bool typesUnchanged(const State& s, std::initializer_list<int> atoms) {
  for (int a : atoms)
    if (a >= 1 && a <= s.zmat.NSATM && s.potpar.AMTYPF(a) != s.potpar.AMTYPI(a)) return false;
  return true;
}

FfType typeOf(const State& s, int a, bool final) {
  if (a < 1 || a > s.zmat.NSATM) return FfType();
  return final ? s.potpar.AMTYPF(a) : s.potpar.AMTYPI(a);
}

double lerp(double p0, double p1, double lam) {
  return p0 + lam * (p1 - p0);
}

// When a lookup of either state fell back to a synonym of both types or worse, both
// states take the values of the other lookup (the reference ones when both did).
template <class P>
void keepOneState(Io& io, bool refWeak, bool finWeak, P& p0, P& p1) {
  if (!refWeak && !finWeak) return;
  if (finWeak)
    p1 = p0;
  else
    p0 = p1;
  io.list(" *** Same Values Used for Reference and Perturbed Structures ***");
}

void zeroForceMessage(Io& io, const char* what, std::initializer_list<int> atoms) {
  fmt::RecordWriter w;
  w.A(what);
  bool first = true;
  for (int a : atoms) {
    if (!first) w.A("-");
    w.I(a, 4);
    first = false;
  }
  w.A(" *CHECK*");
  io.list(w.str());
}

// ---------------------------------------------------------------- bonds

void bondParameters(State& s, BondedTables& tb) {
  Bndcom& b = s.bndcom;
  const Potpar& p = s.potpar;
  const double T = s.misc.TK;
  for (int n = 1; n <= b.NBND; ++n) {
    const int i = b.IB1(n), j = b.IB2(n);
    const bool real = realTerm(s, {i, j});
    BondParam p0, p1;
    if (real) {
      int c0 = 1, c1 = 1;
      p0 = p1 = bndget(tb, p.AMTYPI(i), p.AMTYPI(j), p.NATI(i), p.NATI(j), c0);
      if (!typesUnchanged(s, {i, j})) {
        p1 = bndget(tb, p.AMTYPF(i), p.AMTYPF(j), p.NATF(i), p.NATF(j), c1);
        keepOneState(s.io, c0 >= 4, c1 >= 4, p0, p1);
      }
    }
    for (int k = 0; k < 3; ++k) {
      b.RB0[k](n) = lerp(p0.R0, p1.R0, s.geom.rc(k));
      b.KB[k](n) = lerp(p0.K, p1.K, s.geom.rc(k));
    }
    const double K = b.KB[0](n);
    if (real && K == 0.0) zeroForceMessage(s.io, " Force Constant of 0 for Bond", {i, j});
    double delta = 0.0;
    if (n <= b.NVBND && s.sw.fixBonds == 0)
      delta = K > 0.0 ? 0.029 * ((T + 50.0) / 300.0) * std::sqrt(300.0 / K) : 0.1;
    b.DBND(n) = delta;
    b.DBMX(n) = 2.0 * delta;
  }
}

void listBonds(State& s) {
  const Bndcom& b = s.bndcom;
  Io& io = s.io;
  io.list("");
  io.list("                          Bond Stretching Parameters");
  fmt::RecordWriter h;
  h.X(1).A("Atom1").X(3).A("Atom2").X(4);
  for (const char* c : {"R0", "K0", "R1", "K1", "R2", "K2"}) h.A(c, 7).X(5);
  h.A("Delta", 7);
  io.list(h.str());
  for (int n = 1; n <= b.NBND; ++n) {
    fmt::RecordWriter w;
    w.X(1).I(b.IB1(n), 4).X(4).I(b.IB2(n), 4).X(5);
    for (int k = 0; k < 3; ++k) w.F(b.RB0[k](n), 7, 4).X(5).F(b.KB[k](n), 7, 2).X(5);
    w.F(b.DBND(n), 7, 4).X(5);
    w.A(typeOf(s, b.IB1(n), s.geom.RC0 > 0.5).view()).A("-");
    w.A(typeOf(s, b.IB2(n), s.geom.RC0 > 0.5).view());
    io.list(w.str());
  }
}

// ---------------------------------------------------------------- angles

void angleParameters(State& s, BondedTables& tb) {
  Angcom& a = s.angcom;
  const Potpar& p = s.potpar;
  const double T = s.misc.TK, toRad = s.misc.DTORAD;
  for (int n = 1; n <= a.NANG; ++n) {
    const int i = a.IA1(n), j = a.IA2(n), k3 = a.IA3(n);
    const bool real = realTerm(s, {i, j, k3});
    AngleParam p0, p1;
    if (real) {
      int c0 = 1, c1 = 1;
      p0 = p1 = angget(tb, p.AMTYPI(i), p.AMTYPI(j), p.AMTYPI(k3), c0);
      if (!typesUnchanged(s, {i, j, k3})) {
        p1 = angget(tb, p.AMTYPF(i), p.AMTYPF(j), p.AMTYPF(k3), c1);
        keepOneState(s.io, c0 >= 5, c1 >= 5, p0, p1);
      }
    }
    for (int k = 0; k < 3; ++k) {
      a.TH0[k](n) = lerp(p0.th0, p1.th0, s.geom.rc(k)) * toRad;
      a.KA[k](n) = lerp(p0.K, p1.K, s.geom.rc(k));
    }
    const double K = a.KA[0](n);
    if (real && K == 0.0) zeroForceMessage(s.io, " Force Const. of 0 for Angle", {i, j, k3});
    double delta = 0.0;
    if (n <= a.NVANG && s.sw.fixAngles == 0)
      delta = (K > 0.0 ? (T + 50.0) * 2.87 * std::sqrt(80.0 / K) / 300.0 : 2.0) * toRad;
    a.DANG(n) = delta;
    a.DAMX(n) = 2.0 * delta;
  }
}

void listAngles(State& s) {
  const Angcom& a = s.angcom;
  const double toDeg = 1.0 / s.misc.DTORAD;
  const bool fin = s.geom.RC0 > 0.5;
  Io& io = s.io;
  io.list("");
  io.list("                          Angle Bending Parameters");
  fmt::RecordWriter h;
  h.X(1).A("Atom1 Atom2 Atom3").X(2);
  for (const char* c : {"A0", "K0", "A1", "K1", "A2", "K2"}) h.A(c, 7).X(3);
  h.A("Delta", 7);
  io.list(h.str());
  for (int n = 1; n <= a.NANG; ++n) {
    fmt::RecordWriter w;
    w.X(1).I(a.IA1(n), 4).X(2).I(a.IA2(n), 4).X(2).I(a.IA3(n), 4).X(3);
    for (int k = 0; k < 3; ++k) w.F(a.TH0[k](n) * toDeg, 7, 2).X(3).F(a.KA[k](n), 7, 2).X(3);
    w.F(a.DANG(n) * toDeg, 7, 2).X(3);
    w.A(typeOf(s, a.IA1(n), fin).view()).A("-").A(typeOf(s, a.IA2(n), fin).view()).A("-");
    w.A(typeOf(s, a.IA3(n), fin).view());
    io.list(w.str());
  }
}

// ---------------------------------------------------------------- dihedrals

std::array<FfType, 4> dihedralTypes(const State& s, int n, bool final) {
  const Dihcom& d = s.dihcom;
  return {typeOf(s, d.ID1(n), final), typeOf(s, d.ID2(n), final), typeOf(s, d.ID3(n), final),
          typeOf(s, d.ID4(n), final)};
}

// Reference and final torsion parameters of dihedral n; updates its torsion types.
void dihedralStates(State& s, BondedTables& tb, int n, Torsion& p0, Torsion& p1, bool& imp) {
  Dihcom& d = s.dihcom;
  const int i = d.ID1(n), j = d.ID2(n), k = d.ID3(n), l = d.ID4(n);
  int t0 = d.ITOR0(n), t1 = d.ITOR1(n);
  const int asked = t0;
  p0 = dihget(tb, i, j, k, l, dihedralTypes(s, n, false), t0, imp);
  if (asked == 500) {
    // A harmonic dihedral restraint: the final-type field holds the target angle.
    p0.V[0] = t1 * s.misc.DTORAD;
    t1 = 500;
    p1 = p0;
  } else {
    if (t1 == 0) t1 = asked;
    bool imp1 = false;
    if (t1 < 0 && typesUnchanged(s, {i, j, k, l})) {
      t1 = t0;
      p1 = p0;
    } else if (t1 >= 0 && t1 == asked) {
      p1 = p0;
    } else {
      p1 = dihget(tb, i, j, k, l, dihedralTypes(s, n, true), t1, imp1);
    }
  }
  d.ITOR0(n) = t0;
  d.ITOR1(n) = t1;
  d.improper(n) = imp ? 1 : 0;
}

// Automatic step of a variable dihedral (degrees).
double automaticStep(const State& s, int n, double v2, bool improper, std::vector<int>& work) {
  double step = 15.0;
  if (inRing(s, s.dihcom.ID2(n), work)) step = 10.0;
  if (inRing(s, s.dihcom.ID3(n), work)) step = 5.0;
  if (v2 > 3.0) step = 5.0;
  if (v2 > 4.0) step = 2.0;
  if (improper) step = 2.0;
  return step;
}

void dihedralParameters(State& s, BondedTables& tb) {
  Dihcom& d = s.dihcom;
  if (d.NDIH == 0) return;
  d.constV4 = tb.torsionLayout() == 0 ? 1 : 0;
  std::vector<int> work(2 * static_cast<std::size_t>(s.zmat.NSATM + 1));
  for (int n = 1; n <= d.NDIH; ++n) {
    Torsion p0, p1;
    bool imp = false;
    dihedralStates(s, tb, n, p0, p1, imp);
    for (int k = 0; k < 3; ++k) {
      const double lam = s.geom.rc(k);
      d.V1[k](n) = lerp(p0.V[0], p1.V[0], lam);
      d.V2[k](n) = lerp(p0.V[1], p1.V[1], lam);
      d.V3[k](n) = lerp(p0.V[2], p1.V[2], lam);
      d.V4[k](n) = lerp(p0.V[3], p1.V[3], lam);
      d.F1[k](n) = lerp(p0.f[0], p1.f[0], lam);
      d.F2[k](n) = lerp(p0.f[1], p1.f[1], lam);
      d.F3[k](n) = lerp(p0.f[2], p1.f[2], lam);
    }
    if (n <= d.NVDIH && d.DDIH(n) < 0.0) {
      d.DDIH(n) = automaticStep(s, n, p0.V[1], imp, work) * s.misc.DTORAD;
      d.DDMX(n) = 2.0 * d.DDIH(n);
    }
  }
}

bool sameDihedralState(const Dihcom& d, int n, int k) {
  return d.V1[k](n) == d.V1[0](n) && d.V2[k](n) == d.V2[0](n) && d.V3[k](n) == d.V3[0](n) &&
         d.V4[k](n) == d.V4[0](n) && d.F1[k](n) == d.F1[0](n) && d.F2[k](n) == d.F2[0](n) &&
         d.F3[k](n) == d.F3[0](n);
}

void listDihedralLine(State& s, int n, int k, std::string_view title) {
  const Dihcom& d = s.dihcom;
  const double toDeg = 1.0 / s.misc.DTORAD;
  fmt::RecordWriter w;
  w.X(3).I(n, 4).X(4).I(d.ID4(n), 4).X(2).I(d.ITOR0(n), 3).X(2).I(d.ITOR1(n), 3);
  for (double v : {d.V1[k](n), d.V2[k](n), d.V3[k](n), d.V4[k](n)}) w.X(3).F(v, 7, 3);
  w.X(3);
  for (double f : {d.F1[k](n), d.F2[k](n), d.F3[k](n)}) w.F(f * toDeg, 7, 2);
  w.X(3).F(d.DDIH(n) * toDeg, 5, 1).X(1).A(Chars<20>(title).view());
  s.io.list(w.str());
}

void listDihedrals(State& s) {
  static constexpr const char* kTitle[3] = {"Reference Solute", "1st Perturbed Solute",
                                            "2nd Perturbed Solute"};
  const Dihcom& d = s.dihcom;
  Io& io = s.io;
  io.list("");
  io.list("  Dihedral                       Fourier Coefficients");
  fmt::RecordWriter h;
  h.X(2).A("Angle", 5).X(3).A("Atom", 5).X(2).A("I Type F");
  for (const char* c : {"V1", "V2", "V3", "V4"}) h.X(3).A(c, 7);
  h.X(3).A("Phases", 21).X(3).A("Delta", 5);
  io.list(h.str());
  for (int n = 1; n <= d.NDIH; ++n) {
    if (sameDihedralState(d, n, 1) && sameDihedralState(d, n, 2)) {
      listDihedralLine(s, n, 0, "All Solutes");
      continue;
    }
    for (int k = 0; k < 3; ++k)
      if (k == 0 || !sameDihedralState(d, n, k)) listDihedralLine(s, n, k, kTitle[k]);
  }
}

}  // namespace

bool inRing(const State& s, int a, std::vector<int>& work) {
  const int natm = s.zmat.NSATM;
  if (a < 1 || a > natm) return false;
  int* mark = work.data();
  int* queue = work.data() + natm + 1;
  std::fill(mark, mark + natm + 1, 0);
  mark[a] = 1;
  const Covnbr& cn = s.covnbr;
  for (int m = 1; m <= cn.NNEB(a); ++m) {
    const int start = cn.NEB(m, a);
    if (mark[start]) return true;  // reached from an earlier neighbour without passing a
    int head = 0, tail = 0;
    queue[tail++] = start;
    mark[start] = 1;
    while (head < tail) {
      const int v = queue[head++];
      for (int e = 1; e <= cn.NNEB(v); ++e) {
        const int w = cn.NEB(e, v);
        if (!mark[w]) {
          mark[w] = 1;
          queue[tail++] = w;
        }
      }
    }
  }
  return false;
}

void assignBonded(State& s) {
  BondedTables tb(s);
  const bool list = s.io.listLevel != 3;
  bondParameters(s, tb);
  if (list && s.bndcom.NBND > 0) listBonds(s);
  angleParameters(s, tb);
  if (list && s.angcom.NANG > 0) listAngles(s);
  dihedralParameters(s, tb);
  if (list && s.dihcom.NDIH > 0) listDihedrals(s);
}

}  // namespace veka
