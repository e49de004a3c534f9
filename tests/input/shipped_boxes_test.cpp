// The shipped solvent boxes (data/boxes/*.box), each read by the program at its line
// offset: a new system of the box's solvent from every size (run mode 1, no configurations)
// takes the box's count and edges and every one of its coordinates, and is a liquid.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string noSolute() {
  std::string t = "No solute\n   1 DUM   -1   -1\n";
  for (int i = 0; i < 10; ++i) t += std::string(20, ' ') + "heading\n";
  return t;
}

struct Stored {
  const char *file, *slot, *model;
  int sites;
  std::vector<int> sizes, offsets;
  double energy;  // kcal/mol per molecule of the equilibrated liquid, roughly
};

// Reads the box through the program and checks it against the file's own lines.
void checkBox(const Stored& st, const std::string& file, int n, int offset) {
  SCOPED_TRACE(std::string(st.model) + " " + std::to_string(n));
  const auto all = lines(file);
  const int body = (n * st.sites * 3 + 5) / 6;
  ASSERT_GE(all.size(), static_cast<std::size_t>(offset + 1 + body));
  const auto header = numbers(all[static_cast<std::size_t>(offset)]);
  ASSERT_EQ(header.size(), 4u);
  EXPECT_EQ(header[0], n);
  std::string coords;  // the box's coordinate lines as the in-file writes them
  for (int i = 1; i <= body; ++i) coords += all[static_cast<std::size_t>(offset + i)] + "\n";
  char nmol[32], solvent[32];
  std::snprintf(nmol, sizeof nmol, "%4d%4d  0.00", n, n);
  std::snprintf(solvent, sizeof solvent, "%-5s    0.0000", st.model);
  Job job(commandSection({{1, solvent},
                          {4, "BOXES          "},
                          {9, nmol},
                          {11, "  1  1  1  1"},
                          {32, "    7.0000    7.0000  100.0000   0"}}),
          noSolute());
  writeFile(job.file(st.slot), file);
  const RunResult r = job.run("100", "0");
  ASSERT_EQ(r.status, 0) << r.err << job.listing();
  const auto line = numbers(lineStarting(job.listing(), " NMOL ="));
  ASSERT_EQ(line.size(), 5u);
  EXPECT_EQ(line[0], n);
  for (int ax = 1; ax <= 3; ++ax)
    EXPECT_NEAR(line[static_cast<std::size_t>(ax)], 2 * header[ax], 1e-4);
  const std::string in = readFile(job.file("in.txt"));
  EXPECT_TRUE(contains(in, coords));
  // An equilibrated liquid, not a lattice or a gas (7 A cutoff, so only roughly).
  std::string e = lines(in)[2].substr(0, 20);
  e[e.find('D')] = 'E';
  EXPECT_NEAR(std::stod(e) / n, st.energy, 0.15 * std::abs(st.energy) + 0.2);
}

TEST(ShippedBoxes, EveryBoxStartsANewSystem) {
  const std::vector<int> org = {128, 267, 400};
  const Stored boxes[] = {
      {"water.box",
       "water.txt",
       "TIP4P",
       4,
       {216, 250, 267, 324, 400, 512, 750},
       {0, 433, 934, 1469, 2118, 2919, 3944},
       -10.0},
      {"org1.box", "org1.txt", "CH3OH", 3, org, {0, 193, 595}, -8.4},
      {"org1.box", "org1.txt", "CH3CN", 3, org, {1196, 1389, 1791}, -7.4},
      {"org1.box", "org1.txt", "MEOME", 3, {125, 267, 400}, {2392, 2581, 2983}, -4.7},
      {"org1.box", "org1.txt", "C3H8", 3, org, {3584, 3777, 4179}, -4.0},
      {"org1.box", "org1.txt", "CHCL3", 4, org, {4780, 5037, 5572}, -6.9},
      {"org1.box", "org1.txt", "MECL2", 3, org, {6373, 6566, 6968}, -4.3},
      {"org2.box", "org2.txt", "THF", 5, org, {0, 321, 990}, -7.0},
      {"org2.box", "org2.txt", "ARGON", 1, org, {1991, 2056, 2191}, -1.4},
      {"org2.box", "org2.txt", "CCL4", 5, org, {2392, 2713, 3382}, -7.2},
      {"org2.box", "org2.txt", "DMSO", 4, org, {4383, 4640, 5175}, -12.0},
  };
  for (const Stored& st : boxes) {
    const std::string file = readFile(sourceData(std::string("boxes/") + st.file));
    for (std::size_t k = 0; k < st.sizes.size(); ++k)
      checkBox(st, file, st.sizes[k], st.offsets[k]);
  }
}

}  // namespace
}  // namespace veka::test
