#include "molecule/autoterms.hpp"

#include <vector>

namespace veka {

namespace {

bool neighbours(const Covnbr& cn, int a, int b) {
  for (int k = 1; k <= cn.NNEB(a); ++k)
    if (cn.NEB(k, a) == b) return true;
  return false;
}

// Some variable dihedral turns about bond j-k, ends on j or k, or ends on a neighbour of
// j or k: the torsions about j-k then change in Monte Carlo moves.
bool bondMoves(const State& s, int j, int k) {
  const Dihcom& d = s.dihcom;
  const Covnbr& cn = s.covnbr;
  for (int n = 1; n <= d.NVDIH; ++n) {
    const int b = d.ID2(n), c = d.ID3(n), atom = d.ID4(n);
    if ((b == j && c == k) || (b == k && c == j)) return true;
    if (atom == j || atom == k) return true;
    if (atom >= 1 && atom <= s.zmat.NSATM && (neighbours(cn, j, atom) || neighbours(cn, k, atom)))
      return true;
  }
  return false;
}

bool hasDihedral(const Dihcom& d, int i, int j, int k, int l) {
  for (int n = 1; n <= d.NDIH; ++n) {
    if (d.ID1(n) == i && d.ID2(n) == j && d.ID3(n) == k && d.ID4(n) == l) return true;
    if (d.ID1(n) == l && d.ID2(n) == k && d.ID3(n) == j && d.ID4(n) == i) return true;
  }
  return false;
}

void appendDihedral(State& s, int i, int j, int k, int l) {
  Dihcom& d = s.dihcom;
  if (d.NDIH >= MAXDIH) stop(s.io, "Dihedral Array Overflow in ADDDIH - Redimesion");
  const int n = ++d.NDIH;
  d.ID1(n) = i;
  d.ID2(n) = j;
  d.ID3(n) = k;
  d.ID4(n) = l;
  d.ITOR0(n) = d.ITOR1(n) = -1;
  d.IDDEP(n) = 0;
  d.improper(n) = 0;
  d.DDIH(n) = d.DDMX(n) = 0.0;
}

bool hasAngle(const Angcom& a, int i, int b, int c) {
  for (int n = 1; n <= a.NANG; ++n)
    if (a.IA2(n) == b && ((a.IA1(n) == i && a.IA3(n) == c) || (a.IA1(n) == c && a.IA3(n) == i)))
      return true;
  return false;
}

void appendAngle(State& s, int i, int b, int c) {
  Angcom& a = s.angcom;
  if (a.NANG >= MAXANG) stop(s.io, "Bond Angle Array Overflow in ADDANG - Redimesion");
  const int n = ++a.NANG;
  a.IA1(n) = i;
  a.IA2(n) = b;
  a.IA3(n) = c;
  a.IADEP(n) = 0;
  a.DANG(n) = a.DAMX(n) = 0.0;
}

bool realAtom(const State& s, int a) {
  return a >= 1 && a <= s.zmat.NSATM && s.zmat.ITYPE(a) != -1;
}

// Atoms whose angles are completed: atoms of additional bonds and vertices of listed
// angles whose three atoms lie in one solute molecule.
std::vector<char> angleVertices(const State& s) {
  std::vector<char> use(static_cast<std::size_t>(s.zmat.NSATM + 1), 0);
  auto mark = [&](int a) {
    if (a >= 1 && a <= s.zmat.NSATM) use[static_cast<std::size_t>(a)] = 1;
  };
  for (int n = s.bndcom.NVBND + 1; n <= s.bndcom.NBND; ++n) {
    mark(s.bndcom.IB1(n));
    mark(s.bndcom.IB2(n));
  }
  const Angcom& a = s.angcom;
  const Zmat& z = s.zmat;
  for (int n = 1; n <= a.NANG; ++n) {
    const int m = z.moleculeOf(a.IA2(n));
    if (m != 0 && z.moleculeOf(a.IA1(n)) == m && z.moleculeOf(a.IA3(n)) == m) mark(a.IA2(n));
  }
  return use;
}

}  // namespace

// A three-membered ring would give a dihedral i-j-k-i; such entries are not generated.
void adddih(State& s) {
  const Covnbr& cn = s.covnbr;
  for (int j = 1; j <= s.zmat.NSATM; ++j) {
    if (cn.NNEB(j) < 2) continue;
    for (int p = 1; p <= cn.NNEB(j); ++p) {
      const int k = cn.NEB(p, j);
      if (k < j || cn.NNEB(k) < 2 || !bondMoves(s, j, k)) continue;
      for (int a = 1; a <= cn.NNEB(j); ++a) {
        const int i = cn.NEB(a, j);
        if (i == k) continue;
        for (int b = 1; b <= cn.NNEB(k); ++b) {
          const int l = cn.NEB(b, k);
          if (l == j || l == i || hasDihedral(s.dihcom, i, j, k, l)) continue;
          appendDihedral(s, i, j, k, l);
        }
      }
    }
  }
}

// An atom with more than six neighbours has every missing angle added.
void addang(State& s) {
  const Covnbr& cn = s.covnbr;
  const std::vector<char> use = angleVertices(s);
  for (int b = 1; b <= s.zmat.NSATM; ++b) {
    const int nn = cn.NNEB(b);
    if (!use[static_cast<std::size_t>(b)] || nn < 2) continue;
    int listed = 0;
    for (int n = 1; n <= s.angcom.NANG; ++n)
      if (s.angcom.IA2(n) == b && realAtom(s, s.angcom.IA1(n)) && realAtom(s, s.angcom.IA3(n)))
        ++listed;
    if (nn <= 6 && listed == nn * (nn - 1) / 2) continue;
    for (int p = 1; p < nn; ++p)
      for (int q = p + 1; q <= nn; ++q) {
        const int a = cn.NEB(p, b), c = cn.NEB(q, b);
        if (!hasAngle(s.angcom, a, b, c)) appendAngle(s, a, b, c);
      }
  }
}

}  // namespace veka
