// The solute Z-matrix file: real molecules, every section, and the section rules.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "format/origin.hpp"
#include "molecule/geometry.hpp"
#include "molecule/zmatrix_states.hpp"
#include "solute_fixture.hpp"
#include "support/coords.hpp"
#include "support/stop.hpp"

namespace veka {
namespace {

using test::SoluteFile;
using test::stopMessage;

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

TEST(ZmatrixFile, WaterAtomsAndGeometry) {
  auto f = readData("water.z");
  const Zmat& z = f->zmat();
  EXPECT_EQ(z.title, "Water");
  ASSERT_EQ(z.NSATM, 3);
  EXPECT_EQ(z.NSOLUT, 1);
  EXPECT_FALSE(z.noSolute);
  EXPECT_EQ(z.name(1), "OW");
  EXPECT_EQ(z.ITYPE(2), 112);
  EXPECT_EQ(z.JTYPE(3), 112);
  EXPECT_EQ(z.IZ1(3), 1);
  EXPECT_EQ(z.IZ2(3), 2);
  EXPECT_DOUBLE_EQ(z.ANG(3), 104.52 * kDeg);
  EXPECT_DOUBLE_EQ(z.ANGI(3), z.ANG(3));
  EXPECT_DOUBLE_EQ(z.ANGF(3), z.ANG(3));
  const Xyz& c = f->state().solcor.xyz[0];
  EXPECT_NEAR(dist(c, 1, 2), 0.9572, 1e-12);
  EXPECT_NEAR(dist(c, 1, 3), 0.9572, 1e-12);
  EXPECT_NEAR(angleDeg(c, 2, 1, 3), 104.52, 1e-10);
  EXPECT_EQ(f->state().bndcom.NBND + f->state().angcom.NANG + f->state().dihcom.NDIH, 0);
}

TEST(ZmatrixFile, MethanolWithDummyAtoms) {
  auto f = readData("methanol.z");
  const Zmat& z = f->zmat();
  ASSERT_EQ(z.NSATM, 8);
  EXPECT_EQ(z.ITYPE(1), -1);
  EXPECT_EQ(z.ITYPE(3), 80);
  const Xyz& c = f->state().solcor.xyz[0];
  EXPECT_NEAR(dist(c, 3, 4), 1.43, 1e-12);
  EXPECT_NEAR(dist(c, 4, 5), 0.945, 1e-12);
  EXPECT_NEAR(angleDeg(c, 5, 4, 3), 108.5, 1e-10);
  EXPECT_NEAR(dihedDeg(c, 6, 3, 4, 5), 60.0, 1e-9);
  EXPECT_NEAR(dihedDeg(c, 8, 3, 4, 5), -60.0, 1e-9);
  // Explicit types -1 and a negative step: automatic torsion types and step.
  const Dihcom& d = f->state().dihcom;
  ASSERT_EQ(d.NVDIH, 1);
  EXPECT_EQ(d.ID1(1), 2);
  EXPECT_EQ(d.ID4(1), 5);
  EXPECT_EQ(d.ITOR0(1), -1);
  EXPECT_EQ(d.DDIH(1), -1.0);
  EXPECT_EQ(d.DDMX(1), -2.0);
  EXPECT_NEAR(d.PHI[0](1), 180.0 * kDeg, 1e-12);
}

TEST(ZmatrixFile, EthaneIsStaggered) {
  auto f = readData("ethane.z");
  const Xyz& c = f->state().solcor.xyz[0];
  for (int h1 = 3; h1 <= 5; ++h1) {
    EXPECT_NEAR(dist(c, 1, h1), 1.09, 1e-12);
    for (int h2 = 6; h2 <= 8; ++h2) {
      const double phi = dihedDeg(c, h1, 1, 2, h2);
      EXPECT_NEAR(std::remainder(phi - 60.0, 120.0), 0.0, 1e-8) << h1 << "-" << h2;
    }
  }
  EXPECT_NEAR(angleDeg(c, 8, 2, 1), 110.7, 1e-10);
}

TEST(ZmatrixFile, BenzeneIsAPlanarRegularHexagon) {
  auto f = readData("benzene.z");
  const Xyz& c = f->state().solcor.xyz[0];
  for (int i = 1; i <= 12; ++i) EXPECT_NEAR(c.z(i), 0.0, 1e-12) << i;
  for (int i = 1; i <= 6; ++i) {
    EXPECT_NEAR(dist(c, i, i % 6 + 1), 1.40, 1e-12) << i;  // includes the ring closure
    EXPECT_NEAR(dist(c, i, i + 6), 1.08, 1e-12);
    EXPECT_NEAR(dist(c, i, (i + 2) % 6 + 1), 2.80, 1e-12);  // para
  }
}

TEST(ZmatrixFile, AmideGroupOfNMethylacetamideIsPlanarAndTrans) {
  auto f = readData("nma.z");
  const Xyz& c = f->state().solcor.xyz[0];
  EXPECT_NEAR(std::fabs(dihedDeg(c, 1, 2, 4, 5)), 180.0, 1e-9);  // omega
  EXPECT_NEAR(std::fabs(dihedDeg(c, 3, 2, 4, 6)), 180.0, 1e-9);  // H trans to O
  EXPECT_NEAR(dihedDeg(c, 3, 2, 4, 5), 0.0, 1e-9);
  EXPECT_NEAR(dist(c, 2, 4), 1.335, 1e-12);
  EXPECT_EQ(f->zmat().resTable(1), "NMA");
  EXPECT_EQ(f->zmat().IRES(12), 1);
}

TEST(ZmatrixFile, GeometryVariationInterpolatesEachState) {
  // The C1-C2-C3-C4 dihedral goes from 180 (anti) to 60 (gauche).
  auto f = readData("butane.z", 0.5, 0.25, 0.5);
  const State& s = f->state();
  const Zmat& z = s.zmat;
  EXPECT_NEAR(z.DIH(4), 120.0 * kDeg, 1e-12);
  EXPECT_NEAR(z.DIHI(4), 180.0 * kDeg, 1e-12);
  EXPECT_NEAR(z.DIHF(4), 60.0 * kDeg, 1e-12);
  EXPECT_NEAR(dihedDeg(s.solcor.xyz[0], 1, 2, 3, 4), 120.0, 1e-9);
  EXPECT_NEAR(dihedDeg(s.solcor.xyz[1], 1, 2, 3, 4), 150.0, 1e-9);
  EXPECT_NEAR(dihedDeg(s.solcor.setup0, 1, 2, 3, 4), 180.0, 1e-9);
  EXPECT_NEAR(dihedDeg(s.solcor.setup1, 1, 2, 3, 4), 60.0, 1e-9);
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
  // The variable dihedral carries each state's value.
  EXPECT_NEAR(s.dihcom.PHI[0](1), 120.0 * kDeg, 1e-12);
  EXPECT_NEAR(s.dihcom.PHI[1](1), 150.0 * kDeg, 1e-12);
  EXPECT_NEAR(s.dihcom.PHI[2](1), 120.0 * kDeg, 1e-12);
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
  EXPECT_EQ(z.NSATM, 9);
  EXPECT_EQ(z.first(1), 1);
  EXPECT_EQ(z.last(1), 3);
  EXPECT_EQ(z.first(2), 4);
  EXPECT_EQ(z.last(2), 9);
  EXPECT_EQ(z.cflag(1), 0);
  EXPECT_EQ(z.cflag(2), 1);
  EXPECT_EQ(z.moleculeOf(4), 2);
  EXPECT_EQ(z.nvbSol(1), 0);
  EXPECT_EQ(z.nvbSol(2), 1);
  EXPECT_EQ(z.nvaSol(2), 1);
  EXPECT_EQ(z.nvdSol(2), 4);
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
  EXPECT_EQ(b.IB1(3), 4);
  EXPECT_EQ(b.IB2(3), 3);
  EXPECT_EQ(b.IBDEP(4), 0);
  EXPECT_EQ(b.IBDEP(5), 4);
  EXPECT_EQ(b.IBDEP(6), 4);
  EXPECT_EQ(b.IB1(8), 5);
  EXPECT_EQ(b.IB2(8), 8);
  EXPECT_NEAR(b.RB[0](1), 1.5645, 1e-12);
  EXPECT_NEAR(b.RB[0](7), dist(s.solcor.xyz[0], 1, 4), 1e-12);
  // Restraints: distance, position, centroid and flat-bottomed forms.
  const Nbcon& c = s.nbcon;
  ASSERT_EQ(c.NBC, 4);
  EXPECT_EQ(c.JBC(2), 9999);
  EXPECT_EQ(c.IBC(3), 9999);
  EXPECT_DOUBLE_EQ(c.RBC0(4), -1.0);
  EXPECT_DOUBLE_EQ(c.PBC3(4), 100.0);
  EXPECT_EQ(s.sw.soluteSetup, 0);
  // Angles: 3-5 range, 6=5, then AUTO and one additional angle.
  const Angcom& a = s.angcom;
  ASSERT_EQ(a.NVANG, 4);
  ASSERT_EQ(a.NANG, 5);
  EXPECT_EQ(a.IA1(3), 5);
  EXPECT_EQ(a.IA2(3), 1);
  EXPECT_EQ(a.IA3(3), 2);
  EXPECT_EQ(a.IADEP(4), 3);
  EXPECT_TRUE(z.autoAng);
  EXPECT_NEAR(
      a.TH[0](5),
      bondAngle(atom(s.solcor.xyz[0], 5), atom(s.solcor.xyz[0], 1), atom(s.solcor.xyz[0], 6)),
      1e-12);
  // Dihedrals: flip, explicit, range, dependent, explicit, type 500, then additional.
  const Dihcom& d = s.dihcom;
  ASSERT_EQ(z.NFLIP, 1);
  EXPECT_EQ(z.flipAtom(1), 4);
  EXPECT_EQ(z.flipSize(1), 120.0);
  ASSERT_EQ(d.NVDIH, 7);
  ASSERT_EQ(d.NDIH, 9);
  EXPECT_EQ(d.ITOR0(1), 12);
  EXPECT_EQ(d.ITOR1(1), 12);  // final type 0: the reference type
  EXPECT_NEAR(d.DDIH(1), 10.0 * kDeg, 1e-15);
  EXPECT_NEAR(d.DDMX(1), 20.0 * kDeg, 1e-15);
  EXPECT_EQ(d.ID1(2), 3);
  EXPECT_EQ(d.ID2(2), 2);
  EXPECT_EQ(d.ID3(2), 1);
  EXPECT_EQ(d.ID4(2), 5);
  EXPECT_EQ(d.ITOR1(2), -1);
  EXPECT_EQ(d.IDDEP(5), 4);
  EXPECT_EQ(d.ITOR0(6), 3);
  EXPECT_EQ(d.ITOR1(6), 5);
  EXPECT_EQ(d.ITOR0(7), 500);
  EXPECT_EQ(d.ITOR1(7), 0);  // type 500 keeps its angle field
  EXPECT_EQ(d.ITOR1(8), 10);
  EXPECT_EQ(d.ID4(9), 12);
  EXPECT_TRUE(z.autoDih);
  EXPECT_NEAR(d.PHI[0](1), 120.0 * kDeg, 1e-12);
  // Excluded pair ranges, stored for the pair-list builder.
  ASSERT_EQ(z.NEXCL, 2);
  EXPECT_EQ(z.excl(2), (std::array<int, 4>{2, 2, 12, 14}));
  const std::string listing = f->listing();
  EXPECT_NE(listing.find(" Will Attempt 120.0 deg Flips during MC."), std::string::npos);
  EXPECT_NE(listing.find(" Constrained Bond or (Atom)"), std::string::npos);
  EXPECT_NE(listing.find("Force Constants - kcal/mol-A**2"), std::string::npos);
  EXPECT_NE(listing.find("Atom 1  Atom 2     R0(K)     K0(X)     K1(Y)     K2(Z)"),
            std::string::npos);
  EXPECT_NE(listing.find("        1    9999    0.5000    1.0000    2.0000    3.0000"),
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
  EXPECT_EQ(b.IB1(5), 9);
  EXPECT_EQ(b.IB1(6), 16);
  EXPECT_EQ(b.IB2(6), 15);
  EXPECT_EQ(b.IBDEP(6), 2);  // follows the bond of atom 13
  EXPECT_EQ(b.IB1(7), 17);
  EXPECT_EQ(b.IB1(8), 3);  // "3 2": the range runs from 3 to max(3, 2)
}

TEST(ZmatrixSections, RangesStartAtTheFirstAtomThatHasTheCoordinate) {
  SoluteFile f(chainFile(6, {"", "   1-   3\n", "", "", "   1-   4\n", "", "   1-   6\n"}));
  readSolutes(f.state(), 0);
  EXPECT_EQ(f.state().bndcom.NVBND, 2);  // atoms 2, 3
  EXPECT_EQ(f.state().angcom.NVANG, 2);  // atoms 3, 4
  EXPECT_EQ(f.state().dihcom.NVDIH, 3);  // atoms 4, 5, 6
}

TEST(ZmatrixSections, ShortHeadingIsReadAsADataRecord) {
  // The heading after the atom section starts with only three blanks: it becomes a
  // geometry-variation record, which does not read as numbers.
  std::string text = chainFile(4);
  text.replace(text.find("    heading"), 11, "   Geometry");
  SoluteFile f(text);
  EXPECT_THROW(readSolutes(f.state(), 0), fmt::InputError);
}

TEST(ZmatrixSections, EndOfFileInsideASectionIsAnInputError) {
  SoluteFile f("Chain\n" + chainAtoms(4) + "    heading\n   4   3  90.0\n");
  EXPECT_THROW(readSolutes(f.state(), 0), fmt::InputError);
}

TEST(ZmatrixSections, ExcludedPairSectionMayEndWithTheFile) {
  std::string text = chainFile(8, {"", "", "", "", "", "", "", "", "   1   2   6   8\n"});
  text.resize(text.rfind("    end"));
  SoluteFile f(text);
  readSolutes(f.state(), 0);
  EXPECT_EQ(f.zmat().NEXCL, 1);
}

TEST(ZmatrixSections, SingleDummyAtomMeansNoSolute) {
  SoluteFile f("No solute\n   1 DUM   -1   -1\n" + test::emptySections());
  readSolutes(f.state(), 0);
  EXPECT_TRUE(f.zmat().noSolute);
  EXPECT_EQ(f.zmat().NSATM, 1);
}

TEST(ZmatrixSections, LayoutMinusOneReadsNothing) {
  SoluteFile f("not a solute file\n");
  readSolutes(f.state(), -1);
  EXPECT_TRUE(f.zmat().noSolute);
  EXPECT_EQ(f.zmat().NSATM, 0);
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
  for (const Case& c : cases) {
    SoluteFile f(c.file);
    const std::string err =
        test::stopMessage([&] { return f.listing(); }, [&] { readSolutes(f.state(), 0); });
    EXPECT_EQ(err, c.message + "\n");
  }
}

}  // namespace
}  // namespace veka
