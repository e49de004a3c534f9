// The conformer store on butane minima: anti and gauche are distinct, gauche- repeats
// gauche+ (its mirror image has the same R2total), a reflected geometry fails the
// chirality test, and a new minimum far below cuts the window.
#include <gtest/gtest.h>

#include <vector>

#include "energy/gas_job.hpp"
#include "optimize/minimizers.hpp"
#include "optimize/variables.hpp"
#include "search/search.hpp"
#include "search/store.hpp"

namespace veka::test {
namespace {

constexpr double kRad = 0.017453292519943295;

struct Butane {
  GasJob job{readFile(testData("optimize/data/butane.z")), GasJob::Options{{}, 5, 1}};
  State& s = job.state();
  Butane(double window) {
    s.search = SearchSet{0, 0.1, 0.25, 1.0, window, -1000.0, 1000.0};
    collectVariables(s);
    prepareStore(s);
    chiralityReference(s);
    start.assign(s.optim->x.begin(), s.optim->x.end());
  }
  std::vector<double> start;  // variables of the file's (anti) geometry
  // Minimises from the C1-C2-C3-C4 dihedral phi (degrees): C4 and the hydrogens of the
  // middle carbons (whose dihedrals refer to C1 or C4) turn together.
  double minimum(double phi) {
    Optim& o = *s.optim;
    for (int k = 1; k <= o.nvar; ++k) o.x(k) = start[static_cast<std::size_t>(k - 1)];
    for (int k = 1; k <= o.nvar; ++k)
      if (o.kind(k) == kVarDihedral && (o.atom(k) == 4 || (o.atom(k) >= 8 && o.atom(k) <= 11)))
        o.x(k) += (phi - 180.0) * kRad;
    double e = 0.0;
    EXPECT_TRUE(optgeo(s, opt::BFGS, e));
    return e;
  }
};

TEST(ConformerStore, MirrorImagesRepeatAndReflectionsAreDropped) {
  Butane b(300.0);
  State& s = b.s;
  const double anti = b.minimum(180.0);
  EXPECT_EQ(putgeo(s, anti), kNew);
  const double gauche = b.minimum(65.0);
  EXPECT_NEAR(gauche - anti, 0.80, 0.05);
  EXPECT_EQ(putgeo(s, gauche), kNew);
  const double other = b.minimum(-65.0);
  EXPECT_NEAR(other, gauche, 1e-4);
  int k = 0;
  EXPECT_EQ(chkgeo(s, other, k), kRepeat);
  EXPECT_EQ(k, 2);
  EXPECT_EQ(putgeo(s, other), kRepeat);
  EXPECT_EQ(s.csrch.Nopt(2), 2);
  Xyz& c = s.solcor.xyz[0];
  for (int i = 1; i <= s.zmat.NSATM; ++i) c.z(i) = -c.z(i);
  EXPECT_EQ(chkgeo(s, other, k), kMirror);
  EXPECT_EQ(s.csrch.NCONF, 2);
  EXPECT_LT(s.csrch.energy(1), s.csrch.energy(2));
}

TEST(ConformerStore, NewLowestConformerCutsTheWindow) {
  Butane b(0.5);
  State& s = b.s;
  EXPECT_EQ(putgeo(s, b.minimum(65.0)), kNew);
  EXPECT_EQ(putgeo(s, b.minimum(180.0)), kNew);
  EXPECT_EQ(s.csrch.NCONF, 1);
  EXPECT_NE(b.job.listing().find("New IGM has been found. Updated NCONF =   1"), std::string::npos);
}

}  // namespace
}  // namespace veka::test
