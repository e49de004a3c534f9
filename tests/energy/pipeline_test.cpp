// Energies of solutes read and parameterised by the real set-up: invariance under rigid
// motions, perturbed states against reference states at the same coupling value, and
// agreement with the normal-mode code's energies on random geometries.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "energy/xxpot.hpp"
#include "gas_job.hpp"
#include "molecule/geometry.hpp"
#include "normalmodes/force.hpp"
#include "normalmodes/system.hpp"

namespace veka {
namespace {

using test::GasJob;

// The terms compared between two energy evaluations, the total last.
constexpr double EnergyComponents::*kTerms[] = {
    &EnergyComponents::stretch, &EnergyComponents::bend,  &EnergyComponents::torsion,
    &EnergyComponents::intra,   &EnergyComponents::inter, &EnergyComponents::constraints,
    &EnergyComponents::total};

// Random changes of every variable coordinate, new coordinates, new term values.
void randomGeometry(State& s, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Zmat& z = s.zmat;
  for (int n = 1; n <= s.bndcom.NVBND; ++n) z.BND(s.bndcom.IB1(n)) += 0.08 * u(rng);
  for (int n = 1; n <= s.angcom.NVANG; ++n) z.ANG(s.angcom.IA1(n)) += 0.15 * u(rng);
  for (int n = 1; n <= s.dihcom.NVDIH; ++n) z.DIH(s.dihcom.ID4(n)) += 1.5 * u(rng);
  makmol(s.solcor.xyz[0], z);
  zmatTermValues(s);
}

// Rotates and translates the reference coordinates of all solute atoms.
void rigidMotion(State& s, double angle, Vec3 axis, Vec3 shift) {
  const double n = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
  const double x = axis.x / n, y = axis.y / n, z = axis.z / n;
  const double c = std::cos(angle), si = std::sin(angle), t = 1.0 - c;
  const double r[3][3] = {{t * x * x + c, t * x * y - si * z, t * x * z + si * y},
                          {t * x * y + si * z, t * y * y + c, t * y * z - si * x},
                          {t * x * z - si * y, t * y * z + si * x, t * z * z + c}};
  Xyz& p = s.solcor.xyz[0];
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    const double v[3] = {p.x(i), p.y(i), p.z(i)};
    p.x(i) = r[0][0] * v[0] + r[0][1] * v[1] + r[0][2] * v[2] + shift.x;
    p.y(i) = r[1][0] * v[0] + r[1][1] * v[1] + r[1][2] * v[2] + shift.y;
    p.z(i) = r[2][0] * v[0] + r[2][1] * v[1] + r[2][2] * v[2] + shift.z;
  }
}

TEST(Pipeline, RigidMotionLeavesTheEnergyUnchanged) {
  for (const char* name : {"phenol.z", "methanol_water.z", "pentane_tg.z"}) {
    GasJob job(GasJob::data(name));
    State& s = job.state();
    gasPhaseEnergy(s);
    const EnergyComponents before = energyComponents(s);
    rigidMotion(s, 2.1, {0.3, -0.8, 0.5}, {13.0, -7.5, 21.0});
    gasPhaseEnergy(s);
    const EnergyComponents after = energyComponents(s);
    for (double EnergyComponents::*m : kTerms) EXPECT_NEAR(after.*m, before.*m, 1e-9) << name;
  }
}

TEST(Pipeline, PerturbedStatesEqualReferenceStatesAtTheirCouplingValue) {
  const std::string solute = GasJob::data("ethanol_perturbed.z");
  GasJob::Options both;
  both.runMode = 1, both.rc0 = 0.0, both.rc1 = 0.5, both.rc2 = 1.0;
  GasJob pert(solute, both);
  const State& p = pert.state();
  ASSERT_EQ(p.geom.noPert, 0);
  for (int k = 1; k <= 2; ++k) {
    GasJob::Options alone;
    alone.rc0 = alone.rc1 = alone.rc2 = k == 1 ? 0.5 : 1.0;
    GasJob ref(solute, alone);
    const State& r = ref.state();
    const double got[] = {k == 1 ? p.bndcom.EBNDNE[1] : p.bndcom.EBNDNE[2],
                          k == 1 ? p.angcom.EANGNE[1] : p.angcom.EANGNE[2],
                          k == 1 ? p.dihcom.EDIHNE[1] : p.dihcom.EDIHNE[2],
                          k == 1 ? p.nbcom.ENBNE[1] : p.nbcom.ENBNE[2]};
    const double want[] = {r.bndcom.EBNDNE[0], r.angcom.EANGNE[0], r.dihcom.EDIHNE[0],
                           r.nbcom.ENBNE[0]};
    for (int t = 0; t < 4; ++t)
      EXPECT_NEAR(got[t], want[t], 1e-9) << "state " << k << " term " << t;
  }
  // The end states really differ, term by term.
  EXPECT_GT(std::fabs(p.bndcom.EBNDNE[2] - p.bndcom.EBNDNE[0]), 1e-3);
  EXPECT_GT(std::fabs(p.dihcom.EDIHNE[2] - p.dihcom.EDIHNE[0]), 1e-3);
  EXPECT_GT(std::fabs(p.nbcom.ENBNE[2] - p.nbcom.ENBNE[0]), 1e-3);
}

TEST(Pipeline, VariableValuesFollowTheZmatrix) {
  GasJob::Options o;
  o.runMode = 1, o.rc0 = 0.0, o.rc1 = 0.5, o.rc2 = 1.0;
  GasJob job(GasJob::data("ethanol_perturbed.z"), o);
  State& s = job.state();
  int n = 1;
  while (s.bndcom.IB1(n) != 3) ++n;  // the variable bond of O3, 1.427 -> 1.52
  EXPECT_NEAR(s.bndcom.RB[1](n), 1.427 + 0.5 * (1.52 - 1.427), 1e-12);
  s.zmat.BND(3) += 0.1;
  zmatTermValues(s);
  EXPECT_NEAR(s.bndcom.RB[0](n), 1.527, 1e-12);
  EXPECT_NEAR(s.bndcom.RB[1](n), 1.527 + 0.5 * (1.52 - 1.427), 1e-12);
  EXPECT_NEAR(s.bndcom.RB[2](n), 1.62, 1e-12);
}

TEST(Pipeline, AgreesWithTheNormalModeEnergies) {
  for (const char* name : {"nma.z", "phenol.z", "methanol_water_restrained.z", "butane_gauche.z"}) {
    GasJob job(GasJob::data(name));
    State& s = job.state();
    std::mt19937 rng(7);
    randomGeometry(s, rng);
    gasPhaseEnergy(s);
    const EnergyComponents e = energyComponents(s);
    auto sys = std::make_unique<nm::System>();
    nm::rmdummy(s, *sys);
    nm::Sink none;
    const nm::Energies ref = nm::force(*sys, none, false);
    const double want[] = {ref.stretch, ref.bend,       ref.torsion, ref.intra,
                           ref.inter,   ref.constraint, ref.total()};
    for (std::size_t t = 0; t < 7; ++t) EXPECT_NEAR(e.*kTerms[t], want[t], 1e-8) << name << t;
  }
}

TEST(Pipeline, SetupKeepsTheEnergiesAsCurrentValues) {
  GasJob job(GasJob::data("methanol_water_restrained.z"));
  const State& s = job.state();
  EXPECT_GT(s.nbcon.EBCNEW[0], 0.0);
  EXPECT_LT(s.energy.EXXNEW[0] - s.nbcon.EBCNEW[0], 0.0);  // the hydrogen bond
  EXPECT_EQ(std::tuple(s.energy.EXXOLD[0], s.nbcon.EBCOLD[0], s.nbcom.ENBOL[0], s.dihcom.EDIHOL[0],
                       s.energy.EOLD),
            std::tuple(s.energy.EXXNEW[0], s.nbcon.EBCNEW[0], s.nbcom.ENBNE[0], s.dihcom.EDIHNE[0],
                       s.energy.ENEW));
  EXPECT_NEAR(s.energy.ENEW, energyComponents(s).total, 1e-12);
}

}  // namespace
}  // namespace veka
