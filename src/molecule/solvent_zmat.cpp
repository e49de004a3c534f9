#include "molecule/solvent_zmat.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "energy/terms.hpp"
#include "format/record.hpp"
#include "molecule/bonded.hpp"
#include "molecule/geometry.hpp"
#include "molecule/zmatrix.hpp"

namespace veka {

namespace {

using fmt::formatI;

constexpr double kDegToRad = 0.017453292519943295;

bool closesSection(std::string_view rec) {
  return rec.substr(0, 4).find_first_not_of(" \t") == std::string_view::npos;
}

// Next record of a section; false when it closes the section. An end of file inside a
// section is a fatal input error.
bool nextRecord(Unit& u, std::string_view& rec) {
  rec = u.readRequired();
  return !closesSection(rec);
}

[[noreturn]] void badAtom(State& s, const char* section, int atom) {
  stop(s.io, "*** Atom Number" + formatI(atom, 6) + " Out of Range in " + section + ", Record" +
                 formatI(s.io.szmatfile.recordNumber(), 6) + " - Killed in REDZMS ***");
}

void checkAtom(State& s, const char* section, int a) {
  if (a < 1 || a > s.szmat.NSAT) badAtom(s, section, a);
}

// Atoms of one record: each names an atom and none twice.
void checkAtoms(State& s, const char* section, std::initializer_list<int> atoms) {
  for (int a : atoms) checkAtom(s, section, a);
  for (auto a = atoms.begin(); a != atoms.end(); ++a)
    for (auto b = a + 1; b != atoms.end(); ++b)
      if (*a == *b)
        stop(s.io, "*** Atom" + formatI(*a, 6) + " Named Twice in " + section + ", Record" +
                       formatI(s.io.szmatfile.recordNumber(), 6) + " - Killed in REDZMS ***");
}

// ------------------------------------------------------------------ atoms

void readAtoms(State& s) {
  static const fmt::Format kAtom("I4,1X,A3,1X,I4,1X,I4,1X,3(I4,F12.6)");
  Szmat& z = s.szmat;
  Unit& u = s.io.szmatfile;
  std::string_view rec;
  while (nextRecord(u, rec)) {
    if (z.NSAT == MXSAT)
      stop(s.io, "*** # ATOMS IN SOLVENT Z-MATRIX IS GREATER THAN MXSAT - INCREASE MXSAT ***");
    const int i = ++z.NSAT;
    fmt::FormattedInput in(kAtom, rec, &u.origin());
    int number = 0, second = 0;
    in >> number >> z.name(i) >> z.ITYPE(i) >> second;
    in >> z.IZ1(i) >> z.BND(i) >> z.IZ2(i) >> z.ANG(i) >> z.IZ3(i) >> z.DIH(i);
    z.ANG(i) *= kDegToRad;
    z.DIH(i) *= kDegToRad;
    checkConnections(s.io, i, s.szmat.IZ1(i), s.szmat.IZ2(i), s.szmat.IZ3(i), "REDZMS");
  }
}

// ------------------------------------------------------------------ term lists

void bondOverflow(State& s) {
  stop(s.io, "BND ARRAY OVERFLOW IN REDZMS - REDIMENSION");
}
void angleOverflow(State& s) {
  stop(s.io, "ANG ARRAY OVERFLOW IN REDZMS - REDIMENSION");
}
void dihedralOverflow(State& s) {
  stop(s.io, "\nDIHEDRAL ARRAY OVERFLOW IN REDZMS");
}

// Atoms i .. max(i, j) of a record "I4,1X,I4", from `first` on (the first atom that has
// the coordinate).
template <class Add>
void readVariableRange(State& s, const char* section, int first, Add add) {
  Unit& u = s.io.szmatfile;
  std::string_view rec;
  while (nextRecord(u, rec)) {
    fmt::RecordReader r(rec, &u.origin());
    const int i = r.I(4);
    r.X(1);
    const int j = r.I(4);
    checkAtom(s, section, i);
    checkAtom(s, section, std::max(i, j));
    for (int a = std::max(i, first); a <= std::max(i, j); ++a) add(a);
  }
}

void readBonds(State& s) {
  Szmat& z = s.szmat;
  readVariableRange(s, "Variable Bonds", 2, [&](int a) {
    if (z.NSVBND == MXSVAR) bondOverflow(s);
    z.NSBND = ++z.NSVBND;
    z.IB1(z.NSBND) = a;
    z.IB2(z.NSBND) = z.IZ1(a);
  });
  std::string_view rec;
  while (nextRecord(s.io.szmatfile, rec)) {
    fmt::RecordReader r(rec, &s.io.szmatfile.origin());
    const int i = r.I(4), j = r.I(4);
    checkAtoms(s, "Additional Bonds", {i, j});
    if (z.NSBND == MXSBND) bondOverflow(s);
    ++z.NSBND;
    z.IB1(z.NSBND) = i;
    z.IB2(z.NSBND) = j;
  }
}

void readAngles(State& s) {
  Szmat& z = s.szmat;
  readVariableRange(s, "Variable Angles", 3, [&](int a) {
    if (z.NSVANG == MXSVAR) angleOverflow(s);
    z.NSANG = ++z.NSVANG;
    z.IA1(z.NSANG) = a;
    z.IA2(z.NSANG) = z.IZ1(a);
    z.IA3(z.NSANG) = z.IZ2(a);
  });
  static const fmt::Format k6("6I4");
  std::string_view rec;
  while (nextRecord(s.io.szmatfile, rec)) {
    fmt::FormattedInput in(k6, rec, &s.io.szmatfile.origin());
    int i = 0, j = 0, k = 0;
    in >> i >> j >> k;
    checkAtoms(s, "Additional Angles", {i, j, k});
    if (z.NSANG == MXSANG) angleOverflow(s);
    ++z.NSANG;
    z.IA1(z.NSANG) = i;
    z.IA2(z.NSANG) = j;
    z.IA3(z.NSANG) = k;
  }
}

int addDihedral(State& s, int i, int j, int k, int l, int t0, int t1) {
  Szmat& z = s.szmat;
  if (z.NSDIH == MXSDIH) dihedralOverflow(s);
  const int n = ++z.NSDIH;
  z.ID1(n) = i;
  z.ID2(n) = j;
  z.ID3(n) = k;
  z.ID4(n) = l;
  z.ITOR0(n) = t0;
  z.ITOR1(n) = t1 == 0 ? t0 : t1;
  return n;
}

void readDihedrals(State& s) {
  static const fmt::Format kVar("3I4,F12.6"), k6("6I4");
  Szmat& z = s.szmat;
  Unit& u = s.io.szmatfile;
  std::string_view rec;
  while (nextRecord(u, rec)) {
    fmt::FormattedInput in(kVar, rec, &u.origin());
    int a = 0, t0 = 0, t1 = 0;
    double step = 0.0;
    in >> a >> t0 >> t1 >> step;
    checkAtom(s, "Variable Dihedrals", a);
    if (a < 4) badAtom(s, "Variable Dihedrals", a);
    if (z.NSVDIH == MXSVAR) dihedralOverflow(s);
    const int n = addDihedral(s, z.IZ3(a), z.IZ2(a), z.IZ1(a), a, t0, t1);
    z.NSVDIH = n;
    z.DDIH(n) = step * kDegToRad;
  }
  while (nextRecord(u, rec)) {
    fmt::FormattedInput in(k6, rec, &u.origin());
    int i = 0, j = 0, k = 0, l = 0, t0 = 0, t1 = 0;
    in >> i >> j >> k >> l >> t0 >> t1;
    checkAtoms(s, "Additional Dihedrals", {i, j, k, l});
    addDihedral(s, i, j, k, l, t0, t1);
  }
}

// ------------------------------------------------------------------ parameters

FfType siteType(const Szmat& z, int a) {
  return z.AMTYP(a);
}

[[noreturn]] void zeroForce(State& s) {
  stop(s.io, "ZERO FORCE CONSTANT IN FLXPAR - ABORTED");
}

void bondParameters(State& s, BondedTables& tb) {
  Szmat& z = s.szmat;
  const double T = s.misc.TK;
  for (int n = 1; n <= z.NSBND; ++n) {
    const int i = z.IB1(n), j = z.IB2(n);
    int code = 1;
    const BondParam p = bndget(tb, siteType(z, i), siteType(z, j), z.NAT(i), z.NAT(j), code);
    if (p.K == 0.0) zeroForce(s);
    z.KB(n) = p.K;
    z.RB0(n) = p.R0;
    z.DBND(n) = n <= z.NSVBND ? 0.029 * ((T + 50.0) / 300.0) * std::sqrt(300.0 / p.K) : 0.0;
  }
}

void angleParameters(State& s, BondedTables& tb) {
  Szmat& z = s.szmat;
  const double T = s.misc.TK;
  for (int n = 1; n <= z.NSANG; ++n) {
    int code = 1;
    const AngleParam p =
        angget(tb, siteType(z, z.IA1(n)), siteType(z, z.IA2(n)), siteType(z, z.IA3(n)), code);
    if (p.K == 0.0) zeroForce(s);
    z.KA(n) = p.K;
    z.TH0(n) = p.th0 * kDegToRad;
    z.DANG(n) = n <= z.NSVANG ? (T + 50.0) * 2.87 * std::sqrt(80.0 / p.K) / 300.0 * kDegToRad : 0.0;
  }
}

void dihedralParameters(State& s, BondedTables& tb) {
  Szmat& z = s.szmat;
  for (int n = 1; n <= z.NSDIH; ++n) {
    for (int t : {z.ITOR0(n), z.ITOR1(n)}) {
      if (t < 0) stop(s.io, "EXPLICIT DIHEDRAL TYPES ARE NEEDED FOR FLEX SOLVENT");
      if (t == kDihedralRestraintType)
        stop(s.io, "DIHEDRAL TYPE 500 IS NOT ALLOWED FOR FLEX SOLVENT");
    }
    const Torsion p = z.ITOR0(n) == 0 ? Torsion{} : torsionOfType(tb, z.ITOR0(n));
    z.V1(n) = p.V[0];
    z.V2(n) = p.V[1];
    z.V3(n) = p.V[2];
    z.V4(n) = p.V[3];
    z.F1(n) = p.f[0];
    z.F2(n) = p.f[1];
    z.F3(n) = p.f[2];
  }
  z.constV4 = z.NSDIH > 0 && tb.torsionLayout() == 0 ? 1 : 0;
}

constexpr double kRadToDeg = 1.0 / kDegToRad;

void listBonds(State& s) {
  const Szmat& z = s.szmat;
  s.io.list("");
  s.io.list("                          Bond Stretching Parameters");
  fmt::RecordWriter h;
  h.X(1).A("Atom1").X(3).A("Atom2").X(4);
  for (const char* c : {"R0", "K0", "Delta"}) h.A(c, 7).X(5);
  s.io.list(h.str());
  for (int n = 1; n <= z.NSBND; ++n) {
    fmt::RecordWriter w;
    w.X(1).I(z.IB1(n), 4).X(4).I(z.IB2(n), 4).X(5).F(z.RB0(n), 7, 4).X(5).F(z.KB(n), 7, 2);
    w.X(5).F(z.DBND(n), 7, 4).X(5).A(z.AMTYP(z.IB1(n)).view()).A("-");
    s.io.list(w.A(z.AMTYP(z.IB2(n)).view()).str());
  }
}

void listAngles(State& s) {
  const Szmat& z = s.szmat;
  s.io.list("");
  s.io.list("                          Angle Bending Parameters");
  fmt::RecordWriter h;
  h.X(1).A("Atom1 Atom2 Atom3").X(2);
  for (const char* c : {"A0", "K0", "Delta"}) h.A(c, 7).X(3);
  s.io.list(h.str());
  for (int n = 1; n <= z.NSANG; ++n) {
    fmt::RecordWriter w;
    w.X(1).I(z.IA1(n), 4).X(2).I(z.IA2(n), 4).X(2).I(z.IA3(n), 4).X(3);
    w.F(z.TH0(n) * kRadToDeg, 7, 2).X(3).F(z.KA(n), 7, 2).X(3).F(z.DANG(n) * kRadToDeg, 7, 2);
    s.io.list(w.str());
  }
}

void listDihedrals(State& s) {
  const Szmat& z = s.szmat;
  s.io.list("");
  s.io.list("  Dihedral                       Fourier Coefficients");
  fmt::RecordWriter h;
  h.X(2).A("Angle").X(4).A("Atom").X(1).A("Type");
  for (const char* c : {"V1", "V2", "V3", "V4"}) h.X(3).A(c, 7);
  h.X(3);
  for (const char* c : {"F1", "F2", "F3"}) h.A(c, 7);
  s.io.list(h.X(3).A("Delta", 5).str());
  for (int n = 1; n <= z.NSDIH; ++n) {
    fmt::RecordWriter w;
    w.X(3).I(n, 4).X(4).I(z.ID4(n), 4).X(2).I(z.ITOR0(n), 3);
    for (double v : {z.V1(n), z.V2(n), z.V3(n), z.V4(n)}) w.X(3).F(v, 7, 3);
    w.X(3);
    for (double f : {z.F1(n), z.F2(n), z.F3(n)}) w.F(f * kRadToDeg, 7, 2);
    s.io.list(w.X(3).F(z.DDIH(n) * kRadToDeg, 5, 1).str());
  }
}

// ------------------------------------------------------------------ pairs

using Adjacency = std::array<std::array<std::uint8_t, MXSAT + 1>, MXSAT + 1>;

// Bonded neighbours of the real sites: each atom with its Z-matrix bond partner and the
// listed bonds.
void neighbours(const Szmat& z, Adjacency& adj) {
  for (auto& row : adj) row.fill(0);
  auto link = [&](int i, int j) {
    if (i < 1 || j < 1 || z.ITYPE(i) < 1 || z.ITYPE(j) < 1 || i == j) return;
    adj[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = 1;
    adj[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)] = 1;
  };
  for (int i = 2; i <= z.NSAT; ++i) link(i, z.IZ1(i));
  for (int n = 1; n <= z.NSBND; ++n) link(z.IB1(n), z.IB2(n));
}

void readExcludedRanges(State& s) {
  Szmat& z = s.szmat;
  Unit& u = s.io.szmatfile;
  u.rewind();
  std::string_view rec;
  for (long n = 0; n < z.exclRecord; ++n) u.readRequired();
  z.NSEXCL = 0;
  while (u.read(rec)) {
    fmt::RecordReader r(rec, &u.origin());
    const int i1 = r.I(4);
    if (i1 == 0) break;
    const int i2 = r.I(4), j1 = r.I(4), j2 = r.I(4);
    if (z.NSEXCL == MXSEXC) stop(s.io, "ID Array Overflow in SLVNBP");
    z.excl(++z.NSEXCL) = {i1, i2, j1, j2};
  }
}

bool excludedByRange(const Szmat& z, int i, int j) {
  for (int r = 1; r <= z.NSEXCL; ++r) {
    const auto& e = z.excl(r);
    if (e[0] <= i && i <= e[1] && e[2] <= j && j <= e[3]) return true;
    if (e[2] <= i && i <= e[3] && e[0] <= j && j <= e[1]) return true;
  }
  return false;
}

void listPairs(State& s, int i, int from, int to) {
  fmt::RecordWriter w;
  w.A(" Atom").I(i, 5).A(":");
  for (int p = from, onLine = 0; p <= to; ++p, ++onLine) {
    if (onLine == 20) {
      s.io.list(w.str());
      w.clear();
      w.X(11);
      onLine = 0;
    }
    w.I(s.szmat.SPJ(p), 5);
  }
  s.io.list(w.str());
}

// Sites of molecule `molecule` (or given arrays) at element i - 1.
struct Sites {
  std::array<Vec3, MXSAT> p;
  const Vec3& operator()(int i) const { return p[static_cast<std::size_t>(i - 1)]; }
};

double intraEnergy(const State& s, const Sites& c, SolventIntra& t) {
  const Szmat& z = s.szmat;
  t = SolventIntra{};
  for (int n = 1; n <= z.NSBND; ++n)
    t.bond += harmonicTerm(z.KB(n), distance(c(z.IB1(n)), c(z.IB2(n))), z.RB0(n));
  for (int n = 1; n <= z.NSANG; ++n)
    t.angle += harmonicTerm(z.KA(n), bondAngle(c(z.IA1(n)), c(z.IA2(n)), c(z.IA3(n))), z.TH0(n));
  for (int n = 1; n <= z.NSDIH; ++n) {
    const double phi = dihedral(c(z.ID1(n)), c(z.ID2(n)), c(z.ID3(n)), c(z.ID4(n)));
    t.dihedral += fourierEnergy(z.V1(n), z.V2(n), z.V3(n), z.V4(n), z.F1(n), z.F2(n), z.F3(n),
                                std::cos(phi), phi, z.constV4 != 0);
  }
  const Potpar& p = s.potpar;
  const int sv = std::max(s.sol.flexible, 1);
  for (int n = 1; n <= z.NSPAIR; ++n) {
    const int i = z.SPI(n), j = z.SPJ(n);
    const Vec3 &a = c(i), &b = c(j);
    const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    const bool is14 = z.S14(n) != 0;
    const double sc = is14 ? p.SCL14C : 1.0, sl = is14 ? p.SCL14L : 1.0;
    t.nonbonded += pairTerm(dx * dx + dy * dy + dz * dz, sc * p.QW(i, sv), p.QW(j, sv), sl,
                            p.AW(i, sv), p.AW(j, sv), p.CW(i, sv), p.CW(j, sv));
  }
  return t.total();
}

}  // namespace

// ------------------------------------------------------------------ public

void redzms(State& s, int sv) {
  Szmat& z = s.szmat;
  Unit& u = s.io.szmatfile;
  z = Szmat{};
  u.rewind();
  z.title.assign(u.readRequired().substr(0, 5));
  readAtoms(s);
  u.readRequired();  // closing record of the (empty) geometry-variation section
  readBonds(s);
  u.readRequired();  // closing record of the (empty) restraint section
  readAngles(s);
  readDihedrals(s);
  z.exclRecord = u.recordNumber();
  z.flexible = z.NSVBND + z.NSVANG + z.NSVDIH > 0 ? 1 : 0;
  s.sol.name(sv) = z.title.blank() ? Chars<5>("OTHER") : z.title;
  s.sol.nsites(sv) = z.NSAT;
}

void flxpar(State& s) {
  BondedTables tb(s);
  bondParameters(s, tb);
  angleParameters(s, tb);
  dihedralParameters(s, tb);
  if (s.io.listLevel != 3) {
    s.io.list("");
    s.io.list(" Internal Parameters for Flexible Solvent:");
    listBonds(s);
    listAngles(s);
    listDihedrals(s);
  }
}

void slvnbp(State& s) {
  Szmat& z = s.szmat;
  readExcludedRanges(s);
  Adjacency adj;
  neighbours(z, adj);
  const bool keep14 = s.potpar.div14C <= 99999.0;
  const bool list = s.io.listLevel == 0;
  if (list) {
    s.io.list("");
    s.io.list(" Intrasolvent Non-bonded Pairs List");
  }
  z.NSPAIR = 0;
  auto bonded = [&](int a, int b) {
    return adj[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] != 0;
  };
  for (int i = 1; i < z.NSAT; ++i) {
    if (z.ITYPE(i) < 1) continue;
    const auto& ai = adj[static_cast<std::size_t>(i)];
    std::array<std::uint8_t, MXSAT + 1> two{};  // sites two bonds from i
    for (int k = 1; k <= z.NSAT; ++k)
      for (int l = 1; l <= z.NSAT; ++l)
        if (ai[static_cast<std::size_t>(k)] && bonded(k, l) && l != i)
          two[static_cast<std::size_t>(l)] = 1;
    const int first = z.NSPAIR + 1;
    for (int j = i + 1; j <= z.NSAT; ++j) {
      const auto u = static_cast<std::size_t>(j);
      if (z.ITYPE(j) < 1 || ai[u] || two[u] || excludedByRange(z, i, j)) continue;
      bool is14 = false;
      for (int l = 1; l <= z.NSAT && !is14; ++l)
        is14 = two[static_cast<std::size_t>(l)] && bonded(l, j);
      if (is14 && !keep14) continue;
      if (z.NSPAIR == MXSPAIR) stop(s.io, "NSBAT Array Overflow in SLVNBP");
      const int n = ++z.NSPAIR;
      z.SPI(n) = static_cast<std::int8_t>(i);
      z.SPJ(n) = static_cast<std::int8_t>(j);
      z.S14(n) = is14 ? 1 : 0;
    }
    if (list) listPairs(s, i, first, z.NSPAIR);
  }
}

double solventIntraEnergy(const State& s, int molecule, SolventIntra& terms) {
  Sites c;
  const Coord& k = s.coord;
  for (int i = 1; i <= s.szmat.NSAT; ++i)
    c.p[static_cast<std::size_t>(i - 1)] = {k.X(molecule, i), k.Y(molecule, i), k.Z(molecule, i)};
  return intraEnergy(s, c, terms);
}

double solventIntraEnergy(const State& s, const double* x, const double* y, const double* z,
                          SolventIntra& terms) {
  Sites c;
  for (int i = 0; i < s.szmat.NSAT; ++i) c.p[static_cast<std::size_t>(i)] = {x[i], y[i], z[i]};
  return intraEnergy(s, c, terms);
}

void buildSolventMolecule(const Szmat& z, double* x, double* y, double* zc) {
  auto c = std::make_unique<Xyz>();
  makmol(*c, ZmatView{z.NSAT, z.IZ1.data(), z.IZ2.data(), z.IZ3.data(), z.BND.data(), z.ANG.data(),
                      z.DIH.data()});
  Vec3 mean;
  for (int i = 1; i <= z.NSAT; ++i) {
    mean.x += c->x(i) / z.NSAT;
    mean.y += c->y(i) / z.NSAT;
    mean.z += c->z(i) / z.NSAT;
  }
  for (int i = 1; i <= z.NSAT; ++i) {
    x[i - 1] = c->x(i) - mean.x;
    y[i - 1] = c->y(i) - mean.y;
    zc[i - 1] = c->z(i) - mean.z;
  }
}

}  // namespace veka
