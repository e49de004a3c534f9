// The solute Z-matrix file: real molecules, every section, and the section rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "format/origin.hpp"
#include "molecule/geometry.hpp"
#include "molecule/zmatrix.hpp"
#include "solute_fixture.hpp"
#include "support/coords.hpp"

namespace veka {
namespace {

using test::SoluteFile;

constexpr double kDeg = 3.141592653589793 / 180.0;

double dist(const Xyz& c, int i, int j) {
  return distance(atom(c, i), atom(c, j));
}
double angleDeg(const Xyz& c, int i, int j, int k) {
  return bondAngle(atom(c, i), atom(c, j), atom(c, k)) / kDeg;
}
double dihedDeg(const Xyz& c, int i, int j, int k, int l) {
  return dihedral(atom(c, i), atom(c, j), atom(c, k), atom(c, l)) / kDeg;
}

std::unique_ptr<SoluteFile> readData(const std::string& name, double rc0 = 0.0, double rc1 = 0.0,
                                     double rc2 = 0.0) {
  auto f = SoluteFile::data(name);
  f->state().geom.RC0 = rc0;
  f->state().geom.RC1 = rc1;
  f->state().geom.RC2 = rc2;
  readSolutes(f->state(), 0);
  return f;
}

TEST(ZmatrixFile, RealMoleculesReadAndBuild) {
  // Measured geometry (distance A, angle and dihedral degrees, a dihedral modulo `period`).
  const struct {
    const char* file;
    std::vector<int> atoms;
    double value, period = 360.0;
  } cases[] = {
      {"water.z", {1, 2}, 0.9572},
      {"water.z", {2, 1, 3}, 104.52},
      {"methanol.z", {3, 4}, 1.43},
      {"methanol.z", {5, 4, 3}, 108.5},
      {"methanol.z", {6, 3, 4, 5}, 60.0},
      {"ethane.z", {8, 2, 1}, 110.7},
      {"ethane.z", {3, 1, 2, 6}, 60.0, 120.0},
      {"benzene.z", {6, 1}, 1.40},  // ring closure
      {"benzene.z", {7, 1, 6, 5}, 180.0},
      {"nma.z", {1, 2, 4, 5}, 180.0},
      {"nma.z", {3, 2, 4, 5}, 0.0},
  };
  for (const auto& c : cases) {
    auto f = readData(c.file);
    const Xyz& x = f->state().solcor.xyz[0];
    const auto& a = c.atoms;
    const double v = a.size() == 2   ? dist(x, a[0], a[1])
                     : a.size() == 3 ? angleDeg(x, a[0], a[1], a[2])
                                     : dihedDeg(x, a[0], a[1], a[2], a[3]);
    const double tol[] = {1e-12, 1e-10, 1e-9};
    EXPECT_NEAR(std::remainder(v - c.value, c.period), 0.0, tol[a.size() - 2]) << c.file << a[0];
  }
  auto w = readData("water.z");
  const Zmat& z = w->zmat();
  EXPECT_EQ(z.title, "Water");
  ASSERT_EQ(z.NSATM, 3);
  EXPECT_EQ(std::tuple(z.name(1), z.JTYPE(3), z.IZ2(3)), std::tuple("OW", 112, 2));
  EXPECT_DOUBLE_EQ(z.ANGF(3), 104.52 * kDeg);
  EXPECT_EQ(w->state().bndcom.NBND + w->state().angcom.NANG + w->state().dihcom.NDIH, 0);
  auto nma = readData("nma.z");
  EXPECT_EQ(nma->zmat().resTable(1), "NMA");
  EXPECT_EQ(nma->zmat().IRES(12), 1);
  // Methanol: dummy atoms, and explicit types -1 with a negative step ask for automatic
  // torsion types and steps.
  auto m = readData("methanol.z");
  EXPECT_EQ(m->zmat().ITYPE(1), -1);
  const Dihcom& d = m->state().dihcom;
  ASSERT_EQ(d.NVDIH, 1);
  EXPECT_EQ(std::tuple(d.ID1(1), d.ITOR0(1), d.DDMX(1)), std::tuple(2, -1, -2.0));
  EXPECT_NEAR(d.PHI[0](1), 180.0 * kDeg, 1e-12);
}

TEST(ZmatrixFile, GeometryVariationInterpolatesEachState) {
  // The C1-C2-C3-C4 dihedral goes from 180 (anti) to 60 (gauche).
  auto f = readData("butane.z", 0.5, 0.25, 0.5);
  const State& s = f->state();
  const Zmat& z = s.zmat;
  const double zmat[] = {
      z.DIH(4),           z.DIHI(4),         z.DIHF(4), s.dihcom.PHI[0](1),
      s.dihcom.PHI[1](1), s.dihcom.PHI[2](1)};  // the variable dihedral of each state
  const double want[] = {120, 180, 60, 120, 150, 120};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(zmat[k], want[k] * kDeg, 1e-12) << k;
  const Xyz* sets[] = {&s.solcor.xyz[0], &s.solcor.xyz[1], &s.solcor.setup0, &s.solcor.setup1};
  const double built[] = {120, 150, 180, 60};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(dihedDeg(*sets[k], 1, 2, 3, 4), built[k], 1e-9) << k;
  // RC2 = RC0: an exact copy; RC1: superimposed, so the centroids coincide.
  EXPECT_EQ(test::rmsd(14, s.solcor.xyz[0], s.solcor.xyz[2]), 0.0);
  Vec3 m0, m1;
  for (int i = 1; i <= 14; ++i) {
    m0.x += s.solcor.xyz[0].x(i) - s.solcor.xyz[1].x(i);
    m1.y += s.solcor.xyz[0].y(i) - s.solcor.xyz[1].y(i);
  }
  EXPECT_NEAR(m0.x, 0.0, 1e-12);
  EXPECT_NEAR(m1.y, 0.0, 1e-12);
  EXPECT_GT(test::rmsd(14, s.solcor.xyz[0], s.solcor.xyz[1]), 0.05);
  EXPECT_TRUE(z.autoDih);
  const std::string listing = f->listing();
  EXPECT_NE(listing.find(" Geometrical Variations"), std::string::npos);
  EXPECT_NE(listing.find("       4   Dihedral      180.000000      60.000000"), std::string::npos)
      << listing;
}

TEST(ZmatrixFile, PerturbedStatesAreCopiesWithoutPerturbation) {
  auto f = SoluteFile::data("butane.z");
  f->state().geom.RC0 = 0.0;
  f->state().geom.RC1 = 1.0;
  f->state().geom.noPert = 1;
  readSolutes(f->state(), 4);
  EXPECT_EQ(test::rmsd(14, f->state().solcor.xyz[0], f->state().solcor.xyz[1]), 0.0);
}

TEST(ZmatrixFile, TwoSolutesWithTheSecondFlagged) {
  auto f = readData("two_solutes.z");
  const Zmat& z = f->zmat();
  ASSERT_EQ(z.NSOLUT, 2);
  EXPECT_EQ(std::tuple(z.NSATM, z.first(1), z.last(1), z.first(2), z.last(2), z.moleculeOf(4)),
            std::tuple(9, 1, 3, 4, 9, 2));
  EXPECT_EQ(std::tuple(z.cflag(1), z.cflag(2), z.nvbSol(1), z.nvbSol(2), z.nvaSol(2), z.nvdSol(2)),
            std::tuple(0, 1, 0, 1, 1, 4));
  EXPECT_EQ(z.resTable(2), "MOH");
  EXPECT_NEAR(dist(f->state().solcor.xyz[0], 1, 4), 3.0, 1e-12);
}

TEST(ZmatrixFile, EverySectionPopulated) {
  auto f = SoluteFile::data("all_sections.z");
  State& s = f->state();
  s.geom.RC0 = 0.5;
  s.sw.soluteSetup = 1;
  readSolutes(s, 1);
  const Zmat& z = s.zmat;
  // Geometry variations, converted to radians and interpolated at RC0.
  ASSERT_EQ(z.NGEO, 3);
  EXPECT_DOUBLE_EQ(z.BND(2), 1.5645);
  EXPECT_NEAR(z.ANG(3), 116.35 * kDeg, 1e-12);
  EXPECT_NEAR(z.geoFinal(2), 120.0 * kDeg, 1e-12);
  // Bonds: 2-4 range, 5, dependents 6=5 and 7=6 (both copy bond 5), two additional.
  const Bndcom& b = s.bndcom;
  ASSERT_EQ(b.NVBND, 6);
  ASSERT_EQ(b.NBND, 8);
  EXPECT_EQ(std::tuple(b.IB1(3), b.IB2(3), b.IBDEP(4), b.IBDEP(5), b.IBDEP(6), b.IB1(8), b.IB2(8)),
            std::tuple(4, 3, 0, 4, 4, 5, 8));
  EXPECT_NEAR(b.RB[0](1), 1.5645, 1e-12);
  EXPECT_NEAR(b.RB[0](7), dist(s.solcor.xyz[0], 1, 4), 1e-12);
  // Restraints: distance, position, centroid and flat-bottomed forms.
  const Nbcon& c = s.nbcon;
  ASSERT_EQ(c.NBC, 4);
  EXPECT_EQ(std::tuple(c.JBC(2), c.IBC(3), c.RBC0(4), c.PBC3(4), s.sw.soluteSetup),
            std::tuple(9999, 9999, -1.0, 100.0, 0));
  // Angles: 3-5 range, 6=5, then AUTO and one additional angle.
  const Angcom& a = s.angcom;
  ASSERT_EQ(a.NVANG, 4);
  ASSERT_EQ(a.NANG, 5);
  EXPECT_EQ(std::tuple(a.IA1(3), a.IA2(3), a.IA3(3), a.IADEP(4), z.autoAng),
            std::tuple(5, 1, 2, 3, true));
  EXPECT_NEAR(
      a.TH[0](5),
      bondAngle(atom(s.solcor.xyz[0], 5), atom(s.solcor.xyz[0], 1), atom(s.solcor.xyz[0], 6)),
      1e-12);
  // Dihedrals: flip, explicit, range, dependent, explicit, type 500, then additional.
  const Dihcom& d = s.dihcom;
  ASSERT_EQ(std::tuple(z.NFLIP, d.NVDIH, d.NDIH), std::tuple(1, 7, 9));
  EXPECT_EQ(std::tuple(z.flipAtom(1), z.flipSize(1), z.autoDih), std::tuple(4, 120.0, true));
  // A final type 0 is the reference type; type 500 keeps its angle field.
  EXPECT_EQ(std::tuple(d.ITOR0(1), d.ITOR1(1), d.ITOR1(2), d.IDDEP(5), d.ITOR0(6), d.ITOR1(6),
                       d.ITOR0(7), d.ITOR1(7), d.ITOR1(8), d.ID4(9)),
            std::tuple(12, 12, -1, 4, 3, 5, 500, 0, 10, 12));
  EXPECT_EQ(std::tuple(d.ID1(2), d.ID2(2), d.ID3(2), d.ID4(2)), std::tuple(3, 2, 1, 5));
  EXPECT_NEAR(d.DDIH(1), 10.0 * kDeg, 1e-15);
  EXPECT_NEAR(d.DDMX(1), 20.0 * kDeg, 1e-15);
  EXPECT_NEAR(d.PHI[0](1), 120.0 * kDeg, 1e-12);
  // Excluded pair ranges, stored for the pair-list builder.
  ASSERT_EQ(z.NEXCL, 2);
  EXPECT_EQ(z.excl(2), (std::array<int, 4>{2, 2, 12, 14}));
  const std::string listing = f->listing();
  EXPECT_NE(listing.find(" Will Attempt 120.0 deg Flips during MC."), std::string::npos);
  EXPECT_NE(listing.find("   Atom 1  Atom 2     R0(K)     K0(X)     K1(Y)     K2(Z)\n"
                         "        1       4    3.9000   10.0000   20.0000   30.0000\n"
                         "        1    9999    0.5000    1.0000    2.0000    3.0000"),
            std::string::npos)
      << listing;
}

// ------------------------------------------------------------------ section rules

// A linear chain of n carbon atoms in the atom layout, each bonded to the one before.
std::string chainAtoms(int n) {
  std::string s;
  char buf[100];
  for (int i = 1; i <= n; ++i) {
    const int j = i > 1 ? i - 1 : 0, k = i > 2 ? i - 2 : 0, l = i > 3 ? i - 3 : 0;
    std::snprintf(buf, sizeof buf, "%4d C   %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f\n", i, 80, 80, j,
                  j ? 1.53 : 0.0, k, k ? 111.0 : 0.0, l, l ? 180.0 - 7.0 * (i % 5) : 0.0);
    s += buf;
  }
  return s;
}

// A file of a chain of n atoms whose sections after the atom section hold `sections`
// (index 0 = geometry variations .. 8 = excluded pairs).
std::string chainFile(int n, const std::array<std::string, 9>& sections = {}) {
  std::string s = "Chain\n" + chainAtoms(n);
  for (const std::string& sec : sections) s += "    heading\n" + sec;
  return s + "    end\n";
}

TEST(ZmatrixSections, VariableBondRangesSinglesAndDependents) {
  SoluteFile f(chainFile(20, {"", "  12-  15\n   9\n  16=  13\n  17\n   3   2\n"}));
  readSolutes(f.state(), 0);
  const Bndcom& b = f.state().bndcom;
  ASSERT_EQ(b.NVBND, 8);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(b.IB1(n), 11 + n);  // 12..15
  // follows the bond of atom 13
  // "3 2": the range runs from 3 to max(3, 2)
  EXPECT_EQ(std::tuple(b.IB1(5), b.IB1(6), b.IB2(6), b.IBDEP(6), b.IB1(7), b.IB1(8)),
            std::tuple(9, 16, 15, 2, 17, 3));
}

TEST(ZmatrixSections, RangesStartAtTheFirstAtomThatHasTheCoordinate) {
  SoluteFile f(chainFile(6, {"", "   1-   3\n", "", "", "   1-   4\n", "", "   1-   6\n"}));
  readSolutes(f.state(), 0);
  EXPECT_EQ(f.state().bndcom.NVBND, 2);  // atoms 2, 3
  EXPECT_EQ(f.state().angcom.NVANG, 2);  // atoms 3, 4
  EXPECT_EQ(f.state().dihcom.NVDIH, 3);  // atoms 4, 5, 6
}

TEST(ZmatrixSections, InputErrorsAndEmptyFiles) {
  // A heading with only three blanks is read as a geometry-variation record; a file may not
  // end inside a section, except the last.
  std::string shortHeading = chainFile(4);
  shortHeading.replace(shortHeading.find("    heading"), 11, "   Geometry");
  for (const std::string& text :
       {shortHeading, "Chain\n" + chainAtoms(4) + "    heading\n   4   3  90.0\n"}) {
    SoluteFile f(text);
    EXPECT_THROW(readSolutes(f.state(), 0), fmt::InputError);
  }
  std::string excluded = chainFile(8, {"", "", "", "", "", "", "", "", "   1   2   6   8\n"});
  excluded.resize(excluded.rfind("    end"));
  SoluteFile e(excluded);
  readSolutes(e.state(), 0);
  EXPECT_EQ(e.zmat().NEXCL, 1);
  // A single dummy atom, or layout -1, means no solute.
  SoluteFile dummy("No solute\n   1 DUM   -1   -1\n" + test::emptySections());
  readSolutes(dummy.state(), 0);
  EXPECT_TRUE(dummy.zmat().noSolute);
  EXPECT_EQ(dummy.zmat().NSATM, 1);
  SoluteFile none("not a solute file\n");
  readSolutes(none.state(), -1);
  EXPECT_TRUE(none.zmat().noSolute);
  EXPECT_EQ(none.zmat().NSATM, 0);
}

TEST(ZmatrixErrors, BadRecordsStopWithTheAtomNamed) {
  struct Case {
    std::string file, message;
  };
  std::string forward = chainAtoms(5);
  forward.replace(forward.find("   4 C  ") + 19, 4, "   5");  // atom 4 bonded to atom 5
  const Case cases[] = {
      {"Chain\n" + forward + test::emptySections(),
       " *** Invalid Z-matrix Connection for Atom     4 - Killed in READZM ***"},
      {chainFile(5, {"", "   2-  17\n"}),
       " *** Atom Number    17 Out of Range in Variable Bonds, Record     9 - Killed in ZSTART "
       "***"},
      {chainFile(5, {"", "   4=   3\n"}),
       " *** Dependent Bond of Atom     4 Refers to Atom     3 Without a Variable Bond - Killed "
       "in ZSTART ***"},
      {chainFile(5, {"   3   3   10.0\n"}),
       " *** Invalid Geometry Variation: Atom     3 Code  3 - Killed in ZSTART ***"},
      {chainFile(5, {"", "", "", "9999   2    1.0000    1.0000    7.0000\n"}),
       " *** Centroid Atom      7.0000 Out of Range in Harmonic Restraints, Record    11 - "
       "Killed in ZSTART ***"},
      {chainFile(5, {"", "", "", "", "", "   1   2   1\n"}),
       " *** Atom     1 Named Twice in Additional Angles, Record    13 - Killed in ZSTART ***"},
      {"Chain\nTER\n" + chainAtoms(2) + test::emptySections(),
       " ** Solute  1 Has No Atoms - Killed in READZM **"},
  };
  for (const Case& c : cases) EXPECT_EQ(SoluteFile(c.file).stop(0), c.message + "\n");
}

}  // namespace
}  // namespace veka
