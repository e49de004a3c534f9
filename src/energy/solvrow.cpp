#include "energy/solvrow.hpp"

#include <algorithm>
#include <cstddef>

#include "energy/simdwidth.hpp"
#include "energy/solvrow_detail.hpp"
#include "energy/solvterms.hpp"

namespace veka {

namespace rowdetail {

namespace {

inline std::ptrdiff_t site(int k, std::ptrdiff_t ld) {
  return (k - 1) * ld;
}

// Water pair: the first-site separation and the image shifts of molecule n.
struct FirstSites {
  double r2, sx, sy, sz;
};
FirstSites firstSites(const SolventRowInput& in, int n) {
  const RowBox& b = in.box;
  const bool zOn = b.slab == 0;
  const double tz = in.mz[0] - in.Z[n - 1], tx = in.mx[0] - in.X[n - 1];
  const double ty = in.my[0] - in.Y[n - 1];
  return {solv::sumZxy(solv::imaged(tz, b.half[2], b.edge[2], zOn),
                       solv::imaged(tx, b.half[0], b.edge[0], true),
                       solv::imaged(ty, b.half[1], b.edge[1], true)),
          solv::shiftOf(tx, b.half[0], b.edge[0], true),
          solv::shiftOf(ty, b.half[1], b.edge[1], true),
          solv::shiftOf(tz, b.half[2], b.edge[2], zOn)};
}

int cutoffWater(const SolventRowInput& in, const Cand& c, int from, int kept) {
  for (int t = from; t < c.size(); ++t) {
    const int n = c.at(t);
    if ((c.list || n != c.skip) && firstSites(in, n).r2 <= in.box.rc2) in.work.idx[kept++] = n;
  }
  return kept;
}

// Other pairs: the smallest separation between cutoff sites, each axis with its own image.
int cutoffGeneral(const SolventRowInput& in, const SolventPairTable& p, const Cand& c, int from,
                  int kept) {
  const RowBox& b = in.box;
  const bool zOn = b.slab == 0;
  for (int t = from; t < c.size(); ++t) {
    const int n = c.at(t);
    if (!c.list && n == c.skip) continue;
    double best = 1.0e20;
    for (int kb = 0; kb < p.ncutB; ++kb) {
      const std::ptrdiff_t o = site(p.cutB[kb], in.ld) + n - 1;
      for (int ka = 0; ka < p.ncutA; ++ka) {
        const std::ptrdiff_t m = (p.cutA[ka] - 1) * in.mstride;
        const double r2 =
            solv::sumZxy(solv::imaged(in.mz[m] - in.Z[o], b.half[2], b.edge[2], zOn),
                         solv::imaged(in.mx[m] - in.X[o], b.half[0], b.edge[0], true),
                         solv::imaged(in.my[m] - in.Y[o], b.half[1], b.edge[1], true));
        best = r2 < best ? r2 : best;
      }
    }
    if (!(best <= b.rc2)) continue;
    in.work.idx[kept] = n;
    in.work.r2[kept] = best;
    ++kept;
  }
  return kept;
}

// The first-site separation and the shifts are taken again here rather than kept by the
// cutoff pass: only a few candidates are within the cutoff.
double waterPair(const SolventRowInput& in, const SolventPairTable& p, int t) {
  const int n = in.work.idx[t];
  const FirstSites f = firstSites(in, n);
  double e = solv::ljTerm(p.AOO, p.COO, 1.0 / f.r2);
  for (int k = 0; k < p.nterm(); ++k) {
    const std::ptrdiff_t m = (p.si[k] - 1) * in.mstride, j = site(p.sj[k], in.ld) + n - 1;
    const double dx = in.mx[m] - (in.X[j] + f.sx), dy = in.my[m] - (in.Y[j] + f.sy);
    const double dz = in.mz[m] - (in.Z[j] + f.sz);
    const double rr = solv::sumZxy(dz, dx, dy);
    e += solv::coulombTerm(p.qq[k], 1.0 / rr, rr, in.box);
  }
  return e * solv::featherFactor(f.r2, in.box);
}

double generalPair(const SolventRowInput& in, const SolventPairTable& p, int t) {
  const RowBox& b = in.box;
  const bool zOn = b.slab == 0;
  const std::ptrdiff_t o = in.work.idx[t] - 1;
  double e = 0.0;
  for (int k = 0; k < p.nterm(); ++k) {
    const std::ptrdiff_t m = (p.si[k] - 1) * in.mstride, j = site(p.sj[k], in.ld) + o;
    const double rr = solv::sumZxy(solv::imaged(in.mz[m] - in.Z[j], b.half[2], b.edge[2], zOn),
                                   solv::imaged(in.mx[m] - in.X[j], b.half[0], b.edge[0], true),
                                   solv::imaged(in.my[m] - in.Y[j], b.half[1], b.edge[1], true));
    const double ri2 = 1.0 / rr;
    if (p.aa[k] != 0.0) e += solv::ljTerm(p.aa[k], p.cc[k], ri2);
    if (p.qq[k] != 0.0) e += solv::coulombTerm(p.qq[k], ri2, rr, b);
  }
  return e * solv::featherFactor(in.work.r2[t], b);
}

}  // namespace

int cutoffScalar(const SolventRowInput& in, const SolventPairTable& t, const Cand& c, int from,
                 int kept) {
  return t.water ? cutoffWater(in, c, from, kept) : cutoffGeneral(in, t, c, from, kept);
}

void termsScalar(const SolventRowInput& in, const SolventPairTable& p, int from, int to) {
  for (int t = from; t < to; ++t)
    in.work.e[t] = p.water ? waterPair(in, p, t) : generalPair(in, p, t);
}

}  // namespace rowdetail

namespace {

using rowdetail::Cand;

// Cutoff and term passes of one class of candidates; returns the end of the kept entries.
int runClass(const SolventRowInput& in, const SolventPairTable& t, const Cand& c, int kept,
             int width) {
  const int from = kept;
#ifdef VEKA_ROW_SIMD
  if (width == 8) {
    kept = rowdetail::cutoffAvx512(in, t, c, kept);
    rowdetail::termsAvx512(in, t, from, kept);
    return kept;
  }
  if (width == 4) {
    kept = rowdetail::cutoffAvx2(in, t, c, kept);
    rowdetail::termsAvx2(in, t, from, kept);
    return kept;
  }
#endif
  (void)width;
  kept = rowdetail::cutoffScalar(in, t, c, 0, kept);
  rowdetail::termsScalar(in, t, from, kept);
  return kept;
}

int classes(const SolventRowInput& in, int width) {
  const RowWork& w = in.work;
  if (!in.kinds && !in.list)
    return runClass(in, *in.table[0], {nullptr, 0, in.first, in.last, in.skip}, 0, width);
  // Candidates as molecule numbers, split by solvent when there are two.
  int n1 = 0, n2 = 0;
  const int size = in.list ? in.count : in.last - in.first + 1;
  for (int t = 0; t < size; ++t) {
    const int n = in.list ? in.list[t] : in.first + t;
    if (!in.list && n == in.skip) continue;
    if (in.kinds && in.kinds[n - 1] == 2)
      w.list2[n2++] = n;
    else
      w.list1[n1++] = n;
  }
  // Entries past the end repeat the first, for the lanes of a last partial vector.
  for (int t = 0; t < 8; ++t) w.list1[n1 + t] = w.list1[0], w.list2[n2 + t] = w.list2[0];
  const int kept = runClass(in, *in.table[0], {w.list1, n1}, 0, width);
  return n2 > 0 ? runClass(in, *in.table[1], {w.list2, n2}, kept, width) : kept;
}

}  // namespace

double solventRow(const SolventRowInput& in, int width, int* nkept) {
  const RowWork& w = in.work;
  const int kept = classes(in, simdWidth(width));
  if (nkept) *nkept = kept;
  if (in.list) {
    for (int t = 0; t < in.count; ++t) in.out[in.list[t] - 1] = 0.0;
  } else if (in.last >= in.first) {
    std::fill(in.out + in.first - 1, in.out + in.last, 0.0);
  }
  for (int t = 0; t < kept; ++t) in.out[w.idx[t] - 1] = w.e[t];
  // Eight partial sums: energy t into sum t mod 8.
  double a[8] = {};
  int t = 0;
  for (; t + 8 <= kept; t += 8)
    for (int l = 0; l < 8; ++l) a[l] += w.e[t + l];
  for (int l = 0; t < kept; ++t, ++l) a[l] += w.e[t];
  return ((a[0] + a[1]) + (a[2] + a[3])) + ((a[4] + a[5]) + (a[6] + a[7]));
}

}  // namespace veka
