// Atom types from the parameter file and the Z-matrix files: lookups, perturbation
// states, solvent sites, the QM hydrogen rule and the nonbonded listing.
#include <cmath>

#include "params_support.hpp"

namespace veka {
namespace {

using test::contains;
using test::ParamsFixture;

double A(double sig, double eps) {
  return std::sqrt(4.0 * eps * std::pow(sig, 12));
}
double C(double sig, double eps) {
  return std::sqrt(4.0 * eps * std::pow(sig, 6));
}
constexpr double kSq = 18.222513547806734;

TEST(ParamsLookup, FirstEntryWinsCommentsAreSkippedAndTheBlankRecordEndsTheTable) {
  ParamsFixture f;
  Unit& par = f.s.io.parfile;
  AtomType t;
  ASSERT_TRUE(findParType(par, 12, t));  // listed twice: the first record counts
  EXPECT_EQ(t.Z, 17);
  EXPECT_EQ(t.ff, "Cl");
  EXPECT_DOUBLE_EQ(t.q, -0.2);
  EXPECT_DOUBLE_EQ(t.sig, 3.4);
  EXPECT_DOUBLE_EQ(t.eps, 0.3);
  ASSERT_TRUE(findParType(par, 5, t));  // behind a comment record
  EXPECT_DOUBLE_EQ(t.sig, 3.6);
  ASSERT_TRUE(findParType(par, 115, t));  // the last record before the blank one
  EXPECT_DOUBLE_EQ(t.q, -1.04);
  EXPECT_FALSE(findParType(par, 60, t));  // after the blank record
  EXPECT_FALSE(findParType(par, 0, t));
  EXPECT_FALSE(findParType(par, 4321, t));
}

TEST(ParamsLocalTypes, FourColumnTableAfterTheFinalRecord) {
  ParamsFixture f;
  ParamsFixture::open(f.s.io.zmatfile, test::paramsData("local4.z"), OpenStatus::Old);
  f.solute({{800, 801}, {802, 0}, {9501, 3}});
  assignSoluteTypes(f.s);
  const Potpar& p = f.s.potpar;
  EXPECT_EQ(p.AMTYPI(1), "C ");
  EXPECT_EQ(p.AMTYPF(1), "CT");
  EXPECT_DOUBLE_EQ(p.QI[2](1), 0.4);  // RC2 = 0: reference values everywhere
  EXPECT_EQ(p.NATI(2), 8);
  EXPECT_DOUBLE_EQ(p.SIG[0](2), 2.96);
  EXPECT_EQ(p.AMTYPI(3), "HC");  // 9501 from the Z-matrix file
  EXPECT_EQ(p.AMTYPF(3), "CT");  // 3 from the parameter file
  EXPECT_DOUBLE_EQ(p.QI[0](3), 0.05);
}

TEST(ParamsLocalTypes, ThreeColumnTableIsReadWithItsOwnColumns) {
  ParamsFixture f;
  ParamsFixture::open(f.s.io.zmatfile, test::paramsData("local3.z"), OpenStatus::Old);
  f.solute({{800, 0}, {802, 0}, {801, 0}});
  assignSoluteTypes(f.s);
  const Potpar& p = f.s.potpar;
  EXPECT_EQ(std::tuple(p.AMTYPI(1), p.NATI(1), p.AMTYPI(2)), std::tuple("C ", 6, "O "));
  EXPECT_DOUBLE_EQ(p.QI[0](2), -0.4);
  EXPECT_DOUBLE_EQ(p.EPS[0](2), 0.21);
  EXPECT_DOUBLE_EQ(p.SIG[0](3), 3.5);
}

TEST(ParamsLocalTypes, TypesAfterTheEndOfTheLocalTableAreMissing) {
  for (const char* file : {"local4.z", "local3.z"}) {
    ParamsFixture f;
    ParamsFixture::open(f.s.io.zmatfile, test::paramsData(file), OpenStatus::Old);
    f.solute({{800, 0}, {850, 0}, {801, 0}});
    EXPECT_EQ(f.stop([&] { assignSoluteTypes(f.s); }),
              " No Entry in the Z-matrix File for Atom Type  850\n")
        << file;
  }
}

TEST(ParamsSolute, ThreeStatesInterpolatedWithTheirSlotsAndNetCharges) {
  ParamsFixture f;
  f.lambdas(0.0, 0.5, 1.0);
  // CT -> CT', HC unchanged, a dummy, OH -> OH, O -> C, CT -> C3 with equal values.
  f.solute({{3, 5}, {4, 0}, {-1, 0}, {8, 8}, {2, 1}, {3, 22}});
  assignSoluteTypes(f.s);
  const Potpar& p = f.s.potpar;

  EXPECT_DOUBLE_EQ(p.QI[0](1), -0.18);
  EXPECT_DOUBLE_EQ(p.QI[1](1), -0.15);
  EXPECT_DOUBLE_EQ(p.QI[2](1), -0.12);
  EXPECT_DOUBLE_EQ(p.SIG[1](1), 3.55);
  EXPECT_DOUBLE_EQ(p.EPS[1](1), 0.073);
  EXPECT_EQ(std::tuple(p.slot[0](1), p.slot[1](1), p.slot[2](1)), std::tuple(1, 2, 3));
  EXPECT_DOUBLE_EQ(p.Q(2), -0.15 * kSq);
  EXPECT_DOUBLE_EQ(p.A(2), A(3.55, 0.073));
  EXPECT_DOUBLE_EQ(p.C(2), C(3.55, 0.073));

  // Unperturbed atoms and the dummy atom share one slot among the three states.
  for (int i : {2, 3, 4, 6}) {
    EXPECT_EQ(p.slot[1](i), p.slot[0](i)) << i;
    EXPECT_EQ(p.slot[2](i), p.slot[0](i)) << i;
    EXPECT_FALSE(p.perturbed(i)) << i;
  }
  EXPECT_EQ(std::tuple(p.slot[0](2), p.slot[0](3), p.Q(5), p.A(5), p.slot[2](5), p.NSLOT),
            std::tuple(4, 5, 0.0, 0.0, 9, 10));
  EXPECT_EQ(p.AMTYPI(3), "  ");
  // Equal nonbonded values: one slot, but the final force-field type still differs.
  EXPECT_EQ(p.AMTYPF(6), "C3");

  EXPECT_NEAR(p.CHG(1), -0.18 + 0.06 - 0.683 - 0.5 - 0.18, 1e-12);
  EXPECT_NEAR(p.CHG(2), -0.15 + 0.06 - 0.683 + 0.0 - 0.18, 1e-12);
  EXPECT_NEAR(p.CHG(3), -0.12 + 0.06 - 0.683 + 0.5 - 0.18, 1e-12);

  // Atomic numbers: the final type's only above 0.5. Polarisation is off.
  EXPECT_EQ(std::tuple(p.NATI(5), p.NATF(5), p.NAT[1](5), p.NAT[2](5), p.sasaClass(1),
                       p.sasaClass(5), p.sasaClass(3), p.alpha(1)),
            std::tuple(8, 6, 8, 6, 1, 2, 1, 0.0));
  EXPECT_EQ(p.AMTYPP(5), "O ");
  EXPECT_DOUBLE_EQ(p.sasaRadius(1), 3.5 * 0.561231024);
}

TEST(ParamsSolute, AboveOneHalfTheFinalTypeIsPrintedAndTheLennardJonesScaleApplies) {
  ParamsFixture f;
  f.lambdas(0.6, 0.6, 0.6);
  f.s.potpar.ljScale = 0.8;
  f.s.sw.polarisation = 1.0;
  f.solute({{2, 1}, {19, 0}});
  assignSoluteTypes(f.s);
  const Potpar& p = f.s.potpar;
  EXPECT_EQ(p.AMTYPP(1), "C ");
  EXPECT_EQ(p.NAT[0](1), 6);
  EXPECT_DOUBLE_EQ(p.QI[0](1), -0.5 + 0.6 * 1.0);  // charges are not scaled
  EXPECT_DOUBLE_EQ(p.SIG[0](1), (2.96 + 0.6 * (3.75 - 2.96)) * 0.8);
  EXPECT_DOUBLE_EQ(p.EPS[0](1), (0.21 + 0.6 * (0.105 - 0.21)) * 0.8);
  EXPECT_DOUBLE_EQ(p.A(p.slot[0](2)), A(3.47 * 0.8, 0.47 * 0.8));
  EXPECT_TRUE(p.polarisable);
  EXPECT_EQ(p.alpha(1), 1.5);  // "O " of the reference type
  EXPECT_EQ(p.alpha(2), 2.0);
}

TEST(ParamsListing, AtomLinesPerStateAndNetCharges) {
  ParamsFixture f;
  f.lambdas(0.0, 0.5, 0.0);
  f.solute({{3, 5}, {4, 0}});
  assignSoluteTypes(f.s);
  listNonbonded(f.s);
  const std::string out = f.listing();
  // State 2 sits at RC2 = RC0, so its line would repeat the reference line.
  EXPECT_TRUE(contains(
      out,
      " A1     1      -0.1800       3.5000       0.0660       0.0000 Reference Solute    \n"
      " A1     1      -0.1500       3.5500       0.0730       0.0000 1st Perturbed Solute\n"
      " A2     2       0.0600       2.5000       0.0300       0.0000 All Solutes         \n"));
  EXPECT_EQ(test::countOf(out, "2nd Perturbed Solute"), 1);  // the net-charge line only
  EXPECT_TRUE(contains(out, "OPLS Force Field Parameters"));
  EXPECT_TRUE(contains(out,
                       " Net Charge\n"
                       " Reference Solute      -0.12000\n"
                       " 1st Perturbed Solute  -0.09000\n"
                       " 2nd Perturbed Solute  -0.12000\n"));
  EXPECT_FALSE(contains(out, "Note - Force field"));
}

TEST(ParamsSolvent, Tip4pSitesPairProductsAndWaterConstants) {
  ParamsFixture f;
  f.s.sol.code(1) = 2;
  f.s.sol.nsites(1) = 4;
  f.s.sol.name(1) = "TIP4P";
  assignSolventSites(f.s);
  const Potpar& p = f.s.potpar;
  EXPECT_EQ(p.QW(1, 1), 0.0);
  EXPECT_DOUBLE_EQ(p.QW(2, 1), 0.52 * kSq);
  EXPECT_DOUBLE_EQ(p.QW(4, 1), -1.04 * kSq);
  EXPECT_DOUBLE_EQ(p.AW(1, 1), A(3.15365, 0.155));
  EXPECT_DOUBLE_EQ(p.CW(1, 1), C(3.15365, 0.155));
  EXPECT_EQ(std::tuple(p.AW(2, 1), p.typeW(4, 1), p.nameW(4, 1), p.nameW(1, 1)),
            std::tuple(0.0, 115, "M", "OW"));
  ASSERT_EQ(p.NPROD, 16);
  EXPECT_DOUBLE_EQ(p.QQ(8), p.QW(2, 1) * p.QW(4, 1));  // row 2, column 4
  EXPECT_DOUBLE_EQ(p.AA(1), p.AW(1, 1) * p.AW(1, 1));
  EXPECT_EQ(std::tuple(p.waterModel, p.QQW(9), p.QQW(3)), std::tuple(2, 359.156096, -179.578048));

  listNonbonded(f.s);
  const std::string out = f.listing();
  EXPECT_TRUE(contains(
      out, " M      4      -1.0400       0.0000       0.0000       0.0000 Solvent 1: TIP4P    \n"));
  EXPECT_TRUE(contains(out, " Net Charge =   0.00000\n"));
}

TEST(ParamsSolvent, Tip3pUsesThreeSitesAsSecondSolventToo) {
  ParamsFixture f;
  // TIP3P as the second solvent: its fourth table entry (type 100, not in the file) is
  // beyond its three sites and never looked up.
  f.s.sol.code(2) = 1;
  f.s.sol.nsites(2) = 3;
  assignSolventSites(f.s);
  const Potpar& p = f.s.potpar;
  EXPECT_DOUBLE_EQ(p.QW(1, 2), -0.834 * kSq);
  // the pair table is the first solvent's
  EXPECT_EQ(std::tuple(p.typeW(4, 2), p.NPROD, p.waterModel, p.QQW(1), p.QQW(2)),
            std::tuple(0, 0, 1, 230.96632536, -115.48316268));
}

TEST(ParamsQm, HydrogensOnPolarAtomsLoseTheirLennardJonesTerms) {
  for (bool chargesOnly : {false, true}) {
    ParamsFixture f;
    f.lambdas(0.0, 0.5, 1.0);
    // C(1)-O(2), O-H(3) perturbed HC -> HA, C-H(4).
    f.solute({{13, 0}, {8, 0}, {4, 11}, {4, 0}});
    assignSoluteTypes(f.s);
    f.neighbours({{1, 2}, {2, 3}, {1, 4}});
    f.s.qm.method = 1;
    f.s.qm.chargesOnly = chargesOnly;
    zeroQmHydrogens(f.s);
    const Potpar& p = f.s.potpar;
    EXPECT_EQ(std::tuple(p.A(p.slot[0](3)), p.C(p.slot[0](3)), p.A(p.slot[2](3)) == 0.0),
              std::tuple(0.0, 0.0, !chargesOnly));
    EXPECT_GT(p.A(p.slot[0](4)), 0.0);
    EXPECT_GT(p.A(p.slot[0](2)), 0.0);
  }
}

TEST(ParamsTables, LookupsTheirMissesAndTheAtomicNumberStop) {
  ParamsFixture f;
  Io& io = f.s.io;
  EXPECT_EQ(ambsyn(io, "CZ"), "C:");
  EXPECT_EQ(ambsyn(io, "ZZ"), "  ");
  EXPECT_DOUBLE_EQ(rambxy(io, "LP"), -0.3);  // both entries of "LP" count
  EXPECT_EQ(
      std::tuple(rambxy(io, "ZZ"), elneg(io, 53), elneg(io, 54), polarz("C$"), polarz("HC"),
                 ichara(io, "XI"), ichara(io, "ZZ"), solventSiteType(13, 5), solventSiteName(9, 3)),
      std::tuple(0.0, 2.65, 0.0, 1.0, 0.0, 4, 1, 99, "CH2"));
  const std::string out = f.listing();
  for (const char* text :
       {" COULD NOT FIND SYNONYM FOR AMBER TYPE ZZ\n", " UNRECOGNIZED ATOM TYPE IN RAMBXY: ZZ\n",
        " COULD NOT FIND SASA TYPE FOR AMBER TYPE ZZ\n"})
    EXPECT_TRUE(contains(out, text)) << text;
  EXPECT_EQ(f.stop([&] { elneg(io, 55); }), " *** Atomic Number   55 Out of Range in ELNEG\n");
}

}  // namespace
}  // namespace veka
