#include "normalmodes/eigen.hpp"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace veka::nm {
namespace {

inline double* row(double* m, int ld, int i) {
  return m + static_cast<std::ptrdiff_t>(i) * ld;
}

// One Householder step on column k: the reflector P = I - v v^T / h maps the part of
// column k below the diagonal onto its first element. v is left in row k (columns k+1..),
// h is returned (0 when the column is already reduced). The trailing block is updated to
// P A P and the subdiagonal element stored in e[k].
double householderStep(double* a, int n, int lda, int k, double* e, double* p) {
  double* ak = row(a, lda, k);
  const int m0 = k + 1;
  double scale = 0.0;
  for (int i = m0; i < n; ++i) scale += std::fabs(ak[i]);
  if (scale == 0.0) {
    e[k] = ak[m0];
    return 0.0;
  }
  double sigma = 0.0;
  for (int i = m0; i < n; ++i) {
    ak[i] /= scale;
    sigma += ak[i] * ak[i];
  }
  const double x0 = ak[m0];
  const double alpha = x0 >= 0.0 ? -std::sqrt(sigma) : std::sqrt(sigma);
  const double h = sigma - x0 * alpha;  // = v.v / 2
  ak[m0] = x0 - alpha;                  // v is now ak[m0..n-1]
  e[k] = scale * alpha;
  // p = A' v / h over the trailing block, then q = p - (v.p / 2h) v.
  double vp = 0.0;
  for (int i = m0; i < n; ++i) {
    const double* ai = row(a, lda, i);
    double s = 0.0;
    for (int j = m0; j < n; ++j) s += ai[j] * ak[j];
    p[i] = s / h;
    vp += ak[i] * p[i];
  }
  const double kk = vp / (2.0 * h);
  for (int i = m0; i < n; ++i) p[i] -= kk * ak[i];
  // A' <- A' - v q^T - q v^T (both triangles).
  for (int i = m0; i < n; ++i) {
    double* ai = row(a, lda, i);
    const double vi = ak[i], qi = p[i];
    for (int j = m0; j < n; ++j) ai[j] -= vi * p[j] + qi * ak[j];
  }
  return h;
}

}  // namespace

void tred2(double* a, int n, int lda, double* d, double* e, double* qt, int ldq) {
  if (n <= 0) return;
  // Step k writes its scratch vector into d[k+1..n-1] and its normaliser h_k into d[k];
  // later steps only touch d[k+1..], so d[0..n-3] ends up holding every h_k.
  for (int k = 0; k + 2 < n; ++k) d[k] = householderStep(a, n, lda, k, e, d);

  // Q^T = P_{n-3} ... P_1 P_0, accumulated by right-multiplying from the last reflector:
  // before P_k is applied the product differs from the identity only in the block
  // [k+2.., k+2..], so only rows and columns k+1.. change.
  for (int i = 0; i < n; ++i) {
    double* qi = row(qt, ldq, i);
    for (int j = 0; j < n; ++j) qi[j] = i == j ? 1.0 : 0.0;
  }
  for (int k = n - 3; k >= 0; --k) {
    const double h = d[k];
    if (h == 0.0) continue;
    const double* v = row(a, lda, k);  // v in columns k+1..n-1
    for (int i = k + 1; i < n; ++i) {
      double* qi = row(qt, ldq, i);
      double s = 0.0;
      for (int j = k + 1; j < n; ++j) s += qi[j] * v[j];
      s /= h;
      for (int j = k + 1; j < n; ++j) qi[j] -= s * v[j];
    }
  }
  for (int i = 0; i < n; ++i) d[i] = row(a, lda, i)[i];
  if (n >= 2) e[n - 2] = row(a, lda, n - 1)[n - 2];
  e[n - 1] = 0.0;
}

bool tqli(double* d, double* e, int n, double* zt, int ldz) {
  constexpr int kMaxIter = 60;
  constexpr double eps = std::numeric_limits<double>::epsilon();
  bool converged = true;
  for (int l = 0; l < n; ++l) {
    int iter = 0;
    int m;
    do {
      for (m = l; m < n - 1; ++m) {
        const double dd = std::fabs(d[m]) + std::fabs(d[m + 1]);
        if (std::fabs(e[m]) <= eps * dd) break;
      }
      if (m == l) break;
      if (iter++ == kMaxIter) {
        converged = false;
        break;
      }
      double g = (d[l + 1] - d[l]) / (2.0 * e[l]);
      double r = std::hypot(g, 1.0);
      g = d[m] - d[l] + e[l] / (g + (g >= 0.0 ? r : -r));
      double s = 1.0, c = 1.0, p = 0.0;
      int i;
      bool underflow = false;
      for (i = m - 1; i >= l; --i) {
        const double f = s * e[i];
        const double b = c * e[i];
        r = std::hypot(f, g);
        e[i + 1] = r;
        if (r == 0.0) {
          d[i + 1] -= p;
          e[m] = 0.0;
          underflow = true;
          break;
        }
        s = f / r;
        c = g / r;
        g = d[i + 1] - p;
        r = (d[i] - g) * s + 2.0 * c * b;
        p = s * r;
        d[i + 1] = g + p;
        g = c * r - b;
        double* zi = row(zt, ldz, i);
        double* zi1 = row(zt, ldz, i + 1);
        for (int k = 0; k < n; ++k) {
          const double fk = zi1[k];
          zi1[k] = s * zi[k] + c * fk;
          zi[k] = c * zi[k] - s * fk;
        }
      }
      if (underflow) continue;
      d[l] -= p;
      e[l] = g;
      e[m] = 0.0;
    } while (m != l);
  }
  return converged;
}

void eigsrt(double* d, double* zt, int n, int ldz) {
  for (int i = 0; i < n - 1; ++i) {
    int k = i;
    for (int j = i + 1; j < n; ++j)
      if (d[j] < d[k]) k = j;
    if (k != i) {
      std::swap(d[i], d[k]);
      double* zi = row(zt, ldz, i);
      double* zk = row(zt, ldz, k);
      for (int j = 0; j < n; ++j) std::swap(zi[j], zk[j]);
    }
  }
}

bool symmetricEigen(double* a, int n, int lda, double* d, double* e, double* zt, int ldz) {
  tred2(a, n, lda, d, e, zt, ldz);
  const bool ok = tqli(d, e, n, zt, ldz);
  eigsrt(d, zt, n, ldz);
  return ok;
}

}  // namespace veka::nm
