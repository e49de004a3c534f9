// A solvent defined by its own Z-matrix file: reading, site parameters, bonded parameters,
// the intrasolvent pairs, the internal energy of a molecule, and every stop.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "format/record.hpp"
#include "molecule/geometry.hpp"
#include "molecule/solvent_models.hpp"
#include "molecule/solvent_zmat.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/random.hpp"
#include "params_support.hpp"
#include "solute_fixture.hpp"

namespace veka::test {
namespace {

// The sections of a solvent Z-matrix file, each closed by its heading line.
struct SolventText {
  std::string name = "MEOH ";
  std::vector<std::string> atoms = {
      "   1 C1    13    0    0    0.000000   0    0.000000   0    0.000000",
      "   2 O2     8    0    1    1.410000   0    0.000000   0    0.000000",
      "   3 H3     9    0    2    0.945000   1  108.500000   0    0.000000",
      "   4 H4     4    0    1    1.090000   2  109.500000   3  180.000000",
      "   5 H5   800    0    1    1.090000   2  109.500000   3   60.000000",
      "   6 H6     4    0    1    1.090000   2  109.500000   3  -60.000000"};
  std::vector<std::string> varBonds = {"   2-   3"},
                           addBonds = {"   1   4", "   1   5", "   1   6"};
  std::vector<std::string> varAngles = {"   3"}, addAngles = {"   2   1   4"};
  std::vector<std::string> varDih = {"   4   9   0   10.000000"},
                           addDih = {"   3   2   1   5   9   0"};
  std::vector<std::string> ranges, local = {" 800  1 HC   0.060000  2.500000  0.030000"};

  std::string text() const {
    std::string t = name + "\n";
    auto section = [&](const std::vector<std::string>& recs, const char* heading) {
      for (const std::string& r : recs) t += r + "\n";
      t += std::string("                    ") + heading + "\n";
    };
    section(atoms, "Geometry Variations follow");
    section({}, "Variable Bonds follow");
    section(varBonds, "Additional Bonds follow");
    section(addBonds, "Harmonic Constraints follow");
    section({}, "Variable Bond Angles follow");
    section(varAngles, "Additional Bond Angles follow");
    section(addAngles, "Variable Dihedrals follow");
    section(varDih, "Additional Dihedrals follow");
    section(addDih, "Domain Definitions follow");
    section(ranges, "Final blank line");
    t += " Final Non-Bonded Parameters for Solvent\n";
    for (const std::string& r : local) t += r + "\n";
    return t + "\n";
  }
};

struct Solvent : ParamsFixture {
  explicit Solvent(const SolventText& t = SolventText()) {
    writeFile(dir.file("szmat"), t.text());
    open(s.io.szmatfile, dir.file("szmat"), OpenStatus::Old);
    s.sol.name(1) = "OTHER";
    s.sol.code(1) = 20;
    s.sol.flexible = 1;
  }
  void setUp() {
    redzms(s, 1);
    assignSolventSites(s);
    flxpar(s);
    slvnbp(s);
  }
};

TEST(SolventModels, NamesCodesAndSites) {
  struct Case {
    const char* name;
    int code, sites;
    bool gbsa;
  };
  for (const Case& c : std::vector<Case>{{"TIP5P", 13, 5, false},
                                         {"OTHER", 20, 0, false},
                                         {"GB/SA", 99, 0, true},
                                         {"NONE ", 99, 0, false},
                                         {"     ", 99, 0, false},
                                         {"tip4p", 0, 3, false}}) {
    const SolventModel m = slvmod(c.name);
    EXPECT_EQ(m.code, c.code) << c.name;
    EXPECT_EQ(m.sites, c.sites) << c.name;
    EXPECT_EQ(m.gbsa, c.gbsa) << c.name;
  }
}

TEST(SolventZmatrix, ReadsTheMoleculeItsListsAndItsName) {
  Solvent f;
  f.setUp();
  const Szmat& z = f.s.szmat;
  EXPECT_EQ(std::tuple(f.s.sol.name(1), f.s.sol.nsites(1), z.flexible), std::tuple("MEOH ", 6, 1));
  EXPECT_DOUBLE_EQ(z.ANG(3), 108.5 * f.s.misc.DTORAD);
  // Variable bonds of atoms 2 and 3 to their bond partners, then the additional ones.
  EXPECT_EQ(std::tuple(z.NSVBND, z.NSBND, z.IB2(2), z.IA3(1), z.ID1(1)), std::tuple(2, 5, 2, 1, 3));
  EXPECT_EQ(z.ITOR1(1), 9);  // final type 0 reads as the reference type
  // Site parameters, the local type 800 from the file's own table.
  EXPECT_EQ(f.s.potpar.nameW(5, 1), "H5 ");
  EXPECT_DOUBLE_EQ(f.s.potpar.QW(5, 1), 0.06 * f.s.misc.SQ332);
  EXPECT_EQ(z.AMTYP(2), "OH");
  // Bonded parameters and steps from the force field; additional entries do not move.
  EXPECT_DOUBLE_EQ(z.KB(2), 553.0);
  EXPECT_DOUBLE_EQ(z.RB0(3), 1.09);
  EXPECT_DOUBLE_EQ(z.DBND(1), 0.029 * (348.15 / 300.0) * std::sqrt(300.0 / 320.0));
  EXPECT_EQ(z.DBND(3), 0.0);
  EXPECT_DOUBLE_EQ(z.TH0(1), 108.5 * f.s.misc.DTORAD);
  EXPECT_DOUBLE_EQ(z.V3(2), 0.35);
  EXPECT_DOUBLE_EQ(z.DDIH(1), 10.0 * f.s.misc.DTORAD);
  const std::string l = f.listing();
  EXPECT_NE(l.find(" Internal Parameters for Flexible Solvent:"), std::string::npos);
  EXPECT_NE(l.find("\n Atom    3:    4    5    6\n"), std::string::npos) << l;

  SolventText blank;
  blank.name = "     ";
  Solvent g(blank);
  redzms(g.s, 1);
  EXPECT_EQ(g.s.sol.name(1), "OTHER");
}

TEST(SolventZmatrix, PairsAreTheOneFourAndFartherOnesOutsideTheRanges) {
  Solvent f;
  f.setUp();
  const Szmat& z = f.s.szmat;
  ASSERT_EQ(z.NSPAIR, 3);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(std::tuple(z.SPI(n), z.SPJ(n), z.S14(n)), std::tuple(3, 3 + n, 1));
  }
  SolventText t;
  t.ranges = {"   3   3   5   6"};
  Solvent g(t);
  g.setUp();
  EXPECT_EQ(g.s.szmat.NSPAIR, 1);
}

TEST(SolventZmatrix, InternalEnergyOfAStretchedMolecule) {
  Solvent f;
  f.setUp();
  std::array<double, MXSAT> x{}, y{}, z{};
  buildSolventMolecule(f.s.szmat, x.data(), y.data(), z.data());
  // H3 pulled out along O-H to 1.000 A: only the O-H bond and the 1-4 pairs of H3 count.
  const double ux = x[2] - x[1], uy = y[2] - y[1], uz = z[2] - z[1];
  const double r = std::sqrt(ux * ux + uy * uy + uz * uz);
  EXPECT_NEAR(r, 0.945, 1e-12);
  x[2] = x[1] + ux / r, y[2] = y[1] + uy / r, z[2] = z[1] + uz / r;
  double coul = 0.0;
  for (std::size_t k : {3u, 4u, 5u}) {
    const double d = std::hypot(x[k] - x[2], y[k] - y[2], z[k] - z[2]);
    coul += 0.5 * 332.06 * 0.418 * 0.06 / d;
  }
  SolventIntra t;
  const double e = solventIntraEnergy(f.s, x.data(), y.data(), z.data(), t);
  EXPECT_NEAR(t.bond, 553.0 * 0.055 * 0.055, 1e-12);
  EXPECT_NEAR(t.angle, 0.0, 1e-20);
  EXPECT_NEAR(t.dihedral, 0.0, 1e-12);  // staggered: 1 + cos(3 phi) = 0
  EXPECT_NEAR(t.nonbonded, coul, 1e-9);
  EXPECT_DOUBLE_EQ(e, t.total());
  // The same molecule stored as solvent molecule 7.
  for (int i = 1; i <= 6; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    f.s.coord.X(7, i) = x[k] + 3.0, f.s.coord.Y(7, i) = y[k], f.s.coord.Z(7, i) = z[k];
  }
  SolventIntra u;
  EXPECT_NEAR(solventIntraEnergy(f.s, 7, u), e, 1e-12);
}

// The internal move of a flexible molecule: with fewer than four variables of a kind all
// change, each by one number of the stream (dihedrals, bonds, angles); only atoms 4..n are
// placed again, so the dihedral of H4 moves and everything else keeps its geometry.
TEST(SolventZmatrix, FlexibleMoveTurnsTheVariableDihedral) {
  Solvent f;
  f.setUp();
  State& s = f.s;
  std::array<double, MXSAT> x{}, y{}, z{};
  buildSolventMolecule(s.szmat, x.data(), y.data(), z.data());
  for (int i = 1; i <= 6; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    s.coord.X(1, i) = s.move.x[k] = x[k];
    s.coord.Y(1, i) = s.move.y[k] = y[k];
    s.coord.Z(1, i) = s.move.z[k] = z[k];
  }
  s.coord.NMOL = 1;
  s.move.molecule = 1;
  Rands r = s.rands;
  ASSERT_EQ(s.szmat.NSVDIH, 1);  // the first number turns the dihedral
  const double step = ranu(r) * 20.0 - 10.0;
  for (int d = 1; d < s.szmat.NSVDIH + s.szmat.NSVBND + s.szmat.NSVANG; ++d) ranu(r);
  movfsl(s);
  EXPECT_EQ(s.rands.seed, r.seed);
  auto at = [&](int i) {
    const auto k = static_cast<std::size_t>(i - 1);
    return Vec3{s.move.x[k], s.move.y[k], s.move.z[k]};
  };
  const double deg = 180.0 / std::numbers::pi;
  const double phi = dihedral(at(4), at(1), at(2), at(3)) * deg;
  EXPECT_NEAR(std::remainder(phi - (180.0 + step), 360.0), 0.0, 1e-9);
  EXPECT_NEAR(distance(at(4), at(1)), 1.09, 1e-12);
  for (int i : {1, 2, 3, 5, 6}) {
    EXPECT_NEAR(at(i).x, x[static_cast<std::size_t>(i - 1)], 1e-12) << i;
    EXPECT_NEAR(at(i).z, z[static_cast<std::size_t>(i - 1)], 1e-12) << i;
  }
}

// Atoms 3..n of a chain: each bonded to the one before, with angle and dihedral partners.
void chain(SolventText& t, int n) {
  t.atoms.resize(2);
  for (int i = 3; i <= n; ++i)
    t.atoms.push_back(fmt::formatI(i, 4) + " C    13    0" + fmt::formatI(i - 1, 5) +
                      "    1.500000" + fmt::formatI(i - 2, 4) + "  110.000000" +
                      (i > 3 ? fmt::formatI(i - 3, 4) + "  180.000000" : "   0    0.000000"));
  t.varBonds = t.addBonds = t.varAngles = t.addAngles = t.varDih = t.addDih = {};
}

std::string repeat(const std::string& rec, int n) {
  std::string t;
  for (int k = 0; k < n; ++k) t += (k ? "\n" : "") + rec;
  return t;
}

TEST(SolventZmatrix, EveryStop) {
  struct Case {
    std::function<void(SolventText&)> edit;
    std::string message;
  };
  const std::vector<Case> cases = {
      {[](SolventText& t) { chain(t, 51); },
       " *** # ATOMS IN SOLVENT Z-MATRIX IS GREATER THAN MXSAT - INCREASE MXSAT ***"},
      {[](SolventText& t) { t.varBonds = {repeat("   2-   6", 11)}; },
       " BND ARRAY OVERFLOW IN REDZMS - REDIMENSION"},
      {[](SolventText& t) { t.addBonds = {repeat("   1   4", 99)}; },
       " BND ARRAY OVERFLOW IN REDZMS - REDIMENSION"},
      {[](SolventText& t) { t.varAngles = {repeat("   3-   6", 13)}; },
       " ANG ARRAY OVERFLOW IN REDZMS - REDIMENSION"},
      {[](SolventText& t) { t.addAngles = {repeat("   2   1   4", 100)}; },
       " ANG ARRAY OVERFLOW IN REDZMS - REDIMENSION"},
      {[](SolventText& t) { t.varDih = {repeat("   4   9   0   10.000000", 51)}; },
       " \n DIHEDRAL ARRAY OVERFLOW IN REDZMS"},
      {[](SolventText& t) { t.addDih = {repeat("   3   2   1   5   9   0", 150)}; },
       " \n DIHEDRAL ARRAY OVERFLOW IN REDZMS"},
      {[](SolventText& t) { t.atoms[4].replace(9, 4, "  16"); },  // a CM: CT-CM has K = 0
       " ZERO FORCE CONSTANT IN FLXPAR - ABORTED"},
      {[](SolventText& t) { t.varDih = {"   4  -1   0   10.000000"}; },
       " EXPLICIT DIHEDRAL TYPES ARE NEEDED FOR FLEX SOLVENT"},
      {[](SolventText& t) { t.addDih = {"   3   2   1   5   9 500"}; },
       " DIHEDRAL TYPE 500 IS NOT ALLOWED FOR FLEX SOLVENT"},
      {[](SolventText& t) { t.ranges = {repeat("   1   1   6   6", 51)}; },
       " ID Array Overflow in SLVNBP"},
      {[](SolventText& t) { chain(t, 50); },  // 1128 pairs beyond 1-3
       " NSBAT Array Overflow in SLVNBP"},
      {[](SolventText& t) { t.addBonds = {"   1   9"}; },
       " *** Atom Number     9 Out of Range in Additional Bonds, Record    12 - Killed in "
       "REDZMS ***"},
      {[](SolventText& t) { t.atoms[4].replace(9, 4, " 805"); },  // not in the local table
       " No Entry in Solvent Z-matrix for Atom Type  805"},
      {[](SolventText& t) { t.atoms[3].replace(51, 4, "   4"); },
       " *** Invalid Z-matrix Connection for Atom     4 - Killed in REDZMS ***"},
  };
  for (const Case& c : cases) {
    SolventText t;
    c.edit(t);
    Solvent f(t);
    const std::string err = test::stopMessage([&] { return f.listing(); }, [&] { f.setUp(); });
    const std::string want = c.message + "\n";  // the last record the listing got
    EXPECT_EQ(err.substr(err.size() - std::min(err.size(), want.size())), want) << err;
  }
}

TEST(SolventZmatrix, AFileEndingInsideASectionIsAnInputError) {
  std::string text = SolventText().text();
  text.resize(text.find("Additional Bond Angles"));
  ParamsFixture f;
  writeFile(f.dir.file("szmat"), text.substr(0, text.rfind('\n') + 1));
  ParamsFixture::open(f.s.io.szmatfile, f.dir.file("szmat"), OpenStatus::Old);
  EXPECT_THROW(redzms(f.s, 1), fmt::InputError);
}

}  // namespace
}  // namespace veka::test
