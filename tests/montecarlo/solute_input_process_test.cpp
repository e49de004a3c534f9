// Solute files that the Monte Carlo engine cannot use stop the real program with a message
// that names the fault (standard error) and exit status 255.
#include <gtest/gtest.h>

#include <string>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string replaced(std::string t, const std::string& from, const std::string& to) {
  return t.replace(t.find(from), from.size(), to);
}

// 26 one-atom solutes, each atom 3 A from the one before.
std::string manySolutes() {
  std::string t = "Twenty-six solutes\n";
  char buf[96];
  for (int i = 1; i <= 26; ++i) {
    std::snprintf(buf, sizeof buf, "%4d AR%-2d 157  157%5d%12.6f%4d%12.6f%4d%12.6f\n", i, i % 100,
                  i > 1 ? i - 1 : 0, i > 1 ? 3.0 : 0.0, i > 2 ? i - 2 : 0, i > 2 ? 90.0 : 0.0,
                  i > 3 ? i - 3 : 0, i > 3 ? 180.0 : 0.0);
    t += buf;
    if (i < 26) t += "TER\n";
  }
  return t + Job::methanol().substr(Job::methanol().find("                    Geometry"));
}

TEST(SoluteInputProcess, BadSolutesStopTheRun) {
  const std::string methanol = Job::methanol();
  const struct {
    std::string solute, message;
  } cases[] = {
      {replaced(methanol, "   6 H6   156  156", "   6 H6   156   -1"),
       "** Atom    6 Is a Dummy Atom (Type -1) in One Perturbation State Only - Killed in READZM "
       "**\n"},
      {replaced(methanol, "   6 H6   156  156", "   6 H6    -1  156"),
       "** Atom    6 Is a Dummy Atom (Type -1) in One Perturbation State Only - Killed in READZM "
       "**\n"},
      {manySolutes(), "** Max No. of Solutes is 25 - Killed in READZM **\n"},
      {replaced(methanol, "   4-   6\n", "   4-   5\nFLIP   6 120\n"),
       " *** Flip Move for Atom     6 Whose Dihedral Is Not Variable - Killed in ZSTART ***\n"},
  };
  for (const auto& c : cases) {
    Job job(commandSection(), c.solute);
    const RunResult r = job.run("700", "0", "0.0", "1.0", "1.0");
    EXPECT_EQ(r.status, 255) << c.message;
    EXPECT_TRUE(r.err.ends_with(c.message)) << r.err;
  }
}

}  // namespace
}  // namespace veka::test
