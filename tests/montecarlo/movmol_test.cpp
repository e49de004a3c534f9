// Solute moves: the trial geometry (solute choice, wrapping, dihedral steps and flips), the
// trial energies of the three states against a fresh evaluation, and the sampled
// distribution of butane's central dihedral against its Boltzmann distribution.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "energy/eintra.hpp"
#include "energy/gas_job.hpp"
#include "energy/gasphase.hpp"
#include "energy/solution.hpp"
#include "molecule/geometry.hpp"
#include "molecule/params.hpp"
#include "molecule/solvent_models.hpp"
#include "molecule/zmatrix_states.hpp"
#include "montecarlo/moves.hpp"
#include "montecarlo/movmol.hpp"
#include "montecarlo/movmol_detail.hpp"
#include "montecarlo/random.hpp"
#include "support/stop.hpp"

namespace veka {
namespace {

using test::GasJob;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::string edit(std::string t, const std::string& from, const std::string& to) {
  t.replace(t.find(from), from.size(), to);
  return t;
}
// Butane with only some sections of variables (the central dihedral is atom 4's).
std::string butane(const std::string& dihedrals, bool bondsAndAngles = false) {
  std::string t = GasJob::data("butane_anti.z");
  if (!bondsAndAngles) t = edit(edit(t, "   2-  14\n", ""), "   3-  14\n", "");
  t = edit(t, "2  109.600000   1   59.800000", "2  109.600000   4  121.600000");
  t = edit(t, "2  109.300000   1  299.900000", "2  109.300000   4 -121.600000");
  return edit(t, "   4-  14\n", dihedrals);
}
std::string rigid(std::string t) {
  for (const char* v : {"   2-   9\n", "   3-   9\n", "   4-   9\n", "   5-   9\n", "   6-   9\n"})
    if (t.find(v) != std::string::npos) t = edit(t, v, "");
  return t;
}

// A solute of the gas-phase set-up made ready for Monte Carlo moves at temperature tk,
// optionally in a lattice of TIP3P water (molecules closer than 2.8 A to the solute left
// out).
struct McJob {
  GasJob job;
  State& s = job.s;
  McJob(const std::string& zmat, double rc1, double rc2, double tk = 298.15)
      : job(zmat, GasJob::Options{{}, 1, 0, 0.0, rc1, rc2}) {
    s.geom.noPert = 0;
    s.misc.TK = tk;
    s.misc.BETA = 1.0 / (s.misc.GASCON * tk);
    gasPhaseEnergy(s);
    acceptSoluteEnergies(s);
  }
  void water(int side, double spacing) {
    s.control.runMode = 1;
    const SolventModel m = slvmod("TIP3P");
    s.sol.name(1) = Chars<5>("TIP3P"), s.sol.code(1) = m.code, s.sol.nsites(1) = m.sites;
    assignSolventSites(s);
    for (int a = 1; a <= 3; ++a)
      s.coord.EDGE(a) = side * spacing, s.coord.HALF(a) = side * spacing / 2;
    int n = 0;
    for (int i = 0; i < side * side * side; ++i) {
      const double o[3] = {(i % side + 0.5) * spacing - s.coord.HALF(1),
                           (i / side % side + 0.5) * spacing - s.coord.HALF(2),
                           (i / side / side + 0.5) * spacing - s.coord.HALF(3)};
      bool near = false;
      for (int k = 1; k <= s.zmat.NSATM; ++k) {
        const Xyz& c = s.solcor.xyz[0];
        near |= std::hypot(c.x(k) - o[0], c.y(k) - o[1], c.z(k) - o[2]) < 2.8;
      }
      if (near) continue;
      ++n;
      const double h[3][3] = {{0, 0, 0}, {0.9572, 0, 0}, {-0.2400, 0.9266, 0}};
      for (int j = 1; j <= 3; ++j)
        s.coord.X(n, j) = o[0] + h[j - 1][0], s.coord.Y(n, j) = o[1] + h[j - 1][1],
                     s.coord.Z(n, j) = o[2] + h[j - 1][2];
    }
    s.coord.NMOL = n;
    s.cutoff.RCUT = s.cutoff.SCUT = 0.5 * side * spacing - 0.5;
    prepareSolventEnergy(s);
    enmtx(s);
  }
  void ready() {
    prepareMoves(s);
    prepareSoluteMoves(s);
  }
};

TEST(SoluteMove, StepFactor) {
  EXPECT_EQ(stepFactor(1, 1), 1.0);
  EXPECT_NEAR(stepFactor(2, 3), 0.2719, 5e-5);
}

// Every dihedral step lies within +-D, every 6th selection of the only flip dihedral
// flips it by exactly +-F; each move changes 2..10 of butane's 11 dihedrals.
TEST(SoluteMove, DihedralStepsAndFlips) {
  McJob j(butane("   4-  14\nFLIP   4 120\n"), 0.0, 0.0);
  j.ready();
  State& s = j.s;
  const Dihcom& d = s.dihcom;
  ASSERT_EQ(d.NFLIPD, 1);
  int visits = 0, flips = 0;
  for (int move = 0; move < 600; ++move) {
    soluteTrialGeometry(s);
    int changed = 0;
    const int before = flips;
    for (int n = 1; n <= d.NVDIH; ++n) {
      const double v = s.move.sol.PHI[0](n), step = std::remainder(v - d.PHI[0](n), kTwoPi);
      if (step == 0.0) continue;
      ASSERT_TRUE(v >= 0.0 && v <= kTwoPi);
      ++changed;
      const bool flip = d.ID4(n) == 4 && ++visits % 6 == 0;
      flips += flip;
      if (flip)
        EXPECT_NEAR(std::abs(step), 120.0 * s.misc.DTORAD, 1e-12);
      else
        EXPECT_LE(std::abs(step), d.DDIH(n) + 1e-12);
    }
    EXPECT_TRUE(changed >= 2 && changed <= 10) << changed;
    EXPECT_EQ(s.dihcom.flipTried, flips > before ? -flips : flips);
    s.dihcom.flipTried = flips;
  }
  EXPECT_GT(flips, 5);
}

// The whole solute moves back by one edge when its reference atom leaves the box, except
// along z in a slab; in a system with a single-atom cap solute that solute never moves.
TEST(SoluteMove, WrapsOnTheReferenceAtomAndLeavesTheCapAtom) {
  for (int slab : {0, 1}) {
    McJob j(rigid(GasJob::data("ethanol.z")), 0.0, 0.0);
    State& s = j.s;
    s.control.slab = slab, s.movp.RDELS(1) = 0.5, s.movp.ADELS(1) = 0.0;
    for (int a = 1; a <= 3; ++a) s.coord.EDGE(a) = 20.0, s.coord.HALF(a) = 10.0;
    const Xyz before = s.solcor.xyz[0];
    for (int i = 1; i <= s.zmat.NSATM; ++i)
      s.solcor.xyz[0].z(i) += 9.95 - before.z(s.misc.NCENT(1));
    s.solcor.xyz[1] = s.solcor.xyz[2] = s.solcor.xyz[0];
    j.ready();
    double dz = 0.0;  // a seed whose z step carries the reference atom out of the box
    for (int seed = 1; dz < 0.2; ++seed) {
      seedRands(s.rands, seed);
      Rands r = s.rands;
      ranu(r), ranu(r);
      dz = ranu(r) - 0.5;
    }
    soluteTrialGeometry(s);
    for (int i = 1; i <= s.zmat.NSATM; ++i)
      for (const Xyz& t : s.move.sol.xyz)
        EXPECT_NEAR(t.z(i), s.solcor.xyz[0].z(i) + dz - (slab ? 0.0 : 20.0), 1e-12);
  }
  const std::string cap = GasJob::data("methanol_water.z");
  McJob j(edit(cap, "                    Geometry",
               "TER\n  10 AR   111  111    5    3.500000   4  "
               "100.000000   6  120.000000\n                    Geometry"),
          0.0, 0.0);
  j.ready();
  ASSERT_EQ(j.s.zmat.NSOLUT, 3);
  std::vector<int> chosen(4);
  for (bool capOn : {false, true}) {
    j.s.control.cap = capOn, j.s.cap.atom = 10;
    for (int move = 0; move < 60; ++move) soluteTrialGeometry(j.s), ++chosen[j.s.move.solute];
    EXPECT_EQ(chosen[3] > 0, !capOn);
    chosen[3] = 0;
  }
}

// Moves of a flexible perturbed ethanol in water, each accepted when the Metropolis test
// passes: identical perturbed states have identical trial terms, and the running energies
// equal a fresh evaluation; the variable bonds are the trial coordinates' bonds.
TEST(SoluteMove, RunningEnergiesEqualAFreshEvaluation) {
  for (double rc : {0.0, 1.0}) {
    McJob j(GasJob::data("ethanol_perturbed.z"), rc, rc / 2);
    State& s = j.s;
    j.water(5, 3.3);
    j.ready();
    int accepted = 0;
    for (int move = 0; move < 300; ++move) {
      movmol(s);
      const double dE = s.energy.ENEW - s.energy.EOLD;
      if (!s.move.sol.complete || ranu(s.rands) > std::exp(-s.misc.BETA * dE)) continue;
      if (rc == 0.0) {
        for (const PerState* e : {&s.energy.ESONE, &s.energy.EXXNEW, &s.nbcom.ENBNE,
                                  &s.dihcom.EDIHNE, &s.bndcom.EBNDNE})
          ASSERT_TRUE((*e)[0] == (*e)[1] && (*e)[0] == (*e)[2]);
      }
      acceptSoluteMove(s), ++accepted;
    }
    EXPECT_GT(accepted, 10);
    const Energy run = s.energy;
    const PerState enb = s.nbcom.ENBOL, edih = s.dihcom.EDIHOL;
    const std::vector<double> esx1 = s.slveco.ESX[1];
    zmatTermValues(s);
    enmtx(s);
    EXPECT_NEAR(run.EOLD, s.energy.EOLD, 1e-9);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(run.ESOLD[k], s.energy.ESOLD[k], 1e-9);
      EXPECT_NEAR(enb[k], s.nbcom.ENBOL[k], 1e-9);
      EXPECT_NEAR(edih[k], s.dihcom.EDIHOL[k], 1e-9) << k;
    }
    for (std::size_t n = 0; n < esx1.size(); ++n) EXPECT_NEAR(esx1[n], s.slveco.ESX[1][n], 1e-9);
    const Bndcom& b = s.bndcom;
    for (int n = 1; n <= b.NVBND; ++n)
      EXPECT_NEAR(distance(atom(s.solcor.xyz[0], b.IB1(n)), atom(s.solcor.xyz[0], b.IB2(n))),
                  b.RB[0](n), 1e-9);
  }
}

// A solute perturbed in its charges, its internal steps 0: its internal energies stay,
// E1 - E0 is constant;
// a move whose bonded energy rises past 25/beta stops before the solute-solvent loop.
TEST(SoluteMove, RigidChargePerturbationAndEarlyExit) {
  McJob j(
      edit(GasJob::data("ethanol_perturbed.z"), "   3   1    1.520000\n   4   3   95.000000\n", ""),
      1.0, 0.5);
  State& s = j.s;
  s.bndcom.DBND.fill(0.0), s.bndcom.DBMX.fill(0.0), s.angcom.DANG.fill(0.0);
  s.angcom.DAMX.fill(0.0), s.dihcom.DDIH.fill(0.0), s.dihcom.DDMX.fill(0.0);
  j.ready();
  auto delta = [&](int k) {
    return (s.energy.EXXOLD[k] + s.nbcom.ENBOL[k] + s.dihcom.EDIHOL[k]) -
           (s.energy.EXXOLD[0] + s.nbcom.ENBOL[0] + s.dihcom.EDIHOL[0]);
  };
  const double d1 = delta(1), d2 = delta(2), e0 = s.nbcom.ENBOL[0];
  ASSERT_NE(d1, 0.0);
  for (int move = 0; move < 50; ++move) {
    movmol(s);
    acceptSoluteMove(s);
    EXPECT_NEAR(delta(1), d1, 1e-9);
    EXPECT_NEAR(delta(2), d2, 1e-9);
    EXPECT_NEAR(s.nbcom.ENBOL[0], e0, 1e-9);
  }
  McJob f(GasJob::data("ethanol.z"), 0.0, 0.0);
  f.water(4, 3.3);
  f.ready();
  f.s.misc.BETA = 1e9;
  f.s.move.sol.esx[0].assign(f.s.move.sol.esx[0].size(), -1.0);
  movmol(f.s);
  EXPECT_FALSE(f.s.move.sol.complete);
  EXPECT_EQ(f.s.energy.ENEW, f.s.energy.EOLD + 25.0 / 1e9);
  EXPECT_EQ(f.s.move.sol.esx[0][0], -1.0);
}

// Butane's central dihedral sampled by solute moves with the Metropolis test, with and
// without flips, against exp(-beta E(phi)) integrated over 24 bins (chi-square, 23 degrees
// of freedom, samples taken every 20 moves).
TEST(SoluteMove, CentralDihedralFollowsItsBoltzmannDistribution) {
  for (const char* flips : {"", "FLIP   4 120\n"}) {
    McJob j(butane("   4-   4\n" + std::string(flips)), 0.0, 0.0, 600.0);
    State& s = j.s;
    s.movp.RDELS(1) = s.movp.ADELS(1) = 0.0;
    s.dihcom.DDIH(1) = 0.6, s.dihcom.DDMX(1) = 1.2;
    const double phi0 = s.zmat.DIH(4);
    constexpr int kBins = 24, kGrid = 40;
    std::vector<double> p(kBins);
    double z = 0.0;
    for (int i = 0; i < kBins * kGrid; ++i) {
      s.zmat.DIH(4) = (i + 0.5) * kTwoPi / (kBins * kGrid);
      makmol(s.solcor.xyz[0], s.zmat);
      zmatTermValues(s);
      const double w = std::exp(-s.misc.BETA * gasPhaseEnergy(s));
      p[static_cast<std::size_t>(i / kGrid)] += w, z += w;
    }
    s.zmat.DIH(4) = phi0;
    makmol(s.solcor.xyz[0], s.zmat);
    zmatTermValues(s);
    gasPhaseEnergy(s);
    acceptSoluteEnergies(s);
    j.ready();
    std::vector<double> count(kBins);
    constexpr int kSamples = 10000;
    for (int move = 0; move < 20 * kSamples; ++move) {
      movmol(s);
      const double dE = s.energy.ENEW - s.energy.EOLD;
      if (s.move.sol.complete && ranu(s.rands) <= std::exp(-s.misc.BETA * dE)) acceptSoluteMove(s);
      s.dihcom.flipTried = std::abs(s.dihcom.flipTried);
      if (move % 20 == 0)
        count[static_cast<std::size_t>(s.dihcom.PHI[0](1) / kTwoPi * kBins) % kBins] += 1;
    }
    double chi2 = 0.0;
    for (int b = 0; b < kBins; ++b) {
      const double e = kSamples * p[static_cast<std::size_t>(b)] / z;
      chi2 +=
          (count[static_cast<std::size_t>(b)] - e) * (count[static_cast<std::size_t>(b)] - e) / e;
    }
    EXPECT_LT(chi2, 50.0) << "flips: " << flips;
  }
}

TEST(SoluteMove, FlipOnAFixedDihedralStops) {
  GasJob j(butane("   4-  13\nFLIP  14  60\n", true), GasJob::Bare{});
  EXPECT_TRUE(test::stopMessage([&] { return j.listing(); }, [&] { readSolutes(j.s, 1); })
                  .ends_with(" *** Flip Move for Atom    14 Whose Dihedral Is Not Variable - "
                             "Killed in ZSTART ***\n"));
}

}  // namespace
}  // namespace veka
