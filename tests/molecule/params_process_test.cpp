// Atom types through the real program: perturbed types at three coupling values, a missing
// type, and the "OPLS Force Field Parameters" table of the listing.
#include <gtest/gtest.h>

#include <tuple>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string solute(const std::string& name) {
  return readFile(testData("molecule/data/params/" + name));
}

// The listing lines that follow the first line containing `heading`.
std::vector<std::string> after(const std::string& listing, const std::string& heading, int n) {
  const std::vector<std::string> l = lines(listing);
  for (std::size_t i = 0; i < l.size(); ++i)
    if (l[i].find(heading) != std::string::npos)
      return {
          l.begin() + static_cast<long>(i) + 1,
          l.begin() + static_cast<long>(std::min(l.size(), i + 1 + static_cast<std::size_t>(n)))};
  return {};
}

TEST(ParamsProcess, PerturbedTypeAtLambdaZeroHalfAndOne) {
  // C1 goes from the alcohol carbon (157: q 0.145) to the alkane carbon (135: q -0.18),
  // both sigma 3.5, epsilon 0.066; the three states take lambda 0, 0.5 and 1.
  Job job(commandSection(), solute("methanol_pert.z"));
  job.run("400", "0", "0.0", "0.5", "1.0");
  const std::string l = job.listing();
  const std::vector<std::string> table = after(l, "OPLS Force Field Parameters", 4);
  ASSERT_EQ(table.size(), 4u) << l;
  EXPECT_EQ(table[0], "     Atom            Q        Sigma      Epsilon        Alpha");
  EXPECT_EQ(table[1],
            " C1     1       0.1450       3.5000       0.0660       0.0000 Reference Solute    ");
  EXPECT_EQ(table[2],
            " C1     1      -0.0175       3.5000       0.0660       0.0000 1st Perturbed Solute");
  EXPECT_EQ(table[3],
            " C1     1      -0.1800       3.5000       0.0660       0.0000 2nd Perturbed Solute");
  EXPECT_NE(l.find(" O2     2      -0.6830       3.1200       0.1700       0.0000 All Solutes"),
            std::string::npos);
  const std::vector<std::string> net = after(l, " Net Charge", 3);
  ASSERT_EQ(net.size(), 3u);
  EXPECT_EQ(std::tuple(net[0], net[1], net[2]),
            std::tuple(" Reference Solute      -0.00000", " 1st Perturbed Solute  -0.16250",
                       " 2nd Perturbed Solute  -0.32500"));
}

TEST(ParamsProcess, MissingTypeStopsWithItsNumber) {
  Job job(commandSection(), solute("methanol_missing.z"));
  const RunResult r = job.run("400");
  EXPECT_EQ(r.status, 255);
  const std::string msg = " No Entry in the Parameter File for Atom Type  799\n";
  EXPECT_EQ(r.err, msg);
  const std::string l = job.listing();
  EXPECT_EQ(l.substr(l.size() - msg.size()), msg);
}

}  // namespace
}  // namespace veka::test
