// Every capacity of the solute Z-matrix file: one record past it stops the run with its
// message on the listing and on standard error; a file exactly at the capacity reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "molecule/zmatrix_states.hpp"
#include "solute_fixture.hpp"

namespace veka {
namespace {

using test::SoluteFile;

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

// The sections after the atom section, with `records` in section `index` (0 = geometry
// variations .. 8 = excluded pairs).
std::string sections(const std::map<int, std::string>& records) {
  std::string s;
  for (int k = 0; k < 9; ++k) {
    s += "    heading\n";
    if (auto it = records.find(k); it != records.end()) s += it->second;
  }
  return s + "    end\n";
}
std::string sections(int index, const std::string& records) {
  return sections(std::map<int, std::string>{{index, records}});
}

// Reads the file; true when it stopped with exactly `message`, which must then also be on
// the listing.
void expectStop(const std::string& text, const std::string& message) {
  SoluteFile f(text);
  const std::string err =
      test::stopMessage([&] { return f.listing(); }, [&] { readSolutes(f.state(), 0); });
  EXPECT_EQ(err, " " + message + "\n");
}

void expectReads(const std::string& text) {
  SoluteFile f(text);
  EXPECT_NO_THROW(readSolutes(f.state(), 0));
}

TEST(ZmatrixLimits, Solutes) {
  std::string ok = "Solutes\n" + chainAtom(1);
  for (int s = 2; s <= 25; ++s) ok += "TER\n" + chainAtom(s);
  expectReads(ok + sections(0, ""));
  expectStop(ok + "TER\n" + chainAtom(26) + sections(0, ""),
             "** Max No. of Solutes is 25 - Killed in READZM **");
}

TEST(ZmatrixLimits, Residues) {
  expectReads("R\n" + chainAtom(1, 395) + sections(0, ""));
  expectStop("R\n" + chainAtom(1, 1) + chainAtom(2, 396) + sections(0, ""),
             "* Max No. of Residues = 395 Killed in READZM  *");
}

TEST(ZmatrixLimits, Atoms) {
  expectReads(chain(MAXATM) + sections(0, ""));
  expectStop(chain(MAXATM + 1) + sections(0, ""),
             "** Max No. of Solute Atoms is 4500 - Killed in READZM **");
}

TEST(ZmatrixLimits, GeometryVariations) {
  expectReads(chain(10) + sections(0, repeat("   5   1    1.600000\n", 95)));
  expectStop(chain(10) + sections(0, repeat("   5   1    1.600000\n", 96)),
             "*** Too Many Geometry Variations in Subroutine ZSTART - Redimension ***");
}

TEST(ZmatrixLimits, BondsVariableAndAdditional) {
  expectReads(chain(1000) + sections(1, "   2- 951\n"));
  expectStop(chain(1000) + sections(1, "   2- 952\n"),
             "BND ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
  // The capacity counts variable and additional bonds together.
  expectStop(chain(1000) + sections({{1, "   2- 901\n"}, {2, repeat("   1   5\n", 51)}}),
             "BND ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
}

TEST(ZmatrixLimits, Restraints) {
  const std::string rec = "   1   5    3.0000   10.0000   10.0000   10.0000\n";
  expectReads(chain(10) + sections(3, repeat(rec, 90)));
  expectStop(chain(10) + sections(3, repeat(rec, 91)),
             "BC ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
}

TEST(ZmatrixLimits, Angles) {
  expectReads(chain(1000) + sections(4, "   3- 952\n"));
  expectStop(chain(1000) + sections(4, "   3- 953\n"),
             "ANG ARRAY OVERFLOWS IN ZSTART - REDIMENSION");
}

TEST(ZmatrixLimits, Dihedrals) {
  expectReads(chain(1300) + sections(6, "   4-1203\n"));
  expectStop(chain(1300) + sections(6, "   4-1204\n"), "DIHEDRAL ARRAY OVERLOW IN ZSTART");
}

TEST(ZmatrixLimits, ExcludedPairRanges) {
  const std::string rec = "   1   2   5   6\n";
  expectReads(chain(10) + sections(8, repeat(rec, 50)));
  expectStop(chain(10) + sections(8, repeat(rec, 51)), "ID Array Overflow in NBPAIR");
}

}  // namespace
}  // namespace veka
