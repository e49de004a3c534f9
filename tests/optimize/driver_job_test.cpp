// Run modes 2 and 3 from the command line: refusals, the cycle limits, non-convergence,
// the result listing, the relaxation of a clash, scan tables, and the normal-mode
// analysis that may follow.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "driver_fixture.hpp"
#include "support/command_section.hpp"
#include "support/job.hpp"

namespace veka::test {
namespace {

std::string section(const std::string& method = "BFGS ", double ftol = 0.001,
                    std::map<int, std::string> more = {}) {
  more.emplace(6, record6(method, ftol));
  return commandSection(more);
}

bool has(const std::string& text, const std::string& line) {
  return countLines(text, line) > 0;
}

const char* kRule = " +-------------------------------------------------+";

// Every refusal, of the driver or of the minimiser, ends the job normally right after its
// message: nothing on the console, no cycle result, no results, no normal modes (switched
// on here), an empty summary and structure file.
TEST(OptimiserJob, RefusalsEndTheJobAfterTheirMessage) {
  struct Case {
    const char* method;
    double ftol;
    std::string solute, args;          // args: job code, MXCON, RC0, RC1, RC2
    std::vector<std::string> message;  // the listing's last lines before the CPU time
  };
  std::string outside = Job::methanol();  // a dihedral of -400 degrees: below -2 pi
  outside.replace(outside.find("  -60.000000"), 12, " -400.000000");
  const std::string opt = "200 50 0.0 0.0 0.0", water = optData("water.z");
  const std::string revise = " !!!!!!  STOP THE JOB AND REVISE THE ZMATRIX. !!!!!!";
  const std::string bounds = " ERROR: The starting value is outside the bounds.";
  const std::string criterion = " Convergence Criterion          =  0.1000E-02";
  const std::vector<Case> cases = {
      {"BFGS ", 10.0, water, opt, {" FTOL is too large.   10.000000000000000     "}},
      {"BFGS ",
       0.001,
       optData("c51.z"),
       opt,
       {" TOO MANY VARIABLES FOR OPTIMIZATION IN OPTMIZ  -",
        " Requested         451  Maximum is         450"}},
      {"BFGS ",
       0.001,
       optData("linear.z"),
       opt,
       {" WARNING: VARIABLE ANGLE     3 BECOMES LINEAR (  180.0000).", revise}},
      {"BFGS ",
       0.001,
       optData("short_bond.z"),
       opt,
       {" WARNING: INVALID VALUE OF VARIABLE BOND      2        0.0050", revise}},
      {"BFGS ",
       0.001,
       water,
       "300 2 0.01 5.0 3.0",
       {" INVALID SCAN TYPE (RC1 =   5.0000000000000000      ): 1 BOND, 2 ANGLE, 0 OR 3 "
        "DIHEDRAL."}},
      {"BFGS ",
       0.001,
       water,
       "300 1 0.01 1.0 3.0",
       {" ATOM           1 HAS NO VARIABLEBONDTO SCAN."}},
      {"SIMAN", 0.001, outside, opt, {criterion, bounds}},
      {"SIMAN", 0.001, outside, "300 2 0.01 1.0 3.0", {criterion, bounds}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.back());
    Job job(
        section(c.method, c.ftol,
                {{8, "  1  1  2    1.0000  500.0000"}, {35, "PDB     1     0.0000     0.0000"}}),
        c.solute);
    std::istringstream in(c.args);
    std::string a[5];
    for (std::string& w : a) in >> w;
    const RunResult r = job.run(a[0], a[1], a[2], a[3], a[4]);
    EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(0, "", ""));
    const std::vector<std::string> l = lines(job.listing());
    ASSERT_GT(l.size(), c.message.size());
    EXPECT_EQ(
        std::vector<std::string>(l.end() - 1 - static_cast<long>(c.message.size()), l.end() - 1),
        c.message);
    EXPECT_EQ(std::tuple(l.back().substr(0, 22), readFile(job.file("sum.txt")),
                         readFile(job.file("plt.txt"))),
              std::tuple("total CPU time(sec)  =", "", ""));
  }
}

// The limits themselves are accepted: a tolerance of 5 kcal/mol, 450 variables; a start
// within a degree of linear is only warned about.
TEST(OptimiserJob, AtTheRefusalLimitsTheOptimisationRuns) {
  Job five(section("BFGS ", 5.0), optData("water.z"));
  ASSERT_EQ(five.run("200", "50").status, 0);
  EXPECT_TRUE(contains(five.listing(), "RESULTS OF SOLUTE OPTIMIZATION"));
  Job full(section(), optData("c50.z"));
  ASSERT_EQ(full.run("200", "50").status, 0);
  EXPECT_EQ(numbers(lineStarting(full.listing(), " No. Variables  =")), std::vector<double>{450});
  Job job(section(), optData("near_linear.z"));
  ASSERT_EQ(job.run("200", "50").status, 0);
  const std::string l = job.listing();
  EXPECT_TRUE(has(l, " WARNING: LINEARITY AT VARIABLE ANGLE     3      179.5000")) << l;
  EXPECT_TRUE(has(l, " !!!!!!  IT IS RECOMMENDED TO REVISE THE ZMATRIX. !!!!!"));
  EXPECT_TRUE(contains(l, "RESULTS OF SOLUTE OPTIMIZATION"));
}

TEST(OptimiserJob, OneCycleAskedGivesTwoAndReportsNonConvergence) {
  // The simplex does not converge on 36 variables in two cycles.
  Job job(section("SIMPL"), optData("butane_anti.z"));
  ASSERT_EQ(job.run("200", "1").status, 0);
  const std::string l = job.listing();
  EXPECT_EQ(countLines(l, " |   Optimization Cycle =    1                      |"), 1) << l;
  EXPECT_EQ(countLines(l, " |   Optimization Cycle =    2                      |"), 1);
  EXPECT_FALSE(contains(l, "Optimization Cycle =    3"));
  EXPECT_EQ(countLines(l, kRule), 4);
  EXPECT_TRUE(has(l,
                  " Exited after     2 cycles in optimizer without converging to  0.001000"
                  " kcal/mol. Resubmit."));
  EXPECT_TRUE(has(l, " *** Warning: Optimization did not converge. ***"));
  EXPECT_TRUE(has(l, " Optimization procedure: Simplex             "));
}

TEST(OptimiserJob, ResultListing) {
  Job job(section(), optData("butane_gauche.z"));
  ASSERT_EQ(job.run("200", "50").status, 0);
  const std::string l = job.listing();
  EXPECT_TRUE(has(l, " RESULTS OF SOLUTE OPTIMIZATION")) << l;
  EXPECT_TRUE(has(l, " Optimization procedure: BFGS                "));
  EXPECT_FALSE(contains(l, "did not converge"));
  EXPECT_FALSE(contains(l, "Exited after"));
  const std::string it = lineStarting(l, " No. Iterations =");
  EXPECT_TRUE(contains(it, "Tolerance =   0.001000 kcal/mol")) << it;
  EXPECT_GT(numbers(it).at(0), 10);
  EXPECT_EQ(numbers(lineStarting(l, " No. Variables  =")), std::vector<double>{36});
  // The components add up to the total, which is the optimised energy: the gauche
  // minimum of the force field (2.873699 kcal/mol, found by every method; LAMMPS's own
  // minimum in lammps_minimum_check.py).
  double sum = 0.0;
  for (const char* label :
       {" Bond stretching energy  =", " Angle bending energy    =", " Torsional energy        =",
        " Intrasolute non-bonded  =", " Intersolute non-bonded  =", " Polarization energy     =",
        " Bond constraints energy ="}) {
    const std::string c = lineStarting(l, label);
    ASSERT_EQ(c.size(), std::string(label).size() + 14) << label;
    sum += numbers(c).at(0);
  }
  const double total = numbers(lineStarting(l, " Total Energy            =")).at(0);
  EXPECT_NEAR(sum, total, 3e-5);
  const double optimised = numbers(lineStarting(l, " Optimized energy =")).at(0);
  EXPECT_NEAR(optimised, 2.873699, 2e-5);
  EXPECT_NEAR(total, optimised, 5e-6);
  EXPECT_TRUE(contains(lineStarting(l, " Final Dipole Moment ="), " D"));
  EXPECT_TRUE(has(l, " Final Z-Matrix:"));
  EXPECT_TRUE(has(l, " Energy components:"));
  // Every cycle: the box and the energy after it.
  EXPECT_TRUE(has(l, " |   Optimization Cycle =    1                      |"));
  EXPECT_FALSE(lineStarting(l, " Energy after cycle    1 =").empty());
}

TEST(OptimiserJob, AClashIsRelaxedFirst) {
  // The methanol oxygen 0.3 A from a water hydrogen: some 40000 kcal/mol.
  Job job(section(), optData("clash.z"));
  ASSERT_EQ(job.run("200", "50").status, 0);
  const std::string l = job.listing();
  const std::string relax = lineStarting(l, " Energy of the start geometry =");
  ASSERT_FALSE(relax.empty()) << l;
  EXPECT_GT(numbers(relax).at(0), 10000.0);
  EXPECT_LT(l.find(relax), l.find("Optimization Cycle =    1"));
  // The hydrogen-bonded minimum of the complex (-2.655 kcal/mol from the unstrained
  // start, LAMMPS's own minimum in lammps_minimum_check.py). Its soft intermolecular modes leave
  // the gradient methods, whose numerical gradient is a central difference over +-0.01, up to some
  // 0.02 kcal/mol above it.
  EXPECT_NEAR(numbers(lineStarting(l, " Optimized energy =")).at(0), -2.655, 0.02);
}

// Coordinates of the ATOM records of a PDB file.
std::vector<Vec3> pdbAtoms(const std::string& text) {
  std::vector<Vec3> v;
  for (const std::string& l : lines(text))
    if (l.rfind("ATOM  ", 0) == 0)
      v.push_back(
          {std::stod(l.substr(30, 8)), std::stod(l.substr(38, 8)), std::stod(l.substr(46, 8))});
  return v;
}

TEST(OptimiserJob, TheOptimisedStructureGoesToTheSummaryAndThePdbFile) {
  Job job(section("BFGS ", 0.001, {{35, "PDB     1     0.0000     0.0000"}}),
          optData("butane_gauche.z"));
  ASSERT_EQ(job.run("200", "50").status, 0);
  const std::string l = job.listing();
  const std::string sum = readFile(job.file("sum.txt"));
  const std::vector<std::string> z = lines(sum);
  ASSERT_GT(z.size(), 15u) << sum;
  EXPECT_EQ(z[0],
            "n-butane near gauche                                        Tot. E =      2.8737");
  // The listing has the Z-matrix after every cycle and at the end.
  int zmatrices = 0;
  for (const std::string& line : lines(l)) zmatrices += line == z[0];
  EXPECT_EQ(zmatrices, 3);
  // The PDB file holds the optimised coordinates: its C1-C2-C3-C4 dihedral is the one of
  // the summary's Z-matrix (atom 4, columns 56-67).
  const std::vector<Vec3> pdb = pdbAtoms(readFile(job.file("plt.txt")));
  ASSERT_EQ(pdb.size(), 14u);
  EXPECT_NEAR(dihedral(pdb[0], pdb[1], pdb[2], pdb[3]) * kDeg, std::stod(z[4].substr(55, 12)),
              0.05);
  // Read back as the solute of a single-point job it gives the optimised energy.
  Job again(section(), sum);
  ASSERT_EQ(again.run("700", "0").status, 0);
  EXPECT_NEAR(numbers(lineStarting(again.listing(), " Total Energy            =")).at(0), 2.873699,
              2e-5);
  // A blank NEWZM writes no Z-matrix to the summary file.
  Job blank(commandSection({{6, record6("BFGS ", 0.001, "     ")}}), optData("butane_gauche.z"));
  ASSERT_EQ(blank.run("200", "50").status, 0);
  EXPECT_TRUE(readFile(blank.file("sum.txt")).empty());
  EXPECT_TRUE(contains(blank.listing(), " Final Z-Matrix:"));
}

// The rows of a scan table (lines of numbers after the column heads).
std::vector<std::vector<double>> scanRows(const std::string& text) {
  std::vector<std::vector<double>> rows;
  bool in = false;
  for (const std::string& l : lines(text)) {
    if (l.find("Delta E") != std::string::npos) {
      in = true;
      continue;
    }
    if (!in) continue;
    const std::vector<double> v = numbers(l);
    if (v.size() != 4) break;
    rows.push_back(v);
  }
  return rows;
}

TEST(OptimiserJob, BondScanTable) {
  Job job(section(), optData("water.z"));
  ASSERT_EQ(job.run("300", "2", "0.001", "1.0", "500.0").status, 0);
  const std::string sum = readFile(job.file("sum.txt"));
  EXPECT_TRUE(has(sum, " Results Summary for Scanning Bond or Angle     2")) << sum;
  EXPECT_TRUE(has(sum, "          X,      Dipole,          E(X),      Delta E"));
  const auto rows = scanRows(sum);
  ASSERT_EQ(rows.size(), 181u);  // at most 181 steps
  EXPECT_NEAR(rows.back()[0], 1.18, 1e-9);
  EXPECT_NEAR(rows.back()[2], 600.0 * (1.18 - 0.9572) * (1.18 - 0.9572), 1e-5);
  for (const auto& row : rows) EXPECT_NEAR(row[3], row[2] - rows[0][2], 1.1e-5);  // Delta E
  EXPECT_EQ(scanRows(job.listing()), rows);  // the listing has the same table
}

TEST(OptimiserJob, NormalModesOfTheOptimisedStructure) {
  // From the displaced water the optimiser reaches the force-field geometry exactly
  // enough for the antisymmetric stretch of the minimum (tests/normalmodes/runmode_test).
  const std::string nm = "  1  1  2    1.0000  500.0000";
  Job job(section("BFGS ", 0.001, {{8, nm}}), optData("water.z"));
  ASSERT_EQ(job.run("200", "50").status, 0);
  const std::vector<double> f = finalFrequencies(job.listing());
  ASSERT_EQ(f.size(), 3u) << job.listing();
  EXPECT_NEAR(f[2], 3901.03, 0.01);
  EXPECT_LT(job.listing().find("RESULTS OF SOLUTE OPTIMIZATION"),
            job.listing().find(" Frequencies -----"));
  // Not when the switch is off (nor after a refusal: the refusal table above).
  Job off(section(), optData("water.z"));
  ASSERT_EQ(off.run("200", "50").status, 0);
  EXPECT_TRUE(finalFrequencies(off.listing()).empty());
}

}  // namespace
}  // namespace veka::test
