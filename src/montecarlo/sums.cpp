#include "montecarlo/sums.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numeric>

#include "montecarlo/moves.hpp"
#include "montecarlo/rdf.hpp"

namespace veka {

namespace {

constexpr double kTwoPi = 6.283185307179586;

bool codeTwentySolvent(const State& s) {
  return s.sol.code(1) == 20 || s.sol.code(2) == 20;
}

double flexInternal(const State& s) {
  const Flexe& f = s.flexe;
  return codeTwentySolvent(s) ? f.ESBNOL + f.ESANOL + f.ESDIOL + f.ESNBOL : 0.0;
}

// Free-energy perturbation sums of the two perturbed states.
void enterPerturbation(State& s, Sums& u, double w, double h) {
  const double beta = s.misc.BETA;
  const SumIndex f[2] = {kSumF1, kSumF2}, fh[2] = {kSumFH1, kSumFH2},
                 half[2] = {kSumHalf1, kSumHalf2};
  const PerturbationDeltas d = perturbationDeltas(s);
  for (std::size_t k = 0; k < 2; ++k) {
    const double dE = d.dE[k];
    const double x = std::exp(-beta * dE);
    u[f[k]] += w * x;
    u[fh[k]] += w * (h + dE) * x;
    u[half[k]] += w * std::exp(-0.5 * beta * dE);
  }
}

// The three states of one energy term into consecutive sums.
void enterStates(Sums& u, SumIndex first, const PerState& e, double w) {
  for (int k = 0; k < 3; ++k)
    u.v[static_cast<std::size_t>(first + k)] += w * e[static_cast<std::size_t>(k)];
}

void enterSoluteTerms(State& s, Sums& u, double w) {
  const Energy& e = s.energy;
  if (s.zmat.NSATM > 1) {
    enterStates(u, kSumEXX, e.EXXOLD, w);
    enterStates(u, kSumEPO, e.EPOOLD, w);
    u[kSumEXXC] += w * e.EXXC;
    u[kSumEXXL] += w * e.EXXL;
    enterStates(u, kSumEBC, s.nbcon.EBCOLD, w);
  }
  if (s.dihcom.NDIH > 0) enterStates(u, kSumEDI, s.dihcom.EDIHOL, w);
  if (s.bndcom.NBND > 0) enterStates(u, kSumEBN, s.bndcom.EBNDOL, w);
  if (s.angcom.NANG > 0) enterStates(u, kSumEAN, s.angcom.EANGOL, w);
  enterStates(u, kSumENB, s.nbcom.ENBOL, w);
  if (codeTwentySolvent(s)) {
    const Flexe& f = s.flexe;
    u[kSumESBN] += w * f.ESBNOL;
    u[kSumESAN] += w * f.ESANOL;
    u[kSumESDI] += w * f.ESDIOL;
    u[kSumESNB] += w * f.ESNBOL;
  }
}

void enterDistributions(State& s, Sums& u, double w) {
  const Rdf& b = s.rdf;
  if (const int k = histogramBin(s.slvrun.sampled, b.EDISTD); k > 0)
    u.hist[kHistSampled][static_cast<std::size_t>(k - 1)] += w;
  if (const int k = histogramBin(s.energy.ESOLD[0], b.BESOLD); k > 0)
    u.hist[kHistEsold][static_cast<std::size_t>(k - 1)] += w;
  for (std::size_t k = 0; k < NDIST; ++k) {
    u.hist[kHistPair][k] += w * s.mcrec.IEPAIR.v[k];
    u.hist[kHistSx][k] += w * s.mcrec.IEDIST.v[k];
  }
  const int ndih = std::min(s.dihcom.NDIH, static_cast<int>(u.dih.size()) / NDIHBIN);
  for (int i = 1; i <= ndih; ++i)
    u.dih[static_cast<std::size_t>((i - 1) * NDIHBIN + dihedralBin(s.dihcom.PHI[0](i)) - 1)] += w;
}

}  // namespace

PerturbationDeltas perturbationDeltas(const State& s) {
  const Energy& e = s.energy;
  PerState E{};
  for (std::size_t k = 0; k < 3; ++k)
    E[k] = e.EXXOLD[k] + e.ESOLD[k] + e.EPOOLD[k] + s.dihcom.EDIHOL[k] + s.nbcom.ENBOL[k] +
           s.bndcom.EBNDOL[k] + s.angcom.EANGOL[k];
  return {{E[1] - E[0], E[2] - E[0]}};
}

namespace {

// The bin of a value in bins of width inc > 0 from lo; 0 outside them.
int binFrom(double value, double lo, double inc) {
  const double x = (value - lo) / inc;
  if (!(x > -1.0 && x < NDIST)) return 0;
  return static_cast<int>(x) + 1;
}

}  // namespace

int histogramBin(double value, const Array1<double, 2>& bounds) {
  const double inc = (bounds(2) - bounds(1)) / NDIST;
  return inc > 0.0 ? binFrom(value, bounds(1), inc) : 0;
}

int dihedralBin(double phi) {
  double p = std::fmod(phi, kTwoPi);
  if (p < 0.0) p += kTwoPi;
  const int b = static_cast<int>(p * (NDIHBIN / kTwoPi)) + 1;
  return b > NDIHBIN ? 1 : b;
}

void clearSums(State& s) {
  Sums& u = s.mcrun.block;
  u.v.fill(0.0);
  for (auto& h : u.hist) h.fill(0.0);
  u.dih.assign(static_cast<std::size_t>(std::max(s.dihcom.NDIH, 0)) * NDIHBIN, 0.0);
}

void enterSums(State& s, double w) {
  Sums& u = s.mcrun.block;
  const Energy& e = s.energy;
  const double v = s.npt.VOLD;
  const double h = e.EOLD + s.misc.PKCAL * v;
  u[kSumE] += e.EOLD * w;
  u[kSumV] += v * w;
  u[kSumV2] += v * v * w;
  u[kSumH] += h * w;
  u[kSumVH] += v * h * w;
  enterStates(u, kSumESX, e.ESOLD, w);
  u[kSumESXC] += e.ESXCOL * w;
  u[kSumESXL] += e.ESXLOL * w;
  const double x = h -
                   (s.dihcom.EDIHOL[0] + s.nbcom.ENBOL[0] + s.nbcon.EBCOLD[0] + s.bndcom.EBNDOL[0] +
                    s.angcom.EANGOL[0]) -
                   flexInternal(s);
  u[kSumX] += x * w;
  u[kSumX2] += x * x * w;
  if (s.geom.noPert == 0) enterPerturbation(s, u, w, h);
  enterSoluteTerms(s, u, w);
  u[kSumSampled] += s.slvrun.sampled * w;
  u[kSumWeight] += w;
  enterDistributions(s, u, w);
  enterRdf(s, static_cast<int>(w));
}

void rebuildSoluteSolventHistogram(State& s) {
  Array1<int, NDIST>& h = s.mcrec.IEDIST;
  h.v.fill(0);
  const std::vector<double>& esx = s.slveco.ESX[0];
  const int n = std::min(s.coord.NMOL, static_cast<int>(esx.size()));
  for (int i = 0; i < n; ++i)
    if (const int k = histogramBin(esx[static_cast<std::size_t>(i)], s.rdf.firstDistribution);
        k > 0)
      ++h(k);
}

namespace {

// Whether molecule m has a row of stored pair energies.
bool hasPairRow(const State& s, int m) {
  return m >= 1 && m <= s.coord.NMOL && !s.slveco.EIJ.empty();
}

}  // namespace

void binMonitorPairs(State& s, int m) {
  Array1<int, NDIST>& h = s.mcrec.IEPAIR;
  h.v.fill(0);
  if (!hasPairRow(s, m)) return;
  // Most pairs lie beyond the cutoff with an energy of exactly 0, at places in the row that
  // no branch predictor can learn. The interacting ones are gathered first without a branch
  // (every entry is stored, the count advances only past a non-zero one), then binned; the
  // zeros all fall into one bin, computed once.
  const double* row = s.slveco.row(m);
  std::array<double, MXS> kept;
  int n = 0;
  auto gather = [&](int from, int to) {
    for (int j = from; j < to; ++j) {
      kept[static_cast<std::size_t>(n)] = row[j];
      n += row[j] != 0.0;
    }
  };
  gather(0, m - 1);  // the row without its own diagonal entry
  gather(m, s.coord.NMOL);
  const Array1<double, 2>& b = s.rdf.EPARD;
  const double inc = (b(2) - b(1)) / NDIST;
  if (!(inc > 0.0)) return;
  for (int t = 0; t < n; ++t)
    if (const int k = binFrom(kept[static_cast<std::size_t>(t)], b(1), inc); k > 0) ++h(k);
  if (const int k = binFrom(0.0, b(1), inc); k > 0) h(k) += s.coord.NMOL - 1 - n;
}

void sampleMolecule(State& s, int m) {
  binMonitorPairs(s, m);
  if (hasPairRow(s, m)) s.slvrun.sampled = rowSum(s.slveco.row(m), s.coord.NMOL);
}

}  // namespace veka
