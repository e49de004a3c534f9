// The in-file: its records as written, a full round trip through the reader, the solvent-
// only read, the replacement of the file on disk, and every stop and input error.
#include <gtest/gtest.h>

#include <tuple>

#include <sys/stat.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "input/infile.hpp"
#include "montecarlo/random.hpp"
#include "support/run.hpp"
#include "support/stop.hpp"

namespace veka::test {
namespace {

// A system of three solutes (4 atoms; variable dihedral, two bonds, one angle) and five
// solvent molecules of TIP4P and methanol, with every value the in-file carries set.
std::unique_ptr<State> system(double shift = 0.0) {
  auto st = std::make_unique<State>();
  State& s = *st;
  Zmat& z = s.zmat;
  z.NSATM = 4, z.NSOLUT = 3;
  s.dihcom.NVDIH = 1, s.dihcom.ID4(1) = 4;
  s.bndcom.NVBND = 2, s.bndcom.IB1(1) = 2, s.bndcom.IB1(2) = 3;
  s.angcom.NVANG = 1, s.angcom.IA1(1) = 3;
  s.sol.code(1) = 2, s.sol.nsites(1) = 4, s.sol.code(2) = 3, s.sol.nsites(2) = 3;
  s.coord.NMOL = 5;
  double v = 0.1 + shift;
  auto next = [&] { return v = std::fmod(v * 7.31 + 1.7, 19.0) - 9.0; };
  for (int i = 1; i <= 4; ++i) {
    for (Xyz& c : s.solcor.xyz) c.x(i) = next(), c.y(i) = next(), c.z(i) = next();
    z.BND(i) = 1 + std::abs(next()) / 10, z.ANG(i) = 1.9 + next() / 100, z.DIH(i) = next() / 3;
  }
  for (int i = 1; i <= 5; ++i) {
    s.coord.solvent(i) = i == 3 ? 2 : 1;
    for (int k = 1; k <= 4; ++k)
      s.coord.X(i, k) = next(), s.coord.Y(i, k) = next(), s.coord.Z(i, k) = next();
  }
  for (int a = 1; a <= 3; ++a) s.coord.HALF(a) = 9 + a + shift;
  s.misc.TC = 25.0, s.misc.PATM = 1.0;
  s.energy.EOLD = -1234.5678901234 + shift;
  s.slvrun.sampled = -21.25;
  for (int k = 0; k < 3; ++k) {
    for (PerState* e : {&s.energy.ESOLD, &s.energy.EXXOLD, &s.dihcom.EDIHOL, &s.nbcom.ENBOL,
                        &s.nbcon.EBCOLD, &s.bndcom.EBNDOL, &s.angcom.EANGOL, &s.energy.EPOOLD})
      (*e)[static_cast<std::size_t>(k)] = next() * 1e3;
  }
  s.slvrun.E = {next(), next(), next(), next()};
  s.flexe.ESBNOL = 1.5, s.flexe.ESTOT = 9.75;
  s.movp.RDELS(3) = 0.15, s.movp.ADELS(3) = 12.5;
  Mcrec& m = s.mcrec;
  m.IRDF1(100, 15) = 1234567, m.IRDF2(1, 1) = 7, m.IEPAIR(50) = 3, m.soluteAccepted(25) = 11;
  m.stepTried(2) = 4, m.IHB(22) = 9, m.hbSamples = 17, m.dipoleSum = 2.5e-3;
  s.config.NACCPT = 123, s.config.NRJECT = 45, s.config.MXCON = 100;
  s.rands.seed = 654321;
  return st;
}

std::string listingOf(State& s, TempDir& dir) {
  s.io.output.flush();
  return readFile(dir.file("out"));
}

void readText(State& s, const std::string& text, InfileUse use, bool zero = false) {
  s.io.infile.openText(text, "infile");
  readInfile(s, use, zero);
}

TEST(Infile, RecordsInTheWritersOrder) {
  auto s = system();
  const std::vector<std::string> l = lines(infileText(*s));
  EXPECT_EQ(std::tuple(l[0], l[1], l[2].substr(0, 40)),
            std::tuple("    5    4    3    1    2    1      123       45   654321 493 15 12",
                       "    25.00     1.00  10.00000000  11.00000000  12.00000000",
                       " -0.123456789012D+04 -0.212500000000D+02"));
  EXPECT_EQ(l[9].size(), 80u);  // record 4
  EXPECT_EQ(l[10],
            "  0.150000000000D+01  0.000000000000D+00  0.000000000000D+00  "
            "0.000000000000D+00");  // record 5
  EXPECT_EQ(l[11], "  0.975000000000D+01");
  // 36 solute coordinates and 4 variable values: 7 lines; then RDELS, ADELS of solute 3.
  EXPECT_EQ(l[19], "   0.15000000  12.50000000");
  // 5 molecules x 4 sites x 3 = 60 solvent values: 10 lines; RDF 27 x 100 = 2700 values.
  EXPECT_EQ(l[30].substr(0, 7), "      0");
  EXPECT_EQ(l.size(), 30u + 246 + 10 + 5 + 1 + 5 + 2 + 1);
  EXPECT_EQ(l[30 + 246 + 10 + 5], "11211");  // record 12: solvent of each molecule
}

TEST(Infile, ReadBackGivesTheSameSystemToTheWrittenPrecision) {
  auto a = system();
  auto b = system(0.37);  // the same system with other values
  readText(*b, infileText(*a), InfileUse::Continue);
  EXPECT_EQ(infileText(*b), infileText(*a));
  EXPECT_NEAR(b->energy.EOLD, a->energy.EOLD, 1e-8);
  EXPECT_NEAR(b->zmat.DIH(4), a->zmat.DIH(4), 1e-9);
  EXPECT_NEAR(b->coord.Z(5, 4), a->coord.Z(5, 4), 5e-9);
  EXPECT_EQ(
      std::tuple(b->coord.EDGE(2), b->mcrec.IRDF1(100, 15), b->mcrec.version, b->config.NACCPT),
      std::tuple(22.0, 1234567, 493, 123));
  Rands fresh;
  seedRands(fresh, 654321);
  EXPECT_EQ(ranu(b->rands), ranu(fresh));
  // Counters zeroed on request.
  readText(*b, infileText(*a), InfileUse::Continue, true);
  EXPECT_EQ(b->config.NACCPT, 0);
  EXPECT_EQ(b->config.NRJECT, 0);
}

TEST(Infile, SolventOnlyTakesMoleculesBoxAndCoordinates) {
  auto a = system();
  auto b = std::make_unique<State>();
  b->sol = a->sol;
  b->coord.NMOL = 4;  // fewer than the file holds; no solute at all
  readText(*b, infileText(*a), InfileUse::Solvent);
  EXPECT_EQ(std::tuple(b->coord.NMOL, b->slvbox.requested, b->coord.solvent(3)),
            std::tuple(5, 4, 2));
  EXPECT_NEAR(b->coord.Y(2, 3), a->coord.Y(2, 3), 5e-9);
  EXPECT_EQ(std::tuple(b->coord.HALF(3), b->energy.EOLD, b->config.NACCPT, b->rands.seed),
            std::tuple(12.0, 0.0, 0, kNewRunSeed));
}

TEST(Infile, WrittenBesideAndRenamedIntoPlace) {
  TempDir dir;
  auto s = system();
  const std::string path = dir.file("in");
  writeFile(path, "the previous block\n");
  ASSERT_EQ(s->io.infile.open(path, OpenStatus::Unknown), 0);
  writeInfile(*s);
  EXPECT_EQ(readFile(path), infileText(*s));
  EXPECT_FALSE(fileExists(path + ".new"));
  s->io.infile.endfile();  // the end of the run keeps what was written
  EXPECT_EQ(readFile(path), infileText(*s));
  // A file that cannot be written stops the run and leaves the old one whole.
  ASSERT_EQ(::mkdir((path + ".new").c_str(), 0755), 0);
  s->energy.EOLD = 1.0;
  ASSERT_EQ(s->io.output.open(dir.file("out"), OpenStatus::Unknown), 0);
  EXPECT_NE(stopMessage([&] { return listingOf(*s, dir); }, [&] { writeInfile(*s); })
                .find("could not be written"),
            std::string::npos);
  s->energy.EOLD = -1234.5678901234;
  EXPECT_EQ(readFile(path), infileText(*s));
}

TEST(Infile, Stops) {
  struct Case {
    int line;
    std::string from, to;
    InfileUse use;
    int requested;
    std::string message;
  };
  const std::vector<Case> cases = {
      {0, " 15 12", " 16 12", InfileUse::Continue, 5,
       "*** Incompatability in No. of RDFs in INIT ***"},
      {0, " 15 12", " 15 13", InfileUse::Solvent, 5,
       "*** Incompatability in No. of RDFs in INIT ***"},
      {0, "      123", "    50000", InfileUse::Continue, 5,
       "*** INCREASE MR IN OUTAVE AND INIT & RECOMPILE ***"},
      {0, "", "", InfileUse::Solvent, 6,
       "The number of requested solvent molecules, NMOL =    6 is greater than the number in "
       "the in-file, IB =    5"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    auto s = system();
    std::string text = infileText(*s);
    if (!c.from.empty()) text.replace(text.find(c.from), c.from.size(), c.to);
    s->coord.NMOL = c.requested;
    ASSERT_EQ(s->io.output.open(dir.file("out"), OpenStatus::Unknown), 0);
    EXPECT_EQ(stopMessage([&] { return listingOf(*s, dir); }, [&] { readText(*s, text, c.use); }),
              " " + c.message + "\n");
  }
  auto s = system();
  std::string text = infileText(*s);
  text.replace(text.find("      123"), 9, "    50000");
  readText(*s, text, InfileUse::Continue, true);  // zeroed counters need no room
}

TEST(Infile, EarlyEndAndWrongCountsAreInputErrorsThatChangeNothing) {
  auto a = system();
  const std::string good = infileText(*a);
  const std::vector<std::pair<std::string, std::string>> edits = {
      {"    5    4    3", "    5    5    3"},  // solute atoms differ from the system's
      {"    5    4    3", " 2501    4    3"},  // more molecules than the capacity
      {"   654321", "  1048573"},              // seed outside the generator's range
      {" 493", " 4x3"},                        // version tag not a number
      {"\n11211\n", "\n11311\n"},              // a solvent flag of 3
  };
  for (const auto& [from, to] : edits) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    auto b = system(0.37);
    const std::string before = infileText(*b);
    EXPECT_THROW(readText(*b, text, InfileUse::Continue), fmt::InputError) << to;
    EXPECT_EQ(infileText(*b), before) << to;
  }
  auto b = system(0.37);
  const std::string before = infileText(*b);
  EXPECT_THROW(
      readText(*b, good.substr(0, good.rfind('\n', good.size() - 2) + 1), InfileUse::Continue),
      fmt::InputError);
  EXPECT_EQ(infileText(*b), before);
}

}  // namespace
}  // namespace veka::test
