// Covalent neighbours from the bond list and from distances.
#include <gtest/gtest.h>

#include <memory>

#include "energy/covneb.hpp"
#include "support/run.hpp"
#include "support/stop.hpp"

namespace veka {
namespace {

struct Atom {
  int z;
  double x, y, z3;
};

std::unique_ptr<State> molecule(const std::vector<Atom>& atoms) {
  auto s = std::make_unique<State>();
  Zmat& zm = s->zmat;
  zm.NSATM = static_cast<int>(atoms.size());
  zm.NSOLUT = 1;
  zm.first(1) = 1;
  zm.last(1) = zm.NSATM;
  for (int i = 1; i <= zm.NSATM; ++i) {
    const Atom& a = atoms[static_cast<std::size_t>(i - 1)];
    zm.ITYPE(i) = zm.JTYPE(i) = 1;
    s->potpar.NATI(i) = s->potpar.NATF(i) = a.z;
    for (Xyz* c : {&s->solcor.setup0, &s->solcor.setup1}) {
      c->x(i) = a.x;
      c->y(i) = a.y;
      c->z(i) = a.z3;
    }
  }
  return s;
}

std::vector<int> neighbours(const State& s, int i) {
  std::vector<int> v;
  for (int k = 1; k <= s.covnbr.NNEB(i); ++k) v.push_back(s.covnbr.NEB(k, i));
  return v;
}

TEST(Covneb, DistanceRuleWithHydrogenPairsAndChlorinePairsExcluded) {
  // C-H at 1.09 (bonded: 0.77 + 0.32 + 0.1), H...H at 0.6 (never), Cl-Cl at 1.9 (never),
  // C...O at 1.6 (beyond 0.77 + 0.70 + 0.1 = 1.57).
  auto s = molecule({{6, 0, 0, 0},
                     {1, 1.09, 0, 0},
                     {1, 1.09, 0.6, 0},
                     {17, 0, 3, 0},
                     {17, 0, 4.9, 0},
                     {8, -1.6, 0, 0}});
  covneb(*s, true);
  EXPECT_EQ(neighbours(*s, 1), (std::vector<int>{2}));
  EXPECT_EQ(neighbours(*s, 2), (std::vector<int>{1}));
  EXPECT_TRUE(neighbours(*s, 3).empty());
  EXPECT_TRUE(neighbours(*s, 4).empty());
  EXPECT_TRUE(neighbours(*s, 6).empty());
  EXPECT_EQ(s->covnbr.NBONDS, 1);
}

TEST(Covneb, BondListAndDummiesAndSwitch) {
  auto s = molecule({{6, 0, 0, 0}, {6, 5.0, 0, 0}, {6, 1.5, 0, 0}, {6, 0, 1.5, 0}});
  s->bndcom.NBND = 1;
  s->bndcom.IB1(1) = 2;
  s->bndcom.IB2(1) = 1;   // listed far apart: still neighbours
  s->zmat.ITYPE(4) = -1;  // dummy atoms have no neighbours
  covneb(*s, true);
  EXPECT_EQ(neighbours(*s, 1), (std::vector<int>{2, 3}));
  EXPECT_EQ(neighbours(*s, 2), (std::vector<int>{1}));
  EXPECT_TRUE(neighbours(*s, 4).empty());
  s->sw.noDistanceBonds = 1;  // bond list only
  covneb(*s, true);
  EXPECT_EQ(neighbours(*s, 1), (std::vector<int>{2}));
  EXPECT_EQ(s->covnbr.NBONDS, 1);
  // Type 100 ("DM") atoms are not bonded by distance.
  s->sw.noDistanceBonds = 0;
  s->zmat.ITYPE(3) = s->zmat.JTYPE(3) = 100;
  covneb(*s, true);
  EXPECT_EQ(neighbours(*s, 1), (std::vector<int>{2}));
}

// Runs covneb, which must stop, with the listing on a temporary file; returns the message.
std::string stopOf(State& s) {
  test::TempDir dir;
  EXPECT_EQ(s.io.output.open(dir.file("out"), OpenStatus::Unknown), 0);
  return test::stopMessage([&] { return test::readFile(dir.file("out")); },
                           [&] { covneb(s, true); });
}

TEST(Covneb, ElevenNeighboursAndBadAtomicNumbersStop) {
  std::vector<Atom> atoms{{6, 0, 0, 0}};
  for (int k = 0; k < 11; ++k) atoms.push_back({6, 1.0 * (k % 2 ? 1 : -1), 0.1 * k, 0});
  auto s = molecule(atoms);
  s->sw.noDistanceBonds = 1;
  s->bndcom.NBND = 11;
  for (int k = 1; k <= 11; ++k) s->bndcom.IB1(k) = 1, s->bndcom.IB2(k) = k + 1;
  EXPECT_EQ(stopOf(*s), " Overflow in COVNEB - Atom   1 has >  10 Bonds\n");
  auto t = molecule({{6, 0, 0, 0}, {120, 1, 0, 0}});
  EXPECT_NE(stopOf(*t).find("Out of Range in CRAD"), std::string::npos);
}

}  // namespace
}  // namespace veka
