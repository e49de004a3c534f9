// The gradient of the optimiser's energy function: the gradient in the variables against
// fine central differences of the energy function on molecules with every kind of term,
// dependent entries, angles beyond 180 degrees, and the absence of allocations in the
// energy function, the gradient and the minimiser.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "driver_fixture.hpp"
#include "energy/eintra.hpp"
#include "energy/gasphase.hpp"
#include "energy/nbpair.hpp"
#include "optimize/bfgs.hpp"
#include "optimize/cartgrad.hpp"
#include "optimize/driver.hpp"

namespace {
std::atomic<long long> gAllocations{0};
}  // namespace

// Every allocation of the test program is counted. (The replaced pair is malloc/free;
// g++ cannot see that the two belong together once they are inlined.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
#pragma GCC diagnostic pop

namespace veka {
namespace {

using test::GasJob;
using test::optJob;

constexpr double kTwoPi = 6.283185307179586;

// Random changes of every variable (bonds 0.05 A, angles 6 degrees, dihedrals 40
// degrees), written into the Z-matrix and built.
void displace(State& s, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Optim& o = *s.optim;
  for (int k = 1; k <= o.nvar; ++k)
    o.x(k) += (o.kind(k) == kVarBond ? 0.05 : o.kind(k) == kVarAngle ? 0.1 : 0.7) * u(rng);
  applyAll(s);
  setActive(s);
  energyAt(s, o.xa.data());
}

// Makes dihedral n a harmonic dihedral restraint V4 (phi - V1)^2.
void makeDihedralRestraint(State& s, int n, double target, double k) {
  Dihcom& d = s.dihcom;
  d.ITOR0(n) = d.ITOR1(n) = 500;
  d.V1[0](n) = target;
  d.V4[0](n) = k;
  optimArea(s).termsBuilt = false;
}

// The gradient in the variables with Cartesian and B-matrix displacements of +-step.
std::vector<double> centralGradient(State& s, std::vector<double>& x, double step) {
  std::vector<double> g(x.size());
  buildGeometry(s, applyActive(s, x.data()));
  cartesianGradient(s, step);
  variableGradient(s, g.data(), step);
  return g;
}

// The derivative of the energy function in variable k by a central difference of +-1e-5.
double centralDifference(State& s, std::vector<double>& x, std::size_t k) {
  const double h = 1e-5, v = x[k];
  x[k] = v + h;
  const double ep = energyAt(s, x.data());
  x[k] = v - h;
  const double em = energyAt(s, x.data());
  x[k] = v;
  return (ep - em) / (2.0 * h);
}

// Fine central differences of the energy function in the variables (step 1e-5, whose
// own error is far below the tolerances) against the optimiser's gradient. With the
// optimiser's own displacements of +-0.01 the two differ by the central difference's
// truncation error (a few parts in 10^4 here, close contacts making the Lennard-Jones
// terms steep); that error falls a hundredfold with a tenfold smaller step, and at
// +-0.0003 the gradient agrees to 1e-5 of the largest component: nothing but the
// truncation term separates the term-by-term, B-matrix route from the energy function.
void expectGradientMatches(State& s, const std::string& file, unsigned seed) {
  collectVariables(s);
  displace(s, seed);
  Optim& o = *s.optim;
  std::vector<double> x(o.xa.begin(), o.xa.begin() + o.nact), g(x.size()), ref(x.size());
  gradientAt(s, x.data(), g.data());  // the optimiser's gradient, displacements of +-0.01
  double largest = 0.0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    ref[k] = centralDifference(s, x, k);
    largest = std::max(largest, std::fabs(ref[k]));
  }
  auto worst = [&](const std::vector<double>& gr) {
    double w = 0.0;
    for (std::size_t k = 0; k < x.size(); ++k) w = std::max(w, std::fabs(gr[k] - ref[k]));
    return w / largest;
  };
  const double coarse = worst(centralGradient(s, x, kGradStep));
  const double fine = worst(centralGradient(s, x, 0.1 * kGradStep));
  EXPECT_EQ(worst(g), coarse) << file << ": gradientAt is the +-0.01 central difference";
  EXPECT_LE(coarse, 2e-3) << file;
  EXPECT_LE(worst(centralGradient(s, x, 0.03 * kGradStep)), 1e-5) << file;
  EXPECT_GT(coarse / fine, 60.0) << file << ": the difference should be O(step^2)";
  EXPECT_LT(coarse / fine, 140.0) << file << ": the difference should be O(step^2)";
  EXPECT_GT(largest, 10.0) << file;
}

TEST(DriverGradient, AgreesWithCentralDifferencesOfTheEnergyFunction) {
  unsigned seed = 11;
  for (const char* file : {"butane_anti.z", "cyclohexane.z", "complex.z", "octanol.z"}) {
    GasJob job = optJob(file);
    expectGradientMatches(job.state(), file, seed++);
  }
}

// Every kind of term: ring closures, restraints of every form, polarisation, several
// solutes and the solute-1-only rule.
TEST(DriverGradient, EveryTermKindAgreesWithCentralDifferences) {
  {  // ring closure: additional bonds, angles and dihedrals
    GasJob job = optJob("cyclohexane.z");
    State& s = job.state();
    ASSERT_GT(s.dihcom.NDIH, s.dihcom.NVDIH);  // a dihedral restraint on an additional one
    makeDihedralRestraint(s, s.dihcom.NDIH, -170.0 / test::kDeg, 2.0);
    expectGradientMatches(s, "cyclohexane restrained", 1);
  }
  {  // two solutes with a distance restraint and solute polarisation
    GasJob job = optJob("complex.z", "BFGS ", 2, {{35, "NONE    1     1.0000     0.0000"}});
    State& s = job.state();
    ASSERT_TRUE(s.potpar.polarisable);
    expectGradientMatches(s, "complex polarised", 2);
    EXPECT_NE(s.energy.EPONEW[0], 0.0);
  }
  {  // three solutes, the solute-solute energy limited to pairs with solute 1
    GasJob job = optJob("three.z", "BFGS ", 2, {{14, "  0  0  0  0  1  0  0  0  0"}});
    State& s = job.state();
    ASSERT_EQ(s.sw.firstSoluteOnly, 1);
    expectGradientMatches(s, "three solutes", 4);
  }
  {  // position, centroid, distance and flat-bottomed restraints; a dihedral restraint on
     // a variable dihedral whose Z-matrix value lies outside (-180, 180]
    GasJob::Options o;
    o.runMode = 2, o.listLevel = 1;
    GasJob job(GasJob::data("methanol_water_restrained.z"), o);
    State& s = job.state();
    collectVariables(s);
    makeDihedralRestraint(s, s.dihcom.NVDIH, 200.0 / test::kDeg, 3.0);
    s.zmat.DIH(s.dihcom.ID4(s.dihcom.NVDIH)) += kTwoPi;  // same geometry, other branch
    expectGradientMatches(s, "restrained complex", 3);
    EXPECT_GT(s.nbcon.EBCNEW[0], 0.0);
  }
}

TEST(DriverGradient, DependentEntriesFollowTheirVariable) {
  GasJob job = optJob("butane_dependent.z");
  State& s = job.state();
  ASSERT_EQ(countVariables(s), 33);  // 13 + 12 + 11 entries, three of them dependent
  collectVariables(s);
  Optim& o = *s.optim;
  // The dihedral of H8 has the dependent dihedral of H10: setting it sets both.
  int k8 = 0;
  for (int k = 1; k <= o.nvar; ++k)
    if (o.kind(k) == kVarDihedral && o.atom(k) == 8) k8 = k;
  ASSERT_NE(k8, 0);
  EXPECT_EQ(o.depStart(k8 + 1) - o.depStart(k8), 1);
  EXPECT_EQ(o.depAtom(o.depStart(k8) + 1), 10);
  o.x(k8) = 1.0;
  applyAll(s);
  setActive(s);
  energyAt(s, o.xa.data());
  EXPECT_DOUBLE_EQ(s.zmat.DIH(10), 1.0);
  EXPECT_DOUBLE_EQ(s.zmat.BND(9), s.zmat.BND(8));
  EXPECT_DOUBLE_EQ(s.zmat.ANG(6), s.zmat.ANG(12));
  expectGradientMatches(s, "butane_dependent.z", 15);
}

// An angle beyond 180 degrees places its atom as the angle 360 - theta with the dihedral
// turned by 180 degrees: the energy is that of the geometry, the gradient consistent with
// it there, and folding the values back changes neither.
TEST(DriverGradient, AnglesBeyond180DegreesAreTheGeometryTheyPlace) {
  GasJob job = optJob("butane_anti.z");
  State& s = job.state();
  collectVariables(s);
  Optim& o = *s.optim;
  int ka = 0, kd = 0;  // angle and dihedral variables of H6
  for (int k = 1; k <= o.nvar; ++k) {
    if (o.atom(k) != 6) continue;
    if (o.kind(k) == kVarAngle) ka = k;
    if (o.kind(k) == kVarDihedral) kd = k;
  }
  ASSERT_TRUE(ka != 0 && kd != 0);
  setActive(s);
  const double e0 = energyAt(s, o.xa.data());
  o.x(ka) = kTwoPi - o.x(ka);
  o.x(kd) += 0.5 * kTwoPi;
  applyAll(s);
  setActive(s);
  EXPECT_NEAR(energyAt(s, o.xa.data()), e0, 1e-9);
  std::vector<double> x(o.xa.begin(), o.xa.begin() + o.nact);
  // The gradient route with a small step, so that its truncation error stays below the
  // check: the angle beyond 180 degrees must give the derivative of the energy there.
  const std::vector<double> g = centralGradient(s, x, 0.1 * kGradStep);
  const std::size_t m = static_cast<std::size_t>(ka - 1);  // every variable is active
  EXPECT_NEAR(g[m], centralDifference(s, x, m), 1e-5 * (1.0 + std::fabs(g[m])));
  foldAngles(s);
  EXPECT_GE(o.x(ka), 0.0);
  EXPECT_LE(o.x(ka), 0.5 * kTwoPi);
  EXPECT_TRUE(checkGeometry(s));
  EXPECT_NEAR(energyAt(s, o.xa.data()), e0, 1e-9);
}

TEST(DriverGradient, EnergyGradientAndMinimiserAllocateNothing) {
  GasJob job = optJob("octanol.z");
  State& s = job.state();
  collectVariables(s);
  Optim& o = *s.optim;
  GasPhaseObjective f(s);
  std::vector<double> g(static_cast<std::size_t>(o.nact));
  const opt::Problem p{o.nact, o.xa.data(), o.la.data(), o.ua.data()};
  opt::Settings st;
  const long long before = gAllocations;
  const double e0 = f.value(o.xa.data());
  f.gradient(o.xa.data(), g.data());
  const opt::Result r = opt::bfgs(f, p, st, o.ws, s.io);
  renbpr(s, true);
  o.termsBuilt = false;
  const double e1 = f.value(o.xa.data());
  f.gradient(o.xa.data(), g.data());
  EXPECT_EQ(gAllocations - before, 0);
  EXPECT_LT(e1, e0 - 1.0);
  EXPECT_GT(r.gradients, 5);
}

}  // namespace
}  // namespace veka
