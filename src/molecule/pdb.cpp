// Protein Data Bank layout of the solute file, and the element table.
#include "molecule/pdb.hpp"

#include <array>
#include <cmath>
#include <string>

#include "format/record.hpp"
#include "molecule/geometry.hpp"
#include "molecule/zmatrix_derive.hpp"

namespace veka {

namespace {

constexpr std::array<const char*, kMaxElement + 1> kSymbols = {
    "",   "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si",
    "P",  "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu",
    "Zn", "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru",
    "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr",
    "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",
    "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac",
    "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es"};

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isLower(char c) {
  return c >= 'a' && c <= 'z';
}

// Element whose symbol is first letter `a` (upper case) and second `b` (lower case, or a
// blank for one-letter symbols).
int lookup(char a, char b) {
  for (int z = 1; z <= kMaxElement; ++z) {
    const char* sym = kSymbols[static_cast<std::size_t>(z)];
    if (sym[0] == a && (sym[1] == '\0' ? b == ' ' : sym[1] == b)) return z;
  }
  return 0;
}

}  // namespace

std::string_view elementSymbol(int z) {
  if (z < 1 || z > kMaxElement) return {};
  return kSymbols[static_cast<std::size_t>(z)];
}

int elementFromName(std::string_view name) {
  std::size_t p = 0;
  while (p < name.size() && (name[p] == ' ' || (name[p] >= '0' && name[p] <= '9'))) ++p;
  if (p >= name.size()) return 0;
  const char a = upper(name[p]);
  const char b = p + 1 < name.size() ? name[p + 1] : ' ';
  if (!isUpper(a)) return 0;
  const int single = lookup(a, ' ');
  if (isLower(b)) {
    const int two = lookup(a, b);
    return two != 0 ? two : single;
  }
  if (isUpper(b)) {
    const char lb = static_cast<char>(b - 'A' + 'a');
    const bool halogen = (a == 'C' && b == 'L') || (a == 'B' && b == 'R');
    if (single == 0 || halogen) return lookup(a, lb);
  }
  return single;
}

int iatnmb(Io& io, std::string_view name) {
  const int z = elementFromName(name.substr(0, 2));
  if (z == 0) {
    Chars<2> two(name.substr(0, 2));
    stop(io, "CANNOT RECOGNIZE ATOM SYMBOL " + two.str() + " IN IATNMB");
  }
  return z;
}

// ------------------------------------------------------------------ pdbin

namespace {

using fmt::formatI;
using fmt::RecordReader;

[[noreturn]] void pdbError(State& s, long record) {
  stop(s.io, "**** ERROR IN PDB INPUT, RECORD #" + formatI(record, 5));
}

bool skippedRecord(const Chars<6>& name) {
  for (const char* k : {"TER   ", "SSBOND", "REMARK", "HEADER", "SOURCE", "AUTHOR", "MASTER",
                        "CONNEC", "CONECT", "FORMUL", "SEQRES"})
    if (name == k) return true;
  return false;
}

struct PdbAtom {
  Chars<3> name, resName;
  int resNumber = 0;
  Vec3 r;
  double q = 0.0, sigma = 0.0, eps = 0.0;
};

PdbAtom readAtom(std::string_view rec, bool withParams, const fmt::Origin* origin) {
  RecordReader r(rec, origin);
  PdbAtom a;
  r.A(6);
  r.I(5);
  r.X(withParams ? 1 : 2);
  a.name = r.A<3>();
  if (withParams) r.X(1);
  r.A(1);  // alternate location
  a.resName = r.A<3>();
  r.X(1);
  r.A(1);  // chain
  a.resNumber = r.I(4);
  r.A(1);  // insertion code
  r.X(3);
  a.r.x = r.F(8, 3);
  a.r.y = r.F(8, 3);
  a.r.z = r.F(8, 3);
  if (withParams) {
    a.q = r.F(9, 3);
    a.sigma = r.F(7, 3);
    a.eps = r.F(7, 3);
  } else {
    r.F(6, 2);  // occupancy
    r.F(6, 2);  // temperature factor
  }
  return a;
}

void storeAtom(State& s, const PdbAtom& a, int i) {
  Zmat& z = s.zmat;
  z.name(i) = a.name;
  z.resName(i) = a.resName;
  z.IRES(i) = a.resNumber;
  if (a.resNumber > MAXRES)
    stop(s.io, "* Max No. of Residues =" + formatI(MAXRES, 4) + " Killed in PDBIN  *");
  if (a.resNumber > 0) z.resTable(a.resNumber) = a.resName;
  z.ITYPE(i) = z.JTYPE(i) = 0;
  const int nat = iatnmb(s.io, a.name.view());
  Potpar& p = s.potpar;
  p.NATI(i) = p.NATF(i) = nat;
  for (int st = 0; st < 3; ++st) {
    p.NAT[static_cast<std::size_t>(st)](i) = nat;
    setAtom(s.solcor.xyz[static_cast<std::size_t>(st)], i, a.r);
  }
}

// One parameter slot per atom, the same for all three states.
void storeParameters(State& s, const PdbAtom& a, int i) {
  Potpar& p = s.potpar;
  const double q = a.q, sig = a.sigma, eps = a.eps;
  p.NSLOT = i;
  p.Q(i) = q * s.misc.SQ332;
  p.A(i) = std::sqrt(4.0 * eps * std::pow(sig, 12));
  p.C(i) = std::sqrt(4.0 * eps * std::pow(sig, 6));
  p.perturbed(i) = 0;
  for (std::size_t st = 0; st < 3; ++st) {
    p.slot[st](i) = i;
    p.QI[st](i) = q;
    p.SIG[st](i) = sig;
    p.EPS[st](i) = eps;
    p.CHG(static_cast<int>(st) + 1) += q;
  }
}

// Ten I3 fields per record for atoms 1..n; an end of file leaves the rest as they are.
void readTypeRecords(State& s, Array1<int, MAXATM>& types, int n) {
  Unit& u = s.io.zmatfile;
  std::string_view rec;
  for (int first = 1; first <= n; first += 10) {
    if (!u.read(rec)) return;
    RecordReader r(rec, &u.origin());
    for (int i = first; i < first + 10 && i <= n; ++i) types(i) = r.I(3);
  }
}

// Atom types after "END" (standard layout): reference types, a 2I1 flag record and, when
// its first flag is 1, the final types. The second flag is read and not used.
void readTypes(State& s, int n) {
  Unit& u = s.io.zmatfile;
  readTypeRecords(s, s.zmat.ITYPE, n);
  std::string_view rec;
  if (!u.read(rec)) return;
  RecordReader r(rec, &u.origin());
  const int flag = r.I(1);
  r.I(1);
  if (flag == 1) readTypeRecords(s, s.zmat.JTYPE, n);
}

// Reads the atom records up to the end record; returns the number of atoms.
int readAtomRecords(State& s) {
  Unit& u = s.io.zmatfile;
  const bool withParams = s.control.pdbWithParams;
  int n = 0;
  std::string_view rec;
  while (u.read(rec)) {
    const long recno = u.recordNumber();
    const Chars<6> name(rec.substr(0, 6));
    if (s.io.listLevel != 3) s.io.list(std::string(1, ' ').append(rec.substr(0, 66)));
    if (name == "ATOM  " || name == "HETATM") {
      PdbAtom a;
      try {
        a = readAtom(rec, withParams, &u.origin());
      } catch (const fmt::InputError&) {
        pdbError(s, recno);
      }
      if (withParams && (a.sigma < 0.0 || a.eps < 0.0)) pdbError(s, recno);
      if (n == MAXATM) stop(s.io, "** Max No. of Solute Atoms is 4500 - Killed in PDBIN **");
      ++n;
      storeAtom(s, a, n);
      if (withParams) storeParameters(s, a, n);
    } else if (name == "COMPND") {
      s.zmat.title.assign(rec.substr(std::min<std::size_t>(6, rec.size()), 30));
    } else if (name == "END   " || name == "      ") {
      break;
    } else if (!skippedRecord(name)) {
      pdbError(s, recno);
    }
  }
  return n;
}

}  // namespace

void pdbin(State& s) {
  Zmat& z = s.zmat;
  Unit& u = s.io.zmatfile;
  u.rewind();
  std::string_view rec;
  if (u.read(rec)) z.title.assign(rec.substr(std::min<std::size_t>(6, rec.size()), 30));
  s.io.list(" Protein Data Bank Style Input");
  u.rewind();
  s.potpar.soluteParamsRead = s.control.pdbWithParams;
  const int n = readAtomRecords(s);
  if (!s.control.pdbWithParams) {
    try {
      readTypes(s, n);
    } catch (const fmt::InputError&) {
      pdbError(s, u.recordNumber());
    }
  }
  z.NSATM = n;
  z.NSOLUT = n > 0 ? 1 : 0;
  z.noSolute = n == 0;
  if (n > 0) {
    z.first(1) = 1;
    z.last(1) = n;
    z.cflag(1) = 0;
  }
  Solcor& c = s.solcor;
  deriveZmatrix(z, c.xyz[0], s.potpar.NATI, n);
  c.setup0 = c.xyz[0];
  c.setup1 = c.xyz[0];
}

}  // namespace veka
