// Reads a solvent box, sets up the program's solvent energies on it (site parameters from
// the project's force field) and writes what an independent evaluator needs, with the
// program's energies.
//
// Input (one item per line):
//   solvent NAME [NAME2]            first and second solvent models
//   edge X Y Z                      box edges (A)
//   rcut R | dielrf D | smooth 0|1 | slab 0|1 | icutas S1 [S2 ...]   (optional settings)
//   mol KIND x1 y1 z1 x2 y2 z2 ...  one molecule (solvent 1 or 2) per line
// Output:
//   setting rcut R krf K featherstart F
//   site SV J Q A C                 scaled charge (q sqrt(332.06)), A, C of the active sites
//   water AOO COO FIRST QQ1 .. QQ9  water constants (water models only)
//   icutas SV S1 [S2 ...]
//   pair I J E                      every pair I < J with a non-zero energy
//   energy ess E | energy ecut E
//
// Usage: solvent_tool <box file>
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

#include "solvent_box.hpp"

namespace {

using veka::State;

struct Settings {
  std::string solvent1, solvent2;
  double edge[3] = {0, 0, 0}, rcut = 0.0, dielrf = 0.0;
  int smooth = 1, slab = 0;
  std::vector<int> icutas;
  std::vector<std::pair<int, veka::test::Sites>> mols;
};

Settings read(const std::string& path) {
  std::ifstream in(path);
  Settings s;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string key;
    f >> key;
    if (key == "solvent") f >> s.solvent1 >> s.solvent2;
    if (key == "edge") f >> s.edge[0] >> s.edge[1] >> s.edge[2];
    if (key == "rcut") f >> s.rcut;
    if (key == "dielrf") f >> s.dielrf;
    if (key == "smooth") f >> s.smooth;
    if (key == "slab") f >> s.slab;
    for (int v = 0; key == "icutas" && f >> v;) s.icutas.push_back(v);
    if (key == "mol") {
      int kind = 1;
      f >> kind;
      veka::test::Sites sites;
      for (std::array<double, 3> x; f >> x[0] >> x[1] >> x[2];) sites.push_back(x);
      s.mols.emplace_back(kind, sites);
    }
  }
  return s;
}

void writeParameters(const State& s) {
  const auto& p = s.potpar;
  const auto& v = s.slveco;
  std::printf("setting rcut %.17g krf %.17g featherstart %.17g\n", s.cutoff.RCUT, s.cutoff.KRF,
              v.RFEATH);
  for (int sv = 1; sv <= (v.twoSolvents ? 2 : 1); ++sv) {
    for (int j = 1; j <= s.sol.nsites(sv); ++j)
      if (p.typeW(j, sv) > 0)
        std::printf("site %d %d %.17g %.17g %.17g\n", sv, j, p.QW(j, sv), p.AW(j, sv), p.CW(j, sv));
    std::printf("icutas %d", sv);
    for (int k = 1; k <= v.NICUTAS(sv); ++k) std::printf(" %d", v.ICUTAS(k, sv));
    std::printf("\n");
  }
  if (p.waterModel) {
    const int sv = p.waterModel == s.sol.code(1) ? 1 : 2;
    std::printf("water %.17g %.17g %d", p.AOO, p.COO, p.QW(1, sv) == 0.0 ? 2 : 1);
    for (int k = 1; k <= 9; ++k) std::printf(" %.17g", p.QQW(k));
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: solvent_tool <box file>\n");
    return 2;
  }
  try {
    const Settings in = read(argv[1]);
    veka::test::SolventBox b(in.solvent1, in.solvent2);
    State& s = b.s;
    b.box(in.edge[0], in.edge[1], in.edge[2]);
    s.cutoff.RCUT = in.rcut;
    s.potpar.DIELRF = in.dielrf;
    s.cutoff.noSmoothing = in.smooth ? 0 : 1;
    s.control.slab = in.slab;
    for (std::size_t k = 0; k < in.icutas.size() && k < 5; ++k)
      s.cutoff.ICUTAS(static_cast<int>(k) + 1) = in.icutas[k];
    int n2 = 0;
    for (std::size_t n = 0; n < in.mols.size(); ++n) {
      b.place(static_cast<int>(n) + 1, in.mols[n].first, in.mols[n].second);
      n2 += in.mols[n].first == 2;
    }
    s.sol.NMOL2 = n2;
    b.prepare();
    writeParameters(s);
    const double ess = veka::solventSolventEnergy(s);
    for (int i = 1; i <= s.coord.NMOL; ++i)
      for (int j = i + 1; j <= s.coord.NMOL; ++j)
        if (s.slveco.pair(i, j) != 0.0)
          std::printf("pair %d %d %.17g\n", i, j, s.slveco.pair(i, j));
    std::printf("energy ess %.17g\nenergy ecut %.17g\n", ess, veka::ecut(s));
  } catch (const veka::Stop&) {
    std::fprintf(stderr, "the set-up stopped\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
