// Every capacity of the solute Z-matrix file: one record past it stops the run with its
// message; a file exactly at the capacity reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "solute_fixture.hpp"

namespace veka {
namespace {

// Atom record of a zig-zag chain atom i bonded to i - 1, in residue `res`.
std::string chainAtom(int i, int res = 0) {
  const int j = i > 1 ? i - 1 : 0, k = i > 2 ? i - 2 : 0, l = i > 3 ? i - 3 : 0;
  char buf[100];
  std::snprintf(buf, sizeof buf, "%4d C   %4d %4d %4d%12.6f%4d%12.6f%4d%12.6f %-3s %4d\n",
                i % 10000, 80, 80, j, j ? 1.53 : 0.0, k, k ? 111.0 : 0.0, l, l ? 180.0 : 0.0,
                res ? "RES" : "", res);
  return buf;
}

std::string chain(int n) {
  std::string s = "Chain\n";
  for (int i = 1; i <= n; ++i) s += chainAtom(i);
  return s;
}

std::string repeat(const std::string& record, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += record;
  return s;
}

// The sections after the atom section, with `records` in section k (0 = geometry
// variations .. 8 = excluded pairs).
std::string sections(const std::map<int, std::string>& records = {}) {
  std::string s;
  for (int k = 0; k < 9; ++k) s += "    heading\n" + (records.count(k) ? records.at(k) : "");
  return s + "    end\n";
}

TEST(ZmatrixLimits, OneRecordPastEachCapacityStops) {
  std::string solutes = "Solutes\n" + chainAtom(1);
  for (int s = 2; s <= 25; ++s) solutes += "TER\n" + chainAtom(s);
  const std::string bc = "   1   5    3.0000   10.0000   10.0000   10.0000\n";
  const std::string excl = "   1   2   5   6\n", geo = "   5   1    1.600000\n";
  const struct {
    std::string atCapacity, beyond, message;
  } cases[] = {
      {solutes + sections(), solutes + "TER\n" + chainAtom(26) + sections(),
       "** Max No. of Solutes is 25 - Killed in READZM **"},
      {"R\n" + chainAtom(1, 395) + sections(),
       "R\n" + chainAtom(1, 1) + chainAtom(2, 396) + sections(),
       "* Max No. of Residues = 395 Killed in READZM  *"},
      {chain(MAXATM) + sections(), chain(MAXATM + 1) + sections(),
       "** Max No. of Solute Atoms is 4500 - Killed in READZM **"},
      {chain(10) + sections({{0, repeat(geo, 95)}}), chain(10) + sections({{0, repeat(geo, 96)}}),
       "*** Too Many Geometry Variations in Subroutine ZSTART - Redimension ***"},
      {chain(1000) + sections({{1, "   2- 951\n"}}), chain(1000) + sections({{1, "   2- 952\n"}}),
       "BND ARRAY OVERFLOWS IN ZSTART - REDIMENSION"},
      // The capacity counts variable and additional bonds together.
      {chain(1000) + sections({{1, "   2- 900\n"}, {2, repeat("   1   5\n", 51)}}),
       chain(1000) + sections({{1, "   2- 901\n"}, {2, repeat("   1   5\n", 51)}}),
       "BND ARRAY OVERFLOWS IN ZSTART - REDIMENSION"},
      {chain(10) + sections({{3, repeat(bc, 90)}}), chain(10) + sections({{3, repeat(bc, 91)}}),
       "BC ARRAY OVERFLOWS IN ZSTART - REDIMENSION"},
      {chain(1000) + sections({{4, "   3- 952\n"}}), chain(1000) + sections({{4, "   3- 953\n"}}),
       "ANG ARRAY OVERFLOWS IN ZSTART - REDIMENSION"},
      {chain(1300) + sections({{6, "   4-1203\n"}}), chain(1300) + sections({{6, "   4-1204\n"}}),
       "DIHEDRAL ARRAY OVERLOW IN ZSTART"},
      {chain(10) + sections({{6, "   5-   5\n" + repeat("FLIP   5 120\n", MAXFLP)}}),
       chain(10) + sections({{6, "   5-   5\n" + repeat("FLIP   5 120\n", MAXFLP + 1)}}),
       "FLIP ARRAY OVERFLOWS IN ZSTART - REDIMENSION"},
      {chain(10) + sections({{8, repeat(excl, 50)}}), chain(10) + sections({{8, repeat(excl, 51)}}),
       "ID Array Overflow in NBPAIR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    test::SoluteFile ok(c.atCapacity);
    EXPECT_NO_THROW(readSolutes(ok.state(), 0));
    test::SoluteFile f(c.beyond);
    EXPECT_EQ(f.stop(0), " " + c.message + "\n");
  }
}

}  // namespace
}  // namespace veka
