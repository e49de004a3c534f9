// Solutes in Protein Data Bank layout, element recognition, and the Z-matrix derived from
// Cartesian coordinates.
#include <gtest/gtest.h>

#include "energy/covneb.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "molecule/geometry.hpp"
#include "molecule/pdb.hpp"
#include "molecule/zmatrix_derive.hpp"
#include "molecule/zmatrix_states.hpp"
#include "solute_fixture.hpp"
#include "support/coords.hpp"

namespace veka {
namespace {

using test::SoluteFile;

std::unique_ptr<SoluteFile> readPdb(const std::string& text, bool params = false,
                                    int listLevel = 0) {
  auto f = std::make_unique<SoluteFile>(text);
  f->state().control.pdbWithParams = params;
  f->state().io.listLevel = listLevel;
  readSolutes(f->state(), params ? 3 : 2);
  return f;
}

std::string atomRecord(const char* rec, int serial, const char* name, double x, double y, double z,
                       int res = 1) {
  char buf[100];
  std::snprintf(buf, sizeof buf, "%-6s%5d  %-3s UNK  %4d    %8.3f%8.3f%8.3f  1.00  0.00\n", rec,
                serial, name, res, x, y, z);
  return buf;
}

TEST(ElementFromName, OrganicNamesTwoLetterSymbolsAndFailures) {
  const std::pair<const char*, int> cases[] = {
      {"C1 ", 6},  {"CA ", 6}, {"Ca ", 20}, {"CL1", 17}, {"Cl2", 17}, {"BR ", 35}, {"Br1", 35},
      {"B1 ", 5},  {"HG1", 1}, {"1HB", 1},  {" O1", 8},  {"NA ", 7},  {"Na+", 11}, {"ZN ", 30},
      {"MG ", 12}, {"FE ", 9}, {"Fe ", 26}, {"Es ", 99}, {"Hx1", 1},  {"h2 ", 1},  {"Q1 ", 0},
      {"X  ", 0},  {"   ", 0}, {"12 ", 0},  {"*C ", 0},
  };
  for (const auto& [name, z] : cases) EXPECT_EQ(elementFromName(name), z) << name;
  EXPECT_EQ(std::tuple(elementSymbol(17), elementSymbol(99), elementSymbol(100)),
            std::tuple("Cl", "Es", ""));
}

TEST(PdbLayout, StandardLayoutWithTypeRecords) {
  auto f = SoluteFile::data("neopentane.pdb");
  readSolutes(f->state(), 5);
  const Zmat& z = f->zmat();
  ASSERT_EQ(z.NSATM, 17);
  EXPECT_EQ(std::tuple(z.NSOLUT, z.last(1), z.ITYPE(1), z.ITYPE(17), z.JTYPE(1), z.JTYPE(17),
                       f->state().potpar.NATI(6)),
            std::tuple(1, 17, 86, 81, 186, 181, 1));
  // COMPND replaces the first record's title
  EXPECT_EQ(std::tuple(z.title, z.name(1), z.name(15), z.resName(3), z.resTable(1)),
            std::tuple("    NEOPENTANE", "C1", "H10", "UNK", "UNK"));
  EXPECT_FALSE(f->state().potpar.soluteParamsRead);
  const Solcor& c = f->state().solcor;
  EXPECT_DOUBLE_EQ(c.xyz[0].x(1), 1.297);
  EXPECT_DOUBLE_EQ(c.xyz[2].z(17), 1.024);
  EXPECT_DOUBLE_EQ(c.setup1.y(5), 1.326);
  const std::string listing = f->listing();
  EXPECT_NE(listing.find(" Protein Data Bank Style Input\n"), std::string::npos);
  EXPECT_NE(listing.find("\n ATOM      1  C1  UNK     1       1.297"), std::string::npos);
}

TEST(PdbLayout, TerDoesNotSplitQuietListingAndNoFinalTypes) {
  const std::string text = "REMARK    two fragments\n" + atomRecord("ATOM", 1, "O", 0, 0, 0) +
                           atomRecord("ATOM", 2, "H1", 0.96, 0, 0) + "TER\n" +
                           atomRecord("HETATM", 3, "CL", 4, 0, 0) + "END\n";
  auto f = readPdb(text, false, 3);
  // No type records: all types 0.
  EXPECT_EQ(
      std::tuple(f->zmat().NSOLUT, f->zmat().NSATM, f->state().potpar.NATI(3), f->zmat().ITYPE(2)),
      std::tuple(1, 3, 17, 0));
  EXPECT_EQ(f->listing().find("ATOM"), std::string::npos);
  // A blank record after the reference types means no final types.
  auto g = readPdb(atomRecord("ATOM", 1, "C", 0, 0, 0) + atomRecord("ATOM", 2, "O", 1.2, 0, 0) +
                   "END\n 80 81\n\n180181\n");
  EXPECT_EQ(std::pair(g->zmat().ITYPE(2), g->zmat().JTYPE(1)), std::pair(81, 0));
}

TEST(PdbLayout, ParameterLayoutGivesEachAtomItsOwnSlot) {
  auto f = SoluteFile::data("methanol_params.pdb");
  f->state().control.pdbWithParams = true;
  readSolutes(f->state(), 3);
  const Potpar& p = f->state().potpar;
  ASSERT_EQ(f->zmat().NSATM, 6);
  EXPECT_EQ(f->zmat().name(2), "O1");
  EXPECT_EQ(std::tuple(p.soluteParamsRead, p.NSLOT, p.slot[0](4), p.slot[1](4), p.slot[2](4),
                       p.NAT[2](6)),
            std::tuple(true, 6, 4, 4, 4, 1));
  EXPECT_DOUBLE_EQ(p.Q(2), -0.683 * 18.222513547806734);
  EXPECT_NEAR(p.A(2), std::sqrt(4.0 * 0.17 * std::pow(3.12, 12)), 1e-9);
  EXPECT_NEAR(p.C(2), std::sqrt(4.0 * 0.17 * std::pow(3.12, 6)), 1e-12);
  EXPECT_DOUBLE_EQ(p.SIG[1](1), 3.5);
  EXPECT_NEAR(p.CHG(1), 0.0, 1e-12);
  EXPECT_NEAR(p.CHG(3), 0.0, 1e-12);
}

TEST(PdbErrors, RecordsThatDoNotReadStopWithTheRecordNumber) {
  const std::string good = atomRecord("ATOM", 1, "C", 0, 0, 0);
  std::string badNumber = atomRecord("ATOM", 2, "C", 1.5, 0, 0);
  badNumber.replace(32, 3, "x.5");
  struct Case {
    std::string text, message;
  };
  const Case cases[] = {
      {good + "CRYST1   10.000\n", " **** ERROR IN PDB INPUT, RECORD #    2"},
      {"HEADER\n" + good + badNumber, " **** ERROR IN PDB INPUT, RECORD #    3"},
      {good + atomRecord("ATOM", 2, "Q1", 1, 0, 0), " CANNOT RECOGNIZE ATOM SYMBOL Q1 IN IATNMB"},
      {good + atomRecord("ATOM", 2, "C", 1.5, 0, 0, 396),
       " * Max No. of Residues = 395 Killed in PDBIN  *"},
      {good + "END\n 8x\n", " **** ERROR IN PDB INPUT, RECORD #    3"},
  };
  for (const Case& c : cases) EXPECT_EQ(SoluteFile(c.text).stop(2), c.message + "\n");
  // Negative epsilon in the parameter layout.
  SoluteFile f("ATOM      1 C1   MOH     1      -0.371  -0.001   0.000    0.145  3.500 -0.066\n");
  f.state().control.pdbWithParams = true;
  EXPECT_EQ(f.stop(2), " **** ERROR IN PDB INPUT, RECORD #    1\n");
  std::string many;
  for (int i = 1; i <= MAXATM + 1; ++i)
    many +=
        atomRecord("ATOM", i % 100000, "C", 1.5 * (i % 40), 1.5 * (i / 40 % 40), 1.5 * (i / 1600));
  EXPECT_EQ(SoluteFile(many).stop(2), " ** Max No. of Solute Atoms is 4500 - Killed in PDBIN **\n");
}

// ------------------------------------------------------------------ derived Z-matrix

// Rebuilds the molecule from its derived Z-matrix and superimposes it on the input.
double roundTrip(const State& s) {
  auto rebuilt = std::make_unique<Xyz>();
  makmol(*rebuilt, s.zmat);
  qtrf(s.zmat.NSATM, s.solcor.xyz[0], *rebuilt);
  return test::rmsd(s.zmat.NSATM, s.solcor.xyz[0], *rebuilt);
}

bool bonded(const State& s, int a, int b) {
  const Xyz& c = s.solcor.xyz[0];
  const double r = covalentRadius(s.potpar.NATI(a)) + covalentRadius(s.potpar.NATI(b)) + 0.1;
  return distance(atom(c, a), atom(c, b)) <= r;
}

// The rules the derived Z-matrix promises: earlier distinct partners, a covalently bonded
// bond partner whenever one exists, and a frame j, k, l as far from a line as the earlier
// atoms allow.
void checkDerivedRules(const State& s, const std::string& what) {
  const Zmat& z = s.zmat;
  const Xyz& c = s.solcor.xyz[0];
  for (int i = 2; i <= z.NSATM; ++i) {
    const int j = z.IZ1(i), k = z.IZ2(i), l = z.IZ3(i);
    ASSERT_TRUE(j >= 1 && j < i) << what << " atom " << i;
    bool anyBonded = false;
    for (int a = 1; a < i; ++a) anyBonded = anyBonded || bonded(s, i, a);
    EXPECT_EQ(bonded(s, i, j), anyBonded) << what << " atom " << i;
    if (i < 4) continue;
    ASSERT_TRUE(k >= 1 && k < i && l >= 1 && l < i && k != j && l != j && l != k);
    // Below 0.1 only when no earlier atom does better.
    auto sine = [&](int a) { return std::sin(bondAngle(atom(c, a), atom(c, j), atom(c, k))); };
    if (sine(l) >= 0.1) continue;
    for (int a = 1; a < i; ++a) {
      if (a == j || a == k) continue;
      EXPECT_LE(sine(a), sine(l)) << what << " atom " << i;
    }
  }
}

TEST(DerivedZmatrix, RebuildsRingsBranchesAndLinearGroupsExactly) {
  for (const char* name : {"benzene", "cyclohexane", "neopentane", "tbutanol", "chlorobenzene",
                           "pyridine", "acetonitrile", "norbornane"}) {
    auto f = SoluteFile::data(std::string(name) + ".pdb");
    readSolutes(f->state(), 2);
    EXPECT_LT(roundTrip(f->state()), 1e-6) << name;
    checkDerivedRules(f->state(), name);
  }
}

TEST(DerivedZmatrix, ShuffledAtomOrderAndScatteredPointsStillRebuild) {
  // Norbornane with its atoms in random order: fragments appear before they join.
  auto ref = SoluteFile::data("norbornane.pdb");
  const std::vector<std::string> lines =
      test::lines(test::readFile(test::testData("molecule/data/norbornane.pdb")));
  std::vector<std::string> atoms;
  for (const std::string& l : lines)
    if (l.rfind("ATOM", 0) == 0) atoms.push_back(l);
  std::mt19937_64 g(99);
  for (int trial = 0; trial < 5; ++trial) {
    std::shuffle(atoms.begin(), atoms.end(), g);
    std::string text;
    for (const std::string& a : atoms) text += a + "\n";
    auto f = readPdb(text);
    EXPECT_LT(roundTrip(f->state()), 1e-6) << "trial " << trial;
    checkDerivedRules(f->state(), "shuffled norbornane");
  }
  // Points far apart (nothing bonded), then a molecule lying exactly on the x axis.
  std::string text;
  std::uniform_real_distribution<double> u(-30.0, 30.0);
  for (int i = 1; i <= 60; ++i) text += atomRecord("ATOM", i, "O", u(g), u(g), u(g));
  auto scattered = readPdb(text);
  EXPECT_LT(roundTrip(scattered->state()), 1e-6);
  checkDerivedRules(scattered->state(), "scattered");
  auto linear =
      readPdb(atomRecord("ATOM", 1, "H", 0, 0, 0) + atomRecord("ATOM", 2, "C", 1.06, 0, 0) +
              atomRecord("ATOM", 3, "N", 2.216, 0, 0) + atomRecord("ATOM", 4, "H", 4.5, 1.5, 0) +
              atomRecord("ATOM", 5, "H", 4.5, 1.5, 2.0));
  EXPECT_LT(roundTrip(linear->state()), 1e-6);
}

}  // namespace
}  // namespace veka
