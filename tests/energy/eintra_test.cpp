// The intramolecular energy on hand-built solutes: the term formulas, the torsion chop,
// zero coefficients, the r^2 floor, the three modes and the copies of equal states.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "energy/eintra.hpp"
#include "hand_solute.hpp"

namespace veka {
namespace {

using test::HandSolute;
constexpr double kQ = 332.06;  // charge products of HandSolute atoms carry this factor

// Four atoms i-j-k-l with a dihedral near 66 degrees and one torsion entry.
struct Torsion4 : HandSolute {
  int n = 0;
  explicit Torsion4(std::array<double, 4> v, std::array<double, 3> f = {}) {
    atom(0.0, 1.0, 0.2);
    atom(0.0, 0.0, 0.0);
    atom(1.5, 0.0, 0.0);
    atom(1.7, 0.4, 0.9);
    n = dihedral(1, 2, 3, 4, v, f);
  }
  double phi() const { return s.dihcom.PHI[0](n); }
};

TEST(Eintra, FourierTorsionWithPhasesAndFourthTerm) {
  const double pi = std::numbers::pi;
  Torsion4 t({1.3, -0.7, 2.1, 0.4}, {pi / 2, pi, 0.3});
  eintra(t.s, 1);
  const double p = t.phi();
  EXPECT_NEAR(std::fabs(p), std::atan2(0.9, 0.4) - std::atan2(0.2, 1.0), 1e-12);
  const double fourier =
      0.5 * (1.3 * (1 + std::cos(p + pi / 2)) - 0.7 * (1 - std::cos(2 * p + pi)) +
             2.1 * (1 + std::cos(3 * p + 0.3)));
  EXPECT_NEAR(t.s.dihcom.EDIHNE[0], fourier + 0.5 * 0.4 * (1 - std::cos(4 * p)), 1e-12);
  t.s.dihcom.constV4 = 1;  // the fourth term becomes a constant
  eintra(t.s, 1);
  EXPECT_NEAR(t.s.dihcom.EDIHNE[0], fourier + 0.4, 1e-12);
}

TEST(Eintra, TorsionChop) {
  Torsion4 t({3.0, 0.0, 0.0, 0.0});
  t.dihedral(4, 3, 2, 1, {0.0, 0.0, 0.02, 0.0});  // a low barrier, under the chop value
  eintra(t.s, 1);
  const double e1 = 1.5 * (1 + std::cos(t.phi()));
  const double e2 = t.s.dihcom.EDIHNE[0] - e1;
  ASSERT_GT(e1, 0.5);
  ASSERT_LT(e2, 0.04);
  // A chop value from the command section caps each torsion; 0 or below means none.
  t.s.sw.chop = 0.5;
  intraSettings(t.s);
  EXPECT_EQ(t.s.dihcom.chop, 0.5);
  EXPECT_NEAR(eintra(t.s, 1), 0.5 + e2, 1e-12);
  for (double off : {0.0, -3.0}) {
    t.s.sw.chop = off;
    intraSettings(t.s);
    EXPECT_EQ(t.s.dihcom.chop, 1.0e10);
    EXPECT_NEAR(eintra(t.s, 1), e1 + e2, 1e-12);
  }
}

TEST(Eintra, ZeroCoefficientsAndSkippedTypes) {
  // A zero coefficient adds nothing, whatever its phase (its cosine is never taken).
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Torsion4 t({0.0, 1.0, 0.0, 0.0}, {nan, 0.0, nan});
  eintra(t.s, 1);
  EXPECT_NEAR(t.s.dihcom.EDIHNE[0], 0.5 * (1 - std::cos(2 * t.phi())), 1e-12);
  // Types summing to 0 and restraints (type 500) are not torsion terms here.
  t.s.dihcom.ITOR0(1) = t.s.dihcom.ITOR1(1) = 0;
  EXPECT_EQ(eintra(t.s, 1), 0.0);
  t.s.dihcom.ITOR0(1) = 500;
  EXPECT_EQ(eintra(t.s, 1), 0.0);
  t.s.dihcom.ITOR0(1) = -7, t.s.dihcom.ITOR1(1) = 7;  // sum 0 with non-zero types
  EXPECT_EQ(eintra(t.s, 1), 0.0);
}

// Two atoms with one pair entry set by hand.
struct Pair2 : HandSolute {
  Pair2(double r, std::uint8_t flag14) {
    atom(0, 0, 0, 0.4, 600.0, 20.0);
    atom(r, 0, 0, -0.3, 900.0, 30.0);
    s.nbcom.NPAIR = 1;
    s.nbcom.NBI(1) = 1, s.nbcom.NBJ(1) = 2, s.nbcom.I14(1) = flag14;
  }
};

double pairRef(double r, double sc, double sl, double dielec) {
  return sc * 0.4 * -0.3 * kQ / (dielec * r) +
         sl * (600.0 * 900.0 / std::pow(r, 12) - 600.0 / std::pow(r, 6));
}

TEST(Eintra, PairTermScalesAndDielectric) {
  Pair2 p(3.1, 0);
  p.s.potpar.DIELEC = 2.5;
  EXPECT_NEAR(eintra(p.s, 2), pairRef(3.1, 1, 1, 2.5), 1e-12);
  p.s.nbcom.I14(1) = 0xFF;
  p.s.potpar.SCL14C = 0.5, p.s.potpar.SCL14L = 0.125;
  EXPECT_NEAR(eintra(p.s, 2), pairRef(3.1, 0.5, 0.125, 2.5), 1e-12);
  // A pair kept only for an Ewald correction has no plain energy.
  p.s.nbcom.I14(1) = 0, p.s.nbcom.EWX(1) = 1;
  EXPECT_EQ(eintra(p.s, 2), 0.0);
}

TEST(Eintra, SquaredDistanceFloorInEveryState) {
  Pair2 p(0.0, 0);
  p.s.potpar.A.fill(0.0), p.s.potpar.C.fill(0.0);
  p.lambdas(0.0, 0.5, 0.0);
  p.move(1, 2, 1.0e-5, 0.0, 0.0);  // 1e-10 A^2 in state 1
  eintra(p.s, 0);
  EXPECT_NEAR(p.s.nbcom.ENBNE[0], 0.4 * -0.3 * kQ / 1.0e-3, 1e-6);
  EXPECT_NEAR(p.s.nbcom.ENBNE[1], p.s.nbcom.ENBNE[0], 1e-6);
}

TEST(Eintra, PairKernelsOfEveryWidthGiveTheSameSum) {
  HandSolute h;
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int k = 0; k < 60; ++k)
    h.atom(4 * u(rng), 4 * u(rng), 4 * u(rng), 0.6 * u(rng), 800 + 700 * u(rng), 25 + 20 * u(rng));
  h.move(0, 7, h.s.solcor.xyz[0].x(3), h.s.solcor.xyz[0].y(3), h.s.solcor.xyz[0].z(3));
  Nbcom& nb = h.s.nbcom;
  for (int i = 1; i <= 60; ++i)
    for (int j = i + 1; j <= 60 && nb.NPAIR < 1037; ++j) {  // 1037: partial blocks and quads
      const int n = ++nb.NPAIR;
      nb.NBI(n) = static_cast<std::int16_t>(i), nb.NBJ(n) = static_cast<std::int16_t>(j);
      nb.I14(n) = (i * j) % 5 == 0 ? 0xFF : 0;
      nb.EWX(n) = (i + j) % 17 == 0 ? 1 : 0;
    }
  h.s.potpar.SCL14C = 0.4, h.s.potpar.SCL14L = 0.7, h.s.potpar.DIELEC = 1.7;
  double naive = 0.0;
  for (int n = 1; n <= nb.NPAIR; ++n) {
    if (nb.EWX(n)) continue;
    const int i = nb.NBI(n), j = nb.NBJ(n);
    const Xyz& c = h.s.solcor.xyz[0];
    const double r = std::max(std::hypot(c.x(i) - c.x(j), c.y(i) - c.y(j), c.z(i) - c.z(j)), 1e-3);
    const double s14 = nb.I14(n) ? 0.4 : 1.0, l14 = nb.I14(n) ? 0.7 : 1.0;
    const Potpar& p = h.s.potpar;
    naive += s14 * p.Q(i) * p.Q(j) / (1.7 * r) +
             l14 * (p.A(i) * p.A(j) / std::pow(r, 12) - p.C(i) * p.C(j) / std::pow(r, 6));
  }
  const double one = pairEnergy(h.s, 0, 1);
  EXPECT_NEAR(one, naive, 1e-9 * std::fabs(naive));
  EXPECT_EQ(std::tuple(pairEnergy(h.s, 0, 4), pairEnergy(h.s, 0, 8), pairEnergy(h.s, 0)),
            std::tuple(one, one, one));
  // Eight pairs at a time, so that a difference in a single pair energy cannot hide in
  // the rounding of a large sum.
  const Nbcom all = nb;
  for (int n0 = 0; n0 + 8 <= all.NPAIR; n0 += 8) {
    for (int k = 1; k <= 8; ++k) {
      nb.NBI(k) = all.NBI(n0 + k), nb.NBJ(k) = all.NBJ(n0 + k);
      nb.I14(k) = all.I14(n0 + k), nb.EWX(k) = all.EWX(n0 + k);
    }
    nb.NPAIR = 8;
    const double e1 = pairEnergy(h.s, 0, 1);
    ASSERT_EQ(pairEnergy(h.s, 0, 4), e1) << n0;
    ASSERT_EQ(pairEnergy(h.s, 0, 8), e1) << n0;
  }
}

TEST(Eintra, ModesSplitBondedAndNonbonded) {
  Torsion4 t({0.0, 0.0, 1.6, 0.0});
  t.bond(1, 2, 300.0, 1.1);
  t.s.nbcom.NPAIR = 1;
  t.s.nbcom.NBI(1) = 1, t.s.nbcom.NBJ(1) = 4;
  t.s.potpar.Q(1) = t.s.potpar.Q(4) = 5.0;
  const double all = eintra(t.s, 0);
  const double nb = t.s.nbcom.ENBNE[0];
  ASSERT_NE(nb, 0.0);
  EXPECT_NEAR(eintra(t.s, 1), all - nb, 1e-12);  // mode 1: bonded only
  EXPECT_EQ(t.s.nbcom.ENBNE[0], 0.0);
  EXPECT_NEAR(eintra(t.s, 2), all, 1e-12);
  // Mode 2 takes the bonded sums of the previous call even when the geometry changed.
  const double bonded = t.s.bndcom.EBNDNE[0] + t.s.dihcom.EDIHNE[0];
  t.move(0, 4, 2.0, 1.0, 1.5);
  const double e2 = eintra(t.s, 2);
  EXPECT_EQ(t.s.bndcom.EBNDNE[0] + t.s.dihcom.EDIHNE[0], bonded);
  EXPECT_NEAR(e2, bonded + t.s.nbcom.ENBNE[0], 1e-12);
  EXPECT_NE(t.s.nbcom.ENBNE[0], nb);
  EXPECT_NE(eintra(t.s, 0), e2);  // mode 0 sees the new dihedral
}

TEST(Eintra, EqualCouplingValuesCopyTheReferenceSums) {
  Torsion4 t({0.5, 1.0, 1.6, 0.0});
  t.bond(2, 3, 300.0, 1.4);
  t.angle(1, 2, 3, 60.0, 1.8);
  t.s.nbcom.NPAIR = 1;
  t.s.nbcom.NBI(1) = 1, t.s.nbcom.NBJ(1) = 4;
  t.s.potpar.Q(1) = t.s.potpar.Q(4) = 5.0;
  t.lambdas(0.3, 0.3, 0.7);
  // State 1 (RC1 = RC0) gets other coordinates and parameters; they must not be used.
  t.move(1, 4, 9.0, 9.0, 9.0);
  t.s.bndcom.KB[1](1) = 1.0e6;
  t.s.dihcom.V3[1](1) = 99.0;
  // State 2 differs in one parameter only.
  t.s.bndcom.KB[2](1) = 600.0;
  eintra(t.s, 0);
  const auto& s = t.s;
  EXPECT_EQ(
      std::tuple(s.bndcom.EBNDNE[1], s.angcom.EANGNE[1], s.dihcom.EDIHNE[1], s.nbcom.ENBNE[1]),
      std::tuple(s.bndcom.EBNDNE[0], s.angcom.EANGNE[0], s.dihcom.EDIHNE[0], s.nbcom.ENBNE[0]));
  EXPECT_NEAR(s.bndcom.EBNDNE[2], 2.0 * s.bndcom.EBNDNE[0], 1e-12);
  EXPECT_NEAR(s.dihcom.EDIHNE[2], s.dihcom.EDIHNE[0], 1e-12);
  EXPECT_NEAR(s.nbcom.ENBNE[2], s.nbcom.ENBNE[0], 1e-12);
  // upadd refreshed the perturbed dihedral values (the flag is clear).
  EXPECT_NE(s.dihcom.PHI[1](1), s.dihcom.PHI[0](1));
}

TEST(Eintra, NoPerturbationFlagCopiesTheReferenceWhateverTheCouplingValues) {
  // Gas-phase jobs use the command-line numbers for other things: RC1 = 2 here must not
  // bring state 2's (stale) parameters into play.
  Torsion4 t({0.5, 1.0, 1.6, 0.0});
  t.bond(2, 3, 300.0, 1.4);
  t.lambdas(10.0, 2.0, 37.0);
  t.s.geom.noPert = 1;
  t.s.bndcom.KB[1](1) = 1.0e6;
  t.s.bndcom.KB[2](1) = 7.0;
  eintra(t.s, 0);
  EXPECT_EQ(std::tuple(t.s.bndcom.EBNDNE[1], t.s.bndcom.EBNDNE[2], t.s.dihcom.EDIHNE[2]),
            std::tuple(t.s.bndcom.EBNDNE[0], t.s.bndcom.EBNDNE[0], t.s.dihcom.EDIHNE[0]));
}

TEST(Eintra, UpaddLeavesPerturbedValuesAloneWithoutPerturbation) {
  Torsion4 t({0.0, 0.0, 1.0, 0.0});
  t.s.dihcom.PHI[1](1) = 42.0;
  upadd(t.s);
  EXPECT_EQ(t.s.dihcom.PHI[1](1), 42.0);
  EXPECT_NE(t.s.dihcom.PHI[0](1), 0.0);
}

TEST(Eintra, SettingsFromTheCommandSection) {
  HandSolute h;
  Potpar& p = h.s.potpar;
  p.div14C = 0.0, p.div14L = -1.0, h.s.cutoff.CUTNB = 0.0;
  intraSettings(h.s);
  EXPECT_EQ(std::tuple(p.SCL14C, p.SCL14L, h.s.nbcom.CUTNB), std::tuple(0.5, 0.5, 16.0));
  p.div14C = 8.0, p.div14L = 100000.0, h.s.cutoff.CUTNB = 9.5;
  intraSettings(h.s);
  EXPECT_EQ(p.SCL14C, 0.125);
  EXPECT_EQ(p.div14L, 1.0e30);
  EXPECT_DOUBLE_EQ(p.SCL14L, 1.0e-30);
  EXPECT_EQ(h.s.nbcom.CUTNB, 9.5);
  p.div14L = 99999.0;
  intraSettings(h.s);
  EXPECT_EQ(p.div14L, 99999.0);
}

}  // namespace
}  // namespace veka
