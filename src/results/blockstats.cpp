#include "results/blockstats.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace veka {

namespace {

constexpr double kGas = 0.00198717;  // kcal/(mol K)

// Delta G, Delta H, Delta S and the overlap term of perturbed state 1 or 2.
double perturbation(int state, int which, const Sums& u, double n, const Thermo& t) {
  const SumIndex f = state == 1 ? kSumF1 : kSumF2, fh = state == 1 ? kSumFH1 : kSumFH2,
                 half = state == 1 ? kSumHalf1 : kSumHalf2;
  const double dG = -std::log(average(u, f, n)) / t.beta;
  const double dH = u[f] != 0.0 ? u[fh] / u[f] - average(u, kSumH, n) : 0.0;
  switch (which) {
    case 0:
      return dG;
    case 1:
      return dH;
    case 2:
      return 1000.0 * (dH - dG) / t.T;
    default:
      return -std::log(average(u, half, n)) / t.beta;
  }
}

double fluctuation(SumIndex x, SumIndex x2, const Sums& u, double n) {
  const double a = average(u, x, n);
  return average(u, x2, n) - a * a;
}

}  // namespace

double quantity(Quantity q, const Sums& u, double n, const Thermo& t) {
  const double kT2 = kGas * t.T * t.T;
  const double v = average(u, kSumV, n);
  switch (q) {
    case Quantity::Energy:
      return average(u, kSumE, n);
    case Quantity::InterCp:
      return 1000.0 * fluctuation(kSumX, kSumX2, u, n) / kT2;
    case Quantity::Volume:
      return v;
    case Quantity::Enthalpy:
      return average(u, kSumH, n);
    case Quantity::Kappa:
      return v > 0.0 ? 7339.0 * fluctuation(kSumV, kSumV2, u, n) / (t.T * v) : 0.0;
    case Quantity::Alpha:
      return v > 0.0 ? 100000.0 * (average(u, kSumVH, n) - v * average(u, kSumH, n)) / (kT2 * v)
                     : 0.0;
    case Quantity::EXX:
      return average(u, kSumEXX, n);
    case Quantity::ESX:
      return average(u, kSumESX, n);
    default:
      break;
  }
  const int k = static_cast<int>(q) - static_cast<int>(Quantity::DeltaG1);
  return perturbation(k / 4 + 1, k % 4, u, n, t);
}

namespace {

template <class F>
Stat batch(F value, const Sums& total, double count, std::span<const Sums> blocks,
           double perBlock) {
  Stat r{value(total, count), 0.0};
  const auto n = static_cast<double>(blocks.size());
  if (blocks.size() < 2) return r;
  double ss = 0.0;
  for (const Sums& b : blocks) {
    const double d = value(b, perBlock) - r.value;
    ss += d * d;
  }
  r.error = std::sqrt(ss / (n * (n - 1.0)));
  return r;
}

}  // namespace

Stat batchMean(Quantity q, const Sums& total, double count, std::span<const Sums> blocks,
               double perBlock, const Thermo& t) {
  return batch([&](const Sums& u, double n) { return quantity(q, u, n, t); }, total, count, blocks,
               perBlock);
}

Stat batchMean(SumIndex i, const Sums& total, double count, std::span<const Sums> blocks,
               double perBlock) {
  return batch([&](const Sums& u, double n) { return average(u, i, n); }, total, count, blocks,
               perBlock);
}

void addSums(Sums& a, const Sums& b) {
  for (std::size_t i = 0; i < a.v.size(); ++i) a.v[i] += b.v[i];
  for (std::size_t h = 0; h < a.hist.size(); ++h)
    for (std::size_t k = 0; k < a.hist[h].size(); ++k) a.hist[h][k] += b.hist[h][k];
  if (a.dih.size() < b.dih.size()) a.dih.resize(b.dih.size(), 0.0);
  for (std::size_t k = 0; k < b.dih.size(); ++k) a.dih[k] += b.dih[k];
}

}  // namespace veka
