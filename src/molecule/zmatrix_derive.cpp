#include "molecule/zmatrix_derive.hpp"

#include <cmath>
#include <limits>

#include "energy/covneb.hpp"
#include "molecule/geometry.hpp"
#include "molecule/pdb.hpp"

namespace veka {

namespace {

constexpr double kMinSine = 0.1;  // j, k, l closer to a line than this are avoided
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Deriver {
  const Xyz& c;
  const Array1<int, MAXATM>& nat;

  double dist2(int a, int b) const {
    const double dx = c.x(a) - c.x(b), dy = c.y(a) - c.y(b), dz = c.z(a) - c.z(b);
    return dx * dx + dy * dy + dz * dz;
  }
  bool bonded(int a, int b) const {
    const double r = covalentRadius(nat(a)) + covalentRadius(nat(b)) + 0.1;
    return dist2(a, b) <= r * r;
  }
  // Nearest atom to `to` among 1..last, skipping `skip`; 0 when no distance compares.
  int nearest(int to, int last, int skip, bool bondedOnly) const {
    int best = 0;
    double bestd = kInf;
    for (int a = 1; a <= last; ++a) {
      if (a == to || a == skip || (bondedOnly && !bonded(to, a))) continue;
      const double d = dist2(to, a);
      if (d < bestd) {
        best = a;
        bestd = d;
      }
    }
    return best;
  }
  // Sine of the angle l-j-k (0 for coincident points).
  double sine(int l, int j, int k) const {
    const Vec3 a = atom(c, l), b = atom(c, j), d = atom(c, k);
    const Vec3 u{a.x - b.x, a.y - b.y, a.z - b.z}, v{d.x - b.x, d.y - b.y, d.z - b.z};
    const Vec3 w{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const double uu = u.x * u.x + u.y * u.y + u.z * u.z, vv = v.x * v.x + v.y * v.y + v.z * v.z;
    const double den = std::sqrt(uu * vv);
    if (!(den > 0.0)) return 0.0;
    return std::sqrt(w.x * w.x + w.y * w.y + w.z * w.z) / den;
  }

  int bondPartner(int i) const {
    int j = nearest(i, i - 1, 0, true);
    if (j == 0) j = nearest(i, i - 1, 0, false);
    return j != 0 ? j : i - 1;
  }
  int anglePartner(int i, int j) const {
    for (int a = 1; a < i; ++a)
      if (a != j && bonded(j, a)) return a;
    const int k = nearest(j, i - 1, j, false);
    return k != 0 ? k : (j == 1 ? 2 : 1);
  }
  int dihedralPartner(int i, int j, int k) const;
};

int Deriver::dihedralPartner(int i, int j, int k) const {
  int best = 0;
  double bestSine = -1.0;
  auto consider = [&](int a) {
    const double s = sine(a, j, k);
    if (s >= kMinSine) return true;
    if (s > bestSine) {
      best = a;
      bestSine = s;
    }
    return false;
  };
  for (int a = 1; a < i; ++a)  // bonded to k
    if (a != j && a != k && bonded(k, a) && consider(a)) return a;
  for (int a = 1; a < i; ++a)  // bonded to j
    if (a != j && a != k && !bonded(k, a) && bonded(j, a) && consider(a)) return a;
  // Any other atom: the nearest to j that is off the line j-k.
  int pick = 0;
  double pickd = kInf;
  for (int a = 1; a < i; ++a) {
    if (a == j || a == k || bonded(k, a) || bonded(j, a)) continue;
    const double s = sine(a, j, k);
    const double d = dist2(j, a);
    if (s >= kMinSine) {
      if (d < pickd) {
        pick = a;
        pickd = d;
      }
    } else if (pick == 0 && s > bestSine) {
      best = a;
      bestSine = s;
    }
  }
  if (pick != 0) return pick;
  if (best != 0) return best;
  for (int a = 1; a < i; ++a)
    if (a != j && a != k) return a;
  return 0;
}

}  // namespace

void deriveZmatrix(Zmat& z, const Xyz& c, const Array1<int, MAXATM>& nat, int n) {
  const Deriver d{c, nat};
  for (int i = 1; i <= n; ++i) {
    int j = 0, k = 0, l = 0;
    if (i == 2) j = 1;
    if (i == 3) {
      const bool b1 = d.bonded(3, 1), b2 = d.bonded(3, 2);
      j = b1 != b2 ? (b1 ? 1 : 2) : (d.dist2(3, 2) < d.dist2(3, 1) ? 2 : 1);
      k = 3 - j;
    }
    if (i >= 4) {
      j = d.bondPartner(i);
      k = d.anglePartner(i, j);
      l = d.dihedralPartner(i, j, k);
    }
    z.IZ1(i) = j;
    z.IZ2(i) = k;
    z.IZ3(i) = l;
    const Vec3 p = atom(c, i);
    z.BND(i) = j > 0 ? distance(p, atom(c, j)) : 0.0;
    z.ANG(i) = k > 0 ? bondAngle(p, atom(c, j), atom(c, k)) : 0.0;
    z.DIH(i) = l > 0 ? dihedral(p, atom(c, j), atom(c, k), atom(c, l)) : 0.0;
    z.BNDI(i) = z.BNDF(i) = z.BND(i);
    z.ANGI(i) = z.ANGF(i) = z.ANG(i);
    z.DIHI(i) = z.DIHF(i) = z.DIH(i);
  }
}

}  // namespace veka
