// The move records of a block and the solvent neighbour lists (`neibor`).
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/solution.hpp"
#include "montecarlo/moves.hpp"

namespace veka {

namespace {

// |d| less one edge when it exceeds the half edge (`on` false: no image on this axis).
inline double image(double d, double half, double edge, bool on) {
  d = std::fabs(d);
  return on && d > half ? d - edge : d;
}

// Squared separations of the cutoff sites ca of molecule i from the cutoff sites cb of the
// molecules j = i+1..nmol (one solvent: the same sites for all): the smallest over the site
// pairs into w[j - 1]. A loop over j per site pair, so that it vectorises.
void separations(const State& s, int i, const int* ca, int na, const int* cb, int nb, double* w) {
  const Coord& c = s.coord;
  const bool zOn = s.control.slab == 0;
  const int nmol = c.NMOL;
  std::fill(w + i, w + nmol, 1.0e20);
  for (int a = 0; a < na; ++a) {
    const double xi = c.X(i, ca[a]), yi = c.Y(i, ca[a]), zi = c.Z(i, ca[a]);
    for (int b = 0; b < nb; ++b) {
      const double *X = c.X.column(cb[b]), *Y = c.Y.column(cb[b]), *Z = c.Z.column(cb[b]);
      for (int j = i; j < nmol; ++j) {
        const double dx = image(xi - X[j], c.HALF(1), c.EDGE(1), true);
        const double dy = image(yi - Y[j], c.HALF(2), c.EDGE(2), true);
        const double dz = image(zi - Z[j], c.HALF(3), c.EDGE(3), zOn);
        const double r2 = dx * dx + dy * dy + dz * dz;
        w[j] = r2 < w[j] ? r2 : w[j];
      }
    }
  }
}

// The same for one pair of molecules of any solvents.
double separation(const State& s, int i, int j) {
  const Slveco& v = s.slveco;
  const int si = solventOf(s, i), sj = solventOf(s, j);
  double best = 1.0e20;
  const Coord& c = s.coord;
  const bool zOn = s.control.slab == 0;
  for (int a = 1; a <= v.NICUTAS(si); ++a)
    for (int b = 1; b <= v.NICUTAS(sj); ++b) {
      const int p = v.ICUTAS(a, si), q = v.ICUTAS(b, sj);
      const double dx = image(c.X(i, p) - c.X(j, q), c.HALF(1), c.EDGE(1), true);
      const double dy = image(c.Y(i, p) - c.Y(j, q), c.HALF(2), c.EDGE(2), true);
      const double dz = image(c.Z(i, p) - c.Z(j, q), c.HALF(3), c.EDGE(3), zOn);
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
  neibor(s);
}

void neibor(State& s) {
  Nebor& nb = s.nebor;
  const Slveco& v = s.slveco;
  const int nmol = s.coord.NMOL;
  std::fill(nb.table.begin(), nb.table.end(), std::int16_t{0});
  std::fill(nb.count.begin(), nb.count.end(), std::int16_t{0});
  double* w = nb.work.data();
  for (int i = 1; i < nmol; ++i) {
    if (!v.twoSolvents) {
      separations(s, i, &v.ICUTAS(1, 1), v.NICUTAS(1), &v.ICUTAS(1, 1), v.NICUTAS(1), w);
    } else {
      for (int j = i + 1; j <= nmol; ++j) w[j - 1] = separation(s, i, j);
    }
    for (int j = i + 1; j <= nmol; ++j)
      if (w[j - 1] <= nb.R2) enter(s, i, j);
  }
  std::copy(nb.count.begin(), nb.count.end(), nb.size.begin());
  std::fill(nb.count.begin(), nb.count.end(), std::int16_t{0});
  ++nb.builds;
}

}  // namespace veka
