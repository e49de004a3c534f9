#include "montecarlo/rdf.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "energy/solution.hpp"
#include "energy/solvterms.hpp"

namespace veka {

namespace {

inline std::size_t at(int n) {
  return static_cast<std::size_t>(n - 1);
}

bool hasSolute(const State& s) {
  return s.zmat.NSATM > 0 && !s.zmat.noSolute;
}

// Sets whose site numbers exist in the first solvent: the leading ones of the count.
int validSets(int count, auto ok) {
  int n = 0;
  while (n < count && ok(n + 1)) ++n;
  return n;
}

void addBins(Rdfrun& r, const std::int16_t* bins, int sign) {
  for (int k = 1; k <= r.nsx; ++k)
    if (const int b = bins[at(k)]; b > 0) r.sx(b, k) += sign;
}

void storeBins(const Rdfrun& r, std::int16_t* bins, const std::array<double, MAXMNT>& dist) {
  for (int k = 1; k <= r.nsx; ++k) bins[at(k)] = static_cast<std::int16_t>(rdfBin(r, dist[at(k)]));
}

// Every molecule of the first solvent against the current solute, afresh.
void countSolute(State& s) {
  Rdfrun& r = s.mcrun.rdf;
  if (r.nsx == 0) return;
  packSolute(s);
  std::fill(r.bins.begin(), r.bins.end(), std::int16_t{0});
  for (int k = 1; k <= r.nsx; ++k) std::fill_n(r.sx.column(k), NRDFBIN, 0);
  for (int n = 1; n <= s.coord.NMOL; ++n) {
    if (solventOf(s, n) != 1) continue;
    SxParts parts;
    solventSoluteEnergy(s, n, &parts);
    std::int16_t* b = r.bins.data() + at(n) * static_cast<std::size_t>(r.nsx);
    storeBins(r, b, parts.dist);
    addBins(r, b, 1);
  }
}

// The pairs of the sampled molecule m with every other molecule of the first solvent.
void countSolvent(State& s, int m) {
  Rdfrun& r = s.mcrun.rdf;
  if (r.nsv == 0) return;
  for (int k = 1; k <= r.nsv; ++k) std::fill_n(r.sv.column(k), NRDFBIN, 0);
  if (m < 1 || m > s.coord.NMOL || solventOf(s, m) != 1) return;
  const Coord& c = s.coord;
  const bool zOn = s.control.slab == 0;
  for (int k = 1; k <= r.nsv; ++k) {
    const int a = s.rdf.list1(k), b = s.rdf.list2(k);
    const double xa = c.X(m, a), ya = c.Y(m, a), za = c.Z(m, a);
    for (int j = 1; j <= c.NMOL; ++j) {
      if (j == m || solventOf(s, j) != 1) continue;
      const double dx = solv::imaged(c.X(j, b) - xa, c.HALF(1), c.EDGE(1), true);
      const double dy = solv::imaged(c.Y(j, b) - ya, c.HALF(2), c.EDGE(2), true);
      const double dz = solv::imaged(c.Z(j, b) - za, c.HALF(3), c.EDGE(3), zOn);
      if (const int bin = rdfBin(r, std::sqrt(dx * dx + dy * dy + dz * dz)); bin > 0)
        ++r.sv(bin, k);
    }
  }
}

}  // namespace

int rdfBin(const Rdfrun& r, double d) {
  const double x = (d - r.lower) / r.width;
  if (!(x >= 0.0 && x < NRDFBIN)) return 0;
  return static_cast<int>(x) + 1;
}

void startRdf(State& s) {
  Rdfrun& r = s.mcrun.rdf;
  const Array1<double, 2>& b = s.rdf.fifthDistribution;
  const bool bounds = b(2) > b(1);
  r.lower = bounds ? b(1) : 0.0;
  r.width = (bounds ? b(2) - b(1) : 10.0) / NRDFBIN;
  const int sites = s.coord.NMOL > 0 ? s.sol.nsites(1) : 0;
  auto site = [&](int v) { return v >= 1 && v <= sites; };
  r.nsv = validSets(std::clamp(s.rdf.count(1), 0, MAXRDF1),
                    [&](int k) { return site(s.rdf.list1(k)) && site(s.rdf.list2(k)); });
  r.nsx = !hasSolute(s) ? 0 : validSets(std::clamp(s.rdf.count(2), 0, MAXRDF2), [&](int k) {
    return s.rdf.list3(k) >= 1 && s.rdf.list3(k) <= s.zmat.NSATM && site(s.rdf.list4(k));
  });
  const auto n = static_cast<std::size_t>(std::max(s.coord.NMOL, 0) * r.nsx);
  r.bins.assign(n, 0);
  r.trialBins.assign(n, 0);
  if (s.config.NACCPT == 0) s.mcrec.IRDF1 = {}, s.mcrec.IRDF2 = {};
  countSolute(s);
  countSolvent(s, std::max(s.move.monitor, 1));
}

void rdfTrialBins(State& s, int n, const std::array<double, MAXMNT>& dist) {
  Rdfrun& r = s.mcrun.rdf;
  std::int16_t* b = r.trialBins.data() + at(n) * static_cast<std::size_t>(r.nsx);
  if (solventOf(s, n) == 1)
    storeBins(r, b, dist);
  else
    std::fill_n(b, r.nsx, std::int16_t{0});
}

void rdfAcceptSolvent(State& s) {
  Rdfrun& r = s.mcrun.rdf;
  const int k = s.move.molecule;
  if (r.nsx > 0 && solventOf(s, k) == 1) {
    std::int16_t* b = r.bins.data() + at(k) * static_cast<std::size_t>(r.nsx);
    addBins(r, b, -1);
    storeBins(r, b, s.move.dist);
    addBins(r, b, 1);
  }
  countSolvent(s, s.move.monitor);
}

void rdfAcceptSolute(State& s) {
  Rdfrun& r = s.mcrun.rdf;
  if (r.nsx == 0) return;
  std::swap(r.bins, r.trialBins);
  for (int k = 1; k <= r.nsx; ++k) std::fill_n(r.sx.column(k), NRDFBIN, 0);
  const std::size_t n = r.bins.size() / static_cast<std::size_t>(r.nsx);
  for (std::size_t i = 0; i < n; ++i)
    addBins(r, r.bins.data() + i * static_cast<std::size_t>(r.nsx), 1);
}

void rdfAcceptVolume(State& s) {
  countSolute(s);
  countSolvent(s, s.move.monitor);
}

// The in-file holds each bin in seven columns: a bin stops at 9999999 rather than make the
// in-file unreadable (one sampled molecule gives about one count per bin and configuration
// near the first peak, so this takes some 10^7 configurations).
void enterRdf(State& s, int w) {
  auto add = [](int have, int w, int c) {
    return static_cast<int>(std::min(9999999LL, have + static_cast<long long>(w) * c));
  };
  const Rdfrun& r = s.mcrun.rdf;
  Mcrec& m = s.mcrec;
  for (int k = 1; k <= r.nsv; ++k)
    for (int b = 1; b <= NRDFBIN; ++b)
      if (const int c = r.sv(b, k); c > 0) m.IRDF1(b, k) = add(m.IRDF1(b, k), w, c);
  for (int k = 1; k <= r.nsx; ++k)
    for (int b = 1; b <= NRDFBIN; ++b)
      if (const int c = r.sx(b, k); c > 0) m.IRDF2(b, k) = add(m.IRDF2(b, k), w, c);
}

}  // namespace veka
