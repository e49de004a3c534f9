#include "results/rdfout.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "format/format.hpp"

namespace veka {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kPerRow = 8;  // sets per table row

struct Set {
  const int* counts;  // NRDFBIN bins
  int left, right;    // labels: atom or site - site
};

struct Norm {
  double lower, width, factor;  // factor = 1 / (weight * rho)
  double shell(int b) const {
    const double r0 = lower + (b - 1) * width, r1 = r0 + width;
    return 4.0 * kPi / 3.0 * (r1 * r1 * r1 - r0 * r0 * r0);
  }
  double g(const Set& t, int b) const {
    const double v = shell(b);
    return v > 0.0 ? t.counts[b - 1] * factor / v : 0.0;
  }
};

// One table: the bin centre R and one column per set, kPerRow sets at a time.
void table(Unit& u, const Norm& n, const std::vector<Set>& sets, bool cn) {
  static const fmt::Format kRow("1X,F7.3,8F9.3");
  for (std::size_t first = 0; first < sets.size(); first += kPerRow) {
    const std::size_t last = std::min(sets.size(), first + kPerRow);
    std::string head = "      R";
    for (std::size_t k = first; k < last; ++k) {
      char lab[16];
      std::snprintf(lab, sizeof lab, "%5d-%3d", sets[k].left, sets[k].right);
      head += lab;
    }
    u.write(head);
    std::vector<double> sum(last - first, 0.0);
    for (int b = 1; b <= NRDFBIN; ++b) {
      fmt::FormattedOutput o(kRow, u);
      o << n.lower + (b - 0.5) * n.width;
      for (std::size_t k = first; k < last; ++k) {
        const double g = n.g(sets[k], b);
        sum[k - first] += g * n.shell(b);
        o << (cn ? sum[k - first] : g);
      }
    }
  }
}

void section(Unit& u, const Norm& n, const std::vector<Set>& sx, const std::vector<Set>& sv,
             bool cn) {
  if (!sx.empty()) {
    u.write(" Solute-Solvent");
    table(u, n, sx, cn);
  }
  if (!sv.empty()) {
    u.write(" Solvent-Solvent");
    table(u, n, sv, cn);
  }
}

struct Tables {
  Norm n;
  double rho;
  std::vector<Set> sx, sv;
};

Tables tables(const State& s, double volume, double weight) {
  const Rdfrun& r = s.mcrun.rdf;
  const double rad = s.cap.radius;
  const double space = s.cap.atom != 0 && rad > 0.0 ? 4.0 * kPi / 3.0 * rad * rad * rad : volume;
  const double rho = space > 0.0 ? s.coord.NMOL / space : 0.0;
  Tables t{{r.lower, r.width, weight > 0.0 && rho > 0.0 ? 1.0 / (weight * rho) : 0.0}, rho, {}, {}};
  for (int k = 1; k <= r.nsx; ++k)
    t.sx.push_back({s.mcrec.IRDF2.column(k), s.rdf.list3(k), s.rdf.list4(k)});
  for (int k = 1; k <= r.nsv; ++k)
    t.sv.push_back({s.mcrec.IRDF1.column(k), s.rdf.list1(k), s.rdf.list2(k)});
  return t;
}

}  // namespace

void listRdf(State& s, double volume, double weight) {
  if (s.mcrun.rdf.nsv + s.mcrun.rdf.nsx == 0 || s.coord.NMOL <= 0) return;
  const Tables t = tables(s, volume, weight);
  const Norm& n = t.n;
  const std::vector<Set>&sx = t.sx, &sv = t.sv;
  const double rho = t.rho;
  Unit& u = s.io.output;
  static const fmt::Format kDensity("1X,'Atom Density =',F10.6,' per A^3'");
  u.write("");
  u.write(" Radial Distribution Functions");
  fmt::FormattedOutput(kDensity, u) << rho;
  section(u, n, sx, sv, false);
  u.write("");
  u.write(" Gamma(R) and Coordination Numbers");
  u.write(" *** Actual CN = CN X Atom Density ***");
  section(u, n, sx, sv, true);
}

void writeRdfColumns(State& s, Unit& u, double volume, double weight) {
  if (s.mcrun.rdf.nsv + s.mcrun.rdf.nsx == 0 || s.coord.NMOL <= 0) return;
  const Tables t = tables(s, volume, weight);
  std::string head = "# R";
  char cell[32];
  for (const Set& x : t.sx)
    std::snprintf(cell, sizeof cell, " sx:%d-%d", x.left, x.right), head += cell;
  for (const Set& x : t.sv)
    std::snprintf(cell, sizeof cell, " sv:%d-%d", x.left, x.right), head += cell;
  u.write(head);
  for (int b = 1; b <= NRDFBIN; ++b) {
    std::snprintf(cell, sizeof cell, "%.4f", t.n.lower + (b - 0.5) * t.n.width);
    std::string row = cell;
    for (const auto* list : {&t.sx, &t.sv})
      for (const Set& x : *list)
        std::snprintf(cell, sizeof cell, " %.5f", t.n.g(x, b)), row += cell;
    u.write(row);
  }
}

}  // namespace veka
