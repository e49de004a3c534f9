// The command line: job-code scan, numbers, file options and environment variables.
#include <gtest/gtest.h>

#include <tuple>

#include <map>
#include <memory>

#include "format/origin.hpp"
#include "main/entry.hpp"

namespace veka {
namespace {

struct Parsed {
  std::unique_ptr<State> s = std::make_unique<State>();
  bool ok = false;
};

Parsed parse(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
  Parsed p;
  args.insert(args.begin(), "veka");
  auto lookup = [&](const std::string& k) -> std::optional<std::string> {
    auto it = env.find(k);
    if (it == env.end()) return std::nullopt;
    return it->second;
  };
  p.ok = readCommandLine(*p.s, args, lookup);
  return p;
}

TEST(CommandLine, JobCodeNumbersAndImpliedDecimal) {
  Parsed p = parse({"010", "50000", "0.0", "5", "1.0"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(std::tuple(p.s->control.runMode, p.s->control.startFlag, p.s->io.listLevel,
                       p.s->config.MXCON),
            std::tuple(0, 1, 0, 50000));
  EXPECT_DOUBLE_EQ(p.s->geom.RC0, 0.0);
  EXPECT_DOUBLE_EQ(p.s->geom.RC1, 0.5);  // "5" has one implied decimal
  EXPECT_DOUBLE_EQ(p.s->geom.RC2, 1.0);
  EXPECT_EQ(p.s->geom.noPert, 0);
}

TEST(CommandLine, NoPerturbationWhenLambdasEqualOrGasPhase) {
  EXPECT_EQ(parse({"001", "100000", "0.0", "0.0", "0.0"}).s->geom.noPert, 1);
  EXPECT_EQ(parse({"200", "1", "0.0", "0.5", "1.0"}).s->geom.noPert, 1);
  EXPECT_EQ(parse({"100", "1", "0.0", "0.5", "1.0"}).s->geom.noPert, 0);
}

TEST(CommandLine, ScanSkipsOtherLengthsAndNeedsFourFollowers) {
  Parsed p = parse({"hello", "901", "7", "1", "2", "3"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(std::tuple(p.s->control.runMode, p.s->io.listLevel, p.s->config.MXCON),
            std::tuple(9, 1, 7));
  // Three letters ending the scan and a code with fewer than four followers: the usage
  // lines of tests/main/entry_test.cpp.
}

TEST(CommandLine, BadNumberIsAnInputError) {
  EXPECT_THROW(parse({"100", "1x", "0", "0", "0"}), fmt::InputError);
  EXPECT_THROW(parse({"100", "1", "0.a", "0", "0"}), fmt::InputError);
}

TEST(CommandLine, OptionsAreCaseBlindAndOnlyThreeCharactersCount) {
  Parsed p = parse({"700", "0", "0", "0", "0", "-ZMATRIX", "my.z", "-Pa", "par.txt", "-unknown",
                    "-ot", "list.txt", "-TRajectory", "run/long name", "-ba"},
                   {{"TRAJECTORY", "ignored"}});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.s->traj.name, "run/long name");
  EXPECT_EQ(std::tuple(p.s->io.fileName(6), p.s->io.fileName(7), p.s->io.fileName(1)),
            std::tuple("my.z", "par.txt", "list.txt"));
  EXPECT_TRUE(p.s->io.fileName(13).empty());  // "-ba" without a name
}

TEST(CommandLine, EnvironmentFillsBlankNamesWithoutQuotes) {
  Parsed p = parse({"700", "0", "0", "0", "0", "-zm", "given.z"}, {{"ZMATRIX", "env.z"},
                                                                   {"OUTPUT", "\"out put.txt\""},
                                                                   {"BANGPAR", "'b'\"x\""},
                                                                   {"SAVE", "s.txt"},
                                                                   {"TRAJECTORY", "'t r'"}});
  EXPECT_EQ(p.s->traj.name, "t r");
  EXPECT_EQ(p.s->io.fileName(6), "given.z");  // the option wins
  EXPECT_EQ(std::tuple(p.s->io.fileName(1), p.s->io.fileName(13), p.s->io.fileName(4)),
            std::tuple("out put.txt", "bx", "s.txt"));
  EXPECT_TRUE(p.s->io.fileName(2).empty());
}

TEST(CommandLine, EnergyDifferenceFileIsOffUnlessNamed) {
  const std::vector<std::string> job = {"100", "1", "0.5", "0.0", "1.0", "-zm", "a.z"};
  std::vector<std::string> with = job;
  with.insert(with.end(), {"-DHDL", "w.xvg"});
  EXPECT_EQ(parse(job).s->io.dhdlName, "");
  EXPECT_EQ(parse(with, {{"DHDL", "e.xvg"}}).s->io.dhdlName, "w.xvg");
  EXPECT_EQ(parse(job, {{"DHDL", "'e.xvg'"}}).s->io.dhdlName, "e.xvg");
  EXPECT_EQ(parse(with).s->io.fileName(6), "a.z");
}

}  // namespace
}  // namespace veka
