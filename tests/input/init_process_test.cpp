// The set-up of a Monte Carlo job through the real program: run mode 1 builds the system
// from stored boxes (written here in the stored layout), lists it and writes the in-file;
// run mode 0 reads that in-file back and lists the same energies and coordinates. Both
// then stop because the block loop is not part of this build.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

using Sites = std::vector<std::array<double, 3>>;

// n copies of a molecule on a cubic lattice of the given spacing, each turned by its own
// rotation, as one stored box.
std::string storedBox(int n, const Sites& mol, double spacing) {
  const int m = static_cast<int>(std::ceil(std::cbrt(n) - 1e-9));
  const double h = 0.5 * m * spacing;
  std::vector<double> v;
  for (int k = 0; k < static_cast<int>(mol.size()); ++k)
    for (int a = 0; a < 3; ++a)
      for (int i = 0; i < n; ++i) {
        const double t = 0.7 * i, u = 1.3 * i + 0.2, c = std::cos(t), s = std::sin(t);
        const auto& p = mol[static_cast<std::size_t>(k)];
        const double q[3] = {c * p[0] - s * p[1],
                             (s * p[0] + c * p[1]) * std::cos(u) - p[2] * std::sin(u),
                             (s * p[0] + c * p[1]) * std::sin(u) + p[2] * std::cos(u)};
        const int cell[3] = {i % m, i / m % m, i / (m * m)};
        v.push_back(-h + spacing * (cell[a] + 0.5) + q[a]);
      }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%4d%12.8f%12.8f%12.8f\n", n, h, h, h);
  std::string text = buf;
  for (std::size_t j = 0; j < v.size(); ++j) {
    std::snprintf(buf, sizeof buf, "%13.8f", v[j]);
    text += buf;
    if (j % 6 == 5 || j + 1 == v.size()) text += "\n";
  }
  return text;
}

const double kHOH = 104.52 * M_PI / 180.0;
const Sites kWater = {{0, 0, 0},
                      {0.9572, 0, 0},
                      {0.9572 * std::cos(kHOH), 0.9572 * std::sin(kHOH), 0},
                      {0.15 * std::cos(kHOH / 2), 0.15 * std::sin(kHOH / 2), 0}};
const Sites kMethanol = {{0, 0, 0}, {0.945, 0, 0}, {-0.4536, 1.3561, 0}};

std::string filler(int lines) {
  std::string t;
  for (int k = 0; k < lines; ++k) t += "filler\n";
  return t;
}

// The solvent of its own file: methanol with a local type; flexible with its variable bond,
// angle and dihedral, else rigid.
std::string ownSolvent(bool flexible) {
  const std::string v = flexible ? "   2-   3\n" : "";
  return std::string("MEOH \n") +
         "   1 C1   157    0    0    0.000000   0    0.000000   0    0.000000\n"
         "   2 O2   154    0    1    1.410000   0    0.000000   0    0.000000\n"
         "   3 H3   155    0    2    0.945000   1  108.500000   0    0.000000\n"
         "   4 H4   800    0    1    1.090000   2  109.500000   3  180.000000\n"
         "                    Geometry Variations follow\n"
         "                    Variable Bonds follow\n" +
         v +
         "                    Additional Bonds follow\n"
         "                    Harmonic Constraints follow\n"
         "                    Variable Bond Angles follow\n" +
         (flexible ? "   3\n" : "") +
         "                    Additional Bond Angles follow\n"
         "                    Variable Dihedrals follow\n" +
         (flexible ? "   4 145   0   10.000000\n" : "") +
         "                    Additional Dihedrals follow\n"
         "                    Domain Definitions follow\n"
         "                    Final blank line\n"
         " Final Non-Bonded Parameters for Solvent\n"
         " 800  1 HC   0.060000  2.500000  0.030000\n";
}

const char* kNoSolute =
    "No solute\n"
    "   1 X    -1   -1    0    0.000000   0    0.000000   0    0.000000\n"
    "                    Geometry Variations follow\n                    Variable Bonds follow\n"
    "                    Additional Bonds follow\n                    Harmonic Constraints follow\n"
    "                    Variable Bond Angles follow\n"
    "                    Additional Bond Angles follow\n"
    "                    Variable Dihedrals follow\n"
    "                    Additional Dihedrals follow\n"
    "                    Domain Definitions follow\n                    Final blank line\n";

struct StartCase {
  const char* name;
  std::map<int, std::string> records;
  std::map<std::string, std::string> files;
  bool solute;
  const char* nmolLine;  // start of the "NMOL =" line: count and edges
  const char* expect;    // a further line of the listing
};

std::vector<StartCase> startCases() {
  const std::string water = storedBox(216, kWater, 3.1);
  const std::string meoh = storedBox(128, kMethanol, 4.0);
  const std::string argon = filler(1991) + storedBox(128, {{0, 0, 0}}, 4.0);
  auto rec = [](const char* solvent, const char* nmol) {
    return std::map<int, std::string>{{1, std::string(solvent) + "    0.0000"},
                                      {4, "BOXES          "},
                                      {9, nmol},
                                      {32, "    8.5000    8.5000  100.0000   0"}};
  };
  std::map<int, std::string> two = rec("TIP4P", " 216 216  0.00");
  two[10] = "CH3OH  10";
  return {
      {"TIP3P",
       rec("TIP3P", " 200 216  0.00"),
       {{"water.txt", water}},
       false,
       " NMOL = 200          EDGE =   18.6000   18.6000   18.6000",
       "   16 Solvent molecules are to be deleted from the initial  216"},
      {"TIP4P",
       rec("TIP4P", " 216 216  0.00"),
       {{"water.txt", water}},
       false,
       " NMOL = 216          EDGE =   18.6000   18.6000   18.6000",
       " Molecule  216    Atoms: OW , HW , HW , M  ,"},
      {"TIP5P",
       rec("TIP5P", " 216 216  0.00"),
       {{"water.txt", water}},
       false,
       " NMOL = 216          EDGE =   18.6000   18.6000   18.6000",
       " Molecule  216    Atoms: O  , HW , HW , LP , LP ,"},
      {"CH3OH",
       rec("CH3OH", " 128 128  0.00"),
       {{"org1.txt", meoh}},
       false,
       " NMOL = 128          EDGE =   24.0000   24.0000   24.0000",
       "   CUTOFF E="},
      {"TwoSolvents",
       two,
       {{"water.txt", water}, {"org1.txt", meoh}},
       false,
       " NMOL = 216          EDGE =   18.6000   18.6000   18.6000",
       " Solvent 2 Atoms Used for Cutoff (ICUTAS):"},
      {"RigidOther",
       rec("OTHER", " 128 128  0.00"),
       {{"org2.txt", argon}, {"szmat.txt", ownSolvent(false)}},
       false,
       " NMOL = 128          EDGE =   33.6540   33.6540   33.6540",
       " ESBNOL="},
      {"FlexibleOther",
       rec("OTHER", " 128 128  0.00"),
       {{"org2.txt", argon}, {"szmat.txt", ownSolvent(true)}},
       false,
       " NMOL = 128          EDGE =   33.6540   33.6540   33.6540",
       " ESDIOL="},
      {"SoluteInWater",
       rec("TIP4P", " 200 216  0.00"),
       {{"water.txt", water}},
       true,
       " NMOL = 200          EDGE =   18.6000   18.6000   18.6000",
       " Solvent-Solute Energies"},
  };
}

double oldE(const std::string& listing) {
  const std::string l = lineStarting(listing, " T(C) =");
  return numbers(l.substr(l.find("OLD E =") + 7, 16)).at(0);
}

// The numbers of the geometry section of the listing.
std::vector<double> geometry(const std::string& listing) {
  const std::size_t a = listing.find(" Coordinates and Distances"),
                    b = listing.find(" Initial Random");
  std::vector<double> v;
  for (const std::string& l : lines(listing.substr(a, b - a)))
    for (double x : numbers(l)) v.push_back(x);
  return v;
}

const std::string kNotBuilt = "is not available in this build of VEKA - Aborted\n";

TEST(SetUpProcess, NewSystemListedWrittenAndReadBack) {
  for (const StartCase& c : startCases()) {
    SCOPED_TRACE(c.name);
    Job job(commandSection(c.records), c.solute ? Job::methanol() : kNoSolute);
    for (const auto& [name, text] : c.files) writeFile(job.file(name), text);
    RunResult r = job.run("100");
    const std::string first = job.listing();
    ASSERT_EQ(r.status, 255) << r.out << r.err;
    ASSERT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), kNotBuilt.size())), kNotBuilt)
        << r.err;
    EXPECT_EQ(lineStarting(first, " NMOL =").rfind(c.nmolLine, 0), 0u)
        << lineStarting(first, " NMOL =");
    EXPECT_TRUE(contains(first, c.expect));
    EXPECT_TRUE(contains(first, " Initial Random Number ="));
    const std::string summary = readFile(job.file("sum.txt"));
    EXPECT_TRUE(contains(summary, " Results Summary: "));
    EXPECT_EQ(lineStarting(summary, " T(C) ="), lineStarting(first, " T(C) ="));
    EXPECT_EQ(contains(summary, "  206 TIP4P      10 CH3OH"), c.records.count(10) == 1);
    const double e = oldE(first);
    EXPECT_NE(e, 0.0);
    const std::string infile = readFile(job.file("in.txt"));
    EXPECT_EQ(infile.substr(0, 5), lineStarting(first, " NMOL =").substr(7, 4).insert(0, " "));

    r = job.run("000");
    const std::string again = job.listing();
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(lineStarting(again, " NMOL ="), lineStarting(first, " NMOL ="));
    EXPECT_NEAR(oldE(again), e, 1e-5 * (1.0 + std::abs(e)));
    const std::vector<double> g1 = geometry(first), g2 = geometry(again);
    ASSERT_EQ(g1.size(), g2.size());
    for (std::size_t k = 0; k < g1.size(); ++k) ASSERT_NEAR(g1[k], g2[k], 2e-5) << k;
    EXPECT_EQ(readFile(job.file("in.txt")), infile);  // a continued run does not rewrite it
  }
}

}  // namespace
}  // namespace veka::test
