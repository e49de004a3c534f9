// Restraints, the solute-solute energy and the polarisation energy on hand-built solutes,
// against energies worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "energy/eintra.hpp"
#include "energy/xxpot.hpp"
#include "hand_solute.hpp"

namespace veka {
namespace {

using test::HandSolute;
constexpr double kQ = 332.06;

// Three atoms in one molecule, perturbed states moved apart from the reference.
struct Three : HandSolute {
  Three() {
    atom(0.0, 0.0, 0.0);
    atom(3.0, 0.0, 0.0);
    atom(0.0, 4.0, 0.0);
    lambdas(0.0, 0.5, 1.0);
    move(1, 2, 3.5, 0.0, 0.0);
    move(2, 2, 2.0, 0.0, 0.0);
  }
};

TEST(Restraints, EachKindInEachState) {
  // Atom 2 lies 3, 3.5 and 2 A from atom 1 in the three states.
  const struct {
    int i, j;
    double r0, p1, p2, p3, e[3];
  } cases[] = {
      {2, 9999, 2.0, 1.0, 1.0, 2.0, {18.0, 22.5, 12.0}},  // position: each state's coordinates
      {1, 2, 2.5, 10.0, 20.0, 30.0, {2.5, 20.0, 7.5}},    // distance: each state's constant
      {1, 2, -1.0, 2.0, 2.8, 5.0, {0.2, 0.0, 0.0}},       // flat-bottomed: the reference only
      {1, 2, -1.0, 2.0, 3.5, 5.0, {0.0, 0.0, 0.0}},       // inside the bounds
      {1, 2, -1.0, 3.0, 3.5, 5.0, {0.0, 0.0, 0.0}},       // exactly at the lower bound
      {1, 2, -1.0, 3.2, 3.5, 5.0, {0.2, 0.0, 0.0}},
  };
  for (const auto& c : cases) {
    Three t;
    t.restraint(c.i, c.j, c.r0, c.p1, c.p2, c.p3);
    const auto e = restraintEnergies(t.s);
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(e[k], c.e[k], 1e-12) << c.i << " " << c.r0 << " " << c.p2;
  }
}

TEST(Restraints, CentroidOnTheReferenceInAllSums) {
  Three t;
  const int j = t.atom(1.0, 1.0, 1.0);
  t.move(1, j, 9.0, 9.0, 9.0);               // not used
  t.restraint(9999, j, 3.0, 2.0, 3.0, 1.9);  // centroid of atoms 2, 3 and 1 (1.9 -> 1)
  const double want = 3.0 * (0.0 + std::pow(1.0 - 4.0 / 3.0, 2) + 1.0);  // centroid (1, 4/3, 0)
  for (double e : restraintEnergies(t.s)) EXPECT_NEAR(e, want, 1e-12);
  t.s.nbcon.PBC3(1) = 0.0;  // two atoms: centroid (1.5, 2, 0)
  for (double e : restraintEnergies(t.s)) EXPECT_NEAR(e, 3.0 * (0.25 + 1 + 1), 1e-12);
  t.s.nbcon.PBC1(1) = 0.7;  // int(P1) = 0: no term
  for (double e : restraintEnergies(t.s)) EXPECT_EQ(e, 0.0);
}

TEST(Restraints, TypeFiveHundredDihedral) {
  Three t;
  t.atom(3.0, 1.0, 1.2);
  const int n = t.dihedral(3, 1, 2, 4, {0.5, 0.0, 0.0, 7.0}, {}, 500);
  t.s.dihcom.PHI[0](n) = 0.8;
  t.s.dihcom.PHI[1](n) = 2.0;  // perturbed dihedrals are not used
  auto e = restraintEnergies(t.s);
  EXPECT_NEAR(e[0], 7.0 * 0.09, 1e-12);
  EXPECT_NEAR(e[1], 7.0 * 0.09, 1e-12);
  EXPECT_NEAR(e[2], 7.0 * 0.09, 1e-12);
  t.lambdas(0.0, 0.0, 1.0);  // RC1 = RC0: not added to the first perturbed sum
  e = restraintEnergies(t.s);
  EXPECT_EQ(e[1], 0.0);
  EXPECT_NEAR(e[2], 7.0 * 0.09, 1e-12);
  // It is no torsion term, and eintra refreshes the dihedral xxpot uses.
  EXPECT_EQ(eintra(t.s, 1), 0.0);
  EXPECT_NE(t.s.dihcom.PHI[0](n), 0.8);
}

TEST(Restraints, NoPerturbationCopiesTheReferenceSum) {
  Three t;
  t.restraint(1, 2, 2.5, 10.0, 20.0, 30.0);
  t.restraint(1, 2, -1.0, 3.2, 4.0, 1.0);
  t.lambdas(0.0, 0.0, 0.0);
  const auto e = restraintEnergies(t.s);
  EXPECT_NEAR(e[0], 2.5 + 0.04, 1e-12);
  EXPECT_EQ(e[1], e[0]);
  EXPECT_EQ(e[2], e[0]);
}

// Three one-atom solutes: charges 0.5, -0.4, 0.3 and Lennard-Jones coefficients.
struct Solutes3 : HandSolute {
  Solutes3() {
    atom(0.0, 0.0, 0.0, 0.5, 900.0, 25.0);
    molecule();
    atom(4.0, 0.0, 0.0, -0.4, 800.0, 20.0);
    molecule();
    atom(0.0, 5.0, 0.0, 0.3, 700.0, 30.0);
  }
};

double pairE(double qi, double qj, double ai, double aj, double ci, double cj, double r,
             double dielec = 1.0) {
  return qi * qj * kQ / (dielec * r) + ai * aj / std::pow(r, 12) - ci * cj / std::pow(r, 6);
}

TEST(Xxpot, PairsBetweenSolutesPlusRestraints) {
  Solutes3 t;
  t.s.potpar.DIELEC = 2.0;
  t.restraint(1, 2, 3.0, 1.5, 0.0, 0.0);
  const double e12 = pairE(0.5, -0.4, 900, 800, 25, 20, 4.0, 2.0);
  const double e13 = pairE(0.5, 0.3, 900, 700, 25, 30, 5.0, 2.0);
  const double e23 = pairE(-0.4, 0.3, 800, 700, 20, 30, std::sqrt(41.0), 2.0);
  xxpot(t.s);
  EXPECT_NEAR(t.s.nbcon.EBCNEW[0], 1.5, 1e-12);
  EXPECT_NEAR(t.s.energy.EXXNEW[0], 1.5 + e12 + e13 + e23, 1e-10);
  EXPECT_EQ(t.s.energy.EXXNEW[1], t.s.energy.EXXNEW[0]);
  // The selected solute's parts: the pairs that involve solute 2.
  t.s.energy.selected = 2;
  xxpot(t.s);
  const double lj12 = 900.0 * 800 / std::pow(4.0, 12) - 500.0 / std::pow(4.0, 6);
  const double lj23 = 800.0 * 700 / std::pow(41.0, 6) - 600.0 / std::pow(41.0, 3);
  EXPECT_NEAR(t.s.energy.EXXL, lj12 + lj23, 1e-12);
  EXPECT_NEAR(t.s.energy.EXXC, e12 + e23 - lj12 - lj23, 1e-10);
  // Only the pairs of solute 1 when the command section restricts them.
  t.s.sw.firstSoluteOnly = 1;
  xxpot(t.s);
  EXPECT_NEAR(t.s.energy.EXXNEW[0], 1.5 + e12 + e13, 1e-10);
  listSoluteOneOnly(t.s);
  EXPECT_NE(t.listing().find(
                " *** Solute - Solute Interactions Neglected for Solutes Other than Solute 1 ***"),
            std::string::npos);
}

TEST(Xxpot, PerturbedStatesAndDummies) {
  Solutes3 t;
  t.lambdas(0.0, 0.5, 0.5);
  t.move(1, 2, 3.0, 0.0, 0.0);
  t.s.potpar.slot[2](3) = t.s.potpar.slot[0](2);  // state 2: atom 3 takes atom 2's slot
  xxpot(t.s);
  const double e13 = pairE(0.5, 0.3, 900, 700, 25, 30, 5.0);
  EXPECT_NEAR(t.s.energy.EXXNEW[1],
              pairE(0.5, -0.4, 900, 800, 25, 20, 3.0) + e13 +
                  pairE(-0.4, 0.3, 800, 700, 20, 30, std::sqrt(34.0)),
              1e-10);
  EXPECT_NEAR(t.s.energy.EXXNEW[2],
              pairE(0.5, -0.4, 900, 800, 25, 20, 4.0) + pairE(0.5, -0.4, 900, 800, 25, 20, 5.0) +
                  pairE(-0.4, -0.4, 800, 800, 20, 20, std::sqrt(41.0)),
              1e-10);
  t.s.zmat.ITYPE(2) = -1;
  xxpot(t.s);
  EXPECT_NEAR(t.s.energy.EXXNEW[0], e13, 1e-12);
}

TEST(Xxpot, MinimumImageInMonteCarloRunsOnly) {
  HandSolute t;
  t.atom(0.5, 0.0, 0.0, 0.5);
  t.molecule();
  t.atom(9.5, 0.0, 9.0, -0.5);
  t.s.coord.EDGE(1) = t.s.coord.EDGE(2) = t.s.coord.EDGE(3) = 10.0;
  t.s.coord.HALF(1) = t.s.coord.HALF(2) = t.s.coord.HALF(3) = 5.0;
  xxpot(t.s);  // run mode 7: no image
  EXPECT_NEAR(t.s.energy.EXXNEW[0], -0.25 * kQ / std::sqrt(81.0 + 81.0), 1e-10);
  t.s.control.runMode = 0;
  xxpot(t.s);
  EXPECT_NEAR(t.s.energy.EXXNEW[0], -0.25 * kQ / std::sqrt(1.0 + 1.0), 1e-10);
  t.s.control.slab = 1;  // no image along z
  xxpot(t.s);
  EXPECT_NEAR(t.s.energy.EXXNEW[0], -0.25 * kQ / std::sqrt(1.0 + 81.0), 1e-10);
}

TEST(Xxpot, ReactionFieldAndDistanceFloor) {
  HandSolute t;
  t.atom(0.0, 0.0, 0.0, 0.5);
  t.molecule();
  t.atom(0.0, 0.0, 2.0, 0.5);
  t.s.cutoff.reactionField = 1;
  t.s.cutoff.KRF = 0.01;
  xxpot(t.s);
  EXPECT_NEAR(t.s.energy.EXXNEW[0], 0.25 * kQ * (0.5 + 0.01 * 4.0), 1e-10);
  t.s.cutoff.reactionField = 0;
  t.move(0, 2, 0.0, 0.0, 0.0);
  xxpot(t.s);
  EXPECT_NEAR(t.s.energy.EXXNEW[0], 0.25 * kQ / 1.0e-3, 1e-6);
}

TEST(Polpot, FieldOfTheOtherSolutes) {
  HandSolute t;
  t.atom(0.0, 0.0, 0.0, 0.2);
  t.atom(1.0, 0.0, 0.0, 0.9);  // same molecule: no field on atom 1
  t.molecule();
  t.atom(3.0, 0.0, 0.0, 0.5);
  t.atom(0.0, 4.0, 0.0, -0.5);
  polpot(t.s);
  EXPECT_EQ(t.s.energy.EPONEW[0], 0.0);  // polarisation off
  t.s.potpar.polarisable = true;
  t.s.potpar.alpha(1) = 1.5;
  polpot(t.s);
  // F = (-0.5/9, 0.5/16) in units of sqrt(332.06) e/A^2.
  const double f2 = (0.25 / 81.0 + 0.25 / 256.0) * kQ;
  EXPECT_NEAR(t.s.energy.EPONEW[0], -0.5 * 1.5 * f2, 1e-12);
  EXPECT_EQ(t.s.energy.EPONEW[1], t.s.energy.EPONEW[0]);
  t.lambdas(0.0, 1.0, 1.0);
  t.move(1, 3, 6.0, 0.0, 0.0);
  polpot(t.s);
  EXPECT_NEAR(t.s.energy.EPONEW[1], -0.75 * (0.25 / 1296.0 + 0.25 / 256.0) * kQ, 1e-12);
  EXPECT_NEAR(t.s.energy.EPONEW[2], t.s.energy.EPONEW[0], 1e-15);
}

}  // namespace
}  // namespace veka
