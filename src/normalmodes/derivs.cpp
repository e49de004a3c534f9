#include "normalmodes/derivs.hpp"

#include <cmath>
#include <cstddef>
#include <numbers>

namespace veka::nm {
namespace {

using Mat3 = std::array<double, 9>;  // row-major 3 x 3

inline double dot(const Vec3& a, const Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Vec3 sub(const Vec3& a, const Vec3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Vec3 scaled(const Vec3& a, double s) {
  return {a[0] * s, a[1] * s, a[2] * s};
}
inline Vec3 plus(const Vec3& a, const Vec3& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

inline std::size_t at(int atom, int c) {
  return static_cast<std::size_t>(3 * (atom - 1) + c);
}

// outer(a, b) * s + diag * I
inline Mat3 outer(const Vec3& a, const Vec3& b, double s = 1.0, double diag = 0.0) {
  Mat3 m{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m[3 * r + c] = s * a[r] * b[c] + (r == c ? diag : 0.0);
  return m;
}
inline Mat3 add(const Mat3& a, const Mat3& b, double sb = 1.0) {
  Mat3 m{};
  for (int i = 0; i < 9; ++i) m[i] = a[i] + sb * b[i];
  return m;
}
inline Mat3 transpose(const Mat3& a) {
  return {a[0], a[3], a[6], a[1], a[4], a[7], a[2], a[5], a[8]};
}
// The matrix of v -> a x v.
inline Mat3 crossMatrix(const Vec3& a) {
  return {0, -a[2], a[1], a[2], 0, -a[0], -a[1], a[0], 0};
}

// Writes the 3 x 3 block (p, q) of an m-atom Hessian stored as (3m) x (3m).
inline void putBlock(double* h, int m, int p, int q, const Mat3& b) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) h[(3 * p + r) * 3 * m + 3 * q + c] = b[3 * r + c];
}

// (sin x - x cos x) / sin^3 x, finite at x = 0 (value 1/3).
double bendCurvature(double x) {
  if (std::fabs(x) < 1.0e-2) {
    const double x2 = x * x;
    return 1.0 / 3.0 + x2 * (2.0 / 15.0 + x2 * (2.0 / 63.0 + x2 * (4.0 / 675.0)));
  }
  const double s = std::sin(x);
  return (s - x * std::cos(x)) / (s * s * s);
}

// x / sin x, finite at x = 0.
double xOverSin(double x) {
  if (std::fabs(x) < 1.0e-4) return 1.0 + x * x / 6.0;
  return x / std::sin(x);
}

}  // namespace

double separation(const double* x, int i, int j, Vec3& u) {
  const Vec3 d = sub(position(x, i), position(x, j));
  const double r = std::sqrt(dot(d, d));
  u = r > 0.0 ? scaled(d, 1.0 / r) : Vec3{0.0, 0.0, 0.0};
  return r;
}

void ddstretch(Sink& out, int i, int j, double r, const Vec3& u, double e1, double e2) {
  if (r < 1.0e-6) return;
  if (out.g) {
    for (int c = 0; c < 3; ++c) {
      out.g[at(i, c)] += e1 * u[c];
      out.g[at(j, c)] -= e1 * u[c];
    }
  }
  if (!out.h) return;
  const double t = e1 / r;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      const double v = (e2 - t) * u[a] * u[b] + (a == b ? t : 0.0);
      const std::size_t ia = at(i, a), ja = at(j, a), ib = at(i, b), jb = at(j, b);
      const std::size_t ld = static_cast<std::size_t>(out.ld);
      out.h[ia * ld + ib] += v;
      out.h[ja * ld + jb] += v;
      out.h[ia * ld + jb] -= v;
      out.h[ja * ld + ib] -= v;
    }
  }
}

bool ddcbend(const double* x, int i, int j, int k, Cosine& out) {
  const Vec3 rj = position(x, j);
  const Vec3 a = sub(position(x, i), rj), b = sub(position(x, k), rj);
  const double la = std::sqrt(dot(a, a)), lb = std::sqrt(dot(b, b));
  if (la <= 0.0 || lb <= 0.0) return false;
  const Vec3 ua = scaled(a, 1.0 / la), ub = scaled(b, 1.0 / lb);
  const double c = dot(ua, ub);
  out.c = c;
  // Gradient with respect to the two arms a = r_i - r_j and b = r_k - r_j.
  const Vec3 ga = scaled(sub(ub, scaled(ua, c)), 1.0 / la);
  const Vec3 gb = scaled(sub(ua, scaled(ub, c)), 1.0 / lb);
  // Hessian blocks in the arms.
  const Vec3 pa = sub(ub, scaled(ua, c)), pb = sub(ua, scaled(ub, c));
  Mat3 haa = add(add(outer(ua, pa), outer(pa, ua)), outer(ua, ua, -c, c));
  for (double& v : haa) v *= -1.0 / (la * la);
  Mat3 hbb = add(add(outer(ub, pb), outer(pb, ub)), outer(ub, ub, -c, c));
  for (double& v : hbb) v *= -1.0 / (lb * lb);
  Mat3 hab = add(add(outer(ua, ua, -1.0, 1.0), outer(ub, ub, -1.0)), outer(ua, ub, c));
  for (double& v : hab) v *= 1.0 / (la * lb);
  const Mat3 hba = transpose(hab);
  // Atoms i, j, k: d/dr_i = d/da, d/dr_k = d/db, d/dr_j = -(d/da + d/db).
  for (int cc = 0; cc < 3; ++cc) {
    out.g[cc] = ga[cc];
    out.g[6 + cc] = gb[cc];
    out.g[3 + cc] = -ga[cc] - gb[cc];
  }
  const Mat3 hij = add(haa, hab), hkj = add(hba, hbb);  // negated below
  Mat3 hjj{};
  for (int e = 0; e < 9; ++e) hjj[e] = haa[e] + hab[e] + hba[e] + hbb[e];
  Mat3 mij{}, mkj{};
  for (int e = 0; e < 9; ++e) {
    mij[e] = -hij[e];
    mkj[e] = -hkj[e];
  }
  putBlock(out.h.data(), 3, 0, 0, haa);
  putBlock(out.h.data(), 3, 0, 2, hab);
  putBlock(out.h.data(), 3, 2, 0, hba);
  putBlock(out.h.data(), 3, 2, 2, hbb);
  putBlock(out.h.data(), 3, 0, 1, mij);
  putBlock(out.h.data(), 3, 1, 0, transpose(mij));
  putBlock(out.h.data(), 3, 2, 1, mkj);
  putBlock(out.h.data(), 3, 1, 2, transpose(mkj));
  putBlock(out.h.data(), 3, 1, 1, hjj);
  return true;
}

double bendAngle(const double* x, int i, int j, int k) {
  const Vec3 rj = position(x, j);
  const Vec3 a = sub(position(x, i), rj), b = sub(position(x, k), rj);
  return std::atan2(std::sqrt(dot(cross(a, b), cross(a, b))), dot(a, b));
}

double ddbend(Sink& out, const double* x, int i, int j, int k, double kf, double theta0) {
  const double theta = bendAngle(x, i, j, k);
  const double energy = kf * (theta - theta0) * (theta - theta0);
  if (!out.g && !out.h) return energy;
  Cosine cq;
  if (!ddcbend(x, i, j, k, cq)) return energy;
  // With x the distance of theta from the nearer collinear value (pi or 0) and d that of
  // theta0, dE/dc and d2E/dc2 split into a part regular at x = 0 and a part in d that
  // carries the cusp of a collinear triple bent away from its equilibrium.
  const bool nearPi = theta > 0.5 * std::numbers::pi;
  const double xc = nearPi ? std::numbers::pi - theta : theta;
  double d = nearPi ? std::numbers::pi - theta0 : theta0;
  const double sx = std::sin(xc);
  if (std::fabs(d) < 1.0e-8) d = 0.0;
  // A collinear triple whose reference angle is bent sits on a cusp of the energy: its
  // curvature is unbounded there and only the regular part is kept.
  if (sx < 1.0e-6) d = 0.0;
  const double sign = nearPi ? 1.0 : -1.0;
  const double e1 = 2.0 * kf * sign * (xOverSin(xc) - (d != 0.0 ? d / sx : 0.0));
  const double e2 =
      2.0 * kf * (bendCurvature(xc) + (d != 0.0 ? d * std::cos(xc) / (sx * sx * sx) : 0.0));
  const int atoms[3] = {i, j, k};
  addCoordinateTerm(out, atoms, 3, cq.g.data(), cq.h.data(), e1, e2);
  return energy;
}

namespace {

using Vec9 = std::array<double, 9>;
using Mat9 = std::array<double, 81>;

// Gradients (blocks b1 b2 b3) and Hessians in the three bond vectors of
//   x = n1.n2 = (b1.b2)(b2.b3) - (b1.b3)(b2.b2)  and  y = |b2| b1.(b2 x b3),
// both polynomial (y up to the factor |b2|), so smooth wherever b2 is not zero.
struct TorsionParts {
  double x = 0.0, y = 0.0;
  Vec9 gx{}, gy{};
  Mat9 hx{}, hy{};
};

void setVec(Vec9& g, int blk, const Vec3& v) {
  for (int c = 0; c < 3; ++c) g[static_cast<std::size_t>(3 * blk + c)] = v[c];
}
void setSym(Mat9& h, int p, int q, const Mat3& m) {
  putBlock(h.data(), 3, p, q, m);
  putBlock(h.data(), 3, q, p, transpose(m));
}

void cosineParts(const Vec3 (&b)[3], TorsionParts& t) {
  const double b12 = dot(b[0], b[1]), b23 = dot(b[1], b[2]), b13 = dot(b[0], b[2]),
               b22 = dot(b[1], b[1]);
  t.x = b12 * b23 - b13 * b22;
  setVec(t.gx, 0, sub(scaled(b[1], b23), scaled(b[2], b22)));
  setVec(t.gx, 1, sub(plus(scaled(b[2], b12), scaled(b[0], b23)), scaled(b[1], 2.0 * b13)));
  setVec(t.gx, 2, sub(scaled(b[1], b12), scaled(b[0], b22)));
  setSym(t.hx, 0, 1, add(outer(b[1], b[2], 1.0, b23), outer(b[2], b[1], -2.0)));
  setSym(t.hx, 0, 2, outer(b[1], b[1], 1.0, -b22));
  setSym(t.hx, 1, 2, add(outer(b[0], b[1], 1.0, b12), outer(b[1], b[0], -2.0)));
  putBlock(t.hx.data(), 3, 1, 1, add(outer(b[2], b[0]), outer(b[0], b[2], 1.0, -2.0 * b13)));
}

void sineParts(const Vec3 (&b)[3], TorsionParts& t) {
  // y = L D with L = |b2| and D = b1.(b2 x b3): Hy = L HD + gL gD^T + gD gL^T + D HL.
  const double len = std::sqrt(dot(b[1], b[1]));
  const Vec3 gd[3] = {cross(b[1], b[2]), cross(b[2], b[0]), cross(b[0], b[1])};
  const double det = dot(b[0], gd[0]);
  const Vec3 u2 = scaled(b[1], 1.0 / len);  // gL, in block 2 only
  t.y = len * det;
  for (int blk = 0; blk < 3; ++blk) setVec(t.gy, blk, scaled(gd[blk], len));
  for (int c = 0; c < 3; ++c) t.gy[static_cast<std::size_t>(3 + c)] += det * u2[c];
  auto lenScaled = [len](Mat3 m) {
    for (double& v : m) v *= len;
    return m;
  };
  setSym(t.hy, 0, 1, add(lenScaled(crossMatrix(scaled(b[2], -1.0))), outer(gd[0], u2)));
  setSym(t.hy, 0, 2, lenScaled(crossMatrix(b[1])));
  setSym(t.hy, 1, 2, add(lenScaled(crossMatrix(scaled(b[0], -1.0))), outer(u2, gd[2])));
  putBlock(t.hy.data(), 3, 1, 1,
           add(add(outer(u2, gd[1]), outer(gd[1], u2)), outer(u2, u2, -det / len, det / len)));
}

// phi = atan2(y, x): g = (x gy - y gx) / rho and
// H = (x Hy - y Hx + gy gx^T - gx gy^T) / rho - g (2 x gx + 2 y gy)^T / rho, symmetrised.
void phiDerivatives(const TorsionParts& t, Vec9& gp, Mat9& hp) {
  const double rho = t.x * t.x + t.y * t.y;
  for (std::size_t m = 0; m < 9; ++m) gp[m] = (t.x * t.gy[m] - t.y * t.gx[m]) / rho;
  for (std::size_t m = 0; m < 9; ++m)
    for (std::size_t n = 0; n < 9; ++n)
      hp[9 * m + n] =
          (t.x * t.hy[9 * m + n] - t.y * t.hx[9 * m + n] + t.gy[m] * t.gx[n] - t.gx[m] * t.gy[n]) /
              rho -
          gp[m] * 2.0 * (t.x * t.gx[n] + t.y * t.gy[n]) / rho;
  for (std::size_t m = 0; m < 9; ++m)
    for (std::size_t n = m + 1; n < 9; ++n)
      hp[9 * m + n] = hp[9 * n + m] = 0.5 * (hp[9 * m + n] + hp[9 * n + m]);
}

// From the bond vectors b1 = r_j - r_i, b2 = r_k - r_j, b3 = r_l - r_k to the four atoms.
void bondsToAtoms(const Vec9& gp, const Mat9& hp, Dihedral& out) {
  static constexpr double T[3][4] = {{-1, 1, 0, 0}, {0, -1, 1, 0}, {0, 0, -1, 1}};
  out.g.fill(0.0);
  out.h.fill(0.0);
  for (int p = 0; p < 4; ++p)
    for (int m = 0; m < 3; ++m) {
      if (T[m][p] == 0.0) continue;
      for (int c = 0; c < 3; ++c)
        out.g[static_cast<std::size_t>(3 * p + c)] +=
            T[m][p] * gp[static_cast<std::size_t>(3 * m + c)];
      for (int q = 0; q < 4; ++q)
        for (int n = 0; n < 3; ++n) {
          const double w = T[m][p] * T[n][q];
          if (w == 0.0) continue;
          for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
              out.h[static_cast<std::size_t>((3 * p + r) * 12 + 3 * q + c)] +=
                  w * hp[static_cast<std::size_t>((3 * m + r) * 9 + 3 * n + c)];
        }
    }
}

}  // namespace

bool ddtorsion(const double* x, int i, int j, int k, int l, Dihedral& out) {
  const Vec3 r1 = position(x, i), r2 = position(x, j), r3 = position(x, k), r4 = position(x, l);
  const Vec3 b[3] = {sub(r2, r1), sub(r3, r2), sub(r4, r3)};
  const Vec3 n1 = cross(b[0], b[1]), n2 = cross(b[1], b[2]);
  const double b11 = dot(b[0], b[0]), b22 = dot(b[1], b[1]), b33 = dot(b[2], b[2]);
  if (dot(n1, n1) <= 1.0e-16 * b11 * b22 || dot(n2, n2) <= 1.0e-16 * b22 * b33 || b22 <= 0.0)
    return false;
  TorsionParts t;
  cosineParts(b, t);
  sineParts(b, t);
  out.phi = std::atan2(t.y, t.x);
  Vec9 gp{};
  Mat9 hp{};
  phiDerivatives(t, gp, hp);
  bondsToAtoms(gp, hp, out);
  return true;
}

double dihedralAngle(const double* x, int i, int j, int k, int l) {
  const Vec3 b1 = sub(position(x, j), position(x, i)), b2 = sub(position(x, k), position(x, j)),
             b3 = sub(position(x, l), position(x, k));
  const Vec3 n1 = cross(b1, b2), n2 = cross(b2, b3);
  const double yv = std::sqrt(dot(b2, b2)) * dot(b1, n2), xv = dot(n1, n2);
  if (xv == 0.0 && yv == 0.0) return 0.0;
  return std::atan2(yv, xv);
}

void addCoordinateTerm(Sink& out, const int* atoms, int m, const double* gq, const double* hq,
                       double e1, double e2) {
  if (out.g)
    for (int p = 0; p < m; ++p)
      for (int c = 0; c < 3; ++c) out.g[at(atoms[p], c)] += e1 * gq[3 * p + c];
  if (!out.h) return;
  const std::size_t ld = static_cast<std::size_t>(out.ld);
  const int dim = 3 * m;
  for (int p = 0; p < m; ++p)
    for (int r = 0; r < 3; ++r) {
      const int a = 3 * p + r;
      double* hrow = out.h + at(atoms[p], r) * ld;
      for (int q = 0; q < m; ++q)
        for (int c = 0; c < 3; ++c) {
          const int b = 3 * q + c;
          hrow[at(atoms[q], c)] += e2 * gq[a] * gq[b] + e1 * hq[a * dim + b];
        }
    }
}

}  // namespace veka::nm
