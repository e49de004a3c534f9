#include "results/pdbout.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "format/record.hpp"
#include "results/labels.hpp"

namespace veka {

namespace {

using fmt::RecordWriter;

// Columns 55-78 of an atom record: occupancy, temperature factor, element symbol.
std::string tailColumns(const std::string& symbol) {
  return "  1.00  0.00" + std::string(10, ' ') + symbol;
}

class PdbWriter {
 public:
  explicit PdbWriter(State& s) : s_(s), u_(s.io.pltfile) {}

  void write();

 private:
  void put(std::string_view rec) { u_.write(rec); }
  void ter() { put("TER"); }
  int nextSerial() { return ++serial_ % 100000; }
  void coords(RecordWriter& w, const Xyz& c, int i) {
    w.F(c.x(i), 8, 3).F(c.y(i), 8, 3).F(c.z(i), 8, 3);
  }
  void plainAtom(const Xyz& c, int i, int z, int residue);
  void residueAtom(int i, const Chars<3>& res, int residue);
  void solute(int m);
  void soluteWithResidues(int m);
  void perturbedState();
  void typeLists();
  void solvent();

  State& s_;
  Unit& u_;
  int serial_ = 0;          // atom records written
  int counter_ = 1;         // residue counter of the solutes without residues
  int lastResidue_ = 0;     // highest residue number written
  std::vector<int> order_;  // solute atoms in the order written
};

void PdbWriter::plainAtom(const Xyz& c, int i, int z, int residue) {
  const std::string sym = pdbSymbol(z);
  const int before = serial_;
  RecordWriter w;
  w.A("ATOM  ").I(nextSerial(), 5).X(1).A(sym).A(base35Pair(before)).X(1).A("UNK");
  w.X(2).I(residue % 10000, 4).X(4);
  coords(w, c, i);
  w.A(tailColumns(sym));
  put(w.str());
}

void PdbWriter::residueAtom(int i, const Chars<3>& res, int residue) {
  RecordWriter w;
  w.A("ATOM  ").I(nextSerial(), 5).X(2).A(s_.zmat.name(i).view()).X(1).A(res.view());
  w.X(2).I(residue % 10000, 4).X(4);
  coords(w, s_.solcor.xyz[0], i);
  w.A(tailColumns(pdbSymbol(s_.potpar.NAT[0](i))));
  put(w.str());
  order_.push_back(i);
  lastResidue_ = std::max(lastResidue_, residue);
}

void PdbWriter::soluteWithResidues(int m) {
  const Zmat& z = s_.zmat;
  int lo = MAXRES + 1, hi = 0;
  for (int i = z.first(m); i <= z.last(m); ++i) {
    if (z.IRES(i) <= 0) continue;
    lo = std::min(lo, z.IRES(i));
    hi = std::max(hi, z.IRES(i));
  }
  for (int r = lo; r <= hi; ++r)
    for (int i = z.first(m); i <= z.last(m); ++i)
      if (z.IRES(i) == r && z.ITYPE(i) != -1) residueAtom(i, z.resTable(r), r);
  for (int i = z.first(m); i <= z.last(m); ++i)
    if (z.IRES(i) <= 0 && z.ITYPE(i) != -1) residueAtom(i, "UNK", hi + 1);
}

void PdbWriter::solute(int m) {
  const Zmat& z = s_.zmat;
  bool residues = false;
  for (int i = z.first(m); i <= z.last(m); ++i) residues = residues || z.IRES(i) > 0;
  if (residues) {
    soluteWithResidues(m);
    return;
  }
  for (int i = z.first(m); i <= z.last(m); ++i) {
    if (z.ITYPE(i) == -1) continue;
    plainAtom(s_.solcor.xyz[0], i, s_.potpar.NAT[0](i), counter_);
    order_.push_back(i);
  }
  lastResidue_ = std::max(lastResidue_, counter_);
}

void PdbWriter::perturbedState() {
  const Zmat& z = s_.zmat;
  for (int m = 1; m <= z.NSOLUT; ++m) {
    ter();
    ++counter_;
    for (int i = z.first(m); i <= z.last(m); ++i)
      if (z.ITYPE(i) != -1) plainAtom(s_.solcor.xyz[1], i, s_.potpar.NAT[1](i), counter_);
    lastResidue_ = std::max(lastResidue_, counter_);
  }
}

void PdbWriter::typeLists() {
  const Zmat& z = s_.zmat;
  for (int pass = 0; pass < 2; ++pass) {
    put("      ");
    RecordWriter w;
    int n = 0;
    for (int i : order_) {
      const int t = pass == 0 || z.JTYPE(i) == 0 ? z.ITYPE(i) : z.JTYPE(i);
      if (t <= 0) continue;
      w.I(t, 3);
      if (++n % 10 == 0) {
        put(w.str());
        w.clear();
      }
    }
    if (n % 10 != 0) put(w.str());
  }
}

void PdbWriter::solvent() {
  const Coord& c = s_.coord;
  const Potpar& p = s_.potpar;
  for (int m = 1; m <= c.NMOL; ++m) {
    const int sv = c.solvent(m) == 2 ? 2 : 1;
    const int code = s_.sol.code(sv);
    const char* res = (code == 1 || code == 2) ? "WTR" : "UNK";
    const int residue = (lastResidue_ + m) % 10000;
    for (int site = 1; site <= s_.sol.nsites(sv); ++site) {
      const int z = p.natW(site, sv);
      if (z <= 0 || z == 2 || p.typeW(site, sv) <= 0) continue;
      const std::string sym = solventSymbol(s_.io, z);
      RecordWriter w;
      w.A("ATOM  ").I(nextSerial(), 5).X(1).A(sym).A(base35Pair(site - 1)).X(1).A(res);
      w.X(2).I(residue, 4).X(4);
      w.F(c.X(m, site), 8, 3).F(c.Y(m, site), 8, 3).F(c.Z(m, site), 8, 3);
      w.A(tailColumns(sym));
      put(w.str());
    }
    ter();
  }
}

void PdbWriter::write() {
  const bool search = s_.control.runMode == 5 || s_.control.runMode == 6;
  if (!search) {
    u_.rewind();
    put("REMARK    " + s_.zmat.title.str());
    put("REMARK    Created by VEKA 4.9 June 15 Linux");
  }
  const Zmat& z = s_.zmat;
  for (int m = 1; m <= z.NSOLUT; ++m) {
    if (m > 1) {
      ter();
      ++counter_;
    }
    solute(m);
  }
  const int variant = s_.io.structFormat;
  if (variant == 3) perturbedState();
  if (variant == 2) typeLists();
  if (s_.coord.NMOL > 0) {
    if (variant != 2) ter();
    solvent();
  }
  put(search ? "TER" : "END");
}

}  // namespace

void pdbout(State& s) {
  PdbWriter(s).write();
}

}  // namespace veka
