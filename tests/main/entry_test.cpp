// Process-level tests of program entry: usage, file opening, options, environment,
// the banner and the dispatch of a run mode.
#include <gtest/gtest.h>

#include <tuple>

#include <unistd.h>

#include <filesystem>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string usageText() {
  return "    Insufficient arguments! you need to specify\n"
         " at least five, i.e. " +
         std::string(VEKA_BINARY) + " 001 100000 0.0 0.0 0.0\n";
}

TEST(Entry, UsageGoesToStandardOutputThenErrorWithStatusMinusOne) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"100", "1", "0", "0"},
        std::vector<std::string>{"abc", "100", "1", "0", "0", "0"},
        std::vector<std::string>{"a", "b", "100", "1", "0", "0"}}) {
    const RunResult r = runVeka(args);
    EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(255, usageText(), usageText()));
  }
}

TEST(Entry, MissingOldFileStopsTheOpenSequence) {
  Job job(commandSection());
  ::unlink(job.file("bang.txt").c_str());
  const RunResult r = job.run();
  EXPECT_EQ(r.status, 255);
  const std::string name = "bang.txt" + std::string(72, ' ');
  const std::string expected = " ERROR ENCOUNTERED WHILE OPENING A FILE IN GETUNITS:\n " + name +
                               "\n FILE IS PROBABLY MISSING\n IOSTAT =            2\n";
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.err, expected);
  // Files before it in the order were opened (created); those after were not.
  EXPECT_TRUE(fileExists(job.file("out.txt")));
  EXPECT_TRUE(fileExists(job.file("ave.txt")));
  EXPECT_FALSE(fileExists(job.file("szmat.txt")));
  EXPECT_FALSE(fileExists(job.file("sum.txt")));
}

TEST(Entry, TwoOutputUnitsMayNotShareAFile) {
  Job job(commandSection());
  std::vector<std::string> args{"700", "0", "0", "0", "0"};
  for (const auto& a : job.fileArgs()) args.push_back(a == "sum.txt" ? "out.txt" : a);
  const RunResult r = runVeka(args, {}, job.dir());
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.out.find("IOSTAT =           16"), std::string::npos) << r.out;
}

TEST(Entry, FileNamesOfAnyLengthAreUsedWhole) {
  Job job(commandSection({{35, "PDB     1     0.0000     0.0000"}}));
  const std::string deep = job.dir() + "/" + std::string(100, 'a') + "/" + std::string(100, 'b') +
                           "/" + std::string(100, 'c');
  std::filesystem::create_directories(deep);
  for (const char* f : {"par.txt", "zmat.txt", "bang.txt", "water.txt", "org1.txt", "org2.txt"})
    std::filesystem::copy_file(job.file(f), deep + "/" + f);
  // Every name longer than 300 characters; the listing and the solute file named by
  // (quoted) environment variables, the others by options.
  std::vector<std::string> args{"700", "0", "0", "0", "0"};
  const auto files = job.fileArgs();
  for (std::size_t i = 0; i < files.size(); i += 2)
    if (files[i] != "-ot" && files[i] != "-zm")
      args.insert(args.end(), {files[i], deep + "/" + files[i + 1]});
  const Env env{{"OUTPUT", deep + "/out.txt"}, {"ZMATRIX", "'" + deep + "/zmat.txt'"}};
  RunResult r = runVeka(args, env, job.dir());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(readFile(deep + "/out.txt").find(" Total Energy            =       3.48860"),
            std::string::npos);
  EXPECT_EQ(lines(readFile(deep + "/sum.txt")).at(0).substr(60), "Tot. E =      3.4886");
  EXPECT_EQ(lines(readFile(deep + "/plt.txt")).size(), 9u);
  // A missing file is named whole in the open-failure message.
  std::filesystem::remove(deep + "/bang.txt");
  r = runVeka(args, env, job.dir());
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.out.find("\n " + deep + "/bang.txt\n FILE IS PROBABLY MISSING\n"), std::string::npos)
      << r.out;
}

TEST(Entry, EnvironmentVariablesWithQuotesNameTheFiles) {
  Job job(commandSection(), "Quoted environment\n");
  std::vector<std::string> args{"700", "0", "0", "0", "0"};
  const auto files = job.fileArgs();
  for (std::size_t i = 0; i < files.size(); i += 2) {
    if (files[i] == "-ot" || files[i] == "-zm" || files[i] == "-pa") continue;
    args.push_back(files[i]);
    args.push_back(files[i + 1]);
  }
  const RunResult r = runVeka(
      args, {{"OUTPUT", "\"out.txt\""}, {"ZMATRIX", "'zmat.txt'"}, {"PARAMETER", "par.txt"}},
      job.dir());
  EXPECT_NE(job.listing().find("Quoted environment"), std::string::npos) << r.err;
}

TEST(Entry, UnbuiltRunModeSaysSoAndNeverPretendsToHaveRun) {
  Job job(commandSection());
  const RunResult r = job.run("900");
  EXPECT_EQ(r.status, 255);
  const std::string line =
      " *** Run mode 9 (Monte Carlo simulation) is not available in this build of VEKA - "
      "Aborted\n";
  EXPECT_EQ(r.err, line);
  const std::string listing = job.listing();
  EXPECT_EQ(listing.substr(listing.size() - line.size()), line);
  EXPECT_EQ(listing.find("total CPU time"), std::string::npos);
}

TEST(Entry, BannerOfAMonteCarloRunLineByLine) {
  std::map<int, std::string> rec{{1, "TIP4P    0.0000"},
                                 {4, "BOXES          "},
                                 {9, " 267 267  0.00"},
                                 {25, "  2000    50    15     0"},
                                 {33, "   25.0000    1.0000    0.0000    1.0000"}};
  Job job(commandSection(rec), "Methanol in TIP4P water         rest\n");
  job.run("100", "250000", "5", "0.5", "0.5");
  const std::vector<std::string> got = lines(job.listing());
  const std::vector<std::string> want = lines(readFile(testData("main/data/banner_mc.txt")));
  ASSERT_GE(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
}

TEST(Entry, BannerTitlesByRunMode) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"200", " Gas Phase Optimization of  "},   {"300", " Bond, Angle or Dihedral Scan "},
      {"400", " Normal Mode Calculation for  "}, {"500", " MC Conformational Search for "},
      {"600", " Stochastic Conformer Search "},  {"700", "  Single Point Calculation  "}};
  for (const auto& [code, title] : cases) {
    Job job(commandSection(), "T\n");
    job.run(code);
    const std::vector<std::string> got = lines(job.listing());
    ASSERT_GE(got.size(), 7u);
    EXPECT_NE(got[5].find(title), std::string::npos) << code;
    EXPECT_EQ(got[5].size(), 81u);
    EXPECT_NE(got[6].find("T                             *"), std::string::npos) << code;
  }
  // Run mode 9 has no title line: the solute title follows the two star lines.
  Job job(commandSection({{1, "TIP4P    0.0000"}, {4, "BOXES          "}}), "No title\n");
  job.run("900", "1", "0", "0", "0");
  const std::vector<std::string> got = lines(job.listing());
  ASSERT_GE(got.size(), 6u);
  EXPECT_NE(got[5].find("No title"), std::string::npos);
}

}  // namespace
}  // namespace veka::test
