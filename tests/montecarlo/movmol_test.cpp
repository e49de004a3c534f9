// Solute moves: the trial geometry (dihedral steps and flips, wrapping, the cap solute),
// the trial energies of the three states against a fresh evaluation, and the sampled
// distribution of butane's central dihedral against its Boltzmann distribution.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>
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
  return t.replace(t.find(from), from.size(), to);
}
// Butane whose variable dihedrals are `dihedrals` (atom 4's is the central one; H10 and
// H11 follow C4), with or without its variable bonds and angles.
std::string butane(const std::string& dihedrals, bool bondsAndAngles = false) {
  std::string t = GasJob::data("butane_anti.z");
  if (!bondsAndAngles) t = edit(edit(t, "   2-  14\n", ""), "   3-  14\n", "");
  t = edit(t, "2  109.600000   1   59.800000", "2  109.600000   4  121.600000");
  t = edit(t, "2  109.300000   1  299.900000", "2  109.300000   4 -121.600000");
  return edit(t, "   4-  14\n", dihedrals);
}

// A solute of the gas-phase set-up ready for Monte Carlo moves at temperature tk, alone or
// in a lattice of TIP3P water (without the molecules within 2.8 A of the solute).
struct McJob {
  GasJob job;
  State& s = job.s;
  McJob(const std::string& zmat, double rc1, double rc2, double tk = 298.15)
      : job(zmat, GasJob::Options{{}, 1, 0, 0.0, rc1, rc2}) {
    s.geom.noPert = 0;
    s.misc.BETA = 1.0 / (s.misc.GASCON * tk);
    gasPhaseEnergy(s);
    acceptSoluteEnergies(s);
  }
  void water(int side, double a) {
    s.sol.name(1) = Chars<5>("TIP3P"), s.sol.code(1) = slvmod("TIP3P").code, s.sol.nsites(1) = 3;
    assignSolventSites(s);
    for (int k = 1; k <= 3; ++k) s.coord.EDGE(k) = side * a, s.coord.HALF(k) = side * a / 2;
    const double h[3][3] = {{0, 0, 0}, {0.9572, 0, 0}, {-0.2400, 0.9266, 0}};
    const Xyz& c = s.solcor.xyz[0];
    for (int i = 0, n = 0; i < side * side * side; ++i) {
      const double o[3] = {(i % side + 0.5) * a - s.coord.HALF(1),
                           (i / side % side + 0.5) * a - s.coord.HALF(1),
                           (i / side / side + 0.5) * a - s.coord.HALF(1)};
      bool near = false;
      for (int k = 1; k <= s.zmat.NSATM; ++k)
        near |= std::hypot(o[0] - c.x(k), o[1] - c.y(k), o[2] - c.z(k)) < 2.8;
      if (near) continue;
      s.coord.NMOL = ++n;
      for (int j = 0; j < 3; ++j)
        s.coord.X(n, j + 1) = o[0] + h[j][0], s.coord.Y(n, j + 1) = o[1] + h[j][1],
                         s.coord.Z(n, j + 1) = o[2];
    }
    s.cutoff.RCUT = s.cutoff.SCUT = 0.5 * side * a - 0.5;
    prepareSolventEnergy(s);
    enmtx(s);
  }
  void freeze() {  // internal steps of size 0: a move shifts and turns the solute only
    s.bndcom.DBND.fill(0.0), s.bndcom.DBMX.fill(0.0), s.angcom.DANG.fill(0.0);
    s.angcom.DAMX.fill(0.0), s.dihcom.DDIH.fill(0.0), s.dihcom.DDMX.fill(0.0);
  }
  void ready() { prepareMoves(s), prepareSoluteMoves(s); }
  bool metropolis() {  // one solute move decided by the Metropolis test
    movmol(s);
    s.dihcom.flipTried = std::abs(s.dihcom.flipTried);
    const double dE = s.energy.ENEW - s.energy.EOLD;
    if (!s.move.sol.complete || ranu(s.rands) > std::exp(-s.misc.BETA * dE)) return false;
    acceptSoluteMove(s);
    return true;
  }
};

// Every dihedral step lies within +-D, every 6th selection of the only flip dihedral flips
// it by exactly +-F (and marks the flip); each move changes 2..10 of butane's 11 dihedrals.
// Dihedral histories take bins of 7.5 degrees; the bond step factor.
TEST(SoluteMove, DihedralStepsAndFlips) {
  McJob j(butane("   4-  14\nFLIP   4 120\n"), 0.0, 0.0);
  j.ready();
  const Dihcom& d = j.s.dihcom;
  ASSERT_EQ(d.NFLIPD, 1);
  int visits = 0, flips = 0;
  for (int move = 0; move < 600; ++move) {
    soluteTrialGeometry(j.s);
    int changed = 0;
    const int before = flips;
    for (int n = 1; n <= d.NVDIH; ++n) {
      const double v = j.s.move.sol.PHI[0](n), step = std::remainder(v - d.PHI[0](n), kTwoPi);
      if (step == 0.0) continue;
      ASSERT_TRUE(v >= 0.0 && v <= kTwoPi);
      ++changed;
      const bool flip = d.ID4(n) == 4 && ++visits % 6 == 0;
      flips += flip;
      EXPECT_NEAR(std::abs(step), flip ? 120.0 * j.s.misc.DTORAD : 0.0, flip ? 1e-12 : d.DDIH(n));
    }
    EXPECT_TRUE(changed >= 2 && changed <= 10) << changed;
    EXPECT_EQ(d.flipTried, flips > before ? -flips : flips);
    j.s.dihcom.flipTried = flips;
  }
  EXPECT_GT(flips, 5);
  for (double phi : {-0.01, kTwoPi, std::numbers::pi})  // history interval 1 (MXCON 0)
    j.s.dihcom.PHI[0](1) = phi, recordDihedralHistory(j.s);
  EXPECT_EQ(std::vector<int>({d.hist(1, 1), d.hist(1, 2), d.hist(1, 3)}),
            std::vector<int>({48, 1, 25}));
  EXPECT_EQ(stepFactor(1, 1), 1.0);
  EXPECT_NEAR(stepFactor(2, 3), 0.2719, 5e-5);
}

// The whole solute moves back by one edge when its reference atom leaves the box, except
// along z in a slab; a single-atom solute that is the cap atom is never chosen; solutes 1
// and 2 move as one body unless the joint-move switch is set.
TEST(SoluteMove, WrapsOnTheReferenceAtomAndLeavesTheCapAtom) {
  for (int slab : {0, 1}) {
    McJob j(GasJob::data("ethanol.z"), 0.0, 0.0);
    State& s = j.s;
    j.freeze();
    s.control.slab = slab, s.movp.RDELS(1) = 0.5, s.movp.ADELS(1) = 0.0;
    for (int a = 1; a <= 3; ++a) s.coord.EDGE(a) = 20.0, s.coord.HALF(a) = 10.0;
    const double lift = 9.95 - s.solcor.xyz[0].z(s.misc.NCENT(1));
    for (Xyz& c : s.solcor.xyz)
      for (int i = 1; i <= s.zmat.NSATM; ++i) c.z(i) += lift;
    j.ready();
    double dz = 0.0;  // a seed whose z step carries the reference atom out of the box
    for (int seed = 1; dz < 0.2; ++seed) {
      seedRands(s.rands, seed);
      Rands r = s.rands;
      dz = (ranu(r), ranu(r), ranu(r)) - 0.5;
    }
    soluteTrialGeometry(s);
    for (const Xyz& t : s.move.sol.xyz)
      for (int i = 1; i <= s.zmat.NSATM; ++i)
        EXPECT_NEAR(t.z(i), s.solcor.xyz[0].z(i) + dz - (slab ? 0.0 : 20.0), 1e-9);
  }
  McJob j(edit(GasJob::data("methanol_water.z"), "                    Geometry",
               "TER\n  10 AR   111  111    5    3.500000   4  100.000000   6  120.000000\n"
               "                    Geometry"),
          0.0, 0.0);
  j.ready();
  for (bool capOn : {false, true}) {
    j.s.control.cap = capOn, j.s.cap.atom = 10;
    int third = 0;
    for (int move = 0; move < 60; ++move) soluteTrialGeometry(j.s), third += j.s.move.solute == 3;
    EXPECT_EQ(third > 0, !capOn);
  }
  for (int alone : {0, 1}) {  // joint-move switch 0: solutes 1 and 2 move together
    j.s.sw.soluteBuild = alone;
    for (int move = 0; move < 40; ++move) {
      soluteTrialGeometry(j.s);
      const Zmat& z = j.s.zmat;
      const Xyz &t = j.s.move.sol.xyz[0], &c = j.s.solcor.xyz[0];
      const int o = 3 - j.s.move.solute;
      const double d = t.x(z.first(o)) - c.x(z.first(o));
      EXPECT_EQ(d != 0.0, alone == 0);
      for (int i = z.first(o); i <= z.last(o); ++i) EXPECT_NEAR(t.x(i) - c.x(i), d, 1e-12);
      EXPECT_EQ(t.x(10), c.x(10));
    }
  }
}

// Moves of a flexible perturbed ethanol in water: with identical states every perturbed
// trial term equals the reference one; the running energies equal a fresh evaluation and the
// variable bonds are the bonds of the coordinates.
TEST(SoluteMove, RunningEnergiesEqualAFreshEvaluation) {
  for (double rc : {0.0, 1.0}) {
    McJob j(GasJob::data("ethanol_perturbed.z"), rc, rc / 2);
    State& s = j.s;
    j.water(5, 3.3);
    j.ready();
    int accepted = 0;
    for (int move = 0; move < 300; ++move) {
      accepted += j.metropolis();
      const bool same = rc != 0.0 || !s.move.sol.complete;
      for (const PerState* e : {&s.energy.ESONE, &s.energy.EXXNEW, &s.nbcom.ENBNE})
        EXPECT_TRUE(same || ((*e)[0] == (*e)[1] && (*e)[0] == (*e)[2]));
    }
    EXPECT_GT(accepted, 10);
    const Energy run = s.energy;
    const PerState enb = s.nbcom.ENBOL, edih = s.dihcom.EDIHOL;
    const std::vector<double> esx1 = s.slveco.ESX[1];
    zmatTermValues(s);
    enmtx(s);
    EXPECT_NEAR(run.EOLD, s.energy.EOLD, 1e-9);
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_NEAR(run.ESOLD[k], s.energy.ESOLD[k], 1e-9);
      EXPECT_NEAR(enb[k], s.nbcom.ENBOL[k], 1e-9);
      EXPECT_NEAR(edih[k], s.dihcom.EDIHOL[k], 1e-9);
    }
    for (std::size_t n = 0; n < esx1.size(); ++n) EXPECT_NEAR(esx1[n], s.slveco.ESX[1][n], 1e-9);
    const Xyz& c = s.solcor.xyz[0];
    for (int n = 1; n <= s.bndcom.NVBND; ++n)
      EXPECT_NEAR(distance(atom(c, s.bndcom.IB1(n)), atom(c, s.bndcom.IB2(n))), s.bndcom.RB[0](n),
                  1e-9);
  }
}

// The solute-solvent row of a solute move against the one-molecule routine, to the last
// bit at every width: cutoff from the solute centre and from every atom, three solute
// states and one.
TEST(SoluteMove, SoluteSolventRowEqualsTheMoleculeRoutine) {
  for (const auto& [icut, noPert] : {std::pair{0, 0}, {2, 0}, {0, 1}}) {
    McJob j(GasJob::data("ethanol_perturbed.z"), 1.0, 0.5);
    State& s = j.s;
    s.cutoff.ICUT = icut;
    s.geom.noPert = noPert;
    j.water(5, 3.3);
    const auto nmol = static_cast<std::size_t>(s.coord.NMOL);
    for (int width : {1, 4, 8}) {
      std::vector<double> v(6 * nmol);
      double* p = v.data();
      SoluteRowOut out{{p, p + nmol, p + 2 * nmol}, p + 3 * nmol, p + 4 * nmol, p + 5 * nmol};
      soluteSolventRow(s, s.slveco.solute, out, width);
      int inside = 0;
      for (std::size_t n = 0; n < nmol; ++n) {
        SxParts parts;
        const PerState e = solventSoluteEnergy(s, static_cast<int>(n) + 1, &parts);
        inside += e[0] != 0.0;
        EXPECT_EQ(out.e[0][n], e[0]) << icut << noPert << width << " " << n;
        EXPECT_EQ(out.e[1][n], e[1]);
        EXPECT_EQ(out.e[2][n], e[2]);
        EXPECT_EQ(out.coul[n], parts.coul);
        EXPECT_EQ(out.lj[n], parts.lj);
        EXPECT_EQ(out.r2[n], parts.r2);
      }
      EXPECT_GT(inside, 20);
      EXPECT_EQ(out.sum, s.energy.ESONE);
      EXPECT_EQ(noPert != 0, out.sum[1] == out.sum[0]);
    }
  }
}

// A solute perturbed in its charges only and moved as a rigid body keeps its internal
// energy and E1 - E0.
TEST(SoluteMove, RigidChargePerturbationKeepsItsEnergyDifference) {
  const std::string variations = "   3   1    1.520000\n   4   3   95.000000\n";
  McJob j(edit(GasJob::data("ethanol_perturbed.z"), variations, ""), 1.0, 0.5);
  State& s = j.s;
  j.freeze();
  j.ready();
  auto delta = [&](std::size_t k) {
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
}

// Butane's central dihedral sampled by Metropolis solute moves at 600 K, with and without
// flips, against exp(-beta E(phi)) integrated numerically over 24 bins: chi-square with 23
// degrees of freedom over 10,000 samples taken every 20 moves.
TEST(SoluteMove, CentralDihedralFollowsItsBoltzmannDistribution) {
  for (const char* flips : {"", "FLIP   4 120\n"}) {
    McJob j(butane("   4-   4\n" + std::string(flips)), 0.0, 0.0, 600.0);
    State& s = j.s;
    s.movp.RDELS(1) = s.movp.ADELS(1) = 0.0;
    s.dihcom.DDIH(1) = 0.6, s.dihcom.DDMX(1) = 1.2;
    constexpr int kBins = 24, kGrid = 40, kSamples = 10000;
    std::vector<double> p(kBins), count(kBins);
    double z = 0.0;
    const double phi0 = s.zmat.DIH(4);
    for (int i = 0; i <= kBins * kGrid; ++i) {
      s.zmat.DIH(4) = i < kBins * kGrid ? (i + 0.5) * kTwoPi / (kBins * kGrid) : phi0;
      makmol(s.solcor.xyz[0], s.zmat);
      zmatTermValues(s);
      const double w = std::exp(-s.misc.BETA * gasPhaseEnergy(s));
      if (i < kBins * kGrid) p[static_cast<std::size_t>(i / kGrid)] += w, z += w;
    }
    acceptSoluteEnergies(s);
    j.ready();
    for (int move = 0; move < 20 * kSamples; ++move) {
      j.metropolis();
      if (move % 20 == 0)
        count[static_cast<std::size_t>(s.dihcom.PHI[0](1) / kTwoPi * kBins) % kBins] += 1;
    }
    double chi2 = 0.0;
    for (std::size_t b = 0; b < kBins; ++b) {
      const double e = kSamples * p[b] / z;
      chi2 += (count[b] - e) * (count[b] - e) / e;
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
