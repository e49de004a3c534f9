// Atom types through the real program: a type missing from the parameter file stops the
// run with its number.
#include <gtest/gtest.h>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string solute(const std::string& name) {
  return readFile(testData("molecule/data/params/" + name));
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
