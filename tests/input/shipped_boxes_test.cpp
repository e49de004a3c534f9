// The shipped water boxes (data/boxes/water.box), each read by the program at its line
// offset: a new system of TIP4P from every size (run mode 1, no configurations) takes the
// box's count and edges and every one of its coordinates, and is a liquid.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string noSolute() {
  std::string t = "No solute\n   1 DUM   -1   -1\n";
  for (int i = 0; i < 10; ++i) t += std::string(20, ' ') + "heading\n";
  return t;
}

TEST(ShippedBoxes, EveryWaterBoxStartsANewSystem) {
  const std::string file = readFile(sourceData("boxes/water.box"));
  const auto all = lines(file);
  const struct {
    int n, offset;
  } boxes[] = {{216, 0},    {250, 433},  {267, 934}, {324, 1469},
               {400, 2118}, {512, 2919}, {750, 3944}};
  ASSERT_EQ(all.size(), 3944u + 1 + 750 * 2);
  for (const auto& b : boxes) {
    SCOPED_TRACE(b.n);
    const auto header = numbers(all[static_cast<std::size_t>(b.offset)]);
    ASSERT_EQ(header.size(), 4u);
    EXPECT_EQ(header[0], b.n);
    std::string body;  // the box's coordinate lines as the in-file writes them
    for (int i = 1; i <= 2 * b.n; ++i) body += all[static_cast<std::size_t>(b.offset + i)] + "\n";
    char nmol[32];
    std::snprintf(nmol, sizeof nmol, "%4d%4d  0.00", b.n, b.n);
    Job job(commandSection({{1, "TIP4P    0.0000"},
                            {4, "BOXES          "},
                            {9, nmol},
                            {11, "  1  1  1  1"},
                            {32, "    8.5000    8.5000  100.0000   0"}}),
            noSolute());
    writeFile(job.file("water.txt"), file);
    const RunResult r = job.run("100", "0");
    ASSERT_EQ(r.status, 0) << r.err << job.listing();
    const auto line = numbers(lineStarting(job.listing(), " NMOL ="));
    ASSERT_EQ(line.size(), 5u);
    EXPECT_EQ(line[0], b.n);
    for (int ax = 1; ax <= 3; ++ax)
      EXPECT_NEAR(line[static_cast<std::size_t>(ax)], 2 * header[ax], 1e-4);
    const std::string in = readFile(job.file("in.txt"));
    EXPECT_TRUE(contains(in, body));
    // An equilibrated liquid: about -10 kcal/mol per molecule, not a lattice or a gas.
    std::string e = lines(in)[2].substr(0, 20);
    e[e.find('D')] = 'E';
    EXPECT_NEAR(std::stod(e) / b.n, -10.0, 0.4);
  }
}

}  // namespace
}  // namespace veka::test
