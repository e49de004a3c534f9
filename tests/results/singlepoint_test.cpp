// Process-level tests of run mode 7, the single-point job.
#include <gtest/gtest.h>

#include <tuple>

#include <cstdlib>

#include "format/record.hpp"
#include "support/command_section.hpp"
#include "support/job.hpp"
#include "writer_job.hpp"

namespace veka::test {
namespace {

std::string structureRecord(const char* keyword) {
  return std::string(keyword) + "    1     0.0000     0.0000";
}

// The value after the last "Total Energy            =" of the listing.
double listedTotal(const std::string& listing) {
  const std::string label = " Total Energy            =";
  const std::size_t p = listing.rfind(label);
  EXPECT_NE(p, std::string::npos);
  return p == std::string::npos ? 0.0 : std::strtod(listing.c_str() + p + label.size(), nullptr);
}

TEST(SinglePoint, EveryStructureFormat) {
  const char* keywords[] = {"NONE ", "PDB  ", "PDBB ", "PDB2 ", "MOL  ", "MDLSD"};
  for (const char* keyword : keywords) {
    SCOPED_TRACE(keyword);
    Job job(commandSection({{35, structureRecord(keyword)}}));
    const RunResult r = job.run("700");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string listing = job.listing();
    const std::vector<std::string> tail =
        lines(listing.substr(listing.rfind(" Energy components:")));
    ASSERT_EQ(tail.size(), 10u);
    EXPECT_EQ(std::tuple(tail[1].substr(0, 26), tail[7].substr(0, 26), tail[9].substr(0, 22)),
              std::tuple(" Bond stretching energy  =", " Bond constraints energy =",
                         "total CPU time(sec)  ="));
    const double total = listedTotal(listing);
    // The summary holds the Z-matrix with the energy; the structure file its format.
    const std::vector<std::string> sum = lines(readFile(job.file("sum.txt")));
    ASSERT_GT(sum.size(), 7u);
    EXPECT_EQ(sum[0].substr(0, 68),
              std::string("Methanol, OPLS-AA all-atom") + std::string(34, ' ') + "Tot. E =");
    EXPECT_EQ(sum[0].substr(68), fmt::formatF(total, 12, 4));
    // The structure file in its format (the layouts: the writer tests, clients_check.py).
    const std::vector<std::string> plt = lines(readFile(job.file("plt.txt")));
    const std::string k(keyword);
    EXPECT_EQ(plt.empty() ? "" : plt.back(), k == "NONE " ? "" : (k[0] == 'P' ? "END" : "$$$$"));
    if (k[0] == 'M') {
      EXPECT_EQ(plt.at(1).substr(40), fmt::formatF(total, 12, 4));  // the job's energy
    }
  }
}

// Byte layout against files checked by hand: a PDB file of two solutes without residues
// and a MOL file of toluene.
TEST(SinglePoint, StructureFilesMatchTheCheckedFiles) {
  struct Case {
    const char* solute;
    const char* keyword;
    const char* expected;
  };
  for (const Case& c : {Case{"two_plain.z", "PDB  ", "expected/two_plain.pdb"},
                        Case{"toluene.z", "MOL  ", "expected/toluene.mol"}}) {
    Job job(commandSection({{35, structureRecord(c.keyword)}}), resultsData(c.solute));
    const RunResult r = job.run("700");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(job.file("plt.txt")), resultsData(c.expected)) << c.solute;
  }
}

// Run from another folder into an output folder whose absolute path is over 300
// characters long.
TEST(SinglePoint, ExampleJobWritesTheExpectedSummary) {
  TempDir dir;
  const std::string out = std::string(150, 'o') + "/" + std::string(150, 'p');
  const RunResult r =
      runProgram("/bin/sh", {sourceData("examples/methanol/run-single-point"), VEKA_BINARY, out},
                 {}, dir.path());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(readFile(dir.file(out + "/methanol.sum")),
            readFile(sourceData("examples/methanol/expected.sum")));
  EXPECT_EQ(lines(readFile(dir.file(out + "/methanol.pdb"))).size(), 9u);
  const std::string listing = readFile(dir.file(out + "/methanol.out"));
  EXPECT_NE(listing.find("\n Total Energy            =       3.48860\n"), std::string::npos);
}

}  // namespace
}  // namespace veka::test
