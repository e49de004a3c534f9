// The energy, gradient and Hessian of whole molecules: every kind of term, on random
// geometries, against central differences; and the torsion formula with phases.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "fd.hpp"
#include "nmd.hpp"
#include "normalmodes/force.hpp"
#include "normalmodes/system.hpp"

namespace veka::nm {
namespace {

using test::coordinates;
using test::finiteDifferences;
using test::shake;
using test::stateFromNmd;
using test::systemEvaluator;

// Acetaldehyde and a water molecule with every kind of term (data/kitchen_sink.nmd).
std::string kitchenSink(const std::string& more = "") {
  return test::nmdData("kitchen_sink.nmd") + more;
}

std::unique_ptr<System> systemOf(const State& s) {
  auto sys = std::make_unique<System>();
  rmdummy(s, *sys);
  return sys;
}

// Keeps only the terms of one kind (0 bonds .. 6 intersolute pairs).
void keepOnly(System& sys, int kind) {
  if (kind != 0) sys.nBond = 0;
  if (kind != 1) sys.nAngle = 0;
  if (kind != 2) sys.nTorsion = 0;
  if (kind != 3) sys.nRestraint = 0;
  if (kind != 4) sys.nPair = 0;
  if (kind != 5) sys.nXPair = 0;
}

TEST(Force, EveryTermKindMatchesDifferencesOnRandomGeometries) {
  auto s = stateFromNmd(kitchenSink());
  for (int kind = 0; kind <= 6; ++kind) {  // 6 = everything together
    for (unsigned seed = 1; seed <= 4; ++seed) {
      auto sys = systemOf(*s);
      if (kind < 6) keepOnly(*sys, kind);
      auto x = coordinates(*sys);
      shake(x, 0.12, seed + 10 * static_cast<unsigned>(kind));
      const auto err = finiteDifferences(x, systemEvaluator(*sys, false), 1e-5);
      EXPECT_GT(err.hmax, 0.0) << "kind " << kind;
      EXPECT_LT(err.grad, 1e-7) << "kind " << kind << " seed " << seed;
      EXPECT_LT(err.hess, 1e-5) << "kind " << kind << " seed " << seed;
      EXPECT_LT(err.asym, 1e-12) << "kind " << kind;
    }
  }
}

TEST(Force, ConstantFourthTermGivesNoForceButCountsInTheEnergy) {
  auto s = stateFromNmd(kitchenSink("constv4 1\n"));
  auto sys = systemOf(*s);
  keepOnly(*sys, 2);
  for (int n = 0; n < sys->nTorsion; ++n)
    sys->torsion[static_cast<std::size_t>(n)].restraint = false;
  auto x = coordinates(*sys);
  shake(x, 0.1, 99);
  const auto err = finiteDifferences(x, systemEvaluator(*sys, false), 1e-5);
  EXPECT_LT(err.grad, 1e-7);
  EXPECT_LT(err.hess, 1e-5);
  // Only V4 terms: the energy is the sum of the V4 values and there is no gradient.
  for (int n = 0; n < sys->nTorsion; ++n) {
    NmTorsion& t = sys->torsion[static_cast<std::size_t>(n)];
    t.v1 = t.v2 = t.v3 = 0.0;
    t.v4 = 0.25 * (n + 1);
  }
  std::vector<double> g(static_cast<std::size_t>(3 * sys->n), 0.0);
  Sink out{g.data(), nullptr, 0};
  const Energies e = force(*sys, out, false);
  EXPECT_DOUBLE_EQ(e.torsion, 0.25 * (1 + 2 + 3 + 4 + 5));
  for (double v : g) EXPECT_EQ(v, 0.0);
}

TEST(Force, RigidTermsVanishAtTheirReferenceAndMatchDifferencesAwayFromIt) {
  auto s = stateFromNmd(kitchenSink());
  auto sys = systemOf(*s);
  keepOnly(*sys, -1);
  // Rigid terms of every kind on the first molecule.
  sys->nRBond = 1, sys->rbond[0].a = {1, 2, 0, 0};
  sys->nRAngle = 2, sys->rangle[0].a = {1, 2, 3, 0}, sys->rangle[1].a = {5, 1, 6, 0};
  sys->nRDih = 1, sys->rdih[0].a = {5, 1, 2, 3};
  sys->nRImp = 1, sys->rimp[0].a = {3, 2, 4, 1};
  fixequil(*sys);
  std::vector<double> g(static_cast<std::size_t>(3 * sys->n), 0.0);
  Sink out{g.data(), nullptr, 0};
  EXPECT_NEAR(force(*sys, out, true).rigid, 0.0, 1e-6);
  for (double v : g) EXPECT_NEAR(v, 0.0, 1e-2);  // K = 1e12: zero to rounding
  auto x = coordinates(*sys);
  shake(x, 0.01, 5);
  const auto err = finiteDifferences(x, systemEvaluator(*sys, true), 1e-6);
  EXPECT_GT(err.hmax, 1e12);
  EXPECT_LT(err.grad, 1e-7);
  EXPECT_LT(err.hess, 1e-5);
}

// The torsion with phases and a fourth term at a known dihedral (+75 degrees by the
// Z-matrix construction); the other terms equal the program's energies (energy tests).
TEST(Energy, TorsionWithPhasesFollowsTheFourierFormula) {
  auto s = stateFromNmd(R"(
zatom A 1 6 0 0   0 0   0 0    0.3 3.4 0.1
zatom B 2 6 1 1.7 0 0   0 0   -0.2 3.6 0.2
zatom C 3 6 2 1.4 1 100 0 0    0.1 3.0 0.05
zatom D 4 8 3 1.3 2 115 1 75  -0.5 2.9 0.17
dihedral 1 2 3 4 1.1 -0.7 0.6 0.4 90 180 270
)");
  auto sys = systemOf(*s);
  const double d2r = std::numbers::pi / 180, phi = 75 * d2r;
  ASSERT_NEAR(dihedralAngle(sys->x.data(), 1, 2, 3, 4), phi, 1e-12);
  Sink none;
  EXPECT_NEAR(
      force(*sys, none, false).torsion,
      0.5 * (1.1 * (1 + std::cos(phi + 90 * d2r)) - 0.7 * (1 - std::cos(2 * phi + 180 * d2r)) +
             0.6 * (1 + std::cos(3 * phi + 270 * d2r)) + 0.4 * (1 - std::cos(4 * phi))),
      1e-12);
}

TEST(Energy, SoluteOneRestrictionKeepsOnlyPairsStartingInSoluteOne) {
  const char* three = R"(
atom A 1 8 0 0 0 -0.4 3.0 0.2
ter
atom B 2 8 3 0 0 0.4 3.0 0.2
ter
atom C 3 8 0 3 0 0.3 3.0 0.2
)";
  auto all = systemOf(*stateFromNmd(three));
  auto first = systemOf(*stateFromNmd(std::string(three) + "soluteonly1 1\n"));
  EXPECT_EQ(all->nXPair, 3);
  EXPECT_EQ(first->nXPair, 2);
  for (int n = 0; n < first->nXPair; ++n) EXPECT_EQ(first->xpair[static_cast<std::size_t>(n)].i, 1);
}

TEST(Energy, ChoppedTorsionIsFlatAtTheChopValue) {
  auto s = stateFromNmd(kitchenSink("chop 0.05\n"));
  auto sys = systemOf(*s);
  keepOnly(*sys, 2);
  int chopped = 0;
  for (int n = 0; n < sys->nTorsion; ++n) {
    const NmTorsion& t = sys->torsion[static_cast<std::size_t>(n)];
    if (!t.restraint &&
        torsionEnergy(*sys, t, dihedralAngle(sys->x.data(), t.i, t.j, t.k, t.l)) > 0.05)
      ++chopped;
  }
  ASSERT_GT(chopped, 0);
  auto x = coordinates(*sys);
  const auto err = finiteDifferences(x, systemEvaluator(*sys, false), 1e-5);
  EXPECT_LT(err.grad, 1e-7);
  EXPECT_LT(err.hess, 1e-5);
}

TEST(Energy, TypeFiveHundredRestraintUsesTheBranchOfTheStoredDihedral) {
  NmTorsion t;
  t.restraint = true;
  t.phiRef = 3.0;  // near +pi: a geometric -3.1 is read as 2 pi - 3.1
  EXPECT_NEAR(restraintBranch(t, -3.1), 2 * std::numbers::pi - 3.1, 1e-12);
  t.phiRef = -3.0;
  EXPECT_NEAR(restraintBranch(t, -3.1), -3.1, 1e-12);
  t.phiRef = 2 * std::numbers::pi + 0.2;  // the optimiser may carry a dihedral beyond 2 pi
  EXPECT_NEAR(restraintBranch(t, 0.25), 2 * std::numbers::pi + 0.25, 1e-12);
}

}  // namespace
}  // namespace veka::nm
