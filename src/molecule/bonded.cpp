#include "molecule/bonded.hpp"

#include <cmath>
#include <numbers>

#include "format/record.hpp"
#include "molecule/params.hpp"

namespace veka {

namespace {

constexpr int kTorsionSkip = 84;  // records passed before the end of the atom-type table

bool isComment(std::string_view rec) {
  return !rec.empty() && rec[0] == '#';
}
bool blankTypeField(std::string_view rec) {
  return Chars<2>(rec.substr(0, 2)).blank();
}
bool blankRecord(std::string_view rec) {
  return rec.find_first_not_of(' ') == std::string::npos;
}

// Reads the next record that is not a comment; false at the end of the file.
bool readData(Unit& u, std::string_view& rec) {
  while (u.read(rec))
    if (!isComment(rec)) return true;
  return false;
}

std::string joined(std::initializer_list<FfType> types) {
  std::string out;
  for (const FfType& t : types) {
    if (!out.empty()) out += '-';
    out += t.str();
  }
  return out;
}

// ---------------------------------------------------------------- record parsers

BondRecord parseBond(std::string_view rec, const fmt::Origin& o) {
  fmt::RecordReader r(rec, &o);
  BondRecord b;
  b.a = r.A<2>();
  r.X(1);
  b.b = r.A<2>();
  b.K = r.F(10, 4);
  b.R0 = r.F(10, 4);
  return b;
}

AngleRecord parseAngle(std::string_view rec, const fmt::Origin& o) {
  fmt::RecordReader r(rec, &o);
  AngleRecord a;
  a.a = r.A<2>();
  r.X(1);
  a.b = r.A<2>();
  r.X(1);
  a.c = r.A<2>();
  r.X(2);
  a.K = r.F(10, 3);
  a.th0 = r.F(10, 3);
  return a;
}

TorsionRecord parseTorsion(std::string_view rec, const fmt::Origin& o, int layout) {
  fmt::RecordReader r(rec, &o);
  TorsionRecord t;
  t.type = r.I(3);
  r.X(2);
  std::array<double, 4> v{};
  std::array<int, 4> code{};
  for (int g = 0; g < 4; ++g) {
    v[static_cast<std::size_t>(g)] = r.F(8, 4);
    r.X(1);
    code[static_cast<std::size_t>(g)] = r.I(1);
  }
  r.X(2);
  for (FfType& ty : t.t) {
    ty = r.A<2>();
    r.X(1);
  }
  // Layout 0: the first group is the constant term, the next three are terms 1..3.
  const std::size_t first = layout == 0 ? 1 : 0;
  for (std::size_t n = 0; n < 3; ++n) {
    t.p.V[n] = v[first + n];
    t.p.f[n] = code[first + n] * (std::numbers::pi / 2.0);
  }
  t.p.V[3] = layout == 0 ? v[0] : v[3];
  return t;
}

}  // namespace

// ---------------------------------------------------------------- file tables

fmt::Origin BondedTables::origin(const Unit& u, const Raw& r) const {
  return fmt::Origin{u.path(), u.number(), r.record};
}

void BondedTables::loadBangfil() {
  bangLoaded_ = true;
  Unit& u = s_.io.bangfil;
  u.rewind();
  std::string_view rec;
  while (u.read(rec) && !blankTypeField(rec))
    bondRaw_.push_back({std::string(rec), u.recordNumber()});
  while (u.read(rec) && !blankTypeField(rec))
    angleRaw_.push_back({std::string(rec), u.recordNumber()});
}

void BondedTables::loadTorsions() {
  torLoaded_ = true;
  Unit& u = s_.io.parfile;
  u.rewind();
  std::string_view rec;
  for (int n = 0; n < kTorsionSkip; ++n)
    if (!u.read(rec)) return;
  for (;;) {  // the rest of the atom-type table, up to its end record
    if (!readData(u, rec)) return;
    if (fmt::RecordReader(rec, &u.origin()).I(3) == 0) break;
  }
  if (!readData(u, rec) || !readData(u, rec)) return;  // heading, layout record
  fmt::RecordReader lr(rec, &u.origin());
  lr.X(8);
  layout_ = lr.I(1);
  while (readData(u, rec))
    if (!blankRecord(rec)) torRaw_.push_back({std::string(rec), u.recordNumber()});
}

const BondRecord* BondedTables::bond(std::size_t n) {
  if (!bangLoaded_) loadBangfil();
  while (bonds_.size() <= n && bonds_.size() < bondRaw_.size()) {
    const Raw& r = bondRaw_[bonds_.size()];
    bonds_.push_back(parseBond(r.text, origin(s_.io.bangfil, r)));
  }
  return n < bonds_.size() ? &bonds_[n] : nullptr;
}

const AngleRecord* BondedTables::angle(std::size_t n) {
  if (!bangLoaded_) loadBangfil();
  while (angles_.size() <= n && angles_.size() < angleRaw_.size()) {
    const Raw& r = angleRaw_[angles_.size()];
    angles_.push_back(parseAngle(r.text, origin(s_.io.bangfil, r)));
  }
  return n < angles_.size() ? &angles_[n] : nullptr;
}

const TorsionRecord* BondedTables::torsion(std::size_t n) {
  if (!torLoaded_) loadTorsions();
  while (torsions_.size() <= n && torsions_.size() < torRaw_.size()) {
    const Raw& r = torRaw_[torsions_.size()];
    torsions_.push_back(parseTorsion(r.text, origin(s_.io.parfile, r), layout_));
  }
  return n < torsions_.size() ? &torsions_[n] : nullptr;
}

int BondedTables::torsionLayout() {
  if (!torLoaded_) loadTorsions();
  return layout_;
}

// ---------------------------------------------------------------- bonds

namespace {

const BondRecord* findBond(BondedTables& tb, const FfType& a, const FfType& b) {
  for (std::size_t n = 0; const BondRecord* r = tb.bond(n); ++n)
    if ((r->a == a && r->b == b) || (r->a == b && r->b == a)) return r;
  return nullptr;
}

const AngleRecord* findAngle(BondedTables& tb, const FfType& a, const FfType& b, const FfType& c) {
  for (std::size_t n = 0; const AngleRecord* r = tb.angle(n); ++n)
    if (r->b == b && ((r->a == a && r->c == c) || (r->a == c && r->c == a))) return r;
  return nullptr;
}

}  // namespace

BondParam bndget(BondedTables& tb, const FfType& a, const FfType& b, int za, int zb, int& code) {
  Io& io = tb.state().io;
  code = 1;
  if (const BondRecord* r = findBond(tb, a, b)) return {r->K, r->R0};
  if (!qmSolutes(tb.state()))
    io.list(" *** Missing Bond Stretch Parameters - Seeking Synonym for: " + joined({a, b}) +
            " ***");
  if (a == "DM" || b == "DM") {
    code = 5;
    return {};
  }
  const FfType sa = ambsyn(io, a), sb = ambsyn(io, b);
  const struct {
    FfType x, y;
    bool search;
  } stages[3] = {{sa, b, sa != a}, {a, sb, sb != b}, {sa, sb, sa != a}};
  for (int n = 0; n < 3; ++n) {
    if (!stages[n].search) continue;
    if (const BondRecord* r = findBond(tb, stages[n].x, stages[n].y)) {
      code = n + 2;
      io.list(" Using Synonym: " + joined({stages[n].x, stages[n].y}));
      return {r->K, r->R0};
    }
  }
  code = 5;
  BondParam p;
  p.R0 = rambxy(io, a) + rambxy(io, b);
  const double chi = elneg(io, za) * elneg(io, zb);
  // A non-positive length (unknown types) gives no force constant: flagged as zero below.
  p.K = p.R0 > 0.0 ? 120.0 * std::pow(chi / (p.R0 * p.R0), 0.75) : 0.0;
  fmt::RecordWriter w;
  w.A(" No Synonym Found - Using Estimate: ").A(joined({a, b})).A("  R0 =").F(p.R0, 8, 4);
  w.A("  K =").F(p.K, 8, 2);
  io.list(w.str());
  return p;
}

// ---------------------------------------------------------------- angles

namespace {

// Average K and theta0 over the angle records of vertex type b; false (and the default
// K = 63.0, theta0 = 112.4) when there is none.
bool angleEstimate(BondedTables& tb, const FfType& b, AngleParam& p) {
  double k = 0.0, th = 0.0;
  int n = 0;
  for (std::size_t m = 0; const AngleRecord* r = tb.angle(m); ++m) {
    if (r->b != b) continue;
    k += r->K;
    th += r->th0;
    ++n;
  }
  p = n == 0 ? AngleParam{63.0, 112.4} : AngleParam{k / n, th / n};
  return n > 0;
}

}  // namespace

AngleParam angget(BondedTables& tb, const FfType& a, const FfType& b, const FfType& c, int& code) {
  Io& io = tb.state().io;
  code = 1;
  if (const AngleRecord* r = findAngle(tb, a, b, c)) return {r->K, r->th0};
  if (!qmSolutes(tb.state()))
    io.list(" *** Missing Angle Bend Parameters - Type: " + joined({a, b, c}) +
            " Seeking Synonym. ***");
  if (a == "DM" || b == "DM" || c == "DM") {
    code = 5;
    return {};
  }
  const FfType sa = ambsyn(io, a), sb = ambsyn(io, b), sc = ambsyn(io, c);
  const struct {
    FfType x, y, z;
    bool search;
  } stages[5] = {{sa, b, c, sa != a},
                 {a, b, sc, sc != c},
                 {sa, b, sc, sa != a},
                 {a, sb, c, sb != b},
                 {sa, sb, sc, true}};
  for (int n = 0; n < 5; ++n) {
    if (!stages[n].search) continue;
    if (const AngleRecord* r = findAngle(tb, stages[n].x, stages[n].y, stages[n].z)) {
      code = n + 2;
      io.list(" Using Synonym: " + joined({stages[n].x, stages[n].y, stages[n].z}));
      return {r->K, r->th0};
    }
  }
  code = 7;
  AngleParam p;
  fmt::RecordWriter w;
  if (angleEstimate(tb, b, p))
    w.A(" No Synonym Found - Using Estimate: ");
  else
    w.A(" No Synonym Found - Using Default: CHECK!! ");
  w.A(joined({a, b, c})).A("  K =").F(p.K, 8, 2).A("  A0 =").F(p.th0, 8, 2);
  io.list(w.str());
  return p;
}

// ---------------------------------------------------------------- torsions

namespace {

bool neighbours(const State& s, int a, int b) {
  if (a < 1 || a > s.zmat.NSATM) return false;
  for (int k = 1; k <= s.covnbr.NNEB(a); ++k)
    if (s.covnbr.NEB(k, a) == b) return true;
  return false;
}

bool isImproper(const State& s, int i, int j, int k, int l) {
  return neighbours(s, j, l) || neighbours(s, k, i);
}

// Torsion type of an improper dihedral from the force-field type of its centre atom.
int improperType(const State& s, int centre, const FfType& type) {
  if (type == "C ") return 160;
  if (type[0] == 'C' && s.covnbr.NNEB(centre) == 3) return 162;
  if (type == "N " || type == "NA" || type == "N2" || type == "NO") return 161;
  return 0;
}

// Wildcard score of a torsion record against the query types. "?" in a record matches
// any character; every other character of the record must equal the query's, compared
// forward or with the record reversed (record type 4 against query type 1, ...). A
// direction that matches scores the weights 2,1 / 3,2 / 3,2 / 2,1 (by query position) of
// the characters it matches exactly; the record scores twice its better direction plus
// one per "?" it holds (32 = exact match without wildcards), or -1 when neither
// direction matches. So a record whose explicit types contradict the query never
// supplies parameters, and among matching records the most specific one wins.
int wildcardScore(const std::array<FfType, 4>& q, const std::array<FfType, 4>& r) {
  static constexpr int kWeight[8] = {2, 1, 3, 2, 3, 2, 2, 1};
  int fwd = 0, rev = 0, wild = 0;
  bool fwdOk = true, revOk = true;
  for (int p = 0; p < 8; ++p) {
    const char qc = q[static_cast<std::size_t>(p / 2)][p % 2];
    const char fc = r[static_cast<std::size_t>(p / 2)][p % 2];
    const char rc = r[static_cast<std::size_t>(3 - p / 2)][p % 2];
    if (fc == qc)
      fwd += kWeight[p];
    else if (fc != '?')
      fwdOk = false;
    if (rc == qc)
      rev += kWeight[p];
    else if (rc != '?')
      revOk = false;
    if (fc == '?') ++wild;
  }
  if (!fwdOk && !revOk) return -1;
  return 2 * std::max(fwdOk ? fwd : 0, revOk ? rev : 0) + wild;
}

int bestTorsionType(BondedTables& tb, const std::array<FfType, 4>& q) {
  constexpr int kExact = 32;
  int best = -1, exact = 0;
  const TorsionRecord* chosen = nullptr;
  for (std::size_t n = 0; const TorsionRecord* r = tb.torsion(n); ++n) {
    const int score = wildcardScore(q, r->t);
    if (score < 0) continue;
    if (score == kExact) ++exact;
    if (score > best) {
      best = score;
      chosen = r;
    }
  }
  if (best == kExact && exact == 1) return chosen->type;
  fmt::RecordWriter w;
  if (best == kExact) w.A(" There are").I(exact, 3).A(" exact matches -");
  const std::array<FfType, 4> used = chosen ? chosen->t : std::array<FfType, 4>{};
  w.A(" For ").A(joined({q[0], q[1], q[2], q[3]}));
  w.A(" Using ").A(joined({used[0], used[1], used[2], used[3]}));
  w.A(" Type:").I(chosen ? chosen->type : 0, 5);
  tb.state().io.list(w.str());
  return chosen ? chosen->type : 0;
}

int automaticType(BondedTables& tb, const std::array<int, 4>& atoms,
                  const std::array<FfType, 4>& t) {
  const State& s = tb.state();
  for (int a : atoms)
    if (a < 1 || a > s.zmat.NSATM || s.zmat.ITYPE(a) == -1) return 0;
  if (s.zmat.moleculeOf(atoms[0]) != s.zmat.moleculeOf(atoms[3])) return 0;
  for (const FfType& ty : t)
    if (ty == "DM") return 0;
  if (neighbours(s, atoms[1], atoms[3])) return improperType(s, atoms[1], t[1]);
  if (neighbours(s, atoms[2], atoms[0])) return improperType(s, atoms[2], t[2]);
  return bestTorsionType(tb, t);
}

}  // namespace

Torsion torsionOfType(BondedTables& tb, int type) {
  for (std::size_t n = 0; const TorsionRecord* r = tb.torsion(n); ++n)
    if (r->type == type) return r->p;
  fmt::RecordWriter w;
  w.A("Missing Entry in the Parameter File for Torsion Type").I(type, 5);
  stop(tb.state().io, w.str());
}

Torsion dihget(BondedTables& tb, int i, int j, int k, int l, const std::array<FfType, 4>& t,
               int& type, bool& improper) {
  improper = isImproper(tb.state(), i, j, k, l);
  if (type < 0) type = automaticType(tb, {i, j, k, l}, t);
  if (type == 0) return {};
  return torsionOfType(tb, type);
}

}  // namespace veka
