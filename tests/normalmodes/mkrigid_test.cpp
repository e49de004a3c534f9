// Which Z-matrix coordinates become rigid terms, and the dummy-free renumbering.
#include <gtest/gtest.h>

#include <tuple>

#include <array>
#include <memory>
#include <numbers>
#include <set>

#include "nmd.hpp"
#include "normalmodes/system.hpp"

namespace veka::nm {
namespace {

// Methanol behind three dummy atoms, then a water molecule placed from methanol's oxygen;
// variable: the O-H bond, the C-O-H angle and the H-C-O-H dihedral (given reversed).
const std::string kMethanolWater = test::nmdData("methanol_water.nmd");

using Quad = std::array<int, 4>;

std::set<Quad> listOf(const std::array<NmRigid, MXFATM>& l, int n) {
  std::set<Quad> out;
  for (int k = 0; k < n; ++k) out.insert(l[static_cast<std::size_t>(k)].a);
  return out;
}

TEST(Rmdummy, DropsDummyAtomsAndRenumbersTheTermLists) {
  auto s = test::stateFromNmd(kMethanolWater);
  auto sys = std::make_unique<System>();
  rmdummy(*s, *sys);
  ASSERT_EQ(sys->n, 9);
  EXPECT_EQ(std::tuple(sys->orig(1), sys->orig(9), sys->newIndex(3), sys->newIndex(5), sys->mol(6),
                       sys->mol(7)),
            std::tuple(4, 12, 0, 2, 1, 2));
  ASSERT_EQ(sys->nBond, 1);
  EXPECT_EQ(sys->bond[0].i, 3);  // atom 6 of the file
  EXPECT_EQ(sys->bond[0].j, 2);
  ASSERT_EQ(sys->nTorsion, 1);
  EXPECT_EQ(std::tuple(sys->torsion[0].i, sys->torsion[0].j, sys->torsion[0].k, sys->torsion[0].l),
            std::tuple(3, 2, 1, 4));
  // Intersolute pairs: 6 methanol atoms x 3 water atoms.
  EXPECT_EQ(sys->nXPair, 18);
  EXPECT_NEAR(sys->mass(1), 12.011, 1e-12);
  EXPECT_NEAR(sys->mass(2), 15.9994, 1e-12);
}

TEST(Mkrigid, FixedZmatrixCoordinatesBetweenBondedRealAtomsBecomeRigid) {
  auto s = test::stateFromNmd(kMethanolWater);
  auto sys = std::make_unique<System>();
  rmdummy(*s, *sys);
  mkrigid(*s, *sys);
  // New numbers: C 1, O 2, HO 3, H1 4, H2 5, H3 6, OW 7, HW 8, HW 9.
  // Bonds: O-C, H1-C, H2-C, H3-C (HO-O is variable), HW-OW twice (OW-O is no bond).
  EXPECT_EQ(
      listOf(sys->rbond, sys->nRBond),
      (std::set<Quad>{
          {2, 1, 0, 0}, {4, 1, 0, 0}, {5, 1, 0, 0}, {6, 1, 0, 0}, {8, 7, 0, 0}, {9, 7, 0, 0}}));
  // Angles: H-C-O three times and HW-OW-HW; C-O-HO is variable, HW-OW-O has no bond O-OW.
  EXPECT_EQ(listOf(sys->rangle, sys->nRAngle),
            (std::set<Quad>{{4, 1, 2, 0}, {5, 1, 2, 0}, {6, 1, 2, 0}, {9, 7, 8, 0}}));
  // H1-C-O-HO is variable; nothing else forms a chain of bonds.
  EXPECT_EQ(sys->nRDih, 0);
  // H2-C-O-H1 and H3-C-O-H1: all three outer atoms bonded to C.
  EXPECT_EQ(listOf(sys->rimp, sys->nRImp), (std::set<Quad>{{5, 1, 2, 4}, {6, 1, 2, 4}}));
}

TEST(Mkrigid, NothingIsRigidWhenEveryCoordinateIsVariable) {
  auto s = test::stateFromNmd(kMethanolWater + R"(
bond 5 4 0 0 var
bond 7 4 0 0 var
bond 8 4 0 0 var
bond 9 4 0 0 var
bond 11 10 0 0 var
bond 12 10 0 0 var
angle 7 4 5 0 0 var
angle 8 4 5 0 0 var
angle 9 4 5 0 0 var
angle 12 10 11 0 0 var
dihedral 8 4 5 7 0 0 0 0 0 0 0 var
dihedral 9 4 5 7 0 0 0 0 0 0 0 var
)");
  auto sys = std::make_unique<System>();
  rmdummy(*s, *sys);
  mkrigid(*s, *sys);
  EXPECT_EQ(sys->nRBond + sys->nRAngle + sys->nRDih + sys->nRImp, 0);
}

TEST(Mkrigid, ProperDihedralsOfAFixedChainAreRigid) {
  // Hydrogen peroxide without dummies: all six coordinates fixed.
  auto s = test::stateFromNmd(R"(
zatom H1 1 1 0 0    0 0     0 0     0 0 0
zatom O1 2 8 1 0.96 0 0     0 0     0 0 0
zatom O2 2 8 2 1.45 1 100   0 0     0 0 0
zatom H2 1 1 3 0.96 2 100   1 115   0 0 0
)");
  auto sys = std::make_unique<System>();
  rmdummy(*s, *sys);
  mkrigid(*s, *sys);
  EXPECT_EQ(listOf(sys->rbond, sys->nRBond),
            (std::set<Quad>{{2, 1, 0, 0}, {3, 2, 0, 0}, {4, 3, 0, 0}}));
  EXPECT_EQ(listOf(sys->rangle, sys->nRAngle), (std::set<Quad>{{3, 2, 1, 0}, {4, 3, 2, 0}}));
  EXPECT_EQ(listOf(sys->rdih, sys->nRDih), (std::set<Quad>{{4, 3, 2, 1}}));
  EXPECT_EQ(sys->nRImp, 0);
  fixequil(*sys);
  EXPECT_NEAR(sys->rdih[0].ref, 115.0 * std::numbers::pi / 180.0, 1e-12);
  EXPECT_NEAR(sys->rbond[1].ref, 1.45, 1e-12);
}

}  // namespace
}  // namespace veka::nm
