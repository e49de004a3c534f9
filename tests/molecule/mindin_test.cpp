// The free-format Cartesian layout: blocks per state, list-directed atom records, own
// parameter slots, superposition of the perturbed states and the appended dummy atom.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>

#include "format/origin.hpp"
#include "molecule/geometry.hpp"
#include "molecule/zmatrix_states.hpp"
#include "solute_fixture.hpp"
#include "support/coords.hpp"

namespace veka {
namespace {

using test::SoluteFile;

constexpr double kSq332 = 18.222513547806734;

void setRc(State& s, double rc0, double rc1, double rc2) {
  s.geom.RC0 = rc0;
  s.geom.RC1 = rc1;
  s.geom.RC2 = rc2;
}

Vec3 centroid(const Xyz& c, int n) {
  Vec3 m;
  for (int i = 1; i <= n; ++i) {
    m.x += c.x(i) / n;
    m.y += c.y(i) / n;
    m.z += c.z(i) / n;
  }
  return m;
}

TEST(FreeFormat, ThreeBlocksGiveTheThreeStates) {
  auto f = SoluteFile::data("methanol.mind");
  State& s = f->state();
  setRc(s, 1.0, 2.0, 3.0);
  readSolutes(s, 6);
  const Zmat& z = s.zmat;
  ASSERT_EQ(z.NSATM, 7);
  EXPECT_EQ(z.title, "Methanol in three blocks");
  // Names: the leading letters of the name token, or the element symbol.
  const char* names[] = {"CT", "OH", "H", "HC", "HC", "HO", "DUM"};
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(z.name(i), names[i - 1]) << i;
  EXPECT_EQ(std::tuple(z.NSOLUT, z.ITYPE(1), z.JTYPE(6), z.ITYPE(7)), std::tuple(1, 999, 999, -1));
  // Own slots per state, from the state's block: block 2 has half the charges.
  const Potpar& p = s.potpar;
  EXPECT_EQ(std::tuple(p.soluteParamsRead, p.NSLOT, p.slot[0](2), p.slot[1](2), p.slot[2](2),
                       p.perturbed(2), p.slot[1](7), p.NAT[1](2)),
            std::tuple(true, 19, 4, 5, 6, 1, 19, 8));
  EXPECT_DOUBLE_EQ(p.Q(4), -0.683 * kSq332);
  EXPECT_DOUBLE_EQ(p.Q(5), -0.3415 * kSq332);
  EXPECT_NEAR(p.A(6), std::sqrt(4.0 * 0.17 * std::pow(3.12, 12)), 1e-9);
  EXPECT_NEAR(p.C(1), std::sqrt(4.0 * 0.066 * std::pow(3.5, 6)), 1e-12);
  EXPECT_NEAR(p.CHG(1), 0.145 - 0.683 + 4 * 0.04, 1e-12);
  EXPECT_NEAR(p.CHG(2), 0.5 * (0.145 - 0.683 + 4 * 0.04), 1e-12);
  EXPECT_EQ(p.Q(19), 0.0);
  // Block 2 is a rotated and shifted copy of block 1: superimposed it coincides.
  const Solcor& c = s.solcor;
  EXPECT_LT(test::rmsd(6, c.xyz[0], c.xyz[1]), 1e-9);
  EXPECT_NEAR(c.xyz[0].x(1), -0.3706247159, 1e-12);  // the reference stays as read
  // Block 3 differs: superimposed, its centroid meets the reference centroid.
  EXPECT_GT(test::rmsd(6, c.xyz[0], c.xyz[2]), 1e-3);
  EXPECT_NEAR(centroid(c.xyz[2], 6).x, centroid(c.xyz[0], 6).x, 1e-12);
  EXPECT_NEAR(centroid(c.xyz[2], 6).z, centroid(c.xyz[0], 6).z, 1e-12);
  // The dummy atom sits at the centroid of each state.
  for (std::size_t st = 0; st < 3; ++st) {
    const Vec3 m = centroid(c.xyz[st], 6);
    EXPECT_NEAR(distance(atom(c.xyz[st], 7), m), 0.0, 1e-12);
  }
  EXPECT_EQ(test::rmsd(7, c.setup1, c.xyz[1]), 0.0);
  // The derived Z-matrix rebuilds the reference, dummy atom included.
  auto rebuilt = std::make_unique<Xyz>();
  makmol(*rebuilt, z);
  qtrf(7, c.xyz[0], *rebuilt);
  EXPECT_LT(test::rmsd(7, c.xyz[0], *rebuilt), 1e-6);
  const std::string listing = f->listing();
  EXPECT_NE(listing.find(" " + std::string(60, '*') +
                         "\n Free-Format Solute Input - Blocks "
                         "Selected by RC0 =  1.000  RC1 =  2.000"
                         "  RC2 =  3.000\n " +
                         std::string(60, '*') + "\n"),
            std::string::npos)
      << listing;
}

TEST(FreeFormat, BlockNumbersRoundAndStartAtOne) {
  auto f = SoluteFile::data("methanol.mind");
  setRc(f->state(), 0.0, 1.4, 2.6);  // blocks 1, 1, 3
  readSolutes(f->state(), 9);
  const Potpar& p = f->state().potpar;
  EXPECT_DOUBLE_EQ(p.Q(p.slot[1](2)), -0.683 * kSq332);
  EXPECT_GT(test::rmsd(6, f->state().solcor.xyz[0], f->state().solcor.xyz[2]), 1e-3);
  EXPECT_EQ(test::rmsd(6, f->state().solcor.xyz[0], f->state().solcor.xyz[1]), 0.0);
}

TEST(FreeFormat, AtomRecordsReadListDirected) {
  SoluteFile f(
      "MIND  records\n"
      "6 0.0 0.0 0.0 0.1 3.5 0.066\n"
      "  8,1.43,0,0,-.5,3.12,1.7E-1\n"
      "\n"
      "1 1.43D0 0.95 0 2*0.25 0.03 Hx9\n"
      "17 Cl 0 0 2.0 /\n");
  setRc(f.state(), 1.0, 1.0, 1.0);
  readSolutes(f.state(), 7);
  const State& s = f.state();
  ASSERT_EQ(s.zmat.NSATM, 5);
  EXPECT_EQ(std::tuple(s.zmat.name(1), s.zmat.name(3), s.zmat.name(4)),
            std::tuple("C", "Hx", "Cl"));
  // Values read exactly; after "/" the charge stays 0.
  EXPECT_EQ(std::tuple(s.potpar.EPS[0](2), s.solcor.xyz[0].x(3), s.potpar.QI[0](3),
                       s.potpar.SIG[0](3), s.solcor.xyz[0].z(4), s.potpar.QI[0](4)),
            std::tuple(0.17, 1.43, 0.25, 0.25, 2.0, 0.0));
  // Null values keep their item at 0, as a list-directed read leaves it; a huge repeat
  // count of nulls is not walked through (this record once took minutes).
  {
    SoluteFile n("MIND  nulls\n8 1.5,, 2.0 715624122* -0.65 N1\n");
    setRc(n.state(), 1.0, 1.0, 1.0);
    readSolutes(n.state(), 6);
    const State& t = n.state();
    EXPECT_EQ(t.zmat.name(1), "N");
    EXPECT_EQ(std::tuple(t.solcor.xyz[0].x(1), t.solcor.xyz[0].y(1), t.solcor.xyz[0].z(1),
                         t.potpar.QI[0](1)),
              std::tuple(1.5, 0.0, 2.0, 0.0));
  }
  for (const char* bad : {"6 0 0 0 0.1 3.5\n", "6.0 0 0 0 0 0 0\n", "100 0 0 0 0 0 0\n",
                          "6 C1 O1 0 0 0 0 0 0\n", "6 0 0 0 0 1x 0\n", "6 0 0 0 0 3.5 -1\n",
                          // a repeated name is a value that is no number, and refused at
                          // once however large the count (this record once took minutes)
                          "0 -0.51 253021341*r5\n", "6 C 0 0 0 2*C 0\n"}) {
    SoluteFile g(std::string("MIND  bad\n") + bad);
    setRc(g.state(), 1.0, 1.0, 1.0);
    EXPECT_THROW(readSolutes(g.state(), 6), fmt::InputError) << bad;
  }
}

std::string block(int n, double shift) {
  std::string s;
  char buf[120];
  for (int i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "6 %.4f %.4f %.4f 0 3.5 0.066\n", 1.5 * (i % 20) + shift,
                  1.5 * (i / 20 % 20), 1.5 * (i / 400));
    s += buf;
  }
  return s;
}

TEST(FreeFormat, LargeSolutesKeepPerturbedGeometriesAsRead) {
  SoluteFile f("MIND  big\n" + block(501, 0.0) + "%\n" + block(501, 5.0));
  setRc(f.state(), 1.0, 2.0, 1.0);
  readSolutes(f.state(), 6);
  EXPECT_NEAR(f.state().solcor.xyz[1].x(1) - f.state().solcor.xyz[0].x(1), 5.0, 1e-12);
  EXPECT_NE(f.listing().find(" More than 500 free-format solute atoms: perturbed geometries "
                             "are not superimposed."),
            std::string::npos);
  SoluteFile g("MIND  500\n" + block(500, 0.0) + "%\n" + block(500, 5.0));
  setRc(g.state(), 1.0, 2.0, 1.0);
  readSolutes(g.state(), 6);
  EXPECT_LT(test::rmsd(500, g.state().solcor.xyz[0], g.state().solcor.xyz[1]), 1e-9);
}

TEST(FreeFormat, MissingBlocksAndOverflowStop) {
  const std::string two = "MIND  two blocks\n" + block(3, 0) + "% second\n" + block(3, 1);
  struct Case {
    std::string text;
    double rc2;
    std::string message;
  };
  const Case cases[] = {
      {two, 3.0, " Premature end-of-file in mindin.\n"},
      {two, 7.0, " Premature end-of-file in mindin.\n"},
      {"MIND  short\n" + block(3, 0) + "%\n" + block(2, 1), 2.0,
       " Premature end-of-file in mindin.\n"},
      {"MIND  uneven\n" + block(3, 0) + "%\n" + block(2, 1) + "%\n", 2.0,
       " Blocks of the free-format solute file hold different numbers of atoms - Killed in "
       "MINDIN\n"},
      {"MIND  empty\n# only comments\n", 1.0, " Premature end-of-file in mindin.\n"},
      {"MIND  huge\n" + block(MAXATM, 0), 1.0,
       " Array overflow in MINDIN, increase MAXSLT to  4499\n"},
  };
  for (const Case& c : cases) {
    SoluteFile f(c.text);
    setRc(f.state(), 1.0, 1.0, c.rc2);
    EXPECT_EQ(f.stop(6), c.message);
  }
  // A third "%" ends what is read: a fourth block does not exist.
  SoluteFile f("MIND  four\n" + block(2, 0) + "%\n" + block(2, 1) + "%\n" + block(2, 2) + "%\n" +
               "garbage that is never read\n");
  setRc(f.state(), 1.0, 2.0, 3.0);
  EXPECT_NO_THROW(readSolutes(f.state(), 6));
}

}  // namespace
}  // namespace veka
