// The PDB writer: atom labels, solutes, residues, the three variants, the solvent and the
// conformational-search appending.
#include <gtest/gtest.h>

#include <tuple>

#include "molecule/pdb.hpp"
#include "results/pdbout.hpp"
#include "support/stop.hpp"
#include "writer_job.hpp"

namespace veka::test {
namespace {

std::map<int, std::string> pdbVariant(const char* keyword) {
  return {{35, std::string(keyword) + "    1     0.0000     0.0000"}};
}

std::vector<std::string> written(WriterJob& job) {
  pdbout(job.s);
  return lines(job.plt());
}

std::vector<std::string> withPrefix(const std::vector<std::string>& recs, const std::string& p) {
  std::vector<std::string> out;
  for (const auto& r : recs)
    if (r.compare(0, p.size(), p) == 0) out.push_back(r);
  return out;
}

TEST(Pdbout, SolutesWithResiduesAreWrittenResidueByResidue) {
  WriterJob job(resultsData("two_residues.z"), pdbVariant("PDB  "));
  Zmat& z = job.s.zmat;
  for (int i = 1; i <= 3; ++i) z.IRES(i) = 3;
  z.resTable(3) = "MOH";
  z.resTable(1) = "XYZ";
  for (int i = 4; i <= 6; ++i) z.IRES(i) = 1;
  z.IRES(8) = 0;  // an atom of a residue solute without residue
  const std::vector<std::string> out = written(job);
  const std::vector<std::string> atoms = withPrefix(out, "ATOM");
  EXPECT_EQ(std::tuple(atoms[0].substr(0, 26), atoms[3].substr(0, 26), atoms[6].substr(0, 26),
                       atoms[17].substr(0, 26), out[8]),
            std::tuple("ATOM      1  H2  XYZ     1", "ATOM      4  C1  MOH     3",
                       "ATOM      7  C2  BNZ     2", "ATOM     18  C3  UNK     3", "TER"));
  // Coordinates follow the atom, not the position: atom 1 is at the origin.
  EXPECT_EQ(atoms[3].substr(30, 24), "   0.000   0.000   0.000");
}

TEST(Pdbout, VariantThreeAddsTheFirstPerturbedState) {
  WriterJob job(resultsData("methanol.z"), pdbVariant("PDB2 "));
  for (int i = 1; i <= 6; ++i) job.s.solcor.xyz[1].x(i) = job.s.solcor.xyz[0].x(i) + 10.0;
  const std::vector<std::string> out = written(job);
  ASSERT_EQ(out.size(), 2u + 6 + 1 + 6 + 1);
  EXPECT_EQ(std::tuple(out[8], out[9].substr(0, 38), out[14].substr(0, 26), out[15]),
            std::tuple("TER", "ATOM      7  C06 UNK     2      10.000",
                       "ATOM     12  H0B UNK     2", "END"));
}

TEST(Pdbout, VariantTwoReadsBackWithTheReferenceTypes) {
  WriterJob job(resultsData("toluene.z"), pdbVariant("PDBB "));
  for (int i = 1; i <= 15; ++i) job.s.zmat.JTYPE(i) = 500 + i;
  const std::vector<std::string> out = written(job);
  EXPECT_EQ(std::tuple(out[17], out[18], out[19], out[20], out[21]),
            std::tuple("      ", "148145145145145145145140140140", "146146146146146", "      ",
                       "501502503504505506507508509510"));
  WriterJob back(job.plt(), WriterJob::Bare{});
  pdbin(back.s);
  ASSERT_EQ(back.s.zmat.NSATM, 15);
  for (int i = 1; i <= 15; ++i) {
    EXPECT_EQ(back.s.zmat.ITYPE(i), job.s.zmat.ITYPE(i)) << i;
    EXPECT_EQ(back.s.zmat.JTYPE(i), 0) << i;
    EXPECT_NEAR(back.s.solcor.xyz[0].z(i), job.s.solcor.xyz[0].z(i), 5e-4);
  }
}

// Two solvent molecules: TIP4P (O, H, H and the massless M site) and one of a second
// solvent whose sites include a helium-numbered site and an inactive site.
void addSolvent(State& s) {
  s.coord.NMOL = 2;
  s.sol.code(1) = 2;
  s.sol.nsites(1) = 4;
  s.sol.code(2) = 3;
  s.sol.nsites(2) = 4;
  const int nat[2][4] = {{8, 1, 1, 0}, {8, 1, 2, 6}};
  const int type[2][4] = {{113, 114, 114, 115}, {78, 79, 100, 0}};
  for (int sv = 1; sv <= 2; ++sv)
    for (int k = 1; k <= 4; ++k) {
      s.potpar.natW(k, sv) = nat[sv - 1][k - 1];
      s.potpar.typeW(k, sv) = type[sv - 1][k - 1];
    }
  s.coord.solvent(2) = 2;
  for (int m = 1; m <= 2; ++m)
    for (int k = 1; k <= 4; ++k) {
      s.coord.X(m, k) = 10.0 * m + k;
      s.coord.Y(m, k) = -1.25;
      s.coord.Z(m, k) = 0.5 * k;
    }
}

TEST(Pdbout, SolventMoleculesFollowTheSolutes) {
  WriterJob job(resultsData("methanol.z"), pdbVariant("PDB  "));
  addSolvent(job.s);
  const std::vector<std::string> out = written(job);
  const std::vector<std::string> tail(out.begin() + 8, out.end());
  const std::vector<std::string> want = {
      "TER",
      "ATOM      7  O00 WTR     2      11.000  -1.250   0.500  1.00  0.00           O",
      "ATOM      8  H01 WTR     2      12.000  -1.250   1.000  1.00  0.00           H",
      "ATOM      9  H02 WTR     2      13.000  -1.250   1.500  1.00  0.00           H",
      "TER",
      "ATOM     10  O00 UNK     3      21.000  -1.250   0.500  1.00  0.00           O",
      "ATOM     11  H01 UNK     3      22.000  -1.250   1.000  1.00  0.00           H",
      "TER",
      "END"};
  EXPECT_EQ(tail, want);

  // After the type lists of variant 2 the solvent follows without a TER of its own.
  WriterJob job2(resultsData("methanol.z"), pdbVariant("PDBB "));
  addSolvent(job2.s);
  const std::vector<std::string> out2 = written(job2);
  EXPECT_EQ(out2[12].substr(0, 26), "ATOM      7  O00 WTR     2");
}

TEST(Pdbout, SolventSiteOfAtomicNumberAbove99Stops) {
  WriterJob job(resultsData("methanol.z"), pdbVariant("PDB  "));
  addSolvent(job.s);
  job.s.potpar.natW(2, 1) = 100;
  EXPECT_EQ(stopMessage([&] { return job.listing(); }, [&] { pdbout(job.s); }),
            " *** Atomic Number  100 Out of Range in SYMBOL\n");
}

TEST(Pdbout, ConformationalSearchesAppendStructures) {
  for (int mode : {5, 7}) {
    WriterJob job(resultsData("methanol.z"), pdbVariant("PDB  "), mode);
    pdbout(job.s);
    pdbout(job.s);
    const std::vector<std::string> out = lines(job.plt());
    if (mode == 7) {
      EXPECT_EQ(out.size(), 9u);  // rewound: one structure
      continue;
    }
    ASSERT_EQ(out.size(), 14u);
    EXPECT_TRUE(withPrefix(out, "REMARK").empty());
    EXPECT_EQ(std::tuple(out[6], out[7].substr(0, 16), out[13]),
              std::tuple("TER", "ATOM      1  C00", "TER"));
  }
}

}  // namespace
}  // namespace veka::test
