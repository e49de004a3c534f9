// Bonded parameters of the term lists: perturbation states, the "Same Values" rule, Monte
// Carlo steps, torsion type 500, automatic dihedrals and angles, and the connectivity
// check.
#include <cmath>
#include <set>
#include <tuple>

#include "molecule/autoterms.hpp"
#include "molecule/bonded_terms.hpp"
#include "molecule/prmchk.hpp"
#include "params_support.hpp"

namespace veka {
namespace {

using test::contains;
using test::countOf;
using test::ParamsFixture;

constexpr double kDeg = 0.017453292519943295;
constexpr const char* kSameValues =
    " *** Same Values Used for Reference and Perturbed Structures ***\n";

TEST(BondedAssign, PerturbedTermsAtHalfLambdaAndTheSameValuesRule) {
  ParamsFixture f;
  f.lambdas(0.0, 0.5, 0.0);
  // 3: HC -> OH; 4: CT -> Br, whose bond to 2 has to be estimated in the final state.
  f.solute({{3, 0}, {3, 0}, {4, 8}, {3, 19}});
  f.fftypes({{"CT", 6}, {"CT", 6}, {"HC", 1}, {"CT", 6}},
            {{"CT", 6}, {"CT", 6}, {"OH", 8}, {"Br", 35}});
  f.bond(1, 2);
  f.bond(2, 3);
  f.bond(2, 4);
  f.angle(1, 2, 3);
  assignBonded(f.s);
  const Bndcom& b = f.s.bndcom;
  EXPECT_EQ(std::tuple(b.RB0[0](2), b.KB[0](2)), std::tuple(1.09, 340.0));
  EXPECT_DOUBLE_EQ(b.RB0[1](2), (1.09 + 1.41) / 2);
  EXPECT_DOUBLE_EQ(b.KB[1](2), (340.0 + 320.0) / 2);
  // RC2 = RC0: the reference values exactly. An estimate in the final state keeps the
  // reference values.
  EXPECT_EQ(std::tuple(b.RB0[2](2), b.KB[2](2), b.RB0[1](3), b.KB[1](3)),
            std::tuple(1.09, 340.0, 1.529, 268.0));
  const Angcom& a = f.s.angcom;
  EXPECT_DOUBLE_EQ(a.TH0[0](1), 110.7 * kDeg);
  EXPECT_DOUBLE_EQ(a.TH0[1](1), (110.7 + 109.5) / 2 * kDeg);
  EXPECT_DOUBLE_EQ(a.KA[1](1), (37.5 + 50.0) / 2);
  EXPECT_EQ(countOf(f.listing(), kSameValues), 1);
}

TEST(BondedAssign, WeakReferenceLookupsTakeTheFinalValues) {
  ParamsFixture f;
  f.lambdas(0.0, 1.0, 1.0);
  // Bond 1-2 is Br-Si (estimated) before and CT-CT after; angle 3-2-4 is HC-Si-HC (the
  // default) before and HC-CT-HC after.
  f.solute({{19, 3}, {3, 0}, {4, 0}, {4, 0}});
  f.fftypes({{"Br", 35}, {"Si", 14}, {"HC", 1}, {"HC", 1}},
            {{"CT", 6}, {"CT", 6}, {"HC", 1}, {"HC", 1}});
  f.bond(1, 2);
  f.angle(3, 2, 4);
  assignBonded(f.s);
  EXPECT_EQ(std::tuple(f.s.bndcom.RB0[0](1), f.s.bndcom.KB[0](1), f.s.angcom.KA[0](1)),
            std::tuple(1.529, 268.0, 33.0));
  EXPECT_DOUBLE_EQ(f.s.angcom.TH0[0](1), 107.8 * kDeg);
  EXPECT_EQ(countOf(f.listing(), kSameValues), 2);
}

TEST(BondedAssign, StepsOfVariableBondsAndAngles) {
  ParamsFixture f;
  f.solute({{3, 0}, {3, 0}, {4, 0}, {16, 0}, {3, 0}});
  f.fftypes({{"CT", 6}, {"CT", 6}, {"HC", 1}, {"CM", 6}, {"CT", 6}});
  f.bond(1, 2);  // K = 268
  f.bond(2, 4);  // CT-CM, K = 0
  f.bond(2, 3);  // additional
  f.s.bndcom.NVBND = 2;
  f.angle(1, 2, 3);  // K = 37.5
  f.angle(2, 4, 5);  // CT-CM-CT, K = 0
  f.angle(3, 2, 1);  // additional
  f.s.angcom.NVANG = 2;
  assignBonded(f.s);
  const Bndcom& b = f.s.bndcom;
  const Angcom& a = f.s.angcom;
  const double db = 0.029 * (348.15 / 300.0) * std::sqrt(300.0 / 268.0);
  EXPECT_DOUBLE_EQ(b.DBND(1), db);
  EXPECT_DOUBLE_EQ(b.DBMX(1), 2 * db);
  EXPECT_EQ(std::pair(b.DBND(2), b.DBND(3)), std::pair(0.1, 0.0));
  const double da = 348.15 * 2.87 * std::sqrt(80.0 / 37.5) / 300.0 * kDeg;
  EXPECT_DOUBLE_EQ(a.DANG(1), da);
  EXPECT_DOUBLE_EQ(a.DAMX(1), 2 * da);
  EXPECT_DOUBLE_EQ(a.DANG(2), 2.0 * kDeg);
  EXPECT_EQ(a.DANG(3), 0.0);
  const std::string out = f.listing();
  EXPECT_TRUE(contains(out, " Force Constant of 0 for Bond   2-   4 *CHECK*\n"));
  EXPECT_TRUE(contains(out, " Force Const. of 0 for Angle   2-   4-   5 *CHECK*\n"));

  f.s.sw.fixBonds = 1;  // no bond steps, then no angle steps either
  assignBonded(f.s);
  EXPECT_EQ(std::pair(b.DBND(1), b.DBND(2)), std::pair(0.0, 0.0));
  EXPECT_GT(a.DANG(1), 0.0);
  f.s.sw.fixAngles = 1;
  assignBonded(f.s);
  EXPECT_EQ(std::pair(a.DANG(1), a.DAMX(2)), std::pair(0.0, 0.0));
}

TEST(BondedAssign, DummyAndIntersoluteTermsGetNoParameters) {
  ParamsFixture f;
  f.solute({{3, 0}, {3, 0}, {-1, 0}, {3, 0}});
  f.fftypes({{"CT", 6}, {"CT", 6}, {"  ", 0}, {"CT", 6}});
  f.molecules({3, 4});
  f.bond(1, 2);
  f.bond(2, 3);
  f.bond(2, 4);
  f.s.bndcom.NVBND = 3;
  assignBonded(f.s);
  EXPECT_EQ(f.s.bndcom.KB[0](1), 268.0);
  for (int n : {2, 3})
    EXPECT_EQ(std::pair(f.s.bndcom.KB[0](n), f.s.bndcom.DBND(n)), std::pair(0.0, 0.1));
  EXPECT_FALSE(contains(f.listing(), "*CHECK*"));
  EXPECT_FALSE(contains(f.listing(), "Missing"));
}

// A six-membered ring 1..6 with a chain 1-7-8-9 and an extra atom 10 on 8.
struct RingChain : ParamsFixture {
  RingChain() {
    solute(std::vector<std::pair<int, int>>(10, {3, 0}));
    fftypes(std::vector<std::pair<const char*, int>>(10, {"CT", 6}));
    s.potpar.AMTYPI(9) = s.potpar.AMTYPF(9) = "HC";
    neighbours("1-2 2-3 3-4 4-5 5-6 6-1 1-7 7-8 8-9 8-10");
  }
};

TEST(BondedAssign, RingMembershipFromTheCovalentNeighbours) {
  RingChain f;
  std::vector<int> work(2 * 11);
  for (int a = 1; a <= 10; ++a) EXPECT_EQ(inRing(f.s, a, work), a <= 6) << a;
  f.neighbours("1-2 2-3 3-1 3-4");  // three-membered ring
  EXPECT_TRUE(inRing(f.s, 3, work));
  EXPECT_FALSE(inRing(f.s, 4, work));
}

TEST(BondedAssign, AutomaticDihedralStepsAndTorsionType500) {
  RingChain f;
  const double automatic = -1.0;
  f.dihedral(8, 7, 1, 2, -1, -1, automatic);    // k in the ring: 5
  f.dihedral(2, 1, 7, 8, -1, -1, automatic);    // j in the ring: 10
  f.dihedral(1, 7, 8, 9, -1, -1, automatic);    // CT-CT-CT-HC, V2 = 0: 15
  f.dihedral(1, 7, 8, 9, 10, 10, automatic);    // V2 = 3.625: 5
  f.dihedral(1, 7, 8, 9, 11, 0, automatic);     // V2 = 4.5: 2
  f.dihedral(7, 8, 9, 10, 1, 1, automatic);     // improper about 8: 2
  f.dihedral(6, 1, 7, 8, 500, 60, 5.0 * kDeg);  // restraint to 60 degrees, fixed step
  f.s.dihcom.NVDIH = 7;
  f.lambdas(0.0, 0.5, 1.0);
  assignBonded(f.s);
  const Dihcom& d = f.s.dihcom;
  const double expected[] = {5, 10, 15, 5, 2, 2, 5};
  for (int n = 1; n <= 7; ++n) EXPECT_NEAR(d.DDIH(n), expected[n - 1] * kDeg, 1e-15) << n;
  for (int n = 1; n <= 6; ++n) EXPECT_DOUBLE_EQ(d.DDMX(n), 2 * d.DDIH(n)) << n;
  // CT-CT-CT-CT is type 2; a final type 0 means the reference type.
  EXPECT_EQ(std::tuple(d.ITOR0(1), d.ITOR1(1), d.ITOR0(3), d.ITOR1(5), d.ITOR1(7), d.improper(6),
                       d.improper(1), d.V2[0](4), d.constV4),
            std::tuple(2, 2, 3, 11, 500, 1, 0, 3.625, 0));
  for (int k = 0; k < 3; ++k) {
    EXPECT_DOUBLE_EQ(d.V1[k](7), 60.0 * kDeg);
    EXPECT_EQ(d.V4[k](7), 50.0);
  }
}

TEST(BondedAssign, PerturbedTorsionTypeInterpolatesCoefficientsAndPhases) {
  RingChain f;
  f.lambdas(0.0, 0.5, 1.0);
  f.dihedral(1, 7, 8, 9, 1, 5);  // (0, 0, 0.3, 0) -> (1, 2, 3, 0.5) with phases 90, 180
  assignBonded(f.s);
  const Dihcom& d = f.s.dihcom;
  EXPECT_DOUBLE_EQ(d.V3[1](1), 1.65);
  EXPECT_DOUBLE_EQ(d.V1[1](1), 0.5);
  EXPECT_DOUBLE_EQ(d.F1[1](1), 45.0 * kDeg);
  EXPECT_DOUBLE_EQ(d.F2[2](1), 180.0 * kDeg);
  EXPECT_EQ(d.V4[0](1), 0.0);
  const std::string out = f.listing();
  EXPECT_TRUE(contains(out, "Fourier Coefficients"));
  EXPECT_TRUE(contains(out,
                       "      1       9    1    5     0.000     0.000     0.300     0.000"
                       "      0.00   0.00   0.00     0.0 Reference Solute"));
  EXPECT_TRUE(contains(out, "1st Perturbed Solute\n"));
  EXPECT_TRUE(contains(out, "2nd Perturbed Solute\n"));
}

// Butane with its hydrogens: carbons 1-4; H 5, 6, 7 on C1, 8, 9 on C2, 10, 11 on C3 and
// 12, 13, 14 on C4.
struct Butane : ParamsFixture {
  Butane() {
    solute(std::vector<std::pair<int, int>>(14, {4, 0}));
    neighbours("1-2 2-3 3-4 1-5 1-6 1-7 2-8 2-9 3-10 3-11 4-12 4-13 4-14");
  }
};

using Quad = std::tuple<int, int, int, int>;

std::set<Quad> dihedralSet(const Dihcom& d) {
  std::set<Quad> out;
  for (int n = 1; n <= d.NDIH; ++n) {
    const Quad q{d.ID1(n), d.ID2(n), d.ID3(n), d.ID4(n)};
    const Quad r{d.ID4(n), d.ID3(n), d.ID2(n), d.ID1(n)};
    EXPECT_TRUE(out.count(q) == 0 && out.count(r) == 0) << "dihedral " << n << " repeated";
    out.insert(q);
  }
  return out;
}

TEST(BondedAutoTerms, AdditionalDihedralsAboutTheBondsThatMove) {
  Butane f;
  f.dihedral(1, 2, 3, 4, -1, -1, -1.0);  // variable: about 2-3, moving atom 4
  f.s.dihcom.NVDIH = 1;
  f.dihedral(11, 3, 2, 8, -1, -1);  // already listed, reversed
  adddih(f.s);
  const Dihcom& d = f.s.dihcom;
  // Bond 2-3: 3 x 3 torsions, two already there. Bond 3-4 ends on the moving atom 4:
  // 3 x 3. Bond 1-2 does not move.
  EXPECT_EQ(d.NDIH, 2 + 7 + 9);
  const std::set<Quad> all = dihedralSet(d);
  EXPECT_TRUE(all.count({9, 2, 3, 10}));
  EXPECT_TRUE(all.count({10, 3, 4, 14}));
  for (int n = 3; n <= d.NDIH; ++n) {
    EXPECT_NE(d.ID2(n), 1);
    EXPECT_EQ(d.ITOR0(n), -1);
    EXPECT_EQ(d.ITOR1(n), -1);
  }
  adddih(f.s);
  EXPECT_EQ(d.NDIH, 18);  // nothing new the second time
}

TEST(BondedAutoTerms, AdditionalAnglesOnABranchedMolecule) {
  // Isobutane: C1 bonded to C2, C3, C4 and H5; methyl hydrogens 6-8 on C2, 9-11 on C3,
  // 12-14 on C4.
  ParamsFixture f;
  f.solute(std::vector<std::pair<int, int>>(14, {4, 0}));
  f.neighbours("1-2 1-3 1-4 1-5 2-6 2-7 2-8 3-9 3-10 3-11 4-12 4-13 4-14");
  f.angle(2, 1, 3);
  f.angle(5, 1, 4);  // listed in the other order than the neighbours 4, 5
  f.s.angcom.NVANG = 2;
  f.bond(2, 6);  // an additional bond brings in C2 (and H6, which has one neighbour)
  f.s.bndcom.NVBND = 0;
  addang(f.s);
  const Angcom& a = f.s.angcom;
  int atC1 = 0, atC2 = 0, atC3 = 0;
  std::set<std::tuple<int, int, int>> seen;
  for (int n = 1; n <= a.NANG; ++n) {
    atC1 += a.IA2(n) == 1;
    atC2 += a.IA2(n) == 2;
    atC3 += a.IA2(n) == 3;
    const int lo = std::min(a.IA1(n), a.IA3(n)), hi = std::max(a.IA1(n), a.IA3(n));
    EXPECT_TRUE(seen.insert({lo, a.IA2(n), hi}).second) << "angle " << n << " repeated";
  }
  // neither a vertex nor in an additional bond
  EXPECT_EQ(std::tuple(atC1, atC2, atC3, a.NANG), std::tuple(6, 6, 0, 12));
  addang(f.s);
  EXPECT_EQ(a.NANG, 12);
}

TEST(BondedAutoTerms, OverflowsStop) {
  Butane f;
  f.dihedral(1, 2, 3, 4, -1, -1, -1.0);
  f.s.dihcom.NVDIH = 1;
  f.s.dihcom.NDIH = MAXDIH - 1;  // room for one more only
  EXPECT_EQ(f.stop([&] { adddih(f.s); }), " Dihedral Array Overflow in ADDDIH - Redimesion\n");
  f.angle(1, 2, 3);
  f.s.angcom.NANG = MAXANG;
  f.s.angcom.IA1(MAXANG) = 1;
  f.s.angcom.IA2(MAXANG) = 2;
  f.s.angcom.IA3(MAXANG) = 3;
  EXPECT_EQ(f.stop([&] { addang(f.s); }), " Bond Angle Array Overflow in ADDANG - Redimesion\n");
}

TEST(BondedCheck, InconsistentZmatrixReportsEveryProblem) {
  // Ethane: C1 with H3, H4, H5; C2 with H6, H7, H8; atom 9 is a dummy.
  ParamsFixture f;
  f.solute({{3, 0}, {3, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {4, 0}, {-1, 0}});
  f.neighbours("1-2 1-3 1-4 1-5 2-6 2-7 2-8");
  f.bond(1, 2);
  f.bond(2, 1);  // the same atoms again
  f.bond(3, 6);  // not bonded
  f.bond(9, 1);  // dummy: not checked
  f.angle(3, 1, 4);
  f.angle(4, 1, 3);  // the same angle
  f.angle(5, 1, 5);  // end atoms equal
  f.dihedral(3, 1, 2, 6, 1, 1);
  f.dihedral(4, 1, 2, 3, 0, 0);  // improper about 1: connected
  f.dihedral(3, 6, 7, 8, 0, 0);  // not bonded
  const int problems = prmchk(f.s);
  const std::string out = f.listing();
  for (const char* text : {" Checking for potential problems in the solute Z-matrix file:\n",
                           " Bond    3: Atoms    3 and     6 Are NOT Covalently Bonded\n",
                           " Bonds    1 and     2 Are Between the Same Atoms\n",
                           " Atom     1: Bond Angles     1 and     2 Are the Same\n",
                           " Bond Angle    3 Atoms 1 and 3 Are the Same\n"})
    EXPECT_TRUE(contains(out, text)) << text;
  EXPECT_TRUE(
      contains(out, " Atom     1 Has  4 Neighbors:  6 Bond Angle Terms Expected,   3 Found\n"));
  EXPECT_TRUE(
      contains(out, " Atom     2 Has  4 Neighbors:  6 Bond Angle Terms Expected,   0 Found\n"));
  EXPECT_TRUE(contains(
      out, " Dihedral Angle     3: Atoms    3    6    7    8 Are Not All Covalently Bonded\n"));
  EXPECT_TRUE(
      contains(out, " For Bond Between Atoms    1    2: Expected  9 Torsion Terms, Found  2\n"));
  EXPECT_EQ(problems, 8);
  EXPECT_TRUE(
      contains(out,
               "     8 Potential Problems Found.\n"
               " Note - When improper dihedrals are used, excess torsion terms are normal.\n"));
  EXPECT_FALSE(contains(out, "Dihedral Angle     2"));
}

}  // namespace
}  // namespace veka
