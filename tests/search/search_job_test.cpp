// Run modes 5 and 6 from the command line: butane's two conformers, a stopped and
// continued search equal to one search, and every message that ends a search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

const char* kWindows = "00000000    0.0000    0.0000    0.0000    0.0000-1000.0000 1000.0000";

std::string butane() {
  return readFile(testData("optimize/data/butane.z"));
}

Job searchJob(const std::string& solute = butane()) {
  return Job(commandSection({{7, kWindows}}), solute);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(SearchJob, BothModesFindAntiAndGaucheButane) {
  for (const char* code : {"510", "610"}) {
    Job job = searchJob();
    ASSERT_EQ(job.run(code, "60").status, 0) << code;
    const std::string out = job.listing();
    EXPECT_EQ(countLines(out, "Total Number of Conformers =   2"), 1) << code;
    const std::vector<double> anti = numbers(lineStarting(out, "Conformer   1"));
    const std::vector<double> gauche = numbers(lineStarting(out, "Conformer   2"));
    ASSERT_GE(gauche.size(), 2u);
    EXPECT_NEAR(anti[1], 2.0724, 1e-3);
    EXPECT_NEAR(gauche[1], 2.8737, 1e-3);
  }
}

TEST(SearchJob, StoppedAndContinuedSearchEqualsOneSearch) {
  for (const std::string mode : {"5", "6"}) {
    Job one = searchJob(), two = searchJob();
    ASSERT_EQ(one.run(mode + "10", "40").status, 0);
    ASSERT_EQ(two.run(mode + "10", "15").status, 0);
    ASSERT_EQ(two.run(mode + "00", "25").status, 0);
    EXPECT_EQ(readFile(two.file("up.txt")), readFile(one.file("up.txt"))) << mode;
    EXPECT_TRUE(contains(two.listing(), "Search Try No.      40"));
    EXPECT_TRUE(
        contains(two.listing(), " Total number of MC steps completed       =           40"));
  }
}

// A chain of `carbons` atoms, each with two more atoms on it (the chain ends have three
// neighbours, the others four); one variable bond, no intrasolute pairs (one excluded range).
std::string chain(int carbons) {
  std::string z = "chain\n";
  char r[80];
  int n = 0;
  auto atom = [&](int j, int k, int l, double dih) {
    std::snprintf(r, sizeof r, "%4d C   %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f\n", ++n, 136, 136, j,
                  j ? 1.5 : 0.0, k, k ? 110.0 : 0.0, l, l ? dih : 0.0);
    z += r;
  };
  for (int c = 1; c <= carbons; ++c) atom(c - 1, std::max(c - 2, 0), std::max(c - 3, 0), 180.0);
  for (int c = 1; c <= carbons; ++c)
    for (const double dih : {60.0, 300.0})
      atom(c, c < 3 ? c + 1 : c - 1, c < 3 ? c + 2 : c - 2, dih);
  std::snprintf(r, sizeof r, "   1%4d   1%4d\n", n, n);
  const std::string h = "                    h\n";
  return z + h + h + "   2-   2\n" + h + h + h + h + h + h + h + r + h;
}

// Each case: job code, solute, UPFILE edit (from, to; empty: none), the message.
TEST(SearchJob, EveryStopEndsTheRunAndKeepsTheStore) {
  struct Case {
    const char* code;
    std::string solute, from, to, message;
  };
  const std::string b = butane();
  const std::string noEnd = replaced(b, "                    Final blank line\n", "");
  const std::string extra = b + "   4   7    0.000000  360.000000\n";
  const std::string stoch = b + "                                    xxxx\n";
  const std::string rigid =
      replaced(b, "   4-  14\n                    Add", "                    Add");
  const std::string c51 = readFile(testData("optimize/data/c51.z"));
  const std::vector<Case> cases = {
      {"510", noEnd, "", "", "*** ERROR IN CONFORMATIONAL SEARCH FORMAT ***"},
      {"610", noEnd, "", "", "*** ERROR IN STOCHASTIC SEARCH FORMAT ***"},
      {"510", extra, "", "", "*** ERROR IN CONFORMATION PARAMETER FORMAT ===>    4   7"},
      {"610", stoch, "", "", "*** ERROR IN STOCHASTIC PARAMETER FORMAT ===> "},
      {"510", rigid, "", "", "*** NO VARIABLES IN CONFORMATIONAL SEARCH ***"},
      {"510", c51, "", "", "*** TOO MANY VARIABLES ( 451) FOR OPTIMIZATION IN SEARCH ***"},
      {"500", b, "VEKA4", "VEKB4", "ERROR IN UPFILE FORMAT."},
      {"500", b, "CONFORMERS:   2  36\n 0.", "CONFORMERS:   2  36\n 0.x",
       "ERROR IN UPFILE FORMAT."},
      {"500", b, "COORD:  13  12  11", "COORD:  13  12  10",
       "THE NUMBER OF VARIABLE BONDS, ANGLES, AND DIHEDRALS HAVE BEEN CHANGED FROM  13  12  11 TO  "
       " "
       "13  12  10"},
      {"500", b, "\n   2   3   4", "\n   9   3   4",
       "DEFINITION OF VARIABLE BONDS HAVE BEEN CHANGED.   2 --->   9"},
      {"500", b, "\n   4   5   6   7   8", "\n   4   5   6   7   9",
       "DEFINITION OF VARIABLE DIHEDRALS HAVE BEEN CHANGED.   8 --->   9"},
      {"500", b, "CONFORMERS:   2", "CONFORMERS: 833",
       "THE MAXIMUM NUMBER OF CONFORMERS ( 833) HAVE REACHED ALREADY."},
      {"500", b, "CONFORMERS:   2  36", "CONFORMERS:   2  35",
       "NUMBER OF VARIABLE INTERNAL COORD (  36) DOES NOT MATCH THE STORED NUMBER (  35)."},
      {"500", b, "CONFORMERS:   2  36", "CONFORMERS:   2 451",
       "NUMBER OF VARIABLE INTERNAL COORD ( 451) EXCEEDS THE MAXIMUM ( 450)."},
      {"500", b, "CONFORMERS:   2", "CONFORMERS:   0",
       "NUMBER OF CONFORMERS IN THE PREVIOUS RUN IS ZERO."},
      {"610", chain(1003), "", "",
       "*** INCREASE THE SIZE OF CHI IN THE SUBROUTINE SEARCH TO 1001 AND RECOMPILE. ***"},
  };
  for (const Case& c : cases) {
    Job job = searchJob(c.solute);
    if (!c.from.empty()) {
      ASSERT_EQ(job.run("510", "20").status, 0);
      writeFile(job.file("up.txt"), replaced(readFile(job.file("up.txt")), c.from, c.to));
    }
    const std::string before = readFile(job.file("up.txt"));
    const RunResult r = job.run(c.code, "5");
    EXPECT_EQ(r.status, 255) << c.message;
    EXPECT_TRUE(contains(r.err, " " + c.message)) << r.err;
    EXPECT_EQ(readFile(job.file("up.txt")), before) << c.message;
  }
}

// A truncated UPFILE (a record cut short) is refused; a changed list of sampled
// coordinates is only reported.
TEST(SearchJob, TruncatedStoreIsRefusedChangedSamplingWarned) {
  Job job = searchJob();
  ASSERT_EQ(job.run("510", "20").status, 0);
  const std::string whole = readFile(job.file("up.txt"));
  writeFile(job.file("up.txt"), whole.substr(0, whole.size() - 30));
  EXPECT_EQ(job.run("500", "5").status, 255);
  writeFile(job.file("up.txt"), replaced(whole, "SAMPLE:       5", "SAMPLE:       6") + "");
  writeFile(job.file("up.txt"), replaced(readFile(job.file("up.txt")), "   3  26", "   3  27"));
  EXPECT_NE(job.run("500", "5").status, 0);  // the sixth sampled record is missing
  writeFile(job.file("up.txt"), replaced(whole, "   3  26", "   3  27"));
  ASSERT_EQ(job.run("500", "5").status, 0);
  EXPECT_TRUE(contains(
      job.listing(),
      "WARNING: CHANGES IN INTERNAL COORDS. TO SAMPLE: BEFORE =    3   3 AFTER =   26  27"));
}

// A store of 832 conformers (copies of the anti minimum at 5.0, 5.3, ... kcal/mol) is full
// after the first new conformer of a continued search.
TEST(SearchJob, FullStoreEndsTheTries) {
  Job job = searchJob();
  ASSERT_EQ(job.run("510", "1").status, 0);
  const std::string up = readFile(job.file("up.txt"));
  const std::size_t at = up.find("CONFORMERS:");
  const std::vector<std::string> stored = lines(up.substr(at));
  std::string values;  // the 36 values of conformer 1: five records
  for (int r = 2; r <= 6; ++r) values += stored[static_cast<std::size_t>(r)] + "\n";
  std::string full = up.substr(0, at) + "CONFORMERS: 832  36\n";
  for (int k = 0; k < 832; ++k) {
    char head[64];
    std::snprintf(head, sizeof head, "%12.5E%12.5E%8d%8d\n", 5.0 + 0.3 * k, 35.4, 1, 1);
    full += head + values;
  }
  writeFile(job.file("up.txt"), full);
  ASSERT_EQ(job.run("500", "5").status, 0);
  const std::string out = job.listing();
  EXPECT_EQ(countLines(out, "*** MAXIMUM NUMBER OF CONFORMERS REACHED."), 1);
  EXPECT_EQ(countLines(out, "      1 OUT OF       5 MC STEPS HAVE BEEN COMPLETED."), 1);
}

}  // namespace
}  // namespace veka::test
