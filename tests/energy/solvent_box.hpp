// A solvent box for the solvent energy tests and the solvent tool: one or two built-in
// solvents whose site parameters come from the project's force field (through the
// parameter assignment), a box, molecules placed by hand or at random, and the set-up of
// the solvent energies.
#pragma once

#include <array>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "energy/solution.hpp"
#include "molecule/params.hpp"
#include "molecule/solvent_models.hpp"
#include "support/command_section.hpp"
#include "support/run.hpp"

namespace veka::test {

using Sites = std::vector<std::array<double, 3>>;

class SolventBox {
 public:
  explicit SolventBox(const std::string& solvent1, const std::string& solvent2 = "") {
    writeFile(dir_.file("par"), commandSection() + readFile(sourceData("forcefield/opls-aa.par")));
    open(s.io.parfile, dir_.file("par"), OpenStatus::Old);
    open(s.io.output, dir_.file("out"), OpenStatus::Unknown);
    setSolvent(1, solvent1);
    if (!solvent2.empty()) setSolvent(2, solvent2);
    assignSolventSites(s);
  }
  // 60 random TIP4P-sized molecules in an 18 A box around one charged Lennard-Jones atom
  // (solute 1, reference state only, centred on itself).
  void ionInRandomBox() {
    box(18, 18, 18);
    random(60, 0, 3);
    s.zmat.NSATM = s.zmat.NSOLUT = 1;
    s.zmat.first(1) = s.zmat.last(1) = 1, s.zmat.ITYPE(1) = 1;
    for (auto& slot : s.potpar.slot) slot(1) = 1;
    s.potpar.Q(1) = 0.5 * s.misc.SQ332, s.potpar.A(1) = 1500, s.potpar.C(1) = 40;
    s.geom.noPert = 1;
    s.misc.NCENT(1) = s.misc.NCENT(2) = 1;
  }
  std::string listing() {
    s.io.output.flush();
    return readFile(dir_.file("out"));
  }
  void box(double ex, double ey, double ez) {
    const double e[3] = {ex, ey, ez};
    for (int k = 1; k <= 3; ++k) s.coord.EDGE(k) = e[k - 1], s.coord.HALF(k) = 0.5 * e[k - 1];
  }
  // Molecule n of solvent `kind` with the given site positions.
  void place(int n, int kind, const Sites& sites) {
    s.coord.solvent(n) = static_cast<std::uint8_t>(kind);
    for (std::size_t k = 0; k < sites.size(); ++k) {
      const int j = static_cast<int>(k) + 1;
      s.coord.X(n, j) = sites[k][0], s.coord.Y(n, j) = sites[k][1], s.coord.Z(n, j) = sites[k][2];
    }
    s.coord.NMOL = std::max(s.coord.NMOL, n);
  }
  // n molecules, the last n2 of the second solvent: first sites anywhere in the box (and a
  // little beyond), the other sites within 1.2 A of it.
  void random(int n, int n2, unsigned seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-0.55, 0.55), d(-0.7, 0.7);
    s.sol.NMOL2 = n2;
    for (int m = 1; m <= n; ++m) {
      const int kind = m > n - n2 ? 2 : 1;
      Sites sites(static_cast<std::size_t>(s.sol.nsites(kind)));
      for (int a = 0; a < 3; ++a) sites[0][a] = u(g) * s.coord.EDGE(a + 1);
      for (std::size_t k = 1; k < sites.size(); ++k)
        for (int a = 0; a < 3; ++a) sites[k][a] = sites[0][a] + d(g);
      place(m, kind, sites);
    }
  }
  void prepare() { prepareSolventEnergy(s); }

  std::unique_ptr<State> st = std::make_unique<State>();
  State& s = *st;

 private:
  void setSolvent(int sv, const std::string& name) {
    const SolventModel m = slvmod(name);
    s.sol.name(sv) = Chars<5>(name);
    s.sol.code(sv) = m.code;
    s.sol.nsites(sv) = m.sites;
  }
  static void open(Unit& u, const std::string& path, OpenStatus status) {
    if (u.open(path, status) != 0) throw std::runtime_error("cannot open " + path);
  }
  TempDir dir_;
};

}  // namespace veka::test
