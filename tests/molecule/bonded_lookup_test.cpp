// Bond, angle and torsion lookups: synonym stages, estimates, "DM" types, the torsion
// table layouts and the automatic torsion and improper assignment.
#include <cmath>
#include <numbers>

#include "params_support.hpp"

namespace veka {
namespace {

using test::contains;
using test::countOf;
using test::ParamsFixture;

TEST(BondedLookup, BondStagesFromDirectToEstimate) {
  ParamsFixture f;
  BondedTables tb(f.s);
  int code = 0;
  BondParam p = bndget(tb, "HC", "CT", 1, 6, code);  // listed as CT-HC
  EXPECT_EQ(std::tuple(code, p.K, p.R0), std::tuple(1, 340.0, 1.09));
  EXPECT_EQ(f.listing(), "");  // a direct hit is silent
  // Synonyms of the first, the second and both types.
  p = bndget(tb, "C2", "CT", 6, 6, code);
  EXPECT_EQ(std::tuple(code, p.K, p.R0), std::tuple(2, 268.0, 1.529));
  p = bndget(tb, "CT", "H1", 6, 1, code);
  EXPECT_EQ(std::tuple(code, p.K, p.R0), std::tuple(3, 340.0, 1.09));
  p = bndget(tb, "C3", "H2", 6, 1, code);
  EXPECT_EQ(std::tuple(code, p.K, p.R0), std::tuple(4, 340.0, 1.09));
  p = bndget(tb, "Br", "Cl", 35, 17, code);
  EXPECT_EQ(code, 5);
  EXPECT_DOUBLE_EQ(p.R0, 1.18 + 1.02);
  EXPECT_DOUBLE_EQ(p.K, 120.0 * std::pow(2.85 * 3.15 / (2.2 * 2.2), 0.75));

  const std::string out = f.listing();
  EXPECT_TRUE(contains(out,
                       " *** Missing Bond Stretch Parameters - Seeking Synonym for: C2-CT ***\n"
                       " Using Synonym: CT-CT\n"));
  EXPECT_TRUE(contains(out, " Using Synonym: CT-HC\n"));
  EXPECT_TRUE(contains(out, " No Synonym Found - Using Estimate: Br-Cl"));
  EXPECT_EQ(countOf(out, "Using Synonym"), 3);
}

TEST(BondedLookup, DummyTypesReturnAtOnceAndQmRunsStayQuiet) {
  ParamsFixture f;
  BondedTables tb(f.s);
  int code = 0;
  const BondParam p = bndget(tb, "DM", "CT", 0, 6, code);
  EXPECT_EQ(std::tuple(code, p.K, p.R0), std::tuple(5, 0.0, 0.0));
  const AngleParam a = angget(tb, "CT", "DM", "HC", code);
  EXPECT_EQ(std::tuple(code, a.K), std::tuple(5, 0.0));
  const std::string out = f.listing();
  EXPECT_FALSE(contains(out, "Synonym:"));
  EXPECT_FALSE(contains(out, "COULD NOT FIND"));
  EXPECT_FALSE(contains(out, "Estimate"));

  f.s.qm.method = 1;
  bndget(tb, "C2", "CT", 6, 6, code);
  angget(tb, "C2", "CT", "HC", code);
  EXPECT_EQ(countOf(f.listing(), "*** Missing"), 2);  // only the two before QM
}

TEST(BondedLookup, AngleStagesEstimateAndDefault) {
  ParamsFixture f;
  BondedTables tb(f.s);
  struct Case {
    const char *a, *b, *c;
    int code;
    double K, th0;
  };
  const Case cases[] = {
      {"HC", "CT", "CT", 1, 37.5, 110.7},  // listed with its ends reversed
      {"C2", "CT", "HC", 2, 37.5, 110.7},  // first end
      {"HC", "CT", "C3", 3, 37.5, 110.7},  // last end
      {"H1", "CT", "C3", 4, 37.5, 110.7},  // both ends
      {"HC", "CH", "HC", 5, 33.0, 107.8},  // vertex
      {"H1", "CH", "H2", 6, 33.0, 107.8},  // all three
      {"CA", "OS", "CA", 7, 55.0, 109.0},  // average over the OS vertex records
      {"HC", "Si", "HC", 7, 63.0, 112.4},  // no record of the vertex at all
  };
  for (const Case& c : cases) {
    int code = 0;
    const AngleParam p = angget(tb, c.a, c.b, c.c, code);
    EXPECT_EQ(code, c.code) << c.a << c.b << c.c;
    EXPECT_DOUBLE_EQ(p.K, c.K) << c.a << c.b << c.c;
    EXPECT_DOUBLE_EQ(p.th0, c.th0) << c.a << c.b << c.c;
  }
  const std::string out = f.listing();
  EXPECT_TRUE(contains(out,
                       " *** Missing Angle Bend Parameters - Type: H1-CH-H2 Seeking Synonym. ***\n"
                       " Using Synonym: HC-CT-HC\n"));
  EXPECT_TRUE(contains(out, " No Synonym Found - Using Estimate: CA-OS-CA"));
  EXPECT_TRUE(contains(out, " No Synonym Found - Using Default: CHECK!! HC-Si-HC"));
}

TEST(BondedTorsions, ExplicitTypesPhasesAndTheMissingTypeStop) {
  ParamsFixture f;
  BondedTables tb(f.s);
  const std::array<FfType, 4> t = {"CT", "CT", "OH", "HO"};
  bool imp = true;
  int type = 5;
  const Torsion p = dihget(tb, 1, 2, 3, 4, t, type, imp);
  EXPECT_EQ(tb.torsionLayout(), 1);
  EXPECT_EQ(type, 5);
  EXPECT_FALSE(imp);
  EXPECT_EQ(p.V, (std::array<double, 4>{1.0, 2.0, 3.0, 0.5}));
  EXPECT_DOUBLE_EQ(p.f[0], std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(p.f[1], std::numbers::pi);
  EXPECT_EQ(p.f[2], 0.0);
  type = 7;  // behind a blank record of the torsion section
  EXPECT_EQ(dihget(tb, 1, 2, 3, 4, t, type, imp).V[0], 0.2);
  type = 0;
  EXPECT_EQ(dihget(tb, 1, 2, 3, 4, t, type, imp).V, (std::array<double, 4>{}));

  type = 77;
  EXPECT_EQ(f.stop([&] { dihget(tb, 1, 2, 3, 4, t, type, imp); }),
            " Missing Entry in the Parameter File for Torsion Type   77\n");
}

TEST(BondedTorsions, LayoutZeroHoldsTheConstantTermInV4) {
  ParamsFixture f("layout0.par");
  BondedTables tb(f.s);
  bool imp = false;
  int type = 1;
  const Torsion p = dihget(tb, 1, 2, 3, 4, {"HC", "CT", "CT", "HC"}, type, imp);
  EXPECT_EQ(tb.torsionLayout(), 0);
  EXPECT_EQ(p.V, (std::array<double, 4>{1.0, 2.0, 3.0, 0.25}));
  EXPECT_EQ(p.f[0], 0.0);
  EXPECT_DOUBLE_EQ(p.f[1], std::numbers::pi);
  EXPECT_DOUBLE_EQ(p.f[2], std::numbers::pi / 2);
}

// A chain molecule 1-2-3-4 for automatic torsion types.
struct Chain : ParamsFixture {
  Chain() {
    solute({{3, 0}, {3, 0}, {3, 0}, {3, 0}});
    neighbours({{1, 2}, {2, 3}, {3, 4}});
  }
  int type(const std::array<FfType, 4>& t) {
    BondedTables tb(s);
    int ty = -1;
    bool imp = false;
    dihget(tb, 1, 2, 3, 4, t, ty, imp);
    EXPECT_FALSE(imp);
    return ty;
  }
};

TEST(BondedTorsions, AutomaticTypeByWildcardScore) {
  Chain f;
  EXPECT_EQ(f.type({"HC", "CT", "CT", "HC"}), 1);
  EXPECT_EQ(f.type({"CT", "CT", "CT", "HC"}), 3);  // record HC-CT-CT-CT read backwards
  EXPECT_EQ(f.type({"HO", "OH", "CT", "HC"}), 9);  // exact beats the earlier ??-CT-OH-??
  EXPECT_EQ(f.listing(), "");                      // single exact matches are silent
  EXPECT_EQ(f.type({"NA", "CT", "OH", "NA"}), 8);
  EXPECT_EQ(f.listing(),
            " For NA-CT-OH-NA Using ?"
            "?-CT-OH-?? Type:    8\n");
  // A record whose explicit characters contradict the query never matches, however many
  // characters it shares: HC-CT-CT-HC shares as much with HC-CM-CM-HC as ??-CM-CM-?? does.
  EXPECT_EQ(f.type({"HC", "CM", "CM", "HC"}), 11);
}

TEST(BondedTorsions, TwoExactMatchesTakeTheFirstAndSaySo) {
  Chain f;
  EXPECT_EQ(f.type({"OH", "CT", "CT", "OH"}), 6);
  EXPECT_EQ(f.listing(),
            " There are  2 exact matches - For OH-CT-CT-OH Using OH-CT-CT-OH Type:    6\n");
}

TEST(BondedTorsions, NoAutomaticTorsionWithDummiesDmTypesOrAcrossSolutes) {
  Chain f;
  EXPECT_EQ(f.type({"HC", "CT", "DM", "HC"}), 0);
  f.s.zmat.ITYPE(4) = -1;
  EXPECT_EQ(f.type({"HC", "CT", "CT", "HC"}), 0);
  f.s.zmat.ITYPE(4) = 3;
  f.molecules({2, 4});
  EXPECT_EQ(f.type({"HC", "CT", "CT", "HC"}), 0);
  EXPECT_EQ(f.listing(), "");
}

TEST(BondedTorsions, ImpropersTakeTheirTypeFromTheCentreAtom) {
  // Atom 1 is bonded to 2, 3 and 4; atom 5 is added as a fourth neighbour when asked.
  struct Case {
    const char* centre;
    bool fourth;
    int type;
  };
  const Case cases[] = {{"C ", false, 160}, {"CA", false, 162}, {"CA", true, 0}, {"N ", false, 161},
                        {"NA", true, 161},  {"NO", false, 161}, {"OS", false, 0}};
  for (const Case& c : cases) {
    ParamsFixture f;
    f.solute({{3, 0}, {3, 0}, {3, 0}, {3, 0}, {3, 0}});
    if (c.fourth)
      f.neighbours({{1, 2}, {1, 3}, {1, 4}, {1, 5}});
    else
      f.neighbours({{1, 2}, {1, 3}, {1, 4}});
    BondedTables tb(f.s);
    bool imp = false;
    int centreJ = -1, centreK = -1;
    // 2-1-3-4: l bonded to j (centre 1); 2-3-1-4: i bonded to k (centre 1).
    dihget(tb, 2, 1, 3, 4, {"HC", c.centre, "HC", "HC"}, centreJ, imp);
    EXPECT_TRUE(imp);
    dihget(tb, 2, 3, 1, 4, {"HC", "HC", c.centre, "HC"}, centreK, imp);
    EXPECT_TRUE(imp);
    EXPECT_EQ(centreJ, c.type) << c.centre << c.fourth;
    EXPECT_EQ(centreK, c.type) << c.centre << c.fourth;
  }
}

}  // namespace
}  // namespace veka
