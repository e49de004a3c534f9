// The move records of a block and the solvent neighbour lists (`neibor`).
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/solution.hpp"
#include "montecarlo/moves.hpp"

namespace veka {

namespace {

// |d| less the edge when it exceeds half the edge; half = 1e300 for an axis without image.
inline double imaged(double d, double half, double edge) {
  d = std::fabs(d);
  const double shift = d > half ? edge : 0.0;
  return d - shift;
}

// Squared separations of site (xi, yi, zi) from the sites X[j], Y[j], Z[j], j = from..to-1,
// kept in w[j] when smaller. Each width does the same operations per molecule.
[[gnu::target_clones("avx512f", "avx2", "default")]] void closer(
    const double* __restrict X, const double* __restrict Y, const double* __restrict Z,
    const double* p, const double* half, const double* edge, double* __restrict w, int from,
    int to) {
  for (int j = from; j < to; ++j) {
    const double dx = imaged(p[0] - X[j], half[0], edge[0]);
    const double dy = imaged(p[1] - Y[j], half[1], edge[1]);
    const double dz = imaged(p[2] - Z[j], half[2], edge[2]);
    const double r2 = dx * dx + dy * dy + dz * dz;
    w[j] = std::min(w[j], r2);
  }
}

// Squared separations of the cutoff sites ca of molecule i from the cutoff sites cb of the
// molecules j = i+1..nmol (one solvent: the same sites for all): the smallest over the site
// pairs into w[j - 1].
void separations(const State& s, int i, const int* ca, int na, const int* cb, int nb, double* w) {
  const Coord& c = s.coord;
  const double half[3] = {c.HALF(1), c.HALF(2), s.control.slab == 0 ? c.HALF(3) : 1.0e300};
  const double edge[3] = {c.EDGE(1), c.EDGE(2), c.EDGE(3)};
  std::fill(w + i, w + c.NMOL, 1.0e20);
  for (int a = 0; a < na; ++a) {
    const double p[3] = {c.X(i, ca[a]), c.Y(i, ca[a]), c.Z(i, ca[a])};
    for (int b = 0; b < nb; ++b)
      closer(c.X.column(cb[b]), c.Y.column(cb[b]), c.Z.column(cb[b]), p, half, edge, w, i, c.NMOL);
  }
}

// The same for one pair of molecules of any solvents.
double separation(const State& s, int i, int j) {
  const Coord& c = s.coord;
  const Slveco& v = s.slveco;
  const int si = solventOf(s, i), sj = solventOf(s, j);
  const double half[3] = {c.HALF(1), c.HALF(2), s.control.slab == 0 ? c.HALF(3) : 1.0e300};
  double best = 1.0e20;
  for (int a = 1; a <= v.NICUTAS(si); ++a)
    for (int b = 1; b <= v.NICUTAS(sj); ++b) {
      const int p = v.ICUTAS(a, si), q = v.ICUTAS(b, sj);
      const double dx = imaged(c.X(i, p) - c.X(j, q), half[0], c.EDGE(1));
      const double dy = imaged(c.Y(i, p) - c.Y(j, q), half[1], c.EDGE(2));
      const double dz = imaged(c.Z(i, p) - c.Z(j, q), half[2], c.EDGE(3));
      best = std::min(best, dx * dx + dy * dy + dz * dz);
    }
  return best;
}

[[noreturn]] void overflow(State& s) {
  stop(s.io,
       "\n**** NEIGHBOR LIST OVERFLOW IN NEIBOR ****\n"
       "**** SET NBUSE = 0 IN THE PARAMETER FILE OR INCREASE NBMAX AND RECOMPILE ****");
}

// Enters the pair (i, j) into both lists.
void enter(State& s, int i, int j) {
  Nebor& nb = s.nebor;
  auto& ci = nb.count[static_cast<std::size_t>(i - 1)];
  auto& cj = nb.count[static_cast<std::size_t>(j - 1)];
  if (ci >= NBMAX || cj >= NBMAX) overflow(s);
  nb.row(i)[ci++] = static_cast<std::int16_t>(j);
  nb.row(j)[cj++] = static_cast<std::int16_t>(i);
}

// Preferential weights of the configuration: 1 / (r^2 + WKC) from each molecule's squared
// distance to the solute, normalised to a sum of 1.
void initialWeights(State& s) {
  Prfsmp& p = s.prfsmp;
  const int nmol = s.coord.NMOL;
  const bool solute = s.zmat.NSATM > 0 && !s.zmat.noSolute;
  double sum = 0.0;
  for (int n = 1; n <= nmol; ++n) {
    SxParts parts;
    if (solute) solventSoluteEnergy(s, n, &parts);
    const double w = solute ? 1.0 / (parts.r2 + s.movp.WKC) : 1.0;
    p.W[static_cast<std::size_t>(n - 1)] = w;
    sum += w;
  }
  p.sum = sum;
  p.WIMAX = 0.0;
  for (double& w : p.W) {
    w /= sum;
    p.WIMAX = std::max(p.WIMAX, w);
  }
}

}  // namespace

void prepareMoves(State& s) {
  const auto n = static_cast<std::size_t>(std::max(s.coord.NMOL, 0));
  Move& m = s.move;
  m.pairNew.assign(n, 0.0);
  m.kind = kNoMove;
  m.molecule = 0;
  s.movrec.tried.assign(n, 0);
  s.movrec.accepted.assign(n, 0);
  Prfsmp& p = s.prfsmp;
  p.W.assign(n, 0.0);
  p.Wtrial.assign(n, 0.0);
  if (s.movp.prefSampling && n > 0) initialWeights(s);
  Nebor& nb = s.nebor;
  nb.builds = 0;
  if (s.movp.NBUSE != 1) return;
  const double r = s.cutoff.RCUT + 1.5;
  nb.R2 = r * r;
  nb.table.assign(n * NBMAX, 0);
  nb.count.assign(n, 0);
  nb.size.assign(n, 0);
  nb.work.assign(n + 8, 0.0);
  nb.near.assign(n + 8, 0);
  neibor(s);
}

void neibor(State& s) {
  Nebor& nb = s.nebor;
  const Slveco& v = s.slveco;
  const int nmol = s.coord.NMOL;
  std::fill(nb.table.begin(), nb.table.end(), std::int16_t{0});
  std::fill(nb.count.begin(), nb.count.end(), std::int16_t{0});
  double* w = nb.work.data();
  int* near = nb.near.data();
  for (int i = 1; i < nmol; ++i) {
    if (!v.twoSolvents) {
      separations(s, i, &v.ICUTAS(1, 1), v.NICUTAS(1), &v.ICUTAS(1, 1), v.NICUTAS(1), w);
    } else {
      for (int j = i + 1; j <= nmol; ++j) w[j - 1] = separation(s, i, j);
    }
    // The neighbours of i gathered without a branch per molecule, then entered.
    int found = 0;
    for (int j = i + 1; j <= nmol; ++j) {
      near[found] = j;
      found += w[j - 1] <= nb.R2 ? 1 : 0;
    }
    for (int t = 0; t < found; ++t) enter(s, i, near[t]);
  }
  std::copy(nb.count.begin(), nb.count.end(), nb.size.begin());
  std::fill(nb.count.begin(), nb.count.end(), std::int16_t{0});
  ++nb.builds;
}

}  // namespace veka
