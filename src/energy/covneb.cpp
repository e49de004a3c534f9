#include "energy/covneb.hpp"

#include <array>

#include "format/record.hpp"

namespace veka {

namespace {

constexpr std::array<float, 100> kRad = {
    0.44f, 0.32f, 0.93f, 1.23f, 0.90f, 0.82f, 0.77f, 0.73f, 0.70f, 0.60f, 0.71f,  // 0-10
    1.54f, 1.36f, 1.18f, 1.11f, 1.06f, 1.02f, 1.00f, 0.98f, 2.03f, 1.74f,         // 11-20
    1.44f, 1.32f, 1.22f, 1.18f, 1.17f, 1.17f, 1.16f, 1.15f, 1.17f, 1.25f,         // 21-30
    1.26f, 1.22f, 1.20f, 1.16f, 1.16f, 1.12f, 2.16f, 1.91f, 1.62f, 1.45f,         // 31-40
    1.34f, 1.30f, 1.27f, 1.25f, 1.25f, 1.28f, 1.34f, 1.48f, 1.44f, 1.41f,         // 41-50
    1.40f, 1.36f, 1.33f, 1.31f, 2.35f, 1.98f, 1.69f, 1.65f, 1.65f, 1.64f,         // 51-60
    1.63f, 1.62f, 1.85f, 1.61f, 1.59f, 1.59f, 1.58f, 1.57f, 1.56f, 1.56f,         // 61-70
    1.56f, 1.44f, 1.34f, 1.30f, 1.28f, 1.26f, 1.27f, 1.30f, 1.34f, 1.49f,         // 71-80
    1.48f, 1.47f, 1.46f, 1.46f, 1.45f, 1.45f, 1.50f, 1.50f, 1.60f, 1.65f,         // 81-90
    1.70f, 1.70f, 1.70f, 1.70f, 1.70f, 1.70f, 1.70f, 1.70f, 0.00f,                // 91-99
};

constexpr int kDummyType = 100;  // force-field dummy type "DM"

int checkedAtomicNumber(State& s, int z) {
  if (z < 0 || z > 99) {
    fmt::RecordWriter w;
    w.A("*** Atomic Number").I(z, 5).A(" Out of Range in CRAD");
    stop(s.io, w.str());
  }
  return z;
}

double dist2(const Xyz& c, int i, int j) {
  const double dx = c.x(i) - c.x(j), dy = c.y(i) - c.y(j), dz = c.z(i) - c.z(j);
  return dx * dx + dy * dy + dz * dz;
}

void addNeighbour(State& s, int i, int j) {
  Covnbr& cn = s.covnbr;
  if (cn.NNEB(i) >= MAXNEB) {
    fmt::RecordWriter w;
    w.A("Overflow in COVNEB - Atom").I(i, 4).A(" has >").I(MAXNEB, 4).A(" Bonds");
    stop(s.io, w.str());
  }
  cn.NEB(++cn.NNEB(i), i) = static_cast<std::int16_t>(j);
  if (i < j) ++cn.NBONDS;
}

// True when the distance rule makes i and j covalent neighbours.
bool bondedByDistance(const State& s, int i, int j, const std::array<double, 2>& ri,
                      const std::array<double, 2>& rj) {
  const Potpar& p = s.potpar;
  const int zsum = p.NATI(i) + p.NATI(j) + p.NATF(i) + p.NATF(j);
  if (zsum == 4) return false;
  if (p.NATI(i) == 17 && p.NATI(j) == 17 && p.NATF(i) == 17 && p.NATF(j) == 17) return false;
  const double d0 = dist2(s.solcor.setup0, i, j);
  const double d1 = dist2(s.solcor.setup1, i, j);
  if (d0 > 4.0 && d1 > 4.0) return false;
  const Zmat& z = s.zmat;
  const double c0 = ri[0] + 0.1 + rj[0], c1 = ri[1] + 0.1 + rj[1];
  const bool refOk = z.ITYPE(i) != kDummyType && z.ITYPE(j) != kDummyType && d0 <= c0 * c0;
  const int fi = z.JTYPE(i) != 0 ? z.JTYPE(i) : z.ITYPE(i);
  const int fj = z.JTYPE(j) != 0 ? z.JTYPE(j) : z.ITYPE(j);
  const bool finOk = fi != kDummyType && fj != kDummyType && d1 <= c1 * c1;
  return refOk || finOk;
}

void listNeighbours(State& s) {
  s.io.list(" Covalent Neigbors List -");
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    fmt::RecordWriter w;
    w.X(1).I(i, 5).A(":");
    for (int k = 1; k <= s.covnbr.NNEB(i); ++k) w.I(s.covnbr.NEB(k, i), 5);
    s.io.list(w.str());
  }
}

// Fills the compressed rows of bond-list partners (entries outside 1..n are ignored).
void bondPartners(State& s, int n) {
  Covnbr& cn = s.covnbr;
  const Bndcom& b = s.bndcom;
  auto valid = [n](int a) { return a >= 1 && a <= n; };
  for (int i = 1; i <= n + 1; ++i) cn.bstart(i) = 0;
  for (int k = 1; k <= b.NBND; ++k) {
    if (!valid(b.IB1(k)) || !valid(b.IB2(k))) continue;
    ++cn.bstart(b.IB1(k) + 1);
    ++cn.bstart(b.IB2(k) + 1);
  }
  // bstart(i) = number of partners of atoms before i (prefix sums), fill with a cursor.
  for (int i = 2; i <= n + 1; ++i) cn.bstart(i) += cn.bstart(i - 1);
  for (int i = 1; i <= n; ++i) cn.mark(i) = 0;
  for (int k = 1; k <= b.NBND; ++k) {
    const int a1 = b.IB1(k), a2 = b.IB2(k);
    if (!valid(a1) || !valid(a2)) continue;
    cn.bpartner(cn.bstart(a1) + ++cn.mark(a1)) = a2;
    cn.bpartner(cn.bstart(a2) + ++cn.mark(a2)) = a1;
  }
  for (int i = 1; i <= n; ++i) cn.mark(i) = 0;
}

void setMarks(Covnbr& cn, int i, std::uint8_t v) {
  for (int k = cn.bstart(i) + 1; k <= cn.bstart(i + 1); ++k) cn.mark(cn.bpartner(k)) = v;
}

}  // namespace

double covalentRadius(int atomicNumber) {
  if (atomicNumber < 0 || atomicNumber > 99) return 0.0;
  return kRad[static_cast<std::size_t>(atomicNumber)];
}

void covneb(State& s, bool quiet) {
  Covnbr& cn = s.covnbr;
  const Zmat& z = s.zmat;
  const int n = z.NSATM;
  cn.NEB.fill(0);
  cn.NNEB.fill(0);
  cn.NBONDS = 0;
  bondPartners(s, n);
  const bool byDistance = s.sw.noDistanceBonds != 1;
  for (int i = 1; i <= n; ++i) {
    if (z.ITYPE(i) == -1) continue;
    const std::array<double, 2> ri = {covalentRadius(checkedAtomicNumber(s, s.potpar.NATI(i))),
                                      covalentRadius(checkedAtomicNumber(s, s.potpar.NATF(i)))};
    setMarks(cn, i, 1);
    const int mol = z.moleculeOf(i);
    for (int j = z.first(mol); j <= z.last(mol); ++j) {
      if (j == i || z.ITYPE(j) == -1) continue;
      bool bonded = cn.mark(j) != 0;
      if (!bonded && byDistance) {
        const std::array<double, 2> rj = {covalentRadius(checkedAtomicNumber(s, s.potpar.NATI(j))),
                                          covalentRadius(checkedAtomicNumber(s, s.potpar.NATF(j)))};
        bonded = bondedByDistance(s, i, j, ri, rj);
      }
      if (bonded) addNeighbour(s, i, j);
    }
    setMarks(cn, i, 0);
  }
  if (!quiet) listNeighbours(s);
}

}  // namespace veka
