#include "results/zmatout.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "format/record.hpp"
#include "molecule/geometry.hpp"
#include "molecule/params.hpp"
#include "results/labels.hpp"

namespace veka {

namespace {

using fmt::RecordWriter;

constexpr double kRadToDeg = 57.29577951308232;

// Closing records of the nine sections after the atoms, for solutes that had no
// Z-matrix input.
constexpr const char* kSectionHeadings[] = {
    "                    Geometry Variations follow    (2I4,F12.6)",
    "                    Variable Bonds follow         (I4)",
    "                    Additional Bonds follow       (2I4)",
    "                    Harmonic Constraints follow   (2I4,4F10.4)",
    "                    Variable Bond Angles follow   (I4)",
    "                    Additional Bond Angles follow (3I4)",
    "                    Variable Dihedrals follow     (3I4,F12.6)",
    "                    Additional Dihedrals follow   (6I4)",
    "                    Domain Definitions follow     (4I4)",
    "                    Final blank line",
};

constexpr std::string_view kDumpHeading = " Final Non-Bonded Parameters";

bool beginsFinal(std::string_view rec) {
  return rec.substr(0, 6) == " Final";
}

// True when the solutes of the run came from the solute file in the Z-matrix layout
// (gas-phase jobs always read that layout).
bool zmatrixInput(const State& s) {
  const int f = s.control.soluteFormat;
  return s.control.runMode >= 2 || (f != kPdb && f != kMind);
}

struct Internal {
  double bnd, ang, dih;  // A, degrees, degrees
};

// Current internal coordinates of atom i; `recompute` takes them from the Cartesian
// coordinates of the reference state instead of the Z-matrix.
Internal internals(const State& s, int i, bool recompute) {
  const Zmat& z = s.zmat;
  Internal v{z.BND(i), z.ANG(i) * kRadToDeg, z.DIH(i) * kRadToDeg};
  if (!recompute) return v;
  const Xyz& c = s.solcor.xyz[0];
  const int j = z.IZ1(i), k = z.IZ2(i), l = z.IZ3(i);
  if (j > 0) v.bnd = distance(atom(c, i), atom(c, j));
  if (j > 0 && k > 0) v.ang = bondAngle(atom(c, i), atom(c, j), atom(c, k)) * kRadToDeg;
  if (j > 0 && k > 0 && l > 0)
    v.dih = dihedral(atom(c, i), atom(c, j), atom(c, k), atom(c, l)) * kRadToDeg;
  return v;
}

bool isDummy(const State& s, int i) {
  return s.zmat.ITYPE(i) == -1 || s.potpar.NATI(i) == 0;
}

std::string atomRecord(const State& s, int i, int namedBefore, bool recompute) {
  const Zmat& z = s.zmat;
  const Internal v = internals(s, i, recompute);
  Chars<3> name = z.name(i), res;
  int resNo = z.IRES(i);
  if (resNo > 0) res = z.resTable(resNo);
  if (s.control.zmOutStyle == 3) {
    name = fullmName(s, i, namedBefore);
    if (resNo <= 0) {
      res = "UNK";
      resNo = 1;
    }
  }
  RecordWriter w;
  w.I(i, 4).X(1).A(name.view()).X(1).I(z.ITYPE(i), 4).X(1).I(z.JTYPE(i), 4).X(1);
  w.I(z.IZ1(i), 4).F(v.bnd, 12, 6).I(z.IZ2(i), 4).F(v.ang, 12, 6).I(z.IZ3(i), 4).F(v.dih, 12, 6);
  w.X(1).A(res.view()).X(1).I(resNo, 4);
  return w.str();
}

// The atom section; with `in` the input file is read in step and its "TER" records are
// copied, without it a plain "TER" separates the solutes.
void writeAtoms(State& s, Unit& out, Unit* in) {
  const Zmat& z = s.zmat;
  std::string_view rec;
  int named = 0;
  for (int m = 1; m <= z.NSOLUT; ++m) {
    if (m > 1) {
      const bool copied = in && in->read(rec) && rec.substr(0, 3) == "TER";
      out.write(copied ? rec : std::string_view("TER"));
    }
    for (int i = z.first(m); i <= z.last(m); ++i) {
      if (in) in->read(rec);
      out.write(atomRecord(s, i, named, m > 1 && i - z.first(m) < 3));
      if (!isDummy(s, i)) ++named;
    }
  }
}

// Copies the rest of the input; with `stopAtFinal` up to, not including, the first record
// beginning " Final". Returns true when such a record ended the copy.
bool copyRest(Unit& in, Unit& out, bool stopAtFinal) {
  std::string_view rec;
  while (in.read(rec)) {
    if (stopAtFinal && beginsFinal(rec)) return true;
    out.write(rec);
  }
  return false;
}

// ------------------------------------------------------------------ parameter dump

// Distinct type numbers of the solutes in dump order (see zmatout.hpp).
std::vector<int> dumpTypes(State& s) {
  const Zmat& z = s.zmat;
  std::vector<int> local, par;
  for (int i = 1; i <= z.NSATM; ++i) {
    for (int t : {z.ITYPE(i), z.JTYPE(i)}) {
      if (t <= 0) continue;
      std::vector<int>& v = isLocalSoluteType(t) ? local : par;
      if (std::find(v.begin(), v.end(), t) == v.end()) v.push_back(t);
    }
  }
  std::sort(local.begin(), local.end());
  std::sort(par.begin(), par.end());
  if (!local.empty()) {
    int lead = 0;
    for (int t : {800, 9500})
      if (lead == 0 && std::find(local.begin(), local.end(), t) != local.end()) lead = t;
    AtomType unused;
    for (int t : {800, 9500})
      if (lead == 0 && findLocalType(s.io.zmatfile, z.NSATM + 10, t, unused)) lead = t;
    if (lead != 0) {
      local.erase(std::remove(local.begin(), local.end(), lead), local.end());
      local.insert(local.begin(), lead);
    }
  }
  local.insert(local.end(), par.begin(), par.end());
  return local;
}

void writeDump(State& s, Unit& out, bool inputHadFinal) {
  const std::vector<int> types = dumpTypes(s);
  // Without a local table of its own the input may end inside its last section, which
  // a blank record closes.
  if (!inputHadFinal) out.write("");
  out.write(kDumpHeading);
  for (int t : types) {
    AtomType a;
    const bool found = isLocalSoluteType(t) ? findLocalType(s.io.zmatfile, s.zmat.NSATM + 10, t, a)
                                            : findParType(s.io.parfile, t, a);
    if (!found) continue;
    RecordWriter w;
    w.I(t, 4).X(1).I(a.Z, 2).X(1).A(a.ff.view()).X(1).F(a.q, 10, 6).F(a.sig, 10, 6).F(a.eps, 10, 6);
    out.write(w.str());
  }
}

}  // namespace

Chars<3> fullmName(const State& s, int i, int count) {
  if (isDummy(s, i)) return "DUM";
  const std::string_view sym = writerSymbol(s.potpar.NATI(i));
  const std::string digits = base35Pair(count);
  if (sym.size() == 1) return Chars<3>(std::string(sym) + digits);
  return Chars<3>(std::string(sym) + digits[1]);
}

void writzm(State& s, Unit& unit, double energy) {
  Unit& out = unit;
  RecordWriter title;
  title.A(s.zmat.title.view()).X(30).A("Tot. E =").F(energy, 12, 4);
  out.write(title.str());

  const bool dump = s.control.zmOutStyle >= 2;
  bool inputHadFinal = false;
  if (zmatrixInput(s)) {
    Unit& in = s.io.zmatfile;
    in.rewind();
    std::string_view rec;
    in.read(rec);  // title
    writeAtoms(s, out, &in);
    inputHadFinal = copyRest(in, out, dump);
  } else {
    writeAtoms(s, out, nullptr);
    for (const char* h : kSectionHeadings) out.write(h);
  }
  if (dump) writeDump(s, out, inputHadFinal);
}

}  // namespace veka
