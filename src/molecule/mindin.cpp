// Free-format Cartesian layout of the solute file.
#include "molecule/mindin.hpp"

#include <array>
#include <cmath>
#include <string>

#include "format/record.hpp"
#include "molecule/geometry.hpp"
#include "molecule/pdb.hpp"
#include "molecule/zmatrix_derive.hpp"

namespace veka {

namespace {

using fmt::formatF;
using fmt::formatI;

constexpr int kMaxBlocks = 3;
constexpr int kMaxMindAtoms = MAXATM - 1;  // one place is kept for the dummy atom

struct MindAtom {
  int nat = 0;
  Chars<3> name;
  Vec3 r;
  double q = 0.0, sigma = 0.0, eps = 0.0;
};

bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

[[noreturn]] void badRecord(const fmt::Origin& o, const std::string& what) {
  throw fmt::InputError(o, "free-format solute atom record: " + what);
}

// True when a token of an atom record is an atom name rather than a number.
bool isName(std::string_view t) {
  double x = 0.0;
  return !t.empty() && isLetter(t[0]) && !fmt::parseReal(t, 0, x);
}

// The atom name of a record: the leading letters (up to three) of its one token that
// starts with a letter and is not a number ("1.5E-3" and "2D0" are numbers).
Chars<3> recordName(std::string_view rec, const fmt::Origin& o, bool& named) {
  Chars<3> name;
  named = false;
  std::size_t p = 0;
  while (p < rec.size()) {
    while (p < rec.size() && (rec[p] == ' ' || rec[p] == ',' || rec[p] == '\t')) ++p;
    std::size_t e = p;
    while (e < rec.size() && rec[e] != ' ' && rec[e] != ',' && rec[e] != '\t') ++e;
    const std::string_view t = rec.substr(p, e - p);
    p = e;
    if (t.empty() || !isLetter(t[0])) continue;
    if (!isName(t)) continue;
    if (named) badRecord(o, std::string(t).append(" is a second atom name"));
    std::size_t n = 0;
    while (n < t.size() && n < 3 && isLetter(t[n])) ++n;
    name.assign(t.substr(0, n));
    named = true;
  }
  return name;
}

MindAtom parseAtom(std::string_view rec, const fmt::Origin& o) {
  fmt::ListReader lr(rec, &o);
  MindAtom a;
  std::array<double, 6> v{};
  int nvalues = 0;
  bool named = false;
  a.name = recordName(rec, o, named);
  // The seven values are read as a list-directed read of seven items reads them: a null
  // value ("," or the nulls of "r*") leaves its item at 0, and nothing past the seventh
  // item is looked at, so a huge repeat count costs nothing. The name token is skipped,
  // once: a name that a repeat count copies ("3*C") is a value that is not a number.
  std::string_view t;
  bool nameSkipped = !named;
  while (nvalues < 7) {
    t = {};
    if (!lr.next(t)) break;
    if (!nameSkipped && isName(t)) {
      nameSkipped = true;
      continue;
    }
    double x = 0.0;
    if (!t.empty() && !fmt::parseReal(t, 0, x))
      badRecord(o, std::string(t).append(" is neither a number nor an atom name"));
    if (nvalues == 0 && !t.empty()) {
      if (!fmt::parseInteger(t, a.nat) || a.nat < 0 || a.nat > kMaxElement)
        badRecord(o, "atomic number '" + std::string(t) + "' is not an integer 0..99");
    } else if (nvalues >= 1) {
      v[static_cast<std::size_t>(nvalues - 1)] = x;
    }
    ++nvalues;
  }
  if (nvalues < 7 && rec.find('/') == std::string_view::npos)
    badRecord(o, "7 values needed, " + std::to_string(nvalues) + " found");
  if (nvalues == 0) badRecord(o, "no atomic number");
  a.r = {v[0], v[1], v[2]};
  a.q = v[3];
  a.sigma = v[4];
  a.eps = v[5];
  if (a.sigma < 0.0 || a.eps < 0.0) badRecord(o, "negative sigma or epsilon");
  if (!named) a.name.assign(a.nat == 0 ? std::string_view("X") : elementSymbol(a.nat));
  return a;
}

// Block number of a perturbation coordinate: nearest whole number, at least 1.
int blockOf(double rc) {
  if (rc < 1.5) return 1;
  if (rc < 2.5) return 2;
  if (rc < 3.5) return 3;
  return kMaxBlocks + 1;  // beyond the blocks a file can hold
}

struct Reading {
  std::array<int, 3> block{};  // block of each state
  // Indexed by block number; one more than the blocks a file can hold for the selection
  // of a block beyond them.
  std::array<int, kMaxBlocks + 2> count{};    // atoms read in each block
  std::array<bool, kMaxBlocks + 2> closed{};  // block ended by "%"
  int blocks = 0;                             // blocks present
};

void storeAtom(State& s, const Reading& rd, int b, int i, const MindAtom& a) {
  Potpar& p = s.potpar;
  for (int st = 0; st < 3; ++st) {
    if (rd.block[static_cast<std::size_t>(st)] != b) continue;
    const auto k = static_cast<std::size_t>(st);
    setAtom(s.solcor.xyz[k], i, a.r);
    const int slot = 3 * (i - 1) + st + 1;
    p.slot[k](i) = slot;
    p.Q(slot) = a.q * s.misc.SQ332;
    p.A(slot) = std::sqrt(4.0 * a.eps * std::pow(a.sigma, 12));
    p.C(slot) = std::sqrt(4.0 * a.eps * std::pow(a.sigma, 6));
    p.QI[k](i) = a.q;
    p.SIG[k](i) = a.sigma;
    p.EPS[k](i) = a.eps;
    p.NAT[k](i) = a.nat;
    p.CHG(st + 1) += a.q;
    if (st == 0) {
      s.zmat.name(i) = a.name;
      p.NATI(i) = p.NATF(i) = a.nat;
    }
  }
}

void readBlocks(State& s, Reading& rd) {
  Unit& u = s.io.zmatfile;
  std::string_view rec;
  rd.blocks = 1;
  while (u.read(rec)) {
    if (rec.empty() || rec.find_first_not_of(" \t") == std::string_view::npos) continue;
    if (rec[0] == '#' || rec[0] == '$') continue;
    if (rec[0] == '%') {
      rd.closed[static_cast<std::size_t>(rd.blocks)] = true;
      if (rd.blocks == kMaxBlocks) break;
      ++rd.blocks;
      continue;
    }
    const MindAtom a = parseAtom(rec, u.origin());
    int& n = rd.count[static_cast<std::size_t>(rd.blocks)];
    if (n == kMaxMindAtoms)
      stop(s.io, "Array overflow in MINDIN, increase MAXSLT to" + formatI(kMaxMindAtoms, 6));
    ++n;
    storeAtom(s, rd, rd.blocks, n, a);
  }
}

void checkBlocks(State& s, const Reading& rd) {
  const int n = rd.count[static_cast<std::size_t>(rd.block[0])];
  for (int b : rd.block) {
    const auto k = static_cast<std::size_t>(b);
    const bool present = b <= rd.blocks && rd.count[k] > 0;
    if (!present || (rd.count[k] < n && !rd.closed[k]))
      stop(s.io, "Premature end-of-file in mindin.");
    if (rd.count[k] != n)
      stop(s.io,
           "Blocks of the free-format solute file hold different numbers of atoms - Killed in "
           "MINDIN");
  }
}

void listSelection(State& s) {
  const std::string stars(60, '*');
  s.io.list(" " + stars);
  s.io.list(" Free-Format Solute Input - Blocks Selected by RC0 =" + formatF(s.geom.RC0, 7, 3) +
            "  RC1 =" + formatF(s.geom.RC1, 7, 3) + "  RC2 =" + formatF(s.geom.RC2, 7, 3));
  s.io.list(" " + stars);
}

// Dummy atom n + 1 at the centroid of atoms 1..n of every state, with one zero slot.
void appendDummy(State& s, int n) {
  const int d = n + 1;
  Potpar& p = s.potpar;
  const int slot = 3 * n + 1;
  p.Q(slot) = p.A(slot) = p.C(slot) = 0.0;
  p.NSLOT = slot;
  s.zmat.name(d) = "DUM";
  s.zmat.ITYPE(d) = s.zmat.JTYPE(d) = -1;
  p.NATI(d) = p.NATF(d) = 0;
  for (std::size_t st = 0; st < 3; ++st) {
    Xyz& c = s.solcor.xyz[st];
    Vec3 m;
    for (int i = 1; i <= n; ++i) {
      m.x += c.x(i);
      m.y += c.y(i);
      m.z += c.z(i);
    }
    setAtom(c, d, {m.x / n, m.y / n, m.z / n});
    p.slot[st](d) = slot;
    p.QI[st](d) = p.SIG[st](d) = p.EPS[st](d) = 0.0;
    p.NAT[st](d) = 0;
  }
}

}  // namespace

void mindin(State& s, int /*layoutCode: 9 reads like 6*/) {
  Zmat& z = s.zmat;
  Potpar& p = s.potpar;
  Unit& u = s.io.zmatfile;
  u.rewind();
  std::string_view rec;
  if (!u.read(rec)) stop(s.io, "Premature end-of-file in mindin.");
  z.title.assign(rec.substr(std::min<std::size_t>(6, rec.size()), 30));
  listSelection(s);
  Reading rd;
  rd.block = {blockOf(s.geom.RC0), blockOf(s.geom.RC1), blockOf(s.geom.RC2)};
  p.CHG.fill(0.0);
  readBlocks(s, rd);
  checkBlocks(s, rd);
  const int n = rd.count[static_cast<std::size_t>(rd.block[0])];
  for (int i = 1; i <= n; ++i) {
    z.ITYPE(i) = z.JTYPE(i) = 999;
    z.IRES(i) = 0;
    const double q0 = p.QI[0](i), s0 = p.SIG[0](i), e0 = p.EPS[0](i);
    bool differs = false;
    for (std::size_t st = 1; st < 3; ++st)
      differs = differs || p.QI[st](i) != q0 || p.SIG[st](i) != s0 || p.EPS[st](i) != e0;
    p.perturbed(i) = differs ? 1 : 0;
  }
  Solcor& c = s.solcor;
  for (std::size_t st = 1; st < 3; ++st) {
    if (rd.block[st] == rd.block[0]) continue;
    if (n <= MAXMIN) qtrf(n, c.xyz[0], c.xyz[st]);
  }
  if (n > MAXMIN && (rd.block[1] != rd.block[0] || rd.block[2] != rd.block[0]))
    s.io.list(" More than" + formatI(MAXMIN, 4) +
              " free-format solute atoms: perturbed geometries are not superimposed.");
  appendDummy(s, n);
  z.NSATM = n + 1;
  z.NSOLUT = 1;
  z.first(1) = 1;
  z.last(1) = n + 1;
  z.cflag(1) = 0;
  z.noSolute = false;
  p.soluteParamsRead = true;
  deriveZmatrix(z, c.xyz[0], p.NATI, z.NSATM);
  c.setup0 = c.xyz[0];
  c.setup1 = c.xyz[1];
}

}  // namespace veka
