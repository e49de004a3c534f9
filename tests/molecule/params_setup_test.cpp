// The set-up entry `param` on whole solutes: butane with automatic angles and dihedrals,
// the listings, listing level 3, QM solutes and solutes read with their own parameters.
#include "params_support.hpp"

namespace veka {
namespace {

using test::contains;
using test::countOf;
using test::ParamsFixture;

// Butane: carbons 1-4 (type 3), hydrogens 5-14 (type 4); the Z-matrix bonds are the
// C-C bonds, the C-H bonds are additional; two variable angles and one variable
// dihedral with automatic type and step; "AUTO" for angles and dihedrals.
struct ButaneSetup : ParamsFixture {
  ButaneSetup() {
    std::vector<std::pair<int, int>> types(14, {4, 0});
    for (int c = 0; c < 4; ++c) types[static_cast<std::size_t>(c)] = {3, 0};
    solute(types);
    for (auto [i, j] : {std::pair{2, 1}, {3, 2}, {4, 3}}) bond(i, j);
    s.bndcom.NVBND = 3;
    for (auto [h, c] : pairs("5-1 6-1 7-1 8-2 9-2 10-3 11-3 12-4 13-4 14-4")) bond(h, c);
    angle(3, 2, 1);
    angle(4, 3, 2);
    s.angcom.NVANG = 2;
    dihedral(1, 2, 3, 4, -1, -1, -1.0);
    s.dihcom.NVDIH = 1;
    s.zmat.autoAng = s.zmat.autoDih = true;
    s.sw.noDistanceBonds = 1;  // neighbours from the bond list only (no coordinates here)
  }
};

TEST(ParamsSetup, ButaneGetsEveryParameterAndTheListings) {
  ButaneSetup f;
  param(f.s);
  const State& s = f.s;
  EXPECT_EQ(s.potpar.NSLOT, 14);
  EXPECT_NEAR(s.potpar.CHG(1), 4 * -0.18 + 10 * 0.06, 1e-12);
  // six at each carbon
  // about C2-C3 and about C3-C4, which carries atom 4
  EXPECT_EQ(std::tuple(s.covnbr.NNEB(2), s.angcom.NANG, s.dihcom.NDIH, s.dihcom.ITOR0(1)),
            std::tuple(4, 24, 18, 2));
  EXPECT_DOUBLE_EQ(s.dihcom.DDIH(1), 15.0 * s.misc.DTORAD);
  for (int n = 2; n <= s.dihcom.NDIH; ++n) {
    const bool hh =
        s.potpar.AMTYPI(s.dihcom.ID1(n)) == "HC" && s.potpar.AMTYPI(s.dihcom.ID4(n)) == "HC";
    if (!hh) continue;
    EXPECT_EQ(s.dihcom.ITOR0(n), 1) << n;
    EXPECT_EQ(s.dihcom.V3[0](n), 0.3) << n;
  }
  EXPECT_EQ(s.bndcom.KB[0](4), 340.0);
  EXPECT_DOUBLE_EQ(s.angcom.TH0[0](1), 112.7 * s.misc.DTORAD);

  const std::string out = f.listing();
  EXPECT_TRUE(contains(out, "OPLS Force Field Parameters"));
  EXPECT_TRUE(
      contains(out, " A5     5       0.0600       2.5000       0.0300       0.0000 All Solutes"));
  EXPECT_TRUE(contains(out, "Bond Stretching Parameters"));
  EXPECT_TRUE(contains(out,
                       "    2       1      1.5290      268.00      1.5290      268.00      "
                       "1.5290      268.00      0.0356     CT-CT\n"));
  EXPECT_TRUE(contains(out, "Angle Bending Parameters"));
  EXPECT_TRUE(contains(out,
                       "    3     2     1    112.70     58.35    112.70     58.35    "
                       "112.70     58.35      3.90   CT-CT-CT\n"));
  EXPECT_TRUE(contains(out,
                       "      1       4    2    2     1.740    -0.157     0.279     0.000"
                       "      0.00   0.00   0.00    15.0 All Solutes"));
  EXPECT_FALSE(contains(out, "Missing"));
  EXPECT_FALSE(contains(out, " For "));  // every automatic torsion matched exactly
}

TEST(ParamsSetup, ListingLevelThreeKeepsTheListingQuiet) {
  ButaneSetup f;
  f.s.io.listLevel = 3;
  param(f.s);
  EXPECT_EQ(f.s.dihcom.NDIH, 18);
  EXPECT_EQ(f.listing(), "");
}

TEST(ParamsSetup, QmSolutesGetNoAutomaticDihedralsAndTheListingSaysWhy) {
  ButaneSetup f;
  f.s.qm.method = 1;
  param(f.s);
  EXPECT_EQ(f.s.dihcom.NDIH, 1);
  EXPECT_EQ(f.s.angcom.NANG, 24);
  EXPECT_TRUE(contains(f.listing(),
                       " Note - Force field parameters are listed for QM calculations, even though "
                       "they\n   are not used in evaluating the intrasolute energetics.\n"));
}

TEST(ParamsSetup, SolutesReadWithTheirOwnParametersAreOnlyListed) {
  ParamsFixture f;
  f.lambdas(0.0, 1.0, 1.0);
  f.solute({{999, 0}, {999, 0}});  // types absent from the file: never looked up
  Potpar& p = f.s.potpar;
  p.soluteParamsRead = true;
  p.NSLOT = 3;
  const double sq = f.s.misc.SQ332;
  p.Q(1) = 0.25 * sq;
  p.Q(2) = -0.25 * sq;
  p.Q(3) = -0.5 * sq;
  for (int k = 0; k < 3; ++k) {
    p.slot[k](1) = 1;
    p.slot[k](2) = k == 0 ? 2 : 3;
    p.SIG[k](1) = 3.0;
    p.EPS[k](1) = 0.1;
  }
  param(f.s);
  EXPECT_NEAR(p.CHG(1), 0.0, 1e-12);
  EXPECT_NEAR(p.CHG(2), -0.25, 1e-12);
  EXPECT_EQ(p.NSLOT, 3);
  const std::string out = f.listing();
  EXPECT_TRUE(
      contains(out, " A1     1       0.2500       3.0000       0.1000       0.0000 All Solutes"));
  EXPECT_TRUE(contains(
      out, " A2     2      -0.5000       0.0000       0.0000       0.0000 1st Perturbed Solute"));
  EXPECT_TRUE(contains(
      out, " A2     2      -0.2500       0.0000       0.0000       0.0000 Reference Solute"));
  EXPECT_EQ(countOf(out, " A2  "), 3);
}

}  // namespace
}  // namespace veka
