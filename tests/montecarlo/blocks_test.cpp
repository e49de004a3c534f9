// Monte Carlo blocks of the real program: a new system (run mode 1) and its continuation
// (run mode 0) on a lattice of 216 TIP4P waters at constant pressure.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

// A 6 x 6 x 6 lattice of TIP4P waters 3.1 A apart as a stored box (216 molecules, sites
// O, H, H, M, site by site: x of every molecule, then y, then z).
std::string latticeBox() {
  const double a = 3.1, half = 3 * a;
  const double site[4][3] = {{0, 0, 0}, {0.7570, 0.5859, 0}, {-0.7570, 0.5859, 0}, {0, 0.15, 0}};
  std::string t;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%4d%12.8f%12.8f%12.8f\n", 216, half, half, half);
  t += buf;
  int col = 0;
  for (const auto& p : site)
    for (int ax = 0; ax < 3; ++ax)
      for (int m = 0; m < 216; ++m) {
        const int g[3] = {m % 6, (m / 6) % 6, m / 36};
        std::snprintf(buf, sizeof buf, "%13.8f", -half + (g[ax] + 0.5) * a + p[ax]);
        t += buf;
        if (++col % 6 == 0) t += "\n";
      }
  return t;
}

std::string waterJob(const std::string& nschg) {
  return commandSection({{1, "TIP4P    0.0000"},
                         {4, "BOXES          "},
                         {9, " 216 216  0.00"},
                         {11, "  1  1  1  1"},
                         {21, "  -10.0000    5.0000"},
                         {22, "  -40.0000    0.0000"},
                         {25, "   250" + nschg + "    15     0"},
                         {26, "   500     1     0     0"},
                         {27, "  300.0000    0.0000"},
                         {32, "    8.5000    8.5000  100.0000   0"}});
}

const std::string kNoSolute = "No solute\n   1 DUM   -1   -1\n" +
                              std::string("                    heading\n") +
                              "                    heading\n" + "                    heading\n" +
                              "                    heading\n" + "                    heading\n" +
                              "                    heading\n" + "                    heading\n" +
                              "                    heading\n" + "                    heading\n" +
                              "                    heading\n";

TEST(Blocks, NewSystemThenContinuation) {
  Job job(waterJob("  9999"), kNoSolute);
  writeFile(job.file("water.txt"), latticeBox());
  const RunResult first = job.run("100", "3000");
  ASSERT_EQ(first.status, 0) << first.err << job.listing();
  const std::string l1 = job.listing();
  EXPECT_TRUE(contains(l1, " Accepted Volume Moves ="));
  EXPECT_TRUE(contains(l1, " Attempted =    12 ("));
  EXPECT_EQ(countOf(readFile(job.file("up.txt")), " BLOCK"), 1);
  EXPECT_FALSE(contains(l1, "Standard Deviations"));
  EXPECT_EQ(numbers(lineStarting(readFile(job.file("in.txt")), ""))[6], 3000);  // NACCPT

  const RunResult second = job.run("000", "3000");
  ASSERT_EQ(second.status, 0) << second.err << job.listing();
  const std::string l2 = job.listing();
  EXPECT_EQ(countOf(readFile(job.file("up.txt")), " BLOCK"), 2);
  EXPECT_TRUE(contains(l2, "Standard Deviations"));
  EXPECT_EQ(numbers(lineStarting(readFile(job.file("in.txt")), ""))[6], 6000);
  // The grand average is the mean of the two equal blocks' rows.
  const std::string table = l2.substr(l2.rfind(" Thermodynamic Results"));
  const auto row1 = numbers(lineStarting(table, "    1 ")),
             row2 = numbers(lineStarting(table, "    2 "));
  const auto grand = numbers(lines(table.substr(table.find(" Averages")))[1]);
  ASSERT_EQ(row1.size(), 9u);
  EXPECT_NEAR(grand[0], 0.5 * (row1[1] + row2[1]), 1.5e-3);  // total energy
  EXPECT_NEAR(grand[2], 0.5 * (row1[3] + row2[3]), 1.5e-3);  // volume
  // The continued run starts from the energy the first block ended with, recomputed from
  // the coordinates of the in-file.
  const auto end1 = numbers(l1.substr(l1.rfind(" T(C) =")).substr(0, 80));
  const auto start2 = numbers(lineStarting(l2, " T(C) ="));
  EXPECT_NEAR(start2[1], end1[1], 1e-4);
  EXPECT_TRUE(contains(readFile(job.file("sum.txt")), "*** Averages ***"));
  EXPECT_FALSE(fileExists(job.file("up.txt.new")));
}

// Blocks killed (SIGKILL) at moments spread over their run leave the in-file and the
// block history whole: the next continuation reads them and carries on.
TEST(Blocks, AKilledBlockLeavesTheFilesOfThePreviousOne) {
  Job job(waterJob("  9999"), kNoSolute);
  writeFile(job.file("water.txt"), latticeBox());
  ASSERT_EQ(job.run("100", "20000").status, 0);
  std::vector<std::string> args{"-s", "KILL", "", VEKA_BINARY, "000", "20000", "0.0", "0.0", "0.0"};
  for (const auto& a : job.fileArgs()) args.push_back(a);
  auto blocks = [&] {
    const int naccpt = static_cast<int>(numbers(lines(readFile(job.file("in.txt")))[0])[6]);
    const int records = countOf(readFile(job.file("up.txt")), " BLOCK");
    EXPECT_TRUE(records == naccpt / 20000 || records == naccpt / 20000 + 1) << records;
    return naccpt / 20000;
  };
  for (int k = 1; k <= 8; ++k) {
    args[2] = std::to_string(0.022 * k);
    const int before = blocks();
    const RunResult r = runProgram("/usr/bin/timeout", args, {}, job.dir());
    ASSERT_TRUE(r.status == 0 || r.status == 128 + 9) << r.status;  // killed: 128 + SIGKILL
    // A kill after the in-file took its new name finds the block complete.
    const int after = blocks();
    EXPECT_TRUE(after == before + 1 || (r.status != 0 && after == before)) << k;
  }
  const int before = blocks();
  ASSERT_EQ(job.run("000", "20000").status, 0);
  EXPECT_EQ(blocks(), before + 1);
  EXPECT_EQ(countOf(readFile(job.file("up.txt")), " BLOCK"), before + 1);
}

TEST(Blocks, ASoluteInWaterRunsBlockAfterBlock) {
  Job job(waterJob("    10"));
  writeFile(job.file("water.txt"), latticeBox());
  for (const char* mode : {"100", "000"}) {
    const RunResult r = job.run(mode, "2000");
    ASSERT_EQ(r.status, 0) << r.err;
  }
  const auto in = numbers(lines(readFile(job.file("in.txt")))[0]);
  EXPECT_EQ(in[2], 1);     // one solute
  EXPECT_EQ(in[6], 4000);  // NACCPT: every configuration entered once
  EXPECT_GT(in[7], 0);     // NRJECT
}

}  // namespace
}  // namespace veka::test
