// The command section read into the state records: field layouts, keyword tables and
// the derived values and defaults.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <memory>

#include "input/command.hpp"
#include "support/command_section.hpp"
#include "support/run.hpp"

namespace veka {
namespace {

using test::commandSection;

class CommandSection : public testing::Test {
 protected:
  // Reads a command section (and a solute file) through real units.
  State& read(const std::map<int, std::string>& rec, int runMode = 7,
              const std::string& solute = "A solute title for this test   tail\n") {
    test::writeFile(dir_.file("par"), commandSection(rec));
    test::writeFile(dir_.file("zmat"), solute);
    s_ = std::make_unique<State>();
    s_->control.runMode = runMode;
    EXPECT_EQ(s_->io.parfile.open(dir_.file("par"), OpenStatus::Old), 0);
    EXPECT_EQ(s_->io.zmatfile.open(dir_.file("zmat"), OpenStatus::Old), 0);
    readCommandSection(*s_);
    return *s_;
  }

  test::TempDir dir_;
  std::unique_ptr<State> s_;
};

TEST_F(CommandSection, FieldsLandInTheirRecords) {
  State& s = read({{6, "POWEL   0.000500FULLM        0       0    0.0000    0.0000"},
                   {11, "  3  7  2  1  2  3  0  0"},
                   {13, "  4  5  0  9"},
                   {32, "    9.5000   10.0000   12.0000   0"},
                   {33, "   37.0000    2.0000    3.5000    0.8000"},
                   {35, "PDB2    4     1.5000     2.5000"}});
  EXPECT_EQ(s.control.optMethod, 1);
  EXPECT_DOUBLE_EQ(s.optset.FTOL, 0.0005);
  EXPECT_EQ(std::tuple(s.control.zmOutStyle, s.misc.NCENT(1), s.misc.NCENT(2), s.sol.centreAtom,
                       s.cutoff.ICUTAS(3), s.cutoff.ICUT, s.cutoff.ICUTAT(1), s.cutoff.ICUTAT(3)),
            std::tuple(3, 3, 7, 2, 3, 4, 5, 9));
  EXPECT_DOUBLE_EQ(s.cutoff.RCUT, 9.5);
  EXPECT_DOUBLE_EQ(s.cutoff.CUTNB, 12.0);
  EXPECT_DOUBLE_EQ(s.sw.chop, 3.5);
  EXPECT_EQ(s.io.structFormat, 3);
  EXPECT_EQ(s.sw.mcSetting, 4);
  EXPECT_DOUBLE_EQ(s.sw.polarisation, 1.5);
  // Temperature and pressure derived values.
  EXPECT_DOUBLE_EQ(s.misc.TK, 310.15);
  EXPECT_NEAR(s.misc.BETA, 1.0 / (0.00198717 * 310.15), 1e-12);
  EXPECT_NEAR(s.misc.PKCAL, 2.0 * 1.4576e-5, 1e-18);
  EXPECT_EQ(s.zmat.title, "A solute title for this test  ");
}

TEST_F(CommandSection, NoSolventClearsMovesAndKeepsDielectric) {
  State& s = read({{1, "NONE     0.0000"},
                   {9, " 267 267  5.00"},
                   {10, "CH3OH  10"},
                   {15, "  2  1"},
                   {25, "  2000    50    15     0"},
                   {34, "    4.0000    2.0000    2.0000    1.0000"}});
  EXPECT_EQ(std::tuple(s.sol.code(1), s.movp.NVCHG, s.movp.NSCHG, s.coord.NMOL, s.sol.boxSize,
                       s.rdf.count(1)),
            std::tuple(99, 999999, 1, 0, 0, 0));
  EXPECT_TRUE(s.sol.name(2).blank());
  EXPECT_EQ(s.sol.NMOL2, 0);
  EXPECT_DOUBLE_EQ(s.potpar.DIELEC, 4.0);  // kept without solvent
  EXPECT_DOUBLE_EQ(s.sol.probeRadius, 1.4);
}

TEST_F(CommandSection, DielectricAndScaleOnlyWithNeglectedSolventInteractions) {
  const std::string rec34 = "    4.0000    2.0000    2.0000    1.0000";
  State& a =
      read({{1, "TIP4P    0.0000"}, {33, "   25.0000    1.0000    0.0000    0.8000"}, {34, rec34}});
  EXPECT_DOUBLE_EQ(a.potpar.DIELEC, 1.0);
  EXPECT_DOUBLE_EQ(a.potpar.ljScale, 1.0);
  EXPECT_EQ(a.movp.prefSampling, 0);
  State& b = read({{1, "TIP4P    0.0000"},
                   {14, "  0  0  0  0  0  3"},
                   {33, "   25.0000    1.0000    0.0000    0.8000"},
                   {34, rec34}});
  EXPECT_DOUBLE_EQ(b.potpar.DIELEC, 4.0);
  EXPECT_DOUBLE_EQ(b.potpar.ljScale, 0.8);
  EXPECT_EQ(b.sw.noSolventSolvent, 1);
  EXPECT_DOUBLE_EQ(b.movp.WKC, 20000.0);
  EXPECT_EQ(b.movp.prefSampling, 1);
  EXPECT_EQ(b.geom.noPert, 1);
  State& c = read({{34, "    0.0000    2.0000    2.0000    1.0000"},
                   {33, "   25.0000    1.0000    0.0000   -1.0000"}});
  EXPECT_DOUBLE_EQ(c.potpar.DIELEC, 1.0);
  EXPECT_DOUBLE_EQ(c.potpar.ljScale, 1.0);
}

TEST_F(CommandSection, ProbeRadiusDefaultsBySolvent) {
  EXPECT_DOUBLE_EQ(read({{1, "TIP4P    0.0000"}}).sol.probeRadius, 1.4);
  EXPECT_DOUBLE_EQ(read({{1, "CH3OH    0.0000"}}).sol.probeRadius, 3.2);
  EXPECT_DOUBLE_EQ(read({{1, "TIP5P    0.0000"}}).sol.probeRadius, 1.4);
  EXPECT_DOUBLE_EQ(
      read({{1, "CH3OH    0.0000"}, {28, "    0.1500   15.0000    2.5000"}}).sol.probeRadius, 2.5);
}

TEST_F(CommandSection, QmChargeScaleDefaults) {
  EXPECT_DOUBLE_EQ(read({{2, "NONEOPLS     0  0  0"}}).qm.chargeScale, 0.0);
  EXPECT_DOUBLE_EQ(read({{2, "AM1 CM1A-1.00 -1  0  0"}}).qm.chargeScale, 1.0);
  EXPECT_DOUBLE_EQ(read({{2, "AM1 CM1A-1.00  0  0  0"}}).qm.chargeScale, 1.2);
  State& s = read({{2, "PM3SCM3P 1.10  0  0  0"}});
  EXPECT_EQ(s.qm.method, 2);
  EXPECT_EQ(s.qm.chargeCode, 4);
  EXPECT_TRUE(s.qm.singlePoint);
  EXPECT_DOUBLE_EQ(s.qm.chargeScale, 1.1);
  EXPECT_EQ(read({{2, "NONEMULL 0.00  0  0  0"}}).qm.chargeCode, 0);  // no QM: model 0
}

TEST_F(CommandSection, CentreAtomsAndCap) {
  State& s = read({{5, "  -1    0.0000   10.0000"}, {11, "  4  0  0"}, {12, "  0  0"}});
  EXPECT_EQ(std::tuple(s.misc.NCENT(1), s.misc.NCENT(2), s.sol.centreAtom, s.misc.rotationCentre(1),
                       s.misc.rotationCentre(2), s.cap.atom),
            std::tuple(4, 4, 1, 1, 1, 4));
  EXPECT_DOUBLE_EQ(s.cap.radius, 15.0);
  EXPECT_DOUBLE_EQ(s.cap.r5sq, 400.0);
  EXPECT_EQ(s.movp.NVCHG, 999999);
}

TEST_F(CommandSection, KeywordsAreMatchedOnTheirLeadingLetters) {
  const std::vector<std::pair<std::string, int>> optim = {
      {"CGxyz", 5}, {"SAnne", 8}, {"bfgs ", 0}, {"NEWTO", 0}};
  for (const auto& [k, m] : optim)
    EXPECT_EQ(
        read({{6, k + "   0.001000          0       0    0.0000    0.0000"}}).control.optMethod, m)
        << k;
  const std::vector<std::pair<std::string, int>> structs = {
      {"PDB2 ", 3}, {"mdlmo", 4}, {"mdl  ", 4}, {"MDLSD", 5}, {"Mol  ", 0}, {"     ", 0}};
  for (const auto& [k, f] : structs)
    EXPECT_EQ(read({{35, k + "   1     0.0000     0.0000"}}).io.structFormat, f) << k;
  EXPECT_EQ(
      read({{6, "BFGS    0.001000YES          0       0    0.0000    0.0000"}}).control.zmOutStyle,
      1);
  State& slab = read({{4, "NONE  SLAB     "}});
  EXPECT_EQ(slab.control.slab, 1);
  EXPECT_EQ(slab.control.vxyz, 1);
  State& vxyz = read({{4, "NONE  Slab vxyz"}});
  EXPECT_EQ(vxyz.control.slab, 0);
  EXPECT_EQ(vxyz.control.vxyz, 1);
}

TEST_F(CommandSection, GasPhaseJobsForceZmatrixInputAndOptimiserDefaults) {
  State& s = read({{3, "PDB  "},
                   {4, "BOXES          "},
                   {6, "SIMAN  -1.000000          -5      -5   -1.0000    1.0000"}},
                  2, "HEADER    0123456789Title in columns 21 to 50......x\n");
  EXPECT_EQ(std::tuple(s.control.soluteFormat, s.control.solventSource, s.control.ISTART),
            std::tuple(kZmat, kNoSolvent, 4));
  EXPECT_DOUBLE_EQ(s.optset.FTOL, 0.001);
  EXPECT_EQ(s.optset.saMaxEval, 1000000);
  EXPECT_EQ(s.optset.saIter, 5);
  EXPECT_DOUBLE_EQ(s.optset.saT0, 5.0);
  EXPECT_DOUBLE_EQ(s.optset.saFactor, 0.5);
  EXPECT_EQ(s.zmat.title, "Title in columns 21 to 50.....");  // read as a PDB title
}

TEST_F(CommandSection, MindTitleColumns) {
  State& s =
      read({{3, "MIND "}, {4, "BOXES          "}}, 1, "%%%%%%Free-format title 7 to 36|||\n");
  EXPECT_EQ(s.zmat.title, "Free-format title 7 to 36|||");
  EXPECT_EQ(s.control.ISTART, 4);
}

TEST(StartupCase, Table) {
  const int cases[][4] = {{0, kPdb, kBoxes, 6},   {0, kZmat, kFromIn, 0},    {1, kZmat, kBoxes, 4},
                          {1, kZmat, kFromIn, 3}, {1, kZmat, kNoSolvent, 4}, {1, kPdb, kBoxes, 5},
                          {1, kPdb, kFromIn, 9},  {1, kPdb, kNoSolvent, 99}, {1, kMind, kBoxes, 4},
                          {1, kMind, kFromIn, 7}, {1, kIn, kBoxes, 8},       {1, kIn, kFromIn, 99},
                          {1, kZin, kFromIn, 7},  {1, kZin, kBoxes, 99},     {5, kZin, kBoxes, 4},
                          {-1, kZmat, kBoxes, 99}};
  for (const auto& c : cases)
    EXPECT_EQ(startupCase(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

}  // namespace
}  // namespace veka
