// Solutes in Protein Data Bank layout, element recognition, and the Z-matrix derived from
// Cartesian coordinates.
#include <gtest/gtest.h>

#include "energy/covneb.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
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
using test::stopMessage;

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
  struct Case {
    const char* name;
    int z;
  };
  const Case cases[] = {
      {"C1 ", 6},  {"CA ", 6}, {"Ca ", 20}, {"CL1", 17}, {"Cl2", 17}, {"BR ", 35}, {"Br1", 35},
      {"B1 ", 5},  {"HG1", 1}, {"1HB", 1},  {" O1", 8},  {"NA ", 7},  {"Na+", 11}, {"ZN ", 30},
      {"MG ", 12}, {"FE ", 9}, {"Fe ", 26}, {"Es ", 99}, {"Hx1", 1},  {"h2 ", 1},  {"Q1 ", 0},
      {"X  ", 0},  {"   ", 0}, {"12 ", 0},  {"*C ", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(elementFromName(c.name), c.z) << c.name;
  EXPECT_EQ(elementSymbol(17), "Cl");
  EXPECT_EQ(elementSymbol(99), "Es");
  EXPECT_EQ(elementSymbol(100), "");
}

TEST(PdbLayout, StandardLayoutWithTypeRecords) {
  auto f = SoluteFile::data("neopentane.pdb");
  readSolutes(f->state(), 5);
  const Zmat& z = f->zmat();
  ASSERT_EQ(z.NSATM, 17);
  EXPECT_EQ(z.NSOLUT, 1);
  EXPECT_EQ(z.last(1), 17);
  EXPECT_EQ(z.title, "    NEOPENTANE");  // COMPND replaces the first record's title
  EXPECT_EQ(z.name(1), "C1");
  EXPECT_EQ(z.name(15), "H10");
  EXPECT_EQ(z.resName(3), "UNK");
  EXPECT_EQ(z.resTable(1), "UNK");
  EXPECT_EQ(z.ITYPE(1), 86);
  EXPECT_EQ(z.ITYPE(17), 81);
  EXPECT_EQ(z.JTYPE(1), 186);
  EXPECT_EQ(z.JTYPE(17), 181);
  EXPECT_EQ(f->state().potpar.NATI(6), 1);
  EXPECT_FALSE(f->state().potpar.soluteParamsRead);
  const Solcor& c = f->state().solcor;
  EXPECT_DOUBLE_EQ(c.xyz[0].x(1), 1.297);
  EXPECT_DOUBLE_EQ(c.xyz[2].z(17), 1.024);
  EXPECT_DOUBLE_EQ(c.setup1.y(5), 1.326);
  const std::string listing = f->listing();
  EXPECT_NE(listing.find(" Protein Data Bank Style Input\n"), std::string::npos);
  EXPECT_NE(listing.find("\n ATOM      1  C1  UNK     1       1.297"), std::string::npos);
}

TEST(PdbLayout, TerDoesNotSplitAndListingLevelThreeIsQuiet) {
  const std::string text = "REMARK    two fragments\n" + atomRecord("ATOM", 1, "O", 0, 0, 0) +
                           atomRecord("ATOM", 2, "H1", 0.96, 0, 0) + "TER\n" +
                           atomRecord("HETATM", 3, "CL", 4, 0, 0) + "END\n";
  auto f = readPdb(text, false, 3);
  EXPECT_EQ(f->zmat().NSOLUT, 1);
  EXPECT_EQ(f->zmat().NSATM, 3);
  EXPECT_EQ(f->state().potpar.NATI(3), 17);
  EXPECT_EQ(f->zmat().ITYPE(2), 0);  // no type records: all types 0
  EXPECT_EQ(f->listing().find("ATOM"), std::string::npos);
}

TEST(PdbLayout, BlankRecordAfterReferenceTypesMeansNoFinalTypes) {
  const std::string text = atomRecord("ATOM", 1, "C", 0, 0, 0) +
                           atomRecord("ATOM", 2, "O", 1.2, 0, 0) + "END\n 80 81\n\n180181\n";
  auto f = readPdb(text);
  EXPECT_EQ(f->zmat().ITYPE(2), 81);
  EXPECT_EQ(f->zmat().JTYPE(1), 0);
}

TEST(PdbLayout, ParameterLayoutGivesEachAtomItsOwnSlot) {
  auto f = SoluteFile::data("methanol_params.pdb");
  f->state().control.pdbWithParams = true;
  readSolutes(f->state(), 3);
  const Potpar& p = f->state().potpar;
  ASSERT_EQ(f->zmat().NSATM, 6);
  EXPECT_EQ(f->zmat().name(2), "O1");
  EXPECT_TRUE(p.soluteParamsRead);
  EXPECT_EQ(p.NSLOT, 6);
  for (int st = 0; st < 3; ++st) EXPECT_EQ(p.slot[static_cast<std::size_t>(st)](4), 4);
  EXPECT_DOUBLE_EQ(p.Q(2), -0.683 * 18.222513547806734);
  EXPECT_NEAR(p.A(2), std::sqrt(4.0 * 0.17 * std::pow(3.12, 12)), 1e-9);
  EXPECT_NEAR(p.C(2), std::sqrt(4.0 * 0.17 * std::pow(3.12, 6)), 1e-12);
  EXPECT_DOUBLE_EQ(p.SIG[1](1), 3.5);
  EXPECT_NEAR(p.CHG(1), 0.0, 1e-12);
  EXPECT_NEAR(p.CHG(3), 0.0, 1e-12);
  EXPECT_EQ(p.NAT[2](6), 1);
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
  for (const Case& c : cases) {
    SoluteFile f(c.text);
    EXPECT_EQ(stopMessage([&] { readSolutes(f.state(), 2); }), c.message + "\n");
    EXPECT_NE(f.listing().find(c.message + "\n"), std::string::npos) << c.message;
  }
  // Negative epsilon in the parameter layout.
  SoluteFile f("ATOM      1 C1   MOH     1      -0.371  -0.001   0.000    0.145  3.500 -0.066\n");
  f.state().control.pdbWithParams = true;
  EXPECT_EQ(stopMessage([&] { readSolutes(f.state(), 2); }),
            " **** ERROR IN PDB INPUT, RECORD #    1\n");
}

TEST(PdbErrors, TooManyAtoms) {
  std::string text;
  for (int i = 1; i <= MAXATM + 1; ++i)
    text +=
        atomRecord("ATOM", i % 100000, "C", 1.5 * (i % 40), 1.5 * (i / 40 % 40), 1.5 * (i / 1600));
  SoluteFile f(text);
  EXPECT_EQ(stopMessage([&] { readSolutes(f.state(), 2); }),
            " ** Max No. of Solute Atoms is 4500 - Killed in PDBIN **\n");
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
