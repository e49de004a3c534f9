#include "molecule/geometry.hpp"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace veka {

namespace {

inline Vec3 sub(const Vec3& a, const Vec3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline double dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// 1/sqrt(u) and 1/sqrt(v), both in one vector operation where there is SSE2 (the
// results are those of the scalar operations).
inline void inverseRoots(double u, double v, double& iu, double& iv) {
#if defined(__SSE2__)
  const __m128d r = _mm_div_pd(_mm_set1_pd(1.0), _mm_sqrt_pd(_mm_set_pd(v, u)));
  iu = _mm_cvtsd_f64(r);
  iv = _mm_cvtsd_f64(_mm_unpackhi_pd(r, r));
#else
  iu = 1.0 / std::sqrt(u);
  iv = 1.0 / std::sqrt(v);
#endif
}

// genatm with the trigonometric values supplied: rc = r cos(theta), rsc = r sin(theta)
// cos(phi), rss = r sin(theta) sin(phi). With a = A - C and b = B - C the three unit
// vectors are n1 = (a x b)/|a x b|, n2 = (b x n1)/|b x n1| = (b x (a x b))/(|b| |a x b|)
// (b is perpendicular to n1) and n3 = n2 x n1 = -b/|b|, the unit vector from B towards C.
// They are formed here from the two lengths |b| and |a x b| (each bounded below by
// sqrt(1e-36)), which keeps the chain from one atom to the next short. When a x b vanishes
// (A, B, C collinear) n1 and n2 are 0 and D lies on the line B-C at the requested angle.
inline Vec3 place(const Vec3& a, const Vec3& b, const Vec3& c, double rc, double rsc, double rss) {
  const Vec3 va = sub(a, c);
  const Vec3 vb = sub(b, c);
  const Vec3 n = cross(va, vb);
  const double bb = dot(vb, vb), nn = dot(n, n);
  double ib, in;
  inverseRoots(std::max(bb, kNormFloor), std::max(nn, kNormFloor), ib, in);
  const Vec3 m = cross(vb, n);  // |m| = |b| |a x b|
  const double f3 = rc * ib, f2 = rsc * ib * in, f1 = rss * in;
  return {c.x + f3 * vb.x + f2 * m.x + f1 * n.x, c.y + f3 * vb.y + f2 * m.y + f1 * n.y,
          c.z + f3 * vb.z + f2 * m.z + f1 * n.z};
}

// Sine and cosine of many arguments at once, in a loop the compiler vectorises. The
// argument is reduced by multiples of pi/2 in three parts (Cody and Waite; each part of
// pi/2 has 33 significant bits, so k times it is exact for |k| < 2^20) and the reduced
// argument r, |r| <= pi/4, goes through the minimax polynomials of the fdlibm kernels
// (error below one unit in the last place there). Arguments beyond 2^19 pi/2 in size, and
// those that are not finite, are handed to the library functions afterwards.
constexpr double kReduceLimit = 823550.0;  // about 2^19 pi/2
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
constexpr double kPio2a = 1.57079632673412561417e+00;
constexpr double kPio2b = 6.07710050630396597660e-11;
constexpr double kPio2c = 2.02226624871116645580e-21;
constexpr double kRoundMagic = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to integer

// Nearest integer of |v| < 2^51 (ties of the current rounding mode).
inline double roundInt(double v) {
  return (v + kRoundMagic) - kRoundMagic;
}

// The polynomial part for arguments up to kReduceLimit in size.
[[gnu::always_inline]] inline void sinCosBody(const double* x, double* sn, double* cs, int n) {
  for (int i = 0; i < n; ++i) {
    // Arguments out of range give meaningless values here (never undefined behaviour) and
    // are replaced below.
    const double xi = x[i];
    const double k = roundInt(xi * kTwoOverPi);
    const double r = ((xi - k * kPio2a) - k * kPio2b) - k * kPio2c;
    const double z = r * r;
    const double sp =
        r +
        z * r *
            (-1.66666666666666324348e-01 +
             z * (8.33333333332248946124e-03 +
                  z * (-1.98412698298579493134e-04 +
                       z * (2.75573137070700676789e-06 +
                            z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
    const double cp =
        1.0 - (0.5 * z - z * z *
                             (4.16666666666666019037e-02 +
                              z * (-1.38888888888741095749e-03 +
                                   z * (2.48015872894767294178e-05 +
                                        z * (-2.75573143513906633035e-07 +
                                             z * (2.08757232129817482790e-09 +
                                                  z * -1.13596475577881948265e-11))))));
    // Quadrant q = k mod 4 and its parities, in floating point so that the loop stays
    // free of branches and integer conversions: floor(v) = round(v - 0.5) for the values
    // met here.
    const double q = k - 4.0 * roundInt((k - 1.5) * 0.25);
    const double half = roundInt((q - 0.5) * 0.5);              // 0, 0, 1, 1
    const double odd = q - 2.0 * half;                          // 0, 1, 0, 1
    const double h2 = roundInt((q + 0.5) * 0.5);                // 0, 1, 1, 2
    const double cneg = h2 - 2.0 * roundInt((h2 - 0.5) * 0.5);  // 0, 1, 1, 0
    const double s1 = sp * (1.0 - odd) + cp * odd;
    const double c1 = cp * (1.0 - odd) + sp * odd;
    sn[i] = (1.0 - 2.0 * half) * s1;
    cs[i] = (1.0 - 2.0 * cneg) * c1;
  }
}

// The library values for the arguments the polynomial part does not cover.
void sinCosFixup(const double* x, double* sn, double* cs, int n) {
  for (int i = 0; i < n; ++i) {
    if (!(std::fabs(x[i]) <= kReduceLimit)) {
      sn[i] = std::sin(x[i]);
      cs[i] = std::cos(x[i]);
    }
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same loop four or eight lanes wide where the processor has AVX2 or AVX-512 (no
// fused multiply-add, so the results are identical to the portable loop).
[[gnu::target("avx2")]] void sinCosAvx2(const double* x, double* sn, double* cs, int n) {
  sinCosBody(x, sn, cs, n);
}
[[gnu::target("avx512f")]] void sinCosAvx512(const double* x, double* sn, double* cs, int n) {
  sinCosBody(x, sn, cs, n);
}
const int kSimdLevel = (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") ? 2
                                              : __builtin_cpu_supports("avx2")  ? 1
                                                                                : 0);
#endif

}  // namespace

void sinCos(const double* x, double* sn, double* cs, int n) {
#if defined(__x86_64__) && defined(__GNUC__)
  if (kSimdLevel == 2) {
    sinCosAvx512(x, sn, cs, n);
  } else if (kSimdLevel == 1) {
    sinCosAvx2(x, sn, cs, n);
  } else {
    sinCosBody(x, sn, cs, n);
  }
#else
  sinCosBody(x, sn, cs, n);
#endif
  sinCosFixup(x, sn, cs, n);
}

namespace {

// Atoms 4..n in blocks: the trigonometric factors of a block first (they do not depend
// on coordinates, so this part is vectorised), then the chain of placements.
// Atoms from+1..n (0-based indices from..n-1, from >= 3).
[[gnu::always_inline]] inline void placeAtomsBody(const ZmatView& zm, double* x, double* y,
                                                  double* z, int from, int n) {
  constexpr int kBlock = 128;
  double ct[kBlock], st[kBlock], cp[kBlock], sp[kBlock];
  for (int i0 = from; i0 < n; i0 += kBlock) {
    const int m = std::min(kBlock, n - i0);
    sinCosBody(zm.ang + i0, st, ct, m);
    sinCosBody(zm.dih + i0, sp, cp, m);
    sinCosFixup(zm.ang + i0, st, ct, m);
    sinCosFixup(zm.dih + i0, sp, cp, m);
    for (int t = 0; t < m; ++t) {  // r cos(theta), r sin(theta) cos(phi), r sin(theta) sin(phi)
      const double r = zm.bnd[i0 + t], rs = r * st[t];
      ct[t] *= r;
      cp[t] *= rs;
      sp[t] *= rs;
    }
    for (int t = 0; t < m; ++t) {
      const int i = i0 + t;
      const int j = zm.iz1[i] - 1, k = zm.iz2[i] - 1, l = zm.iz3[i] - 1;
      const Vec3 d =
          place({x[l], y[l], z[l]}, {x[k], y[k], z[k]}, {x[j], y[j], z[j]}, ct[t], cp[t], sp[t]);
      x[i] = d.x;
      y[i] = d.y;
      z[i] = d.z;
    }
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("avx2")]] void placeAtomsAvx2(const ZmatView& zm, double* x, double* y, double* z,
                                            int from, int n) {
  placeAtomsBody(zm, x, y, z, from, n);
}
[[gnu::target("avx512f")]] void placeAtomsAvx512(const ZmatView& zm, double* x, double* y,
                                                 double* z, int from, int n) {
  placeAtomsBody(zm, x, y, z, from, n);
}
#endif

void placeAtoms(const ZmatView& zm, double* x, double* y, double* z, int from, int n) {
#if defined(__x86_64__) && defined(__GNUC__)
  if (kSimdLevel == 2) return placeAtomsAvx512(zm, x, y, z, from, n);
  if (kSimdLevel == 1) return placeAtomsAvx2(zm, x, y, z, from, n);
#endif
  placeAtomsBody(zm, x, y, z, from, n);
}

}  // namespace

Vec3 genatm(const Vec3& a, const Vec3& b, const Vec3& c, double r, double theta, double phi) {
  const double rs = r * std::sin(theta);
  return place(a, b, c, r * std::cos(theta), rs * std::cos(phi), rs * std::sin(phi));
}

void dihedralArguments(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, double& y,
                       double& x) {
  const Vec3 b1 = sub(b, a);
  const Vec3 b2 = sub(c, b);
  const Vec3 b3 = sub(d, c);
  const Vec3 n1 = cross(b1, b2);
  const Vec3 n2 = cross(b2, b3);
  y = std::sqrt(dot(b2, b2)) * dot(b1, n2);
  x = dot(n1, n2);
}

double dihedral(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d) {
  double y, x;
  dihedralArguments(a, b, c, d, y, x);
  return arctan2(y, x);
}

namespace {

// Rational approximation of atan(t) - t for |t| <= 0.66 (Cephes), relative error near
// 1e-16: atan(t) = t + t z P(z) / Q(z), z = t^2.
constexpr double kAtanP[5] = {-8.750608600031904122785e-1, -1.615753718733365076637e1,
                              -7.500855792314704667340e1, -1.228866684490136173410e2,
                              -6.485021904942025371773e1};
constexpr double kAtanQ[5] = {2.485846490142306297962e1, 1.650270098316988542046e2,
                              4.328810604912902668951e2, 4.853903996359136964868e2,
                              1.945506571482613964425e2};
constexpr double kPio4 = 0.78539816339744830962;
constexpr double kPio2 = 1.57079632679489661923;
constexpr double kPi = 3.14159265358979323846;
constexpr double kPio2Lo = 6.123233995736765886130e-17;  // pi/2 minus its double
constexpr double kPiLo = 1.2246467991473531772e-16;      // pi minus its double

[[gnu::always_inline]] inline double arctan2Body(double y, double x) {
  const double ax = std::fabs(x), ay = std::fabs(y);
  const bool swap = ay > ax;
  const double num = swap ? ax : ay, den = swap ? ay : ax;
  const double t = den > 0.0 ? num / den : 0.0;  // in [0, 1]
  const bool reduce = t > 0.66;
  const double u = reduce ? (t - 1.0) / (t + 1.0) : t;
  const double z = u * u;
  const double p = (((kAtanP[0] * z + kAtanP[1]) * z + kAtanP[2]) * z + kAtanP[3]) * z + kAtanP[4];
  const double q =
      ((((z + kAtanQ[0]) * z + kAtanQ[1]) * z + kAtanQ[2]) * z + kAtanQ[3]) * z + kAtanQ[4];
  double r = (reduce ? kPio4 : 0.0) + (u + u * z * p / q + (reduce ? 0.5 * kPio2Lo : 0.0));
  r = swap ? (kPio2 - r) + kPio2Lo : r;
  r = x < 0.0 ? (kPi - r) + kPiLo : r;
  return std::copysign(r, y);
}

[[gnu::always_inline]] inline double arccosBody(double c) {
  return arctan2Body(std::sqrt((1.0 - c) * (1.0 + c)), c);
}

}  // namespace

double arctan2(double y, double x) {
  return arctan2Body(y, x);
}

void arctan2(const double* y, const double* x, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = arctan2Body(y[i], x[i]);
}

double arccos(double c) {
  return arccosBody(c);
}

void arccos(const double* c, double* out, int n) {
  for (int i = 0; i < n; ++i) out[i] = arccosBody(c[i]);
}

double angleCosine(const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 u = sub(a, b);
  const Vec3 v = sub(c, b);
  const double norms = std::max(std::sqrt(dot(u, u) * dot(v, v)), 1.0e-36);
  return std::clamp(dot(u, v) / norms, -1.0, 1.0);
}

double bondAngle(const Vec3& a, const Vec3& b, const Vec3& c) {
  return arccos(angleCosine(a, b, c));
}

double distance(const Vec3& a, const Vec3& b) {
  const Vec3 d = sub(a, b);
  return std::sqrt(dot(d, d));
}

ZmatView workingView(const Zmat& z) {
  return {z.NSATM,      z.IZ1.data(), z.IZ2.data(), z.IZ3.data(),
          z.BND.data(), z.ANG.data(), z.DIH.data()};
}

void makmol(Xyz& out, const ZmatView& zm) {
  const int n = std::clamp(zm.n, 0, MAXATM);
  double* x = out.x.data();
  double* y = out.y.data();
  double* z = out.z.data();
  // Every coordinate of the capacity ends as 0 unless an atom is placed there: atoms 4..n
  // are all written below, so only atoms 1-3 and those past n are cleared.
  for (double* v : {x, y, z}) {
    std::fill(v, v + std::min(n, 3), 0.0);
    std::fill(v + n, v + MAXATM, 0.0);
  }
  if (n >= 2) x[1] = zm.bnd[1];
  if (n >= 3) {
    const double r = zm.bnd[2], t = zm.ang[2];
    if (zm.iz1[2] == 1) {
      x[2] = r * std::cos(t);
    } else if (zm.iz1[2] == 2) {
      x[2] = x[1] - r * std::cos(t);
    }
    y[2] = r * std::sin(t);
  }
  placeAtoms(zm, x, y, z, 3, n);
}

void makmolFrom(Xyz& out, const ZmatView& zm, int first) {
  const int n = std::clamp(zm.n, 0, MAXATM);
  if (first <= 3) return makmol(out, zm);
  placeAtoms(zm, out.x.data(), out.y.data(), out.z.data(), first - 1, n);
}

void makmol(Xyz& out, const Zmat& z) {
  makmol(out, workingView(z));
}

// ------------------------------------------------------------------ superposition

int jacobi(std::array<std::array<double, 4>, 4>& a, std::array<double, 4>& d,
           std::array<std::array<double, 4>, 4>& v) {
  constexpr int n = 4;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) v[i][j] = i == j ? 1.0 : 0.0;
  int nrot = 0;
  for (int sweep = 0; sweep < 50; ++sweep) {
    double off = 0.0, diag = 0.0;
    for (int p = 0; p < n; ++p) {
      diag += a[p][p] * a[p][p];
      for (int q = p + 1; q < n; ++q) off += a[p][q] * a[p][q];
    }
    // Converged (or not a number: no rotation can repair that).
    if (!(off > 1.0e-30 * diag) || !(off > 1.0e-300)) break;
    for (int p = 0; p < n - 1; ++p) {
      for (int q = p + 1; q < n; ++q) {
        const double apq = a[p][q];
        if (apq == 0.0) continue;
        const double theta = (a[q][q] - a[p][p]) / (2.0 * apq);
        double t = 1.0 / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        if (std::fabs(theta) > 1.0e150) t = 0.5 / std::fabs(theta);
        if (theta < 0.0) t = -t;
        const double c = 1.0 / std::sqrt(t * t + 1.0);
        const double s = t * c;
        a[p][p] -= t * apq;
        a[q][q] += t * apq;
        a[p][q] = a[q][p] = 0.0;
        for (int r = 0; r < n; ++r) {
          if (r == p || r == q) continue;
          const double arp = a[r][p], arq = a[r][q];
          a[r][p] = a[p][r] = c * arp - s * arq;
          a[r][q] = a[q][r] = s * arp + c * arq;
        }
        for (int r = 0; r < n; ++r) {
          const double vrp = v[r][p], vrq = v[r][q];
          v[r][p] = c * vrp - s * vrq;
          v[r][q] = s * vrp + c * vrq;
        }
        ++nrot;
      }
    }
  }
  for (int i = 0; i < n; ++i) d[i] = a[i][i];
  // Ascending order, eigenvectors following their eigenvalues.
  for (int i = 1; i < n; ++i) {
    for (int j = i; j > 0 && d[j] < d[j - 1]; --j) {
      std::swap(d[j], d[j - 1]);
      for (int r = 0; r < n; ++r) std::swap(v[r][j], v[r][j - 1]);
    }
  }
  return nrot;
}

Vec3 Superposition::apply(const Vec3& m) const {
  const double dx = m.x - movCentre.x, dy = m.y - movCentre.y, dz = m.z - movCentre.z;
  return {u[0][0] * dx + u[0][1] * dy + u[0][2] * dz + refCentre.x,
          u[1][0] * dx + u[1][1] * dy + u[1][2] * dz + refCentre.y,
          u[2][0] * dx + u[2][1] * dy + u[2][2] * dz + refCentre.z};
}

namespace {

Vec3 centroid(int n, const double* x, const double* y, const double* z) {
  Vec3 c;
  for (int i = 0; i < n; ++i) {
    c.x += x[i];
    c.y += y[i];
    c.z += z[i];
  }
  const double f = n > 0 ? 1.0 / n : 0.0;
  return {c.x * f, c.y * f, c.z * f};
}

void rotationFromQuaternion(Superposition& s) {
  const auto& q = s.q;
  auto& u = s.u;
  u[0][0] = q[0] * q[0] + q[1] * q[1] - q[2] * q[2] - q[3] * q[3];
  u[1][1] = q[0] * q[0] - q[1] * q[1] + q[2] * q[2] - q[3] * q[3];
  u[2][2] = q[0] * q[0] - q[1] * q[1] - q[2] * q[2] + q[3] * q[3];
  u[0][1] = 2.0 * (q[1] * q[2] - q[0] * q[3]);
  u[1][0] = 2.0 * (q[1] * q[2] + q[0] * q[3]);
  u[0][2] = 2.0 * (q[1] * q[3] + q[0] * q[2]);
  u[2][0] = 2.0 * (q[1] * q[3] - q[0] * q[2]);
  u[1][2] = 2.0 * (q[2] * q[3] - q[0] * q[1]);
  u[2][1] = 2.0 * (q[2] * q[3] + q[0] * q[1]);
}

}  // namespace

Superposition qtrfit(int n, const double* rx, const double* ry, const double* rz, const double* mx,
                     const double* my, const double* mz) {
  Superposition s;
  s.refCentre = centroid(n, rx, ry, rz);
  s.movCentre = centroid(n, mx, my, mz);
  // Correlation sums S[a][b] = sum m_a r_b over the centred sets.
  double sxx = 0, sxy = 0, sxz = 0, syx = 0, syy = 0, syz = 0, szx = 0, szy = 0, szz = 0;
  for (int i = 0; i < n; ++i) {
    const double ax = mx[i] - s.movCentre.x, ay = my[i] - s.movCentre.y, az = mz[i] - s.movCentre.z;
    const double bx = rx[i] - s.refCentre.x, by = ry[i] - s.refCentre.y, bz = rz[i] - s.refCentre.z;
    sxx += ax * bx;
    sxy += ax * by;
    sxz += ax * bz;
    syx += ay * bx;
    syy += ay * by;
    syz += ay * bz;
    szx += az * bx;
    szy += az * by;
    szz += az * bz;
  }
  std::array<std::array<double, 4>, 4> f{{
      {sxx + syy + szz, syz - szy, szx - sxz, sxy - syx},
      {syz - szy, sxx - syy - szz, sxy + syx, szx + sxz},
      {szx - sxz, sxy + syx, -sxx + syy - szz, syz + szy},
      {sxy - syx, szx + sxz, syz + szy, -sxx - syy + szz},
  }};
  std::array<double, 4> d{};
  std::array<std::array<double, 4>, 4> v{};
  jacobi(f, d, v);
  double norm = 0.0;
  for (int i = 0; i < 4; ++i) norm += v[i][3] * v[i][3];
  if (norm > 0.0 && std::isfinite(norm)) {
    norm = 1.0 / std::sqrt(norm);
    for (int i = 0; i < 4; ++i) s.q[i] = v[i][3] * norm;
  }
  rotationFromQuaternion(s);
  return s;
}

void qtrf(int n, const double* rx, const double* ry, const double* rz, double* mx, double* my,
          double* mz) {
  if (n <= 0) return;
  const Superposition s = qtrfit(n, rx, ry, rz, mx, my, mz);
  for (int i = 0; i < n; ++i) {
    const Vec3 p = s.apply({mx[i], my[i], mz[i]});
    mx[i] = p.x;
    my[i] = p.y;
    mz[i] = p.z;
  }
}

void qtrf(int n, const Xyz& ref, Xyz& mov) {
  qtrf(std::min(n, MAXATM), ref.x.data(), ref.y.data(), ref.z.data(), mov.x.data(), mov.y.data(),
       mov.z.data());
}

}  // namespace veka
