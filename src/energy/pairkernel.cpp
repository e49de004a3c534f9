#include "energy/pairkernel.hpp"

#include "energy/simdwidth.hpp"
#include "energy/terms.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace veka {

namespace {

constexpr int kBlock = 256;
constexpr double kR2Floor = kPairR2Floor;

inline double pairTerm(const PairInput& in, int n) {
  const double* u = in.xyzq + 4 * in.pi[n];
  const double* v = in.xyzq + 4 * in.pj[n];
  const double* p = in.ac + 2 * in.pi[n];
  const double* w = in.ac + 2 * in.pj[n];
  const int kind = (in.f14[n] & 1) | ((in.ewx[n] & 1) << 1);
  const double dx = u[0] - v[0], dy = u[1] - v[1], dz = u[2] - v[2];
  return veka::pairTerm(dx * dx + dy * dy + dz * dz, in.sc[kind] * u[3], v[3], in.sl[kind], p[0],
                        w[0], p[1], w[1]);
}

void pairTermsScalar(const PairInput& in, int n0, int from, int m, double* e) {
  for (int t = from; t < m; ++t) e[t] = pairTerm(in, n0 + t);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define VEKA_PAIR_AVX2 1
// Two 128-bit halves from memory: [lo[0], lo[1] | hi[0], hi[1]].
[[gnu::target("avx2")]] inline __m256d halves(const double* lo, const double* hi) {
  return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(lo)), _mm_loadu_pd(hi), 1);
}
// The packed values of four atoms k[0..3] as vectors over the four atoms.
struct Quad {
  __m256d x, y, z, q, a, c;
};
[[gnu::target("avx2")]] inline Quad loadQuad(const PairInput& in, const std::int16_t* k) {
  const double *r0 = in.xyzq + 4 * k[0], *r1 = in.xyzq + 4 * k[1];
  const double *r2 = in.xyzq + 4 * k[2], *r3 = in.xyzq + 4 * k[3];
  const __m256d xy02 = halves(r0, r2), xy13 = halves(r1, r3);
  const __m256d zq02 = halves(r0 + 2, r2 + 2), zq13 = halves(r1 + 2, r3 + 2);
  const __m256d ac02 = halves(in.ac + 2 * k[0], in.ac + 2 * k[2]);
  const __m256d ac13 = halves(in.ac + 2 * k[1], in.ac + 2 * k[3]);
  return {_mm256_unpacklo_pd(xy02, xy13), _mm256_unpackhi_pd(xy02, xy13),
          _mm256_unpacklo_pd(zq02, zq13), _mm256_unpackhi_pd(zq02, zq13),
          _mm256_unpacklo_pd(ac02, ac13), _mm256_unpackhi_pd(ac02, ac13)};
}
// Masks of four pairs: 1-4 flag set, Ewald-exclusion flag set.
[[gnu::target("avx2")]] inline __m256d flagMask(const std::uint8_t* flags) {
  const __m256i one = _mm256_set1_epi64x(1);
  std::int32_t f;
  std::memcpy(&f, flags, 4);
  const __m256i v = _mm256_and_si256(_mm256_cvtepu8_epi64(_mm_cvtsi32_si128(f)), one);
  return _mm256_castsi256_pd(_mm256_cmpeq_epi64(v, one));
}
[[gnu::target("avx2")]] void pairTermsAvx2(const PairInput& in, int n0, int m, double* e) {
  const __m256d floor = _mm256_set1_pd(kR2Floor), one = _mm256_set1_pd(1.0);
  const __m256d c0 = _mm256_set1_pd(in.sc[0]), c1 = _mm256_set1_pd(in.sc[1]);
  const __m256d l0 = _mm256_set1_pd(in.sl[0]), l1 = _mm256_set1_pd(in.sl[1]);
  int t = 0;
  for (; t + 4 <= m; t += 4) {
    const int n = n0 + t;
    const Quad i = loadQuad(in, in.pi + n), j = loadQuad(in, in.pj + n);
    const __m256d dx = _mm256_sub_pd(i.x, j.x);
    const __m256d dy = _mm256_sub_pd(i.y, j.y);
    const __m256d dz = _mm256_sub_pd(i.z, j.z);
    const __m256d sum = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)),
                                      _mm256_mul_pd(dz, dz));
    const __m256d r2 = _mm256_max_pd(floor, sum);  // r2 itself when it is NaN, as std::max
    const __m256d ri2 = _mm256_div_pd(one, r2);
    const __m256d ri = _mm256_sqrt_pd(ri2);
    const __m256d ri6 = _mm256_mul_pd(_mm256_mul_pd(ri2, ri2), ri2);
    // Scale factors: the 1-4 ones where the flag is set, 0 for Ewald pairs.
    const __m256d is14 = flagMask(in.f14 + n), ewald = flagMask(in.ewx + n);
    const __m256d sc = _mm256_andnot_pd(ewald, _mm256_blendv_pd(c0, c1, is14));
    const __m256d sl = _mm256_andnot_pd(ewald, _mm256_blendv_pd(l0, l1, is14));
    const __m256d coul = _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(sc, i.q), j.q), ri);
    const __m256d lj =
        _mm256_mul_pd(_mm256_mul_pd(sl, _mm256_sub_pd(_mm256_mul_pd(_mm256_mul_pd(i.a, j.a), ri6),
                                                      _mm256_mul_pd(i.c, j.c))),
                      ri6);
    _mm256_storeu_pd(e + t, _mm256_add_pd(coul, lj));
  }
  pairTermsScalar(in, n0, t, m, e);
}
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"  // GCC 12's AVX-512 header
#endif
[[gnu::target("avx512f")]] inline __m512d quarters(const double* p0, const double* p1,
                                                   const double* p2, const double* p3) {
  const __m512d lo = _mm512_zextpd256_pd512(halves(p0, p1));
  return _mm512_insertf64x4(lo, halves(p2, p3), 1);
}
struct Oct {
  __m512d x, y, z, q, a, c;
};
[[gnu::target("avx512f")]] inline Oct loadOct(const PairInput& in, const std::int16_t* k) {
  const double* r[8];
  const double* s[8];
  for (int u = 0; u < 8; ++u) r[u] = in.xyzq + 4 * k[u], s[u] = in.ac + 2 * k[u];
  const __m512d xyE = quarters(r[0], r[2], r[4], r[6]), xyO = quarters(r[1], r[3], r[5], r[7]);
  const __m512d zqE = quarters(r[0] + 2, r[2] + 2, r[4] + 2, r[6] + 2);
  const __m512d zqO = quarters(r[1] + 2, r[3] + 2, r[5] + 2, r[7] + 2);
  const __m512d acE = quarters(s[0], s[2], s[4], s[6]), acO = quarters(s[1], s[3], s[5], s[7]);
  return {_mm512_unpacklo_pd(xyE, xyO), _mm512_unpackhi_pd(xyE, xyO), _mm512_unpacklo_pd(zqE, zqO),
          _mm512_unpackhi_pd(zqE, zqO), _mm512_unpacklo_pd(acE, acO), _mm512_unpackhi_pd(acE, acO)};
}
[[gnu::target("avx512f")]] inline __mmask8 flagMask8(const std::uint8_t* flags) {
  std::uint64_t f;
  std::memcpy(&f, flags, 8);
  const __m512i v = _mm512_cvtepu8_epi64(_mm_cvtsi64_si128(static_cast<long long>(f)));
  return _mm512_test_epi64_mask(v, _mm512_set1_epi64(1));
}
// Products, sums and differences that the compiler may not fuse into multiply-adds (the
// AVX-512 instruction set has them, and the scalar loop does not use them).
[[gnu::target("avx512f")]] inline __m512d mul8(__m512d a, __m512d b) {
  return _mm512_mul_round_pd(a, b, _MM_FROUND_CUR_DIRECTION);
}
[[gnu::target("avx512f")]] inline __m512d add8(__m512d a, __m512d b) {
  return _mm512_add_round_pd(a, b, _MM_FROUND_CUR_DIRECTION);
}
[[gnu::target("avx512f")]] inline __m512d sub8(__m512d a, __m512d b) {
  return _mm512_sub_round_pd(a, b, _MM_FROUND_CUR_DIRECTION);
}
[[gnu::target("avx512f")]] void pairTermsAvx512(const PairInput& in, int n0, int m, double* e) {
  const __m512d floor = _mm512_set1_pd(kR2Floor), one = _mm512_set1_pd(1.0);
  const __m512d c0 = _mm512_set1_pd(in.sc[0]), c1 = _mm512_set1_pd(in.sc[1]);
  const __m512d l0 = _mm512_set1_pd(in.sl[0]), l1 = _mm512_set1_pd(in.sl[1]);
  const __m512d zero = _mm512_setzero_pd();
  int t = 0;
  for (; t + 8 <= m; t += 8) {
    const int n = n0 + t;
    const Oct i = loadOct(in, in.pi + n), j = loadOct(in, in.pj + n);
    const __m512d dx = sub8(i.x, j.x);
    const __m512d dy = sub8(i.y, j.y);
    const __m512d dz = sub8(i.z, j.z);
    const __m512d sum = add8(add8(mul8(dx, dx), mul8(dy, dy)), mul8(dz, dz));
    const __m512d r2 = _mm512_max_pd(floor, sum);
    const __m512d ri2 = _mm512_div_pd(one, r2);
    const __m512d ri = _mm512_sqrt_pd(ri2);
    const __m512d ri6 = mul8(mul8(ri2, ri2), ri2);
    const __mmask8 is14 = flagMask8(in.f14 + n), ewald = flagMask8(in.ewx + n);
    const __m512d sc = _mm512_mask_mov_pd(_mm512_mask_mov_pd(c0, is14, c1), ewald, zero);
    const __m512d sl = _mm512_mask_mov_pd(_mm512_mask_mov_pd(l0, is14, l1), ewald, zero);
    const __m512d coul = mul8(mul8(mul8(sc, i.q), j.q), ri);
    const __m512d lj = mul8(mul8(sl, sub8(mul8(mul8(i.a, j.a), ri6), mul8(i.c, j.c))), ri6);
    _mm512_storeu_pd(e + t, add8(coul, lj));
  }
  pairTermsAvx2(in, n0 + t, m - t, e + t);
}
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

}  // namespace

double pairSum(const PairInput& in, int npair, int width) {
  const int w = simdWidth(width);
  double e[kBlock];
  double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
  for (int n0 = 0; n0 < npair; n0 += kBlock) {
    const int m = std::min(kBlock, npair - n0);
#ifdef VEKA_PAIR_AVX2
    if (w == 8)
      pairTermsAvx512(in, n0, m, e);
    else if (w == 4)
      pairTermsAvx2(in, n0, m, e);
    else
      pairTermsScalar(in, n0, 0, m, e);
#else
    pairTermsScalar(in, n0, 0, m, e);
#endif
    int t = 0;
    for (; t + 4 <= m; t += 4) {
      a0 += e[t];
      a1 += e[t + 1];
      a2 += e[t + 2];
      a3 += e[t + 3];
    }
    for (; t < m; ++t) a0 += e[t];
  }
  return (a0 + a1) + (a2 + a3);
}

}  // namespace veka
