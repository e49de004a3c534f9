#include "molecule/prmchk.hpp"

#include "format/record.hpp"

namespace veka {

namespace {

class Checker {
 public:
  explicit Checker(State& s) : s_(s), z_(s.zmat), cn_(s.covnbr) {}

  void solute(int mol) {
    first_ = z_.first(mol);
    last_ = z_.last(mol);
    bonds();
    angles();
    angleCounts();
    dihedrals();
    torsionCounts();
  }
  int problems() const { return problems_; }

 private:
  bool inSolute(int a) const { return a >= first_ && a <= last_; }
  bool real(int a) const { return a >= 1 && a <= z_.NSATM && z_.ITYPE(a) != -1; }
  bool bonded(int a, int b) const {
    if (!real(a)) return false;
    for (int k = 1; k <= cn_.NNEB(a); ++k)
      if (cn_.NEB(k, a) == b) return true;
    return false;
  }
  // A term belongs to the solute of its first atom and is checked when all atoms are real.
  bool checked(std::initializer_list<int> atoms) const {
    if (!inSolute(*atoms.begin())) return false;
    for (int a : atoms)
      if (!real(a)) return false;
    return true;
  }
  void report(const std::string& line) {
    s_.io.list(line);
    ++problems_;
  }

  void bonds() {
    const Bndcom& b = s_.bndcom;
    for (int n = 1; n <= b.NBND; ++n) {
      const int i = b.IB1(n), j = b.IB2(n);
      if (!checked({i, j})) continue;
      if (!bonded(i, j)) {
        fmt::RecordWriter w;
        w.A(" Bond").I(n, 5).A(": Atoms").I(i, 5).A(" and ").I(j, 5).A(
            " Are NOT Covalently Bonded");
        report(w.str());
      }
      for (int m = n + 1; m <= b.NBND; ++m) {
        const int p = b.IB1(m), q = b.IB2(m);
        if ((p == i && q == j) || (p == j && q == i)) {
          fmt::RecordWriter w;
          w.A(" Bonds").I(n, 5).A(" and ").I(m, 5).A(" Are Between the Same Atoms");
          report(w.str());
        }
      }
    }
  }

  void angles() {
    const Angcom& a = s_.angcom;
    for (int n = 1; n <= a.NANG; ++n) {
      const int i = a.IA1(n), j = a.IA2(n), k = a.IA3(n);
      if (!checked({i, j, k})) continue;
      if (i == k) {
        fmt::RecordWriter w;
        w.A(" Bond Angle").I(n, 5).A(" Atoms 1 and 3 Are the Same");
        report(w.str());
      }
      for (int m = n + 1; m <= a.NANG; ++m) {
        if (a.IA2(m) != j) continue;
        const int p = a.IA1(m), q = a.IA3(m);
        if ((p == i && q == k) || (p == k && q == i)) {
          fmt::RecordWriter w;
          w.A(" Atom ").I(j, 5).A(": Bond Angles ").I(n, 5).A(" and ").I(m, 5).A(" Are the Same");
          report(w.str());
        }
      }
    }
  }

  void angleCounts() {
    const Angcom& a = s_.angcom;
    for (int v = first_; v <= last_; ++v) {
      const int nn = cn_.NNEB(v);
      if (nn < 3 || nn > 6 || !real(v)) continue;
      int found = 0;
      for (int n = 1; n <= a.NANG; ++n)
        if (a.IA2(n) == v && real(a.IA1(n)) && real(a.IA3(n))) ++found;
      const int expected = nn * (nn - 1) / 2;
      if (found == expected) continue;
      fmt::RecordWriter w;
      w.A(" Atom ").I(v, 5).A(" Has ").I(nn, 2).A(" Neighbors:").I(expected, 3);
      w.A(" Bond Angle Terms Expected, ").I(found, 3).A(" Found");
      report(w.str());
    }
  }

  // Covalently connected as a chain i-j-k-l or as an improper centred on j or k.
  bool connected(int i, int j, int k, int l) const {
    if (!bonded(j, k)) return false;
    const bool chain = bonded(i, j) && bonded(k, l);
    const bool aboutJ = bonded(j, i) && bonded(j, l);
    const bool aboutK = bonded(k, i) && bonded(k, l);
    return chain || aboutJ || aboutK;
  }

  void dihedrals() {
    const Dihcom& d = s_.dihcom;
    for (int n = 1; n <= d.NDIH; ++n) {
      const int i = d.ID1(n), j = d.ID2(n), k = d.ID3(n), l = d.ID4(n);
      if (!checked({i, j, k, l}) || connected(i, j, k, l)) continue;
      fmt::RecordWriter w;
      w.A(" Dihedral Angle ").I(n, 5).A(": Atoms");
      for (int a : {i, j, k, l}) w.I(a, 5);
      w.A(" Are Not All Covalently Bonded");
      report(w.str());
    }
  }

  void torsionCounts() {
    const Dihcom& d = s_.dihcom;
    for (int j = first_; j <= last_; ++j) {
      for (int m = 1; m <= cn_.NNEB(j); ++m) {
        const int k = cn_.NEB(m, j);
        if (k <= j) continue;
        int found = 0;
        for (int n = 1; n <= d.NDIH; ++n) {
          const bool middle = (d.ID2(n) == j && d.ID3(n) == k) || (d.ID2(n) == k && d.ID3(n) == j);
          if (middle && real(d.ID1(n)) && real(d.ID4(n))) ++found;
        }
        const int expected = (cn_.NNEB(j) - 1) * (cn_.NNEB(k) - 1);
        if (found == expected) continue;
        fmt::RecordWriter w;
        w.A(" For Bond Between Atoms").I(j, 5).I(k, 5).A(": Expected").I(expected, 3);
        w.A(" Torsion Terms, Found").I(found, 3);
        report(w.str());
      }
    }
  }

  State& s_;
  const Zmat& z_;
  const Covnbr& cn_;
  int first_ = 0, last_ = 0;
  int problems_ = 0;
};

}  // namespace

int prmchk(State& s) {
  s.io.list("");
  s.io.list(" Checking for potential problems in the solute Z-matrix file:");
  Checker c(s);
  for (int mol = 1; mol <= s.zmat.NSOLUT; ++mol) c.solute(mol);
  fmt::RecordWriter w;
  w.X(1).I(c.problems(), 5).A(" Potential Problems Found.");
  s.io.list(w.str());
  s.io.list(" Note - When improper dihedrals are used, excess torsion terms are normal.");
  return c.problems();
}

}  // namespace veka
