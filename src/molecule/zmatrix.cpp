// Reading the solute Z-matrix file: title, atom section and the sections that follow.
#include "molecule/zmatrix.hpp"

#include <cmath>
#include <string>

#include "format/record.hpp"

namespace veka {

namespace {

using fmt::formatF;
using fmt::formatI;
using fmt::RecordReader;
using fmt::RecordWriter;

constexpr double kDegToRad = 0.017453292519943295;

bool blankColumns(std::string_view rec, std::size_t n) {
  for (std::size_t i = 0; i < n && i < rec.size(); ++i)
    if (rec[i] != ' ' && rec[i] != '\t') return false;
  return true;
}

// A section closes at the first record whose columns 1-4 are blank.
bool closesSection(std::string_view rec) {
  return blankColumns(rec, 4);
}

char column(std::string_view rec, int col) {
  return static_cast<std::size_t>(col) <= rec.size() ? rec[static_cast<std::size_t>(col - 1)] : ' ';
}

[[noreturn]] void badAtom(State& s, std::string_view section, int atom) {
  stop(s.io, "*** Atom Number" + formatI(atom, 6) + " Out of Range in " + std::string(section) +
                 ", Record" + formatI(s.io.zmatfile.recordNumber(), 6) + " - Killed in ZSTART ***");
}

void checkAtom(State& s, std::string_view section, int atom) {
  if (atom < 1 || atom > s.zmat.NSATM) badAtom(s, section, atom);
}

// Atoms of one record must be distinct.
void checkDistinct(State& s, std::string_view section, std::initializer_list<int> atoms) {
  for (auto a = atoms.begin(); a != atoms.end(); ++a)
    for (auto b = a + 1; b != atoms.end(); ++b)
      if (*a == *b)
        stop(s.io, "*** Atom" + formatI(*a, 6) + " Named Twice in " + std::string(section) +
                       ", Record" + formatI(s.io.zmatfile.recordNumber(), 6) +
                       " - Killed in ZSTART ***");
}

// ------------------------------------------------------------------ atom section

}  // namespace

void checkConnections(Io& io, int i, int iz1, int iz2, int iz3, std::string_view routine) {
  const int p[3] = {iz1, iz2, iz3};
  const int needed = i >= 4 ? 3 : i - 1;  // partners atom i must have
  bool ok = true;
  for (int m = 0; m < 3; ++m) {
    if (p[m] < 0 || p[m] >= i) ok = false;
    if (m < needed && p[m] == 0) ok = false;
  }
  if (needed >= 2 && p[0] == p[1]) ok = false;
  if (needed >= 3 && (p[2] == p[0] || p[2] == p[1])) ok = false;
  if (!ok)
    stop(io, "*** Invalid Z-matrix Connection for Atom" + formatI(i, 6) + " - Killed in " +
                 std::string(routine) + " ***");
}

namespace {

void readAtomRecord(State& s, std::string_view rec, int i) {
  Zmat& z = s.zmat;
  RecordReader r(rec, &s.io.zmatfile.origin());
  r.I(4);  // atom number: atoms are numbered by their order
  r.X(1);
  z.name(i) = r.A<3>();
  r.X(1);
  z.ITYPE(i) = r.I(4);
  r.X(1);
  z.JTYPE(i) = r.I(4);
  // A dummy atom has no parameters in any state, so that every state has the same atoms.
  if (z.JTYPE(i) != 0 && (z.ITYPE(i) == -1) != (z.JTYPE(i) == -1))
    stop(s.io,
         "** Atom" + formatI(i, 5) +
             " Is a Dummy Atom (Type -1) in One Perturbation State Only - Killed in READZM **");
  r.X(1);
  z.IZ1(i) = r.I(4);
  z.BND(i) = r.F(12, 6);
  z.IZ2(i) = r.I(4);
  z.ANG(i) = r.F(12, 6);
  z.IZ3(i) = r.I(4);
  z.DIH(i) = r.F(12, 6);
  r.X(1);
  z.resName(i) = r.A<3>();
  r.X(1);
  z.IRES(i) = r.I(4);
  if (z.IRES(i) > MAXRES)
    stop(s.io, "* Max No. of Residues =" + formatI(MAXRES, 4) + " Killed in READZM  *");
  if (z.IRES(i) > 0) z.resTable(z.IRES(i)) = z.resName(i);
  checkConnections(s.io, i, s.zmat.IZ1(i), s.zmat.IZ2(i), s.zmat.IZ3(i), "READZM");
}

// ------------------------------------------------------------------ section helpers

// Next record of a section; false when it closes the section. An end of file inside a
// section is a fatal input error.
bool nextRecord(State& s, std::string_view& rec) {
  rec = s.io.zmatfile.readRequired();
  return !closesSection(rec);
}

void listGeometryVariations(State& s) {
  const Zmat& z = s.zmat;
  if (z.NGEO == 0) return;
  static constexpr const char* kParam[] = {"", "Bond    ", "Angle   ", "Dihedral"};
  s.io.list(" ");
  s.io.list(" Geometrical Variations");
  s.io.list(RecordWriter()
                .X(1)
                .A("Atom", 7)
                .X(3)
                .A("Param.  ")
                .X(1)
                .A("Initial", 15)
                .A("Final", 15)
                .str());
  for (int g = 1; g <= z.NGEO; ++g) {
    const int a = z.geoAtom(g), c = z.geoCode(g);
    const double init = c == 1 ? z.BNDI(a) : (c == 2 ? z.ANGI(a) : z.DIHI(a));
    s.io.list(RecordWriter()
                  .X(1)
                  .I(a, 7)
                  .X(3)
                  .A(kParam[c])
                  .X(1)
                  .F(init, 15, 6)
                  .F(z.geoFinal(g), 15, 6)
                  .str());
  }
}

void readGeometryVariations(State& s) {
  Zmat& z = s.zmat;
  std::string_view rec;
  while (nextRecord(s, rec)) {
    RecordReader r(rec, &s.io.zmatfile.origin());
    const int a = r.I(4), code = r.I(4);
    const double value = r.F(12, 6);
    checkAtom(s, "Geometry Variations", a);
    if (code < 1 || code > 3 || a <= code)
      stop(s.io, "*** Invalid Geometry Variation: Atom" + formatI(a, 6) + " Code" +
                     formatI(code, 3) + " - Killed in ZSTART ***");
    if (z.NGEO == MAXGEO)
      stop(s.io, "*** Too Many Geometry Variations in Subroutine ZSTART - Redimension ***");
    ++z.NGEO;
    z.geoAtom(z.NGEO) = a;
    z.geoCode(z.NGEO) = code;
    z.geoFinal(z.NGEO) = value;
    (code == 1 ? z.BNDF : (code == 2 ? z.ANGF : z.DIHF))(a) = value;
  }
  listGeometryVariations(s);
}

void anglesToRadians(Zmat& z) {
  for (int i = 1; i <= z.NSATM; ++i) {
    for (auto* a : {&z.ANG, &z.ANGI, &z.ANGF, &z.DIH, &z.DIHI, &z.DIHF}) (*a)(i) *= kDegToRad;
  }
  for (int g = 1; g <= z.NGEO; ++g)
    if (z.geoCode(g) > 1) z.geoFinal(g) *= kDegToRad;
}

// "I4,A1,I4": first atom, separator, second atom.
struct RangeRecord {
  int i = 0, j = 0;
  char sep = ' ';
};

RangeRecord readRange(State& s, std::string_view rec) {
  RecordReader r(rec, &s.io.zmatfile.origin());
  RangeRecord rr;
  rr.i = r.I(4);
  const std::string_view sep = r.A(1);
  rr.sep = sep.empty() ? ' ' : sep[0];
  rr.j = r.I(4);
  return rr;
}

// The variable-coordinate sections of bonds, angles and dihedrals differ only in the list
// they fill; this describes one kind.
struct VarKind {
  const char* section;  // for messages
  const char* what;     // "Bond", "Angle", "Dihedral"
  int minAtom;          // first atom that has the coordinate
};

// One record of the range form: "=" makes the coordinate of atom i a dependent copy of the
// variable coordinate of atom j (declared earlier); any other separator makes the
// coordinates of atoms i..max(i, j) variable. `find` gives the list index of an atom's
// variable entry (0 = none), `add` appends one, `dep` is the list's dependency array.
template <class Find, class Add, class Dep>
void applyRange(State& s, const RangeRecord& r, const VarKind& kind, Find find, Add add, Dep& dep) {
  checkAtom(s, kind.section, r.i);
  if (r.sep == '=') {
    checkAtom(s, kind.section, r.j);
    const int master = find(r.j);
    if (r.i < kind.minAtom || master == 0 || r.i == r.j)
      stop(s.io, "*** Dependent " + std::string(kind.what) + " of Atom" + formatI(r.i, 6) +
                     " Refers to Atom" + formatI(r.j, 6) + " Without a Variable " + kind.what +
                     " - Killed in ZSTART ***");
    int n = find(r.i);
    if (n == 0) n = add(r.i);
    dep(n) = dep(master) != 0 ? dep(master) : master;
    return;
  }
  const int last = std::max(r.i, r.j);
  checkAtom(s, kind.section, last);
  for (int a = std::max(r.i, kind.minAtom); a <= last; ++a)
    if (find(a) == 0) add(a);
}

// ------------------------------------------------------------------ bonds

int findVarBond(const Bndcom& b, int atom) {
  for (int n = 1; n <= b.NVBND; ++n)
    if (b.IB1(n) == atom) return n;
  return 0;
}

int addBond(State& s, int a, int b) {
  Bndcom& bl = s.bndcom;
  if (bl.NBND == MAXBND) stop(s.io, "BND ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
  ++bl.NBND;
  bl.IB1(bl.NBND) = a;
  bl.IB2(bl.NBND) = b;
  bl.IBDEP(bl.NBND) = 0;
  return bl.NBND;
}

int addVarBond(State& s, int a) {
  const int n = addBond(s, a, s.zmat.IZ1(a));
  s.bndcom.NVBND = n;
  ++s.zmat.nvbSol(s.zmat.moleculeOf(a));
  return n;
}

void readVariableBonds(State& s) {
  static constexpr VarKind kind{"Variable Bonds", "Bond", 2};
  std::string_view rec;
  while (nextRecord(s, rec))
    applyRange(
        s, readRange(s, rec), kind, [&](int a) { return findVarBond(s.bndcom, a); },
        [&](int a) { return addVarBond(s, a); }, s.bndcom.IBDEP);
}

void readAdditionalBonds(State& s) {
  std::string_view rec;
  while (nextRecord(s, rec)) {
    RecordReader r(rec, &s.io.zmatfile.origin());
    const int a = r.I(4), b = r.I(4);
    checkAtom(s, "Additional Bonds", a);
    checkAtom(s, "Additional Bonds", b);
    checkDistinct(s, "Additional Bonds", {a, b});
    addBond(s, a, b);
  }
}

// ------------------------------------------------------------------ restraints

void listRestraints(State& s) {
  const Nbcon& c = s.nbcon;
  if (c.NBC == 0) return;
  s.io.list(" ");
  s.io.list(" Constrained Bond or (Atom)          Force Constants - kcal/mol-A**2");
  s.io.list("   Atom 1  Atom 2     R0(K)     K0(X)     K1(Y)     K2(Z)");
  for (int n = 1; n <= c.NBC; ++n) {
    s.io.list(RecordWriter()
                  .X(1)
                  .I(c.IBC(n), 8)
                  .I(c.JBC(n), 8)
                  .F(c.RBC0(n), 10, 4)
                  .F(c.PBC1(n), 10, 4)
                  .F(c.PBC2(n), 10, 4)
                  .F(c.PBC3(n), 10, 4)
                  .str());
  }
}

void checkCentroidAtoms(State& s, const double (&p)[3]) {
  for (double v : p)
    if (!(v > -1.0 && v < s.zmat.NSATM + 1.0))
      stop(s.io, "*** Centroid Atom" + formatF(v, 12, 4) +
                     " Out of Range in Harmonic Restraints, Record" +
                     formatI(s.io.zmatfile.recordNumber(), 6) + " - Killed in ZSTART ***");
}

void readRestraints(State& s) {
  Nbcon& c = s.nbcon;
  constexpr const char* kSection = "Harmonic Restraints";
  std::string_view rec;
  while (nextRecord(s, rec)) {
    RecordReader r(rec, &s.io.zmatfile.origin());
    const int i = r.I(4), j = r.I(4);
    const double r0 = r.F(10, 4);
    const double p[3] = {r.F(10, 4), r.F(10, 4), r.F(10, 4)};
    if (i == 9999 && j == 9999) badAtom(s, kSection, 9999);
    if (i == 9999 || j == 9999) {
      // Position (J = 9999) or centroid (I = 9999) form.
      checkAtom(s, kSection, i == 9999 ? j : i);
      if (i == 9999) checkCentroidAtoms(s, p);
      s.sw.soluteSetup = 0;
    } else {
      checkAtom(s, kSection, i);
      checkAtom(s, kSection, j);
    }
    if (c.NBC == MAXBC) stop(s.io, "BC ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
    ++c.NBC;
    c.IBC(c.NBC) = i;
    c.JBC(c.NBC) = j;
    c.RBC0(c.NBC) = r0;
    c.PBC1(c.NBC) = p[0];
    c.PBC2(c.NBC) = p[1];
    c.PBC3(c.NBC) = p[2];
  }
  listRestraints(s);
}

// ------------------------------------------------------------------ angles

int findVarAngle(const Angcom& a, int atom) {
  for (int n = 1; n <= a.NVANG; ++n)
    if (a.IA1(n) == atom) return n;
  return 0;
}

int addAngle(State& s, int a, int b, int c) {
  Angcom& al = s.angcom;
  if (al.NANG == MAXANG) stop(s.io, "ANG ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
  ++al.NANG;
  al.IA1(al.NANG) = a;
  al.IA2(al.NANG) = b;
  al.IA3(al.NANG) = c;
  al.IADEP(al.NANG) = 0;
  return al.NANG;
}

int addVarAngle(State& s, int a) {
  const int n = addAngle(s, a, s.zmat.IZ1(a), s.zmat.IZ2(a));
  s.angcom.NVANG = n;
  ++s.zmat.nvaSol(s.zmat.moleculeOf(a));
  return n;
}

void readVariableAngles(State& s) {
  static constexpr VarKind kind{"Variable Angles", "Angle", 3};
  std::string_view rec;
  while (nextRecord(s, rec))
    applyRange(
        s, readRange(s, rec), kind, [&](int a) { return findVarAngle(s.angcom, a); },
        [&](int a) { return addVarAngle(s, a); }, s.angcom.IADEP);
}

void readAdditionalAngles(State& s) {
  constexpr const char* kSection = "Additional Angles";
  std::string_view rec;
  while (nextRecord(s, rec)) {
    if (rec.substr(0, 4) == "AUTO") {
      s.zmat.autoAng = true;
      continue;
    }
    RecordReader r(rec, &s.io.zmatfile.origin());
    const int a = r.I(4), b = r.I(4), c = r.I(4);
    for (int x : {a, b, c}) checkAtom(s, kSection, x);
    checkDistinct(s, kSection, {a, b, c});
    addAngle(s, a, b, c);
  }
}

// ------------------------------------------------------------------ dihedrals

int findVarDihedral(const Dihcom& d, int atom) {
  for (int n = 1; n <= d.NVDIH; ++n)
    if (d.ID4(n) == atom) return n;
  return 0;
}

// A final torsion type of 0 means the reference type. Type 500 (harmonic dihedral
// restraint) carries an angle in its final-type field, which is kept as read.
int finalTorsionType(int ref, int fin) {
  return fin == 0 && ref != 500 ? ref : fin;
}

int addDihedral(State& s, int i, int j, int k, int l, int t0, int t1) {
  Dihcom& d = s.dihcom;
  if (d.NDIH == MAXDIH) stop(s.io, "DIHEDRAL ARRAY OVERLOW IN ZSTART");
  ++d.NDIH;
  d.ID1(d.NDIH) = i;
  d.ID2(d.NDIH) = j;
  d.ID3(d.NDIH) = k;
  d.ID4(d.NDIH) = l;
  d.ITOR0(d.NDIH) = t0;
  d.ITOR1(d.NDIH) = finalTorsionType(t0, t1);
  d.IDDEP(d.NDIH) = 0;
  d.DDIH(d.NDIH) = 0.0;
  d.DDMX(d.NDIH) = 0.0;
  return d.NDIH;
}

// Variable dihedral of atom a with its step in radians (-1: chosen automatically).
int addVarDihedral(State& s, int a, int t0, int t1, double step) {
  const Zmat& z = s.zmat;
  const int n = addDihedral(s, z.IZ3(a), z.IZ2(a), z.IZ1(a), a, t0, t1);
  s.dihcom.NVDIH = n;
  s.dihcom.DDIH(n) = step;
  s.dihcom.DDMX(n) = 2.0 * step;
  ++s.zmat.nvdSol(s.zmat.moleculeOf(a));
  return n;
}

void readFlip(State& s, std::string_view rec) {
  Zmat& z = s.zmat;
  RecordReader r(rec, &s.io.zmatfile.origin());
  r.X(4);
  const int a = r.I(4), size = r.I(4);
  checkAtom(s, "Flip Moves", a);
  if (a < 4) badAtom(s, "Flip Moves", a);
  if (z.NFLIP == MAXFLP) stop(s.io, "FLIP ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
  ++z.NFLIP;
  z.flipAtom(z.NFLIP) = a;
  z.flipSize(z.NFLIP) = size;
  s.io.list(" Will Attempt" + formatF(size, 6, 1) + " deg Flips during MC.");
}

void readVariableDihedrals(State& s) {
  static constexpr VarKind kind{"Variable Dihedrals", "Dihedral", 4};
  Dihcom& d = s.dihcom;
  std::string_view rec;
  while (nextRecord(s, rec)) {
    const std::string_view head = rec.substr(0, 4);
    if (head == "FLIP" || head == "flip") {
      readFlip(s, rec);
      continue;
    }
    const char sep = column(rec, 5);
    if (sep == '-' || sep == '=') {
      // Automatic torsion types and step for every dihedral made variable here.
      applyRange(
          s, readRange(s, rec), kind, [&](int a) { return findVarDihedral(d, a); },
          [&](int a) { return addVarDihedral(s, a, -1, -1, -1.0); }, d.IDDEP);
      continue;
    }
    RecordReader r(rec, &s.io.zmatfile.origin());
    const int a = r.I(4), t0 = r.I(4), t1 = r.I(4);
    const double step = r.F(12, 6);
    checkAtom(s, kind.section, a);
    if (a < kind.minAtom) badAtom(s, kind.section, a);
    // A negative step asks for the automatic step, as a range record does.
    if (findVarDihedral(d, a) == 0)
      addVarDihedral(s, a, t0, t1, step < 0.0 ? -1.0 : step * kDegToRad);
  }
  // A flip turns a variable dihedral; the section may name the dihedral after its flip.
  for (int f = 1; f <= s.zmat.NFLIP; ++f)
    if (findVarDihedral(d, s.zmat.flipAtom(f)) == 0)
      stop(s.io, "*** Flip Move for Atom" + formatI(s.zmat.flipAtom(f), 6) +
                     " Whose Dihedral Is Not Variable - Killed in ZSTART ***");
}

void readAdditionalDihedrals(State& s) {
  constexpr const char* kSection = "Additional Dihedrals";
  std::string_view rec;
  while (nextRecord(s, rec)) {
    if (rec.substr(0, 4) == "AUTO") {
      s.zmat.autoDih = true;
      continue;
    }
    RecordReader r(rec, &s.io.zmatfile.origin());
    const int i = r.I(4), j = r.I(4), k = r.I(4), l = r.I(4), t0 = r.I(4), t1 = r.I(4);
    for (int x : {i, j, k, l}) checkAtom(s, kSection, x);
    checkDistinct(s, kSection, {i, j, k, l});
    addDihedral(s, i, j, k, l, t0, t1);
  }
}

// ------------------------------------------------------------------ excluded pairs

void readExcludedPairs(State& s) {
  Zmat& z = s.zmat;
  constexpr const char* kSection = "Excluded Pairs";
  std::string_view rec;
  while (s.io.zmatfile.read(rec)) {
    RecordReader r(rec, &s.io.zmatfile.origin());
    const int i1 = r.I(4);
    if (i1 == 0) break;
    const int i2 = r.I(4), j1 = r.I(4), j2 = r.I(4);
    for (int x : {i1, i2, j1, j2}) checkAtom(s, kSection, x);
    if (z.NEXCL == MAXEXC) stop(s.io, "ID Array Overflow in NBPAIR");
    ++z.NEXCL;
    z.excl(z.NEXCL) = {i1, i2, j1, j2};
  }
}

}  // namespace

// ------------------------------------------------------------------ public

void readzm(State& s) {
  Zmat& z = s.zmat;
  Unit& u = s.io.zmatfile;
  u.rewind();
  z.title.assign(u.readRequired().substr(0, 30));
  int n = 0, nsol = 0;
  auto emptySolute = [&] {
    stop(s.io, "** Solute" + formatI(std::max(nsol, 1), 3) + " Has No Atoms - Killed in READZM **");
  };
  for (;;) {
    const std::string_view rec = u.readRequired();
    if (closesSection(rec)) break;
    if (rec.substr(0, 3) == "TER") {
      if (nsol == 0 || z.last(nsol) < z.first(nsol)) emptySolute();
      if (nsol == MAXSOL) stop(s.io, "** Max No. of Solutes is 25 - Killed in READZM **");
      ++nsol;
      z.first(nsol) = n + 1;
      z.last(nsol) = n;
      z.cflag(nsol) = column(rec, 4) == 'C' ? 1 : 0;
      continue;
    }
    if (nsol == 0) {
      nsol = 1;
      z.first(1) = 1;
      z.cflag(1) = 0;
    }
    if (n == MAXATM) stop(s.io, "** Max No. of Solute Atoms is 4500 - Killed in READZM **");
    ++n;
    z.NSATM = n;  // the connection check refers to it
    readAtomRecord(s, rec, n);
    z.last(nsol) = n;
  }
  if (nsol > 0 && z.last(nsol) < z.first(nsol)) emptySolute();
  z.NSATM = n;
  z.NSOLUT = nsol;
  z.noSolute = n == 0 || (n == 1 && z.ITYPE(1) == -1);
  for (int i = 1; i <= n; ++i) {
    z.BNDI(i) = z.BNDF(i) = z.BND(i);
    z.ANGI(i) = z.ANGF(i) = z.ANG(i);
    z.DIHI(i) = z.DIHF(i) = z.DIH(i);
  }
}

void readZmatSections(State& s) {
  readGeometryVariations(s);
  anglesToRadians(s.zmat);
  readVariableBonds(s);
  readAdditionalBonds(s);
  readRestraints(s);
  readVariableAngles(s);
  readAdditionalAngles(s);
  readVariableDihedrals(s);
  readAdditionalDihedrals(s);
  setWorkingValues(s.zmat, s.geom.RC0);
  readExcludedPairs(s);
}

double internalAt(const Zmat& z, int i, int code, double lambda) {
  const double a = code == 1 ? z.BNDI(i) : (code == 2 ? z.ANGI(i) : z.DIHI(i));
  const double b = code == 1 ? z.BNDF(i) : (code == 2 ? z.ANGF(i) : z.DIHF(i));
  return a + lambda * (b - a);
}

void setWorkingValues(Zmat& z, double lambda) {
  for (int g = 1; g <= z.NGEO; ++g) {
    const int a = z.geoAtom(g), c = z.geoCode(g);
    (c == 1 ? z.BND : (c == 2 ? z.ANG : z.DIH))(a) = internalAt(z, a, c, lambda);
  }
}

}  // namespace veka
