// Every refusal of the command section and of the cutoff type, seen from the command
// line: the message after one leading blank on the listing and on standard output, exit
// status -1.
#include <gtest/gtest.h>

#include <tuple>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

struct StopCase {
  std::map<int, std::string> records;
  std::string code;
  std::string message;
};

TEST(CommandSectionStops, EachMessageOnListingAndStandardOutput) {
  const std::vector<StopCase> cases = {
      {{{1, "tip4p    0.0000"}}, "700", "Unavailable Solvent Model Requested in INIT - Abort"},
      {{{1, "TIP4P    0.0000"}, {10, "WATER   0"}},
       "700",
       "Unavailable Solvent Model Requested in INIT - Abort"},
      {{{1, "TIP3P    0.0000"}, {10, "TIP4P  10"}},
       "700",
       "Do Not Use TIP3P and TIP4P Simultaneously - Aborted"},
      {{{1, "OTHER    0.0000"}, {10, "OTHER  10"}},
       "700",
       "Only One Solvent Can Be Flexible (Other) - Aborted"},
      {{{2, "XYZ OPLS 0.00  0  0  0"}}, "700", "Unavailable QM Choice: XYZ  - Aborted"},
      {{{2, "AM1 CM9  0.00  0  0  0"}}, "700", "Unavailable QM Choice: CM9  - Aborted"},
      {{{3, "ZMATX"}}, "700", "*** UNRECOGNIZED SOLUTE FORMAT IN THE PAR FILE ***"},
      {{{4, "BOX            "}}, "700", "*** UNRECOGNIZED SOLVENT FORMAT IN THE PAR FILE ***"},
      {{{3, "PDB  "}}, "100", "*** UNRECOGNIZED ISTART VALUE IN SUBROUTINE INIT ***"},
  };
  for (const StopCase& c : cases) {
    Job job(commandSection(c.records));
    const RunResult r = job.run(c.code);
    EXPECT_EQ(r.status, 255) << c.message;
    EXPECT_EQ(r.out, " " + c.message + "\n");
    EXPECT_EQ(r.err, "") << c.message;
    const std::vector<std::string> l = lines(job.listing());
    ASSERT_FALSE(l.empty()) << c.message;
    EXPECT_EQ(l.back(), " " + c.message);
    // Refused before the banner.
    EXPECT_EQ(job.listing().find("VEKA  4.9"), std::string::npos) << c.message;
  }
}

TEST(CommandSectionStops, CutoffTypeIsCheckedDuringTheSetUp) {
  for (const char* icut : {"  1", "  6"}) {
    Job job(commandSection({{13, icut}, {35, "PDB     1     0.0000     0.0000"}}));
    const RunResult r = job.run("700");
    EXPECT_EQ(r.status, 255);
    const std::string msg =
        std::string(" ICUT = ") + (icut + 2) + " is Not a Valid Choice - Aborted";
    // Once on the listing, after the banner, and once on standard output.
    EXPECT_EQ(r.out, msg + "\n");
    EXPECT_EQ(r.err, "");
    const std::string listing = job.listing();
    EXPECT_EQ(listing.find(msg), listing.size() - msg.size() - 1) << listing;
    EXPECT_NE(listing.find("VEKA  4.9"), std::string::npos);
    // Stopped before any result: no energies, an empty summary and structure file.
    EXPECT_EQ(std::tuple(listing.find("Energy components"), readFile(job.file("sum.txt")),
                         readFile(job.file("plt.txt"))),
              std::tuple(std::string::npos, "", ""));
  }
}

TEST(CommandSectionStops, ShortFileAndBadFieldAreInputErrorsNamingTheRecord) {
  std::string cs = commandSection();
  Job shortJob(cs.substr(0, cs.rfind('\n', cs.find("Structure output")) + 1), Job::methanol(),
               "");  // 69 lines and no force field
  RunResult r = shortJob.run();
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.err.find("par.txt (unit 27), record 70: end of file"), std::string::npos) << r.err;

  Job bad(commandSection({{9, "  1x   0  0.00"}}));
  r = bad.run();
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.err.find("record 19: bad integer in columns 1-4: '  1x'"), std::string::npos)
      << r.err;
  EXPECT_NE(bad.listing().find("bad integer"), std::string::npos);
}

}  // namespace
}  // namespace veka::test

namespace veka::test {
namespace {

TEST(CommandSectionStops, ModelsThisBuildDoesNotProvideAreRefusedAfterTheBanner) {
  const std::pair<std::map<int, std::string>, std::string> cases[] = {
      {{{2, "AM1 CM1A 1.00  0  0  0"}},
       "*** Semi-empirical QM solutes (AM1 ) are not available in this build of VEKA - Aborted"},
      {{{1, "GBSA     0.0000"}},
       "*** The GB/SA continuum model is not available in this build of VEKA - Aborted"},
      {{{32, "   12.0000   12.0000  100.0000   1"}},
       "*** Ewald sums are not available in this build of VEKA - Aborted"},
  };
  for (const auto& [records, message] : cases) {
    Job job(commandSection(records));
    const RunResult r = job.run("700");
    EXPECT_EQ(r.status, 255) << message;
    EXPECT_EQ(r.err, " " + message + "\n");
    EXPECT_NE(job.listing().find("VEKA  4.9"), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace veka::test
