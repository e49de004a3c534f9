// The set-up of a Monte Carlo job through the real program: run mode 1 builds the system
// from stored boxes (written here in the stored layout), lists it and writes the in-file;
// run mode 0 reads that in-file back and lists the same energies and coordinates. Both
// run a block of no configurations, which leaves the files as the set-up wrote them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
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

// O, H, H, M of TIP4P water (HOH 104.52 degrees); O, H, CH3 of methanol.
const Sites kWater = {{0, 0, 0}, {0.9572, 0, 0}, {-0.2397, 0.9267, 0}, {0.0918, 0.1186, 0}};
const Sites kMethanol = {{0, 0, 0}, {0.945, 0, 0}, {-0.4536, 1.3561, 0}};

// A new system: the first solvent, record 9 (NMOL, box size), the second solvent (record
// 10), the solvent Z-matrix file, a solute or none; the start of the "NMOL =" line and a
// further line of the listing.
struct StartCase {
  const char *name, *solvent, *nmol, *second, *szmat;
  bool solute;
  const char *nmolLine, *expect;
};

const StartCase kStartCases[] = {
    {"TIP3P", "TIP3P", " 200 216  0.00", "NONE    0", "", false,
     " NMOL = 200          EDGE =   18.6000   18.6000   18.6000",
     "   16 Solvent molecules are to be deleted from the initial  216"},
    {"TIP4P", "TIP4P", " 216 216  0.00", "NONE    0", "", false,
     " NMOL = 216          EDGE =   18.6000   18.6000   18.6000",
     " Molecule  216    Atoms: OW , HW , HW , M  ,"},
    {"TIP5P", "TIP5P", " 216 216  0.00", "NONE    0", "", false,
     " NMOL = 216          EDGE =   18.6000   18.6000   18.6000",
     " Molecule  216    Atoms: O  , HW , HW , LP , LP ,"},
    {"CH3OH", "CH3OH", " 128 128  0.00", "NONE    0", "", false,
     " NMOL = 128          EDGE =   24.0000   24.0000   24.0000", "   CUTOFF E="},
    {"TwoSolvents", "TIP4P", " 216 216  0.00", "CH3OH  10", "", false,
     " NMOL = 216          EDGE =   18.6000   18.6000   18.6000",
     " Solvent 2 Atoms Used for Cutoff (ICUTAS):"},
    {"RigidOther", "OTHER", " 128 128  0.00", "NONE    0", "meoh_rigid.z", false,
     " NMOL = 128          EDGE =   33.3763   33.3763   33.3763", " ESBNOL="},
    {"FlexibleOther", "OTHER", " 128 128  0.00", "NONE    0", "meoh_flexible.z", false,
     " NMOL = 128          EDGE =   33.3763   33.3763   33.3763", " ESDIOL="},
    {"SoluteInWater", "TIP4P", " 200 216  0.00", "NONE    0", "", true,
     " NMOL = 200          EDGE =   18.6000   18.6000   18.6000", " Solvent-Solute Energies"},
};

std::map<int, std::string> records(const StartCase& c) {
  return {{1, std::string(c.solvent) + "    0.0000"},
          {4, "BOXES          "},
          {9, c.nmol},
          {10, c.second},
          {32, "    8.5000    8.5000  100.0000   0"}};
}

// A job of the case with every stored box it may need: 216 waters, 128 methanols, and
// after 1991 lines of the second organic file the 128 argon centres.
std::unique_ptr<Job> startJob(const StartCase& c) {
  const std::string data = testData("input/data/");
  auto job = std::make_unique<Job>(commandSection(records(c)),
                                   c.solute ? Job::methanol() : readFile(data + "no_solute.z"));
  std::string argon;
  for (int k = 0; k < 1991; ++k) argon += "filler\n";
  writeFile(job->file("water.txt"), storedBox(216, kWater, 3.1));
  writeFile(job->file("org1.txt"), storedBox(128, kMethanol, 4.0));
  writeFile(job->file("org2.txt"), argon + storedBox(128, {{0, 0, 0}}, 4.0));
  if (*c.szmat) writeFile(job->file("szmat.txt"), readFile(data + c.szmat));
  return job;
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

// The internal energy of the solvent of its own file: the bond, angle, dihedral and
// nonbonded terms listed.
double flexibleTotal(const std::string& listing) {
  const std::vector<double> a = numbers(lineStarting(listing, " ESBNOL=")),
                            b = numbers(lineStarting(listing, " ESDIOL="));
  return a.size() == 4 && b.size() == 4 ? a[0] + a[2] + b[0] + b[2] : 0.0;
}

TEST(SetUpProcess, NewSystemListedWrittenAndReadBack) {
  std::map<std::string, std::array<double, 2>> totals;  // OLD E, flexible-solvent energy
  for (const StartCase& c : kStartCases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<Job> jp = startJob(c);
    const Job& job = *jp;
    RunResult r = job.run("100");
    const std::string first = job.listing();
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(lineStarting(first, " NMOL =").rfind(c.nmolLine, 0), 0u)
        << lineStarting(first, " NMOL =");
    EXPECT_TRUE(contains(first, c.expect));
    const std::string summary = readFile(job.file("sum.txt"));
    EXPECT_EQ(lineStarting(summary, " T(C) ="), lineStarting(first, " T(C) ="));
    EXPECT_EQ(contains(summary, "  206 TIP4P      10 CH3OH"), c.second[0] == 'C');
    if (c.solute) {  // the molecules deleted are those of the highest energies
      double kept = -1e300, deleted = 1e300;
      for (const std::string& l : lines(first))
        if (l.rfind(" Solvent Molecule", 0) == 0) deleted = std::min(deleted, numbers(l).back());
      const std::string list = first.substr(first.find(" Solvent-Solute Energies"));
      for (std::size_t k = list.find(')'); k < list.find(" Initial"); k = list.find(')', k + 1))
        kept = std::max(kept, std::strtod(list.c_str() + k + 1, nullptr));
      EXPECT_LT(kept, deleted);
      EXPECT_GT(deleted, 0.0);
    }
    const double e = oldE(first);
    totals[c.name] = {e, flexibleTotal(first)};
    EXPECT_NE(e, 0.0);
    const std::string infile = readFile(job.file("in.txt"));

    r = job.run("000");
    const std::string again = job.listing();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(lineStarting(again, " NMOL ="), lineStarting(first, " NMOL ="));
    EXPECT_NEAR(oldE(again), e, 1e-5 * (1.0 + std::abs(e)));
    const std::vector<double> g1 = geometry(first), g2 = geometry(again);
    ASSERT_EQ(g1.size(), g2.size());
    for (std::size_t k = 0; k < g1.size(); ++k) ASSERT_NEAR(g1[k], g2[k], 2e-5) << k;
    EXPECT_EQ(readFile(job.file("in.txt")), infile);  // a continued run does not rewrite it
  }
  // The same molecules, rigid and flexible: the totals differ by the internal energies.
  const auto &rigid = totals["RigidOther"], &flexible = totals["FlexibleOther"];
  EXPECT_GT(std::abs(flexible[1] - rigid[1]), 1.0);
  EXPECT_NEAR(flexible[0] - rigid[0], flexible[1] - rigid[1], 0.05);
}

// The NMOL/IB stop, a box file that ends early and an in-file with a wrong count: exit
// status -1, and the in-file and the summary stay as they were.
TEST(SetUpProcess, StopsAndInputErrorsLeaveTheFilesAlone) {
  std::map<int, std::string> rec = records(kStartCases[0]);
  const std::unique_ptr<Job> jp = startJob(kStartCases[0]);
  const Job& job = *jp;
  const std::string water = readFile(job.file("water.txt"));
  ASSERT_EQ(job.run("100").status, 0);
  const std::string infile = readFile(job.file("in.txt")), summary = readFile(job.file("sum.txt"));
  auto unchanged = [&] {
    EXPECT_EQ(readFile(job.file("in.txt")), infile);
    EXPECT_EQ(readFile(job.file("sum.txt")), summary);
  };

  rec[4] = "IN             ";
  rec[9] = " 216 216  0.00";
  writeFile(job.file("par.txt"), commandSection(rec) + Job::opls());
  RunResult r = job.run("100");
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out,
            " The number of requested solvent molecules, NMOL =  216 is greater than the number "
            "in the in-file, IB =  200\n");
  unchanged();

  rec[4] = "BOXES          ";
  writeFile(job.file("par.txt"), commandSection(rec) + Job::opls());
  writeFile(job.file("water.txt"), water.substr(0, water.size() / 2));
  r = job.run("100");
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.err.find("*** Input error in water.txt (unit 28)"), std::string::npos) << r.err;
  unchanged();

  writeFile(job.file("in.txt"), infile.substr(0, 5) + "    2" + infile.substr(10));
  r = job.run("000");
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.err.find("in.txt (unit 21), record 1: count of solute atoms 2 differs"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(readFile(job.file("sum.txt")), summary);

  // A new system taking its solvent from the in-file keeps NMOL of its molecules.
  writeFile(job.file("in.txt"), infile);
  rec[4] = "IN             ";
  rec[9] = " 150 216  0.00";
  writeFile(job.file("par.txt"), commandSection(rec) + Job::opls());
  EXPECT_EQ(job.run("100").status, 0);
  EXPECT_EQ(lineStarting(job.listing(), " NMOL =").substr(0, 11), " NMOL = 150");
  EXPECT_TRUE(
      contains(job.listing(), "   50 Solvent molecules are to be deleted from the initial  200"));
}

}  // namespace
}  // namespace veka::test
