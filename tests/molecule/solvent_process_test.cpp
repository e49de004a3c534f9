// A solvent of its own Z-matrix file through the real program (a single-point job): its
// name in the banner, its sites, parameters and pairs in the listing; a file that ends
// early and a refused torsion type end the run.
#include <gtest/gtest.h>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

// A methanol solvent of four sites in its own Z-matrix file (data/solvent_meoh.z) with its
// variable dihedral's torsion type replaced by `type`.
std::string methanolSolvent(const std::string& type = " 145") {
  std::string t = readFile(testData("molecule/data/solvent_meoh.z"));
  return t.replace(t.find("   4 145   0"), 8, "   4" + type);
}

TEST(SolventProcess, OwnFileSolventInASinglePointJob) {
  Job job(commandSection({{1, "OTHER    0.0000"}}));
  writeFile(job.file("szmat.txt"), methanolSolvent());
  const RunResult r = job.run("700");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string l = job.listing();
  EXPECT_NE(l.find("MEOH"), std::string::npos);
  EXPECT_NE(l.find(" H4     4       0.0600       2.5000       0.0300       0.0000 Solvent 1: MEOH"),
            std::string::npos)
      << l;
  EXPECT_NE(l.find(" Internal Parameters for Flexible Solvent:"), std::string::npos);
  EXPECT_NE(l.find("\n Atom    3:    4\n"), std::string::npos);

  std::string text = methanolSolvent();
  writeFile(job.file("szmat.txt"),
            text.substr(0, text.find("                    Additional Dihedrals")));
  const RunResult early = job.run("700");
  EXPECT_EQ(early.status, 255);
  EXPECT_NE(early.err.find("szmat.txt (unit 33)"), std::string::npos) << early.err;

  writeFile(job.file("szmat.txt"), methanolSolvent("  -1"));
  const RunResult refused = job.run("700");
  EXPECT_EQ(refused.status, 255);
  EXPECT_EQ(refused.err, " EXPLICIT DIHEDRAL TYPES ARE NEEDED FOR FLEX SOLVENT\n");
}

}  // namespace
}  // namespace veka::test
