// A solvent of its own Z-matrix file through the real program (a single-point job): its
// name in the banner, its sites, parameters and pairs in the listing; a file that ends
// early and a refused torsion type end the run.
#include <gtest/gtest.h>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string methanolSolvent(const std::string& dihedral) {
  return "MEOH \n"
         "   1 C1   157    0    0    0.000000   0    0.000000   0    0.000000\n"
         "   2 O2   154    0    1    1.410000   0    0.000000   0    0.000000\n"
         "   3 H3   155    0    2    0.945000   1  108.500000   0    0.000000\n"
         "   4 H4   800    0    1    1.090000   2  109.500000   3  180.000000\n"
         "                    Geometry Variations follow\n"
         "                    Variable Bonds follow\n"
         "   2-   3\n"
         "                    Additional Bonds follow\n"
         "   1   4\n"
         "                    Harmonic Constraints follow\n"
         "                    Variable Bond Angles follow\n"
         "   3\n"
         "                    Additional Bond Angles follow\n"
         "   2   1   4\n"
         "                    Variable Dihedrals follow\n" +
         dihedral +
         "                    Additional Dihedrals follow\n"
         "                    Domain Definitions follow\n"
         "                    Final blank line\n"
         " Final Non-Bonded Parameters for Solvent\n"
         " 800  1 HC   0.060000  2.500000  0.030000\n";
}

TEST(SolventProcess, OwnFileSolventInASinglePointJob) {
  Job job(commandSection({{1, "OTHER    0.0000"}}));
  writeFile(job.file("szmat.txt"), methanolSolvent("   4 145   0   10.000000\n"));
  const RunResult r = job.run("700");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string l = job.listing();
  EXPECT_NE(l.find("MEOH"), std::string::npos);
  EXPECT_NE(l.find(" H4     4       0.0600       2.5000       0.0300       0.0000 Solvent 1: MEOH"),
            std::string::npos)
      << l;
  EXPECT_NE(l.find(" Internal Parameters for Flexible Solvent:"), std::string::npos);
  EXPECT_NE(l.find("\n Atom    3:    4\n"), std::string::npos);

  std::string text = methanolSolvent("   4 145   0   10.000000\n");
  writeFile(job.file("szmat.txt"),
            text.substr(0, text.find("                    Additional Dihedrals")));
  const RunResult early = job.run("700");
  EXPECT_EQ(early.status, 255);
  EXPECT_NE(early.err.find("szmat.txt (unit 33)"), std::string::npos) << early.err;

  writeFile(job.file("szmat.txt"), methanolSolvent("   4  -1   0   10.000000\n"));
  const RunResult refused = job.run("700");
  EXPECT_EQ(refused.status, 255);
  EXPECT_EQ(refused.err, " EXPLICIT DIHEDRAL TYPES ARE NEEDED FOR FLEX SOLVENT\n");
}

}  // namespace
}  // namespace veka::test
