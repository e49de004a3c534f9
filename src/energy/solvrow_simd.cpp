// The row kernel 4 (AVX2) and 8 (AVX-512) molecules at once: lane by lane the operations
// of the scalar path (solvrow.cpp), in the same order. Products, sums and differences go
// through wrappers that the compiler cannot fuse into multiply-adds (the AVX-512 rounding
// forms; AVX2 code is compiled without FMA; the file is compiled with -ffp-contract=off),
// division and square root are correctly rounded at every width.
#include "energy/solvrow_detail.hpp"

#ifdef VEKA_ROW_SIMD

#include <immintrin.h>

#include <cassert>
#include <cstddef>

#include "state/capacities.hpp"

// GCC 12's gather and AVX-512 headers start from undefined vectors.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace veka::rowdetail {

namespace {

inline std::ptrdiff_t site(int k, std::ptrdiff_t ld) {
  return (k - 1) * ld;
}

// ---------------------------------------------------------------- AVX2, 4 molecules

#define T2 [[gnu::target("avx2")]] inline

T2 __m256d bc4(double v) {
  return _mm256_set1_pd(v);
}
T2 __m256d sum4(__m256d dz, __m256d dx, __m256d dy) {
  return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(dz, dz), _mm256_mul_pd(dx, dx)),
                       _mm256_mul_pd(dy, dy));
}
T2 __m256d abs4(__m256d d) {
  return _mm256_andnot_pd(bc4(-0.0), d);
}
T2 __m256d image4(__m256d d, double half, double edge, bool on) {
  d = abs4(d);
  if (!on) return d;
  return _mm256_blendv_pd(d, _mm256_sub_pd(d, bc4(edge)), _mm256_cmp_pd(d, bc4(half), _CMP_GT_OQ));
}
T2 __m256d shift4(__m256d t, double half, double edge, bool on) {
  if (!on) return _mm256_setzero_pd();
  const __m256d far = _mm256_cmp_pd(abs4(t), bc4(half), _CMP_GT_OQ);
  const __m256d pos = _mm256_cmp_pd(t, _mm256_setzero_pd(), _CMP_GT_OQ);
  return _mm256_and_pd(far, _mm256_blendv_pd(bc4(-edge), bc4(edge), pos));
}
T2 __m256d lj4(double aa, double cc, __m256d ri2) {
  const __m256d ri6 = _mm256_mul_pd(_mm256_mul_pd(ri2, ri2), ri2);
  return _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(bc4(aa), ri6), bc4(cc)), ri6);
}
T2 __m256d coul4(double qq, __m256d ri2, __m256d r2, const RowBox& b) {
  const __m256d ri = _mm256_sqrt_pd(ri2);
  if (!b.rf) return _mm256_mul_pd(bc4(qq), ri);
  return _mm256_mul_pd(bc4(qq), _mm256_add_pd(ri, _mm256_mul_pd(bc4(b.krf), r2)));
}
T2 __m256d feather4(__m256d r2, const RowBox& b) {
  const __m256d f = _mm256_div_pd(_mm256_sub_pd(bc4(b.rc2), r2), bc4(b.featherDen));
  return _mm256_blendv_pd(bc4(1.0), f, _mm256_cmp_pd(r2, bc4(b.featherStart), _CMP_GE_OQ));
}
// Molecule numbers of candidates t..t+3 and the coordinates of one of their sites.
T2 __m128i numbers4(const Cand& c, int t) {
  if (c.list) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(c.list + t));
  return _mm_add_epi32(_mm_set1_epi32(c.first + t), _mm_setr_epi32(0, 1, 2, 3));
}
// One site of the kept molecules ids[0..3] (molecule n at column[n - 1]).
T2 __m256d gather4(const double* column, const int* ids) {
  const double* c = column - 1;
  const __m128d a = _mm_loadh_pd(_mm_load_sd(c + ids[0]), c + ids[1]);
  const __m128d b = _mm_loadh_pd(_mm_load_sd(c + ids[2]), c + ids[3]);
  return _mm256_insertf128_pd(_mm256_castpd128_pd256(a), b, 1);
}
T2 __m256d load4(const double* column, const Cand& c, int t) {
  if (c.list) return gather4(column, c.list + t);
  return _mm256_loadu_pd(column + c.first - 1 + t);
}
// Lanes that are not the skipped molecule.
T2 int valid4(const Cand& c, __m128i n) {
  if (c.list) return 0xF;
  return ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(n, _mm_set1_epi32(c.skip)))) & 0xF;
}
// Appends the lanes of `keep` to the work buffers (with their r^2 unless r2 is null).
T2 int append4(const RowWork& w, int kept, int keep, __m128i n, const __m256d* r2) {
  alignas(32) int nn[4];
  alignas(32) double rr[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(nn), n);
  if (r2) _mm256_store_pd(rr, *r2);
  for (; keep; keep &= keep - 1) {
    const int l = __builtin_ctz(static_cast<unsigned>(keep));
    w.idx[kept] = nn[l];
    if (r2) w.r2[kept] = rr[l];
    ++kept;
  }
  return kept;
}

// The first-site separation (r^2) of four molecules and their image shifts.
struct First4 {
  __m256d r2, s[3];
};
T2 First4 first4(const SolventRowInput& in, __m256d x, __m256d y, __m256d z) {
  const RowBox& b = in.box;
  const bool zOn = b.slab == 0;
  const __m256d tz = _mm256_sub_pd(bc4(in.mz[0]), z), tx = _mm256_sub_pd(bc4(in.mx[0]), x);
  const __m256d ty = _mm256_sub_pd(bc4(in.my[0]), y);
  return {sum4(image4(tz, b.half[2], b.edge[2], zOn), image4(tx, b.half[0], b.edge[0], true),
               image4(ty, b.half[1], b.edge[1], true)),
          {shift4(tx, b.half[0], b.edge[0], true), shift4(ty, b.half[1], b.edge[1], true),
           shift4(tz, b.half[2], b.edge[2], zOn)}};
}

T2 int waterBlock4(const SolventRowInput& in, const Cand& c, int t, int kept) {
  const __m128i n = numbers4(c, t);
  const First4 f = first4(in, load4(in.X, c, t), load4(in.Y, c, t), load4(in.Z, c, t));
  const int keep =
      valid4(c, n) & _mm256_movemask_pd(_mm256_cmp_pd(f.r2, bc4(in.box.rc2), _CMP_LE_OQ));
  return keep ? append4(in.work, kept, keep, n, nullptr) : kept;
}

T2 int generalBlock4(const SolventRowInput& in, const SolventPairTable& p, const Cand& c, int t,
                     int kept) {
  const RowBox& b = in.box;
  const bool zOn = b.slab == 0;
  const __m128i n = numbers4(c, t);
  __m256d best = bc4(1.0e20);
  for (int kb = 0; kb < p.ncutB; ++kb) {
    const std::ptrdiff_t o = site(p.cutB[kb], in.ld);
    const __m256d x = load4(in.X + o, c, t), y = load4(in.Y + o, c, t);
    const __m256d z = load4(in.Z + o, c, t);
    for (int ka = 0; ka < p.ncutA; ++ka) {
      const std::ptrdiff_t m = (p.cutA[ka] - 1) * in.mstride;
      const __m256d r2 = sum4(image4(_mm256_sub_pd(bc4(in.mz[m]), z), b.half[2], b.edge[2], zOn),
                              image4(_mm256_sub_pd(bc4(in.mx[m]), x), b.half[0], b.edge[0], true),
                              image4(_mm256_sub_pd(bc4(in.my[m]), y), b.half[1], b.edge[1], true));
      best = _mm256_min_pd(r2, best);
    }
  }
  const int keep = valid4(c, n) & _mm256_movemask_pd(_mm256_cmp_pd(best, bc4(b.rc2), _CMP_LE_OQ));
  return keep ? append4(in.work, kept, keep, n, &best) : kept;
}

T2 void waterTerms4(const SolventRowInput& in, const SolventPairTable& p, int t) {
  const int* ids = in.work.idx + t;
  const First4 f = first4(in, gather4(in.X, ids), gather4(in.Y, ids), gather4(in.Z, ids));
  const __m256d r2 = f.r2;
  __m256d ux[MXSAT], uy[MXSAT], uz[MXSAT];
  for (int j = p.jlo; j <= p.jhi; ++j) {
    const std::ptrdiff_t o = site(j, in.ld);
    ux[j - 1] = _mm256_add_pd(gather4(in.X + o, ids), f.s[0]);
    uy[j - 1] = _mm256_add_pd(gather4(in.Y + o, ids), f.s[1]);
    uz[j - 1] = _mm256_add_pd(gather4(in.Z + o, ids), f.s[2]);
  }
  __m256d e = lj4(p.AOO, p.COO, _mm256_div_pd(bc4(1.0), r2));
  for (int k = 0; k < p.nterm(); ++k) {
    const std::ptrdiff_t m = (p.si[k] - 1) * in.mstride;
    const int j = p.sj[k] - 1;
    const __m256d rr =
        sum4(_mm256_sub_pd(bc4(in.mz[m]), uz[j]), _mm256_sub_pd(bc4(in.mx[m]), ux[j]),
             _mm256_sub_pd(bc4(in.my[m]), uy[j]));
    e = _mm256_add_pd(e, coul4(p.qq[k], _mm256_div_pd(bc4(1.0), rr), rr, in.box));
  }
  _mm256_storeu_pd(in.work.e + t, _mm256_mul_pd(e, feather4(r2, in.box)));
}

T2 void generalTerms4(const SolventRowInput& in, const SolventPairTable& p, int t) {
  const RowWork& w = in.work;
  const RowBox& b = in.box;
  const bool zOn = b.slab == 0;
  const int* ids = w.idx + t;
  __m256d gx[MXSAT], gy[MXSAT], gz[MXSAT];
  for (int j = p.jlo; j <= p.jhi; ++j) {
    const std::ptrdiff_t o = site(j, in.ld);
    gx[j - 1] = gather4(in.X + o, ids);
    gy[j - 1] = gather4(in.Y + o, ids);
    gz[j - 1] = gather4(in.Z + o, ids);
  }
  __m256d e = _mm256_setzero_pd();
  for (int k = 0; k < p.nterm(); ++k) {
    const std::ptrdiff_t m = (p.si[k] - 1) * in.mstride;
    const int j = p.sj[k] - 1;
    const __m256d rr =
        sum4(image4(_mm256_sub_pd(bc4(in.mz[m]), gz[j]), b.half[2], b.edge[2], zOn),
             image4(_mm256_sub_pd(bc4(in.mx[m]), gx[j]), b.half[0], b.edge[0], true),
             image4(_mm256_sub_pd(bc4(in.my[m]), gy[j]), b.half[1], b.edge[1], true));
    const __m256d ri2 = _mm256_div_pd(bc4(1.0), rr);
    if (p.aa[k] != 0.0) e = _mm256_add_pd(e, lj4(p.aa[k], p.cc[k], ri2));
    if (p.qq[k] != 0.0) e = _mm256_add_pd(e, coul4(p.qq[k], ri2, rr, b));
  }
  _mm256_storeu_pd(w.e + t, _mm256_mul_pd(e, feather4(_mm256_loadu_pd(w.r2 + t), b)));
}

#undef T2

// ------------------------------------------------------------- AVX-512, 8 molecules

#define T8 [[gnu::target("avx512f")]] inline

T8 __m512d bc8(double v) {
  return _mm512_set1_pd(v);
}
T8 __m512d mul8(__m512d a, __m512d b) {
  return _mm512_mul_round_pd(a, b, _MM_FROUND_CUR_DIRECTION);
}
T8 __m512d add8(__m512d a, __m512d b) {
  return _mm512_add_round_pd(a, b, _MM_FROUND_CUR_DIRECTION);
}
T8 __m512d sub8(__m512d a, __m512d b) {
  return _mm512_sub_round_pd(a, b, _MM_FROUND_CUR_DIRECTION);
}
T8 __m512d div8(__m512d a, __m512d b) {
  return _mm512_div_round_pd(a, b, _MM_FROUND_CUR_DIRECTION);
}
T8 __m512d sum8(__m512d dz, __m512d dx, __m512d dy) {
  return add8(add8(mul8(dz, dz), mul8(dx, dx)), mul8(dy, dy));
}
T8 __m512d image8(__m512d d, double half, double edge, bool on) {
  d = _mm512_abs_pd(d);
  if (!on) return d;
  return _mm512_mask_sub_pd(d, _mm512_cmp_pd_mask(d, bc8(half), _CMP_GT_OQ), d, bc8(edge));
}
T8 __m512d shift8(__m512d t, double half, double edge, bool on) {
  if (!on) return _mm512_setzero_pd();
  const __mmask8 far = _mm512_cmp_pd_mask(_mm512_abs_pd(t), bc8(half), _CMP_GT_OQ);
  const __mmask8 pos = _mm512_cmp_pd_mask(t, _mm512_setzero_pd(), _CMP_GT_OQ);
  return _mm512_maskz_mov_pd(far, _mm512_mask_blend_pd(pos, bc8(-edge), bc8(edge)));
}
T8 __m512d lj8(double aa, double cc, __m512d ri2) {
  const __m512d ri6 = mul8(mul8(ri2, ri2), ri2);
  return mul8(sub8(mul8(bc8(aa), ri6), bc8(cc)), ri6);
}
T8 __m512d coul8(__m512d qq, __m512d ri2, __m512d r2, const RowBox& b) {
  const __m512d ri = _mm512_sqrt_pd(ri2);
  if (!b.rf) return mul8(qq, ri);
  return mul8(qq, add8(ri, mul8(bc8(b.krf), r2)));
}
T8 __m512d feather8(__m512d r2, const RowBox& b) {
  const __mmask8 on = _mm512_cmp_pd_mask(r2, bc8(b.featherStart), _CMP_GE_OQ);
  return _mm512_mask_mov_pd(bc8(1.0), on, div8(sub8(bc8(b.rc2), r2), bc8(b.featherDen)));
}
// The live lanes of a block that starts at t and ends at `end`.
T8 __mmask8 live8(int t, int end) {
  return end - t >= 8 ? 0xFF : static_cast<__mmask8>((1u << (end - t)) - 1u);
}
T8 __m256i loadIdx8(const int* p, __mmask8 live) {
  return _mm512_castsi512_si256(_mm512_maskz_loadu_epi32(live, p));
}
// Molecule numbers of candidates t..t+7 and the coordinates of one of their sites (lanes
// that are not live hold no candidate: 0 for a range, the padding of a list).
template <bool kList>
T8 __m256i numbers8(const Cand& c, int t, __mmask8 live) {
  if (kList) return loadIdx8(c.list + t, live);
  return _mm256_add_epi32(_mm256_set1_epi32(c.first + t),
                          _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}
// One site of molecules ids[0..7] (site column, molecule n at column[n - 1]);
// eight loads put together, which is faster here than the gather instruction.
T8 __m512d gather8(const double* column, const int* ids) {
  const double* c = column - 1;
  const __m128d a = _mm_loadh_pd(_mm_load_sd(c + ids[0]), c + ids[1]);
  const __m128d b = _mm_loadh_pd(_mm_load_sd(c + ids[2]), c + ids[3]);
  const __m128d d = _mm_loadh_pd(_mm_load_sd(c + ids[4]), c + ids[5]);
  const __m128d e = _mm_loadh_pd(_mm_load_sd(c + ids[6]), c + ids[7]);
  const __m256d lo = _mm256_insertf128_pd(_mm256_castpd128_pd256(a), b, 1);
  const __m256d hi = _mm256_insertf128_pd(_mm256_castpd128_pd256(d), e, 1);
  return _mm512_insertf64x4(_mm512_castpd256_pd512(lo), hi, 1);
}
template <bool kList>
T8 __m512d load8(const double* column, const Cand& c, int t, __mmask8 live) {
  if (kList) return gather8(column, c.list + t);
  return _mm512_maskz_loadu_pd(live, column + c.first - 1 + t);
}
// Stores the kept lanes packed at dst (8 entries are written; the buffers have room).
T8 void put8(double* dst, __mmask8 keep, __m512d v) {
  _mm512_storeu_pd(dst, _mm512_maskz_compress_pd(keep, v));
}
T8 void putIdx8(int* dst, __mmask8 keep, __m256i n) {
  const __m512i v = _mm512_maskz_compress_epi32(keep, _mm512_zextsi256_si512(n));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm512_castsi512_si256(v));
}

// The first-site separation (r^2) of eight molecules and their image shifts.
struct First8 {
  __m512d r2, s[3];
};
T8 First8 first8(const RowBox& b, const double m[3], __m512d x, __m512d y, __m512d z, bool shifts) {
  const bool zOn = b.slab == 0;
  const __m512d tz = sub8(bc8(m[2]), z), tx = sub8(bc8(m[0]), x), ty = sub8(bc8(m[1]), y);
  First8 f;
  f.r2 = sum8(image8(tz, b.half[2], b.edge[2], zOn), image8(tx, b.half[0], b.edge[0], true),
              image8(ty, b.half[1], b.edge[1], true));
  if (shifts)
    f.s[0] = shift8(tx, b.half[0], b.edge[0], true),
    f.s[1] = shift8(ty, b.half[1], b.edge[1], true), f.s[2] = shift8(tz, b.half[2], b.edge[2], zOn);
  return f;
}

// The cutoff passes work on local copies of the constants and buffer pointers, which the
// stores into the buffers cannot change, so that nothing is reloaded per block; kList:
// the candidates are a list (else a range, which has no molecule to skip here).
template <bool kList>
T8 int waterCutoff8(const SolventRowInput& in, const Cand& cand, int kept) {
  const RowBox b = in.box;
  int* const idx = in.work.idx;
  const Cand c = cand;
  const double m[3] = {in.mx[0], in.my[0], in.mz[0]};
  const double *X = in.X, *Y = in.Y, *Z = in.Z;
  const int size = c.size(), full = size & ~7;
  const __mmask8 tail = live8(full, size);
  for (int t = 0; t < size; t += 8) {
    const __mmask8 live = t < full ? 0xFF : tail;
    const __m256i n = numbers8<kList>(c, t, live);
    const First8 f = first8(b, m, load8<kList>(X, c, t, live), load8<kList>(Y, c, t, live),
                            load8<kList>(Z, c, t, live), false);
    const __mmask8 keep = live & _mm512_cmp_pd_mask(f.r2, bc8(b.rc2), _CMP_LE_OQ);
    putIdx8(idx + kept, keep, n);
    kept += __builtin_popcount(keep);
  }
  return kept;
}

template <bool kList>
T8 int generalCutoff8(const SolventRowInput& in, const SolventPairTable& p, const Cand& cand,
                      int kept) {
  const RowBox b = in.box;
  const RowWork w = in.work;
  const Cand c = cand;
  const bool zOn = b.slab == 0;
  const int size = c.size(), full = size & ~7;
  const __mmask8 tail = live8(full, size);
  for (int t = 0; t < size; t += 8) {
    const __mmask8 live = t < full ? 0xFF : tail;
    const __m256i n = numbers8<kList>(c, t, live);
    __m512d best = bc8(1.0e20);
    for (int kb = 0; kb < p.ncutB; ++kb) {
      const std::ptrdiff_t o = site(p.cutB[kb], in.ld);
      const __m512d x = load8<kList>(in.X + o, c, t, live), y = load8<kList>(in.Y + o, c, t, live);
      const __m512d z = load8<kList>(in.Z + o, c, t, live);
      for (int ka = 0; ka < p.ncutA; ++ka) {
        const std::ptrdiff_t m = (p.cutA[ka] - 1) * in.mstride;
        const __m512d r2 = sum8(image8(sub8(bc8(in.mz[m]), z), b.half[2], b.edge[2], zOn),
                                image8(sub8(bc8(in.mx[m]), x), b.half[0], b.edge[0], true),
                                image8(sub8(bc8(in.my[m]), y), b.half[1], b.edge[1], true));
        best = _mm512_min_pd(r2, best);
      }
    }
    const __mmask8 keep = live & _mm512_cmp_pd_mask(best, bc8(b.rc2), _CMP_LE_OQ);
    putIdx8(w.idx + kept, keep, n);
    put8(w.r2 + kept, keep, best);
    kept += __builtin_popcount(keep);
  }
  return kept;
}

// Water pairs have three charged sites on either side, the nine Coulomb terms in the
// table's order (moving site outer): the moving molecule's sites and the constants stay in
// registers over all the kept molecules.
T8 void waterTerms8(const SolventRowInput& in, const SolventPairTable& p, int from, int to) {
  const RowBox b = in.box;
  const int c0 = p.jlo;
  assert(p.nterm() == 9 && p.si[0] == c0 && p.sj[8] == c0 + 2);
  const double m1[3] = {in.mx[0], in.my[0], in.mz[0]};
  __m512d mx[3], my[3], mz[3], qq[9];
  for (int i = 0; i < 3; ++i) {
    const std::ptrdiff_t m = (c0 + i - 1) * in.mstride;
    mx[i] = bc8(in.mx[m]), my[i] = bc8(in.my[m]), mz[i] = bc8(in.mz[m]);
  }
  for (int k = 0; k < 9; ++k) qq[k] = bc8(p.qq[static_cast<std::size_t>(k)]);
  const __m512d aoo = bc8(p.AOO), coo = bc8(p.COO), one = bc8(1.0);
  for (int t = from; t < to; t += 8) {
    const int* ids = in.work.idx + t;
    const First8 f =
        first8(b, m1, gather8(in.X, ids), gather8(in.Y, ids), gather8(in.Z, ids), true);
    __m512d ux[3], uy[3], uz[3];
    for (int j = 0; j < 3; ++j) {
      const std::ptrdiff_t o = site(c0 + j, in.ld);
      ux[j] = add8(gather8(in.X + o, ids), f.s[0]);
      uy[j] = add8(gather8(in.Y + o, ids), f.s[1]);
      uz[j] = add8(gather8(in.Z + o, ids), f.s[2]);
    }
    const __m512d ri2 = div8(one, f.r2), ri6 = mul8(mul8(ri2, ri2), ri2);
    __m512d e = mul8(sub8(mul8(aoo, ri6), coo), ri6);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        const __m512d rr = sum8(sub8(mz[i], uz[j]), sub8(mx[i], ux[j]), sub8(my[i], uy[j]));
        e = add8(e, coul8(qq[3 * i + j], div8(one, rr), rr, b));
      }
    _mm512_mask_storeu_pd(in.work.e + t, live8(t, to), mul8(e, feather8(f.r2, b)));
  }
}
T8 void generalTerms8(const SolventRowInput& in, const SolventPairTable& p, int t, __mmask8 live) {
  const RowWork& w = in.work;
  const RowBox& b = in.box;
  const bool zOn = b.slab == 0;
  const int* ids = w.idx + t;
  __m512d gx[MXSAT], gy[MXSAT], gz[MXSAT];
  for (int j = p.jlo; j <= p.jhi; ++j) {
    const std::ptrdiff_t o = site(j, in.ld);
    gx[j - 1] = gather8(in.X + o, ids);
    gy[j - 1] = gather8(in.Y + o, ids);
    gz[j - 1] = gather8(in.Z + o, ids);
  }
  __m512d e = _mm512_setzero_pd();
  for (int k = 0; k < p.nterm(); ++k) {
    const std::ptrdiff_t m = (p.si[k] - 1) * in.mstride;
    const int j = p.sj[k] - 1;
    const __m512d rr = sum8(image8(sub8(bc8(in.mz[m]), gz[j]), b.half[2], b.edge[2], zOn),
                            image8(sub8(bc8(in.mx[m]), gx[j]), b.half[0], b.edge[0], true),
                            image8(sub8(bc8(in.my[m]), gy[j]), b.half[1], b.edge[1], true));
    const __m512d ri2 = div8(bc8(1.0), rr);
    if (p.aa[k] != 0.0) e = add8(e, lj8(p.aa[k], p.cc[k], ri2));
    if (p.qq[k] != 0.0) e = add8(e, coul8(bc8(p.qq[k]), ri2, rr, b));
  }
  const __m512d r2 = _mm512_mask_loadu_pd(bc8(1.0), live, w.r2 + t);
  _mm512_mask_storeu_pd(w.e + t, live, mul8(e, feather8(r2, b)));
}

#undef T8

}  // namespace

[[gnu::target("avx512f")]] int cutoffAvx512(const SolventRowInput& in, const SolventPairTable& p,
                                            const Cand& c, int kept) {
  if (c.list)
    return p.water ? waterCutoff8<true>(in, c, kept) : generalCutoff8<true>(in, p, c, kept);
  // A range: the parts before and after the skipped molecule.
  const bool inside = c.skip >= c.first && c.skip <= c.last;
  const Cand parts[2] = {{nullptr, 0, c.first, inside ? c.skip - 1 : c.last, 0},
                         {nullptr, 0, inside ? c.skip + 1 : c.last + 1, c.last, 0}};
  for (const Cand& part : parts)
    kept = p.water ? waterCutoff8<false>(in, part, kept) : generalCutoff8<false>(in, p, part, kept);
  return kept;
}

[[gnu::target("avx512f")]] void termsAvx512(const SolventRowInput& in, const SolventPairTable& p,
                                            int from, int to) {
  // Lanes past the last kept molecule repeat the first one (their results are not stored).
  for (int t = to; t < to + 8 && from < to; ++t) in.work.idx[t] = in.work.idx[from];
  if (p.water) {
    waterTerms8(in, p, from, to);
    return;
  }
  for (int t = from; t < to; t += 8) generalTerms8(in, p, t, live8(t, to));
}

[[gnu::target("avx2")]] int cutoffAvx2(const SolventRowInput& in, const SolventPairTable& p,
                                       const Cand& c, int kept) {
  const int full = c.size() & ~3;
  for (int t = 0; t < full; t += 4)
    kept = p.water ? waterBlock4(in, c, t, kept) : generalBlock4(in, p, c, t, kept);
  return cutoffScalar(in, p, c, full, kept);
}

[[gnu::target("avx2")]] void termsAvx2(const SolventRowInput& in, const SolventPairTable& p,
                                       int from, int to) {
  int t = from;
  for (; t + 4 <= to; t += 4) {
    if (p.water)
      waterTerms4(in, p, t);
    else
      generalTerms4(in, p, t);
  }
  termsScalar(in, p, t, to);
}

}  // namespace veka::rowdetail

#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#endif  // VEKA_ROW_SIMD
