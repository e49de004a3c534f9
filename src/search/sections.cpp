// The search and stochastic sections of the solute file and the automatic choice of the
// sampled dihedrals.
#include <vector>

#include "format/record.hpp"
#include "optimize/optstate.hpp"
#include "search/search.hpp"

namespace veka {

namespace {

using fmt::RecordReader;
using fmt::RecordWriter;

constexpr int kMaxSkipped = 10000;  // records searched for the start of the section

bool blankHead(std::string_view r) {
  return r.substr(0, 4).find_first_not_of(' ') == std::string_view::npos;
}

// Positions the solute file after its tenth record with four leading blanks.
void skipToSection(State& s, const char* formatError) {
  Unit& u = s.io.zmatfile;
  u.rewind();
  std::string_view r;
  int blanks = 0;
  for (int n = 1; blanks < 10; ++n) {
    if (n > kMaxSkipped || !u.read(r)) stop(s.io, formatError);
    if (blankHead(r)) ++blanks;
  }
}

std::string line80(std::string_view r) {
  std::string l(r.substr(0, 80));
  l.resize(80, ' ');
  return l;
}

int variableOf(const State& s, int kind, int atom) {
  const Optim& o = *s.optim;
  for (int k = 1; k <= o.nvar; ++k)
    if (o.kind(k) == kind && o.atom(k) == atom) return k;
  return 0;
}

void addSampled(State& s, int atom, int kind, int var, double lo, double hi) {
  Csrch& c = s.csrch;
  if (c.nsamp == MAXOPT)
    stop(s.io, RecordWriter()
                   .A("*** TOO MANY VARIABLES (")
                   .I(c.nsamp + 1, 4)
                   .A(") FOR OPTIMIZATION IN SEARCH ***")
                   .str());
  const int k = ++c.nsamp;
  c.sampAtom(k) = atom, c.sampKind(k) = kind, c.sampVar(k) = var;
  if (kind == kVarDihedral && lo == hi) lo = 0.0, hi = 360.0;
  c.sampMin(k) = lo, c.sampMax(k) = hi;
}

bool bonded(const State& s, int a, int b) {
  for (int m = 1; m <= s.covnbr.NNEB(a); ++m)
    if (s.covnbr.NEB(m, a) == b) return true;
  return false;
}

// Whether the bond a-b lies in a ring: b is reached from a without that bond.
bool ringBond(const State& s, int a, int b, std::vector<int>& seen, std::vector<int>& queue) {
  std::fill(seen.begin(), seen.end(), 0);
  queue.clear();
  queue.push_back(a);
  seen[static_cast<std::size_t>(a)] = 1;
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const int i = queue[q];
    for (int m = 1; m <= s.covnbr.NNEB(i); ++m) {
      const int j = s.covnbr.NEB(m, i);
      if ((i == a && j == b) || seen[static_cast<std::size_t>(j)]) continue;
      if (j == b) return true;
      seen[static_cast<std::size_t>(j)] = 1;
      queue.push_back(j);
    }
  }
  return false;
}

// A methyl-like (or trifluoromethyl-like) rotor hydrogen (fluorine): two further
// neighbours of its bond partner have its type.
bool rotorEnd(const State& s, int i) {
  const Chars<2>& t = s.potpar.AMTYPI(i);
  if (!(t == "HC" || t == "F ")) return false;
  const int j = s.zmat.IZ1(i);
  int same = 0;
  for (int m = 1; m <= s.covnbr.NNEB(j); ++m) {
    const int n = s.covnbr.NEB(m, j);
    if (n != i && s.potpar.AMTYPI(n) == t) ++same;
  }
  return same >= 2;
}

}  // namespace

void readSearchSection(State& s) {
  skipToSection(s, "*** ERROR IN CONFORMATIONAL SEARCH FORMAT ***");
  Unit& u = s.io.zmatfile;
  std::string_view r;
  s.csrch.nsamp = 0;
  while (u.read(r) && !blankHead(r)) {
    int atom = 0, kind = 0, var = 0;
    double lo = 0.0, hi = 0.0;
    try {
      RecordReader e(r);
      atom = e.I(4), kind = e.I(4), lo = e.F(12, 6), hi = e.F(12, 6);
    } catch (const fmt::InputError&) {
      kind = 0;
    }
    if (kind >= kVarBond && kind <= kVarDihedral && atom >= 1 && atom <= s.zmat.NSATM)
      var = variableOf(s, kind, atom);
    if (var == 0) stop(s.io, "*** ERROR IN CONFORMATION PARAMETER FORMAT ===> " + line80(r));
    addSampled(s, atom, kind, var, lo, hi);
  }
}

void chooseDihedrals(State& s) {
  const Zmat& z = s.zmat;
  std::vector<int> seen(static_cast<std::size_t>(z.NSATM) + 1), queue;
  auto real = [&](int a) { return a >= 1 && s.potpar.NATI(a) >= 1 && s.potpar.NATI(a) <= 98; };
  for (int i = 4; i <= z.NSATM; ++i) {
    const int j = z.IZ1(i), k = z.IZ2(i), l = z.IZ3(i);
    if (!real(i) || !real(j) || !real(k) || !real(l)) continue;
    const int var = variableOf(s, kVarDihedral, i);
    if (var == 0 || bonded(s, l, j) || ringBond(s, j, k, seen, queue) || rotorEnd(s, i)) continue;
    addSampled(s, i, kVarDihedral, var, 0.0, 360.0);
  }
}

void readStochasticSection(State& s) {
  skipToSection(s, "*** ERROR IN STOCHASTIC SEARCH FORMAT ***");
  Csrch& c = s.csrch;
  c.NFIX = 0;
  c.RADIUS = c.PUSH = c.HWIDTH = 0.0;
  std::string_view r;
  const bool given = s.io.zmatfile.read(r);
  const bool zero = !given || (r.size() >= 21 && (r[20] == 'L' || r[20] == 'F' || r[20] == 'E'));
  if (!zero) {
    try {
      RecordReader e(r);
      e.X(36);
      c.NFIX = e.I(4), c.RADIUS = e.F(10, 4), c.PUSH = e.F(10, 4), c.HWIDTH = e.F(10, 4);
    } catch (const fmt::InputError&) {
      stop(s.io, "*** ERROR IN STOCHASTIC PARAMETER FORMAT ===> " + line80(r));
    }
  }
  if (c.RADIUS < 0.01) c.RADIUS = 2.7;
  if (c.PUSH < 0.01) c.PUSH = 0.2;
  if (c.HWIDTH < 0.01) c.HWIDTH = 2.0;
  s.io.list(RecordWriter()
                .A(" NFIX =")
                .I(c.NFIX, 4)
                .A(" RADIUS = ")
                .F(c.RADIUS, 8, 4)
                .A(" PUSH =")
                .F(c.PUSH, 8, 4)
                .A(" HWIDTH =")
                .F(c.HWIDTH, 8, 4)
                .str());
}

}  // namespace veka
