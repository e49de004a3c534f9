// The Z-matrix writer: what it writes reads back as the same solutes.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>

#include "energy/gasphase.hpp"
#include "format/record.hpp"
#include "molecule/geometry.hpp"
#include "molecule/zmatrix_states.hpp"
#include "results/zmatout.hpp"
#include "support/coords.hpp"
#include "writer_job.hpp"

namespace veka::test {
namespace {

std::map<int, std::string> style(const char* keyword) {
  return {
      {6, std::string("BFGS    0.001000") + keyword + "         0       0    0.0000    0.0000"}};
}

// Writes the Z-matrix of `job` with its energy and sets the written file up as a new job,
// whose energy must be the one written to the printed precision.
std::unique_ptr<WriterJob> writeAndReadBack(WriterJob& job, const char* keyword) {
  job.s.io.summary.rewind();
  writzm(job.s, job.s.io.summary, gasPhaseEnergy(job.s));
  auto back = std::make_unique<WriterJob>(job.summary(), style(keyword));
  const double written = std::stod(lines(job.summary())[0].substr(68));
  EXPECT_NEAR(gasPhaseEnergy(back->s), written, 1e-4);
  return back;
}

// Same atoms, connections, internal coordinates (to the printed precision), term lists
// and Cartesian geometry.
void expectSameSolutes(const State& a, const State& b) {
  const Zmat &za = a.zmat, &zb = b.zmat;
  ASSERT_EQ(za.NSATM, zb.NSATM);
  ASSERT_EQ(za.NSOLUT, zb.NSOLUT);
  for (int m = 1; m <= za.NSOLUT; ++m) {
    EXPECT_EQ(za.first(m), zb.first(m));
    EXPECT_EQ(za.cflag(m), zb.cflag(m));
  }
  for (int i = 1; i <= za.NSATM; ++i) {
    EXPECT_EQ(za.ITYPE(i), zb.ITYPE(i)) << i;
    EXPECT_EQ(za.JTYPE(i), zb.JTYPE(i)) << i;
    EXPECT_EQ(za.IZ1(i), zb.IZ1(i)) << i;
    EXPECT_EQ(za.IZ2(i), zb.IZ2(i)) << i;
    EXPECT_EQ(za.IZ3(i), zb.IZ3(i)) << i;
    EXPECT_NEAR(za.BND(i), zb.BND(i), 6e-7) << i;
    EXPECT_NEAR(za.ANG(i), zb.ANG(i), 1e-8) << i;
    EXPECT_NEAR(std::remainder(za.DIH(i) - zb.DIH(i), 2 * M_PI), 0.0, 1e-8) << i;
    for (int s = 0; s < 3; ++s)
      EXPECT_NEAR(a.potpar.QI[static_cast<std::size_t>(s)](i),
                  b.potpar.QI[static_cast<std::size_t>(s)](i), 1e-12);
  }
  EXPECT_LT(test::rmsd(za.NSATM, a.solcor.xyz[0], b.solcor.xyz[0]), 1e-5);
  EXPECT_EQ(std::tuple(a.bndcom.NBND, a.angcom.NANG, a.dihcom.NDIH, a.covnbr.NBONDS),
            std::tuple(b.bndcom.NBND, b.angcom.NANG, b.dihcom.NDIH, b.covnbr.NBONDS));
}

TEST(Writzm, EveryStyleReadsBackAsTheSameSolutes) {
  for (const char* file : {"methanol.z", "toluene.z", "naphthalene.z", "two_residues.z",
                           "two_plain.z", "dodecane.z"}) {
    for (const char* keyword : {"     ", "NEWZM", "FULL ", "FULLM"}) {
      SCOPED_TRACE(std::string(file) + " " + keyword);
      WriterJob job(resultsData(file), style(keyword));
      auto back = writeAndReadBack(job, keyword);
      expectSameSolutes(job.s, back->s);
      // Written again from the read-back state, the file is the same.
      auto again = writeAndReadBack(*back, keyword);
      EXPECT_EQ(back->summary(), job.summary());
    }
  }
}

TEST(Writzm, TitleRecordAtomRecordsAndCopiedSections) {
  WriterJob job(resultsData("two_residues.z"), style("     "));
  writzm(job.s, job.s.io.summary, -1234.56789);
  const std::vector<std::string> out = lines(job.summary());
  const std::vector<std::string> in = lines(resultsData("two_residues.z"));
  EXPECT_EQ(out[0], "Methanol and benzene" + std::string(40, ' ') + "Tot. E =  -1234.5679");
  ASSERT_EQ(out.size(), in.size());
  for (std::size_t r = 1; r < in.size(); ++r) {
    if (r < 8 || r > 10) {
      EXPECT_EQ(out[r], in[r]) << "record " << r + 1;
      continue;
    }
    // The first three atoms of the second solute, recomputed from the coordinates.
    EXPECT_EQ(out[r].substr(0, 19), in[r].substr(0, 19));
    for (int f = 0; f < 3; ++f) {
      const std::size_t col = 23 + 16 * static_cast<std::size_t>(f);
      EXPECT_NEAR(std::stod(out[r].substr(col, 12)), std::stod(in[r].substr(col, 12)), 2e-6);
    }
  }
  EXPECT_EQ(out[7], "TER");
}

TEST(Writzm, LaterSolutesFollowTheirCartesianCoordinates) {
  // A rigid-body move of the second solute (as a Monte Carlo solute move makes it) leaves
  // its first three Z-matrix entries behind; the writer takes them from the coordinates.
  WriterJob job(resultsData("two_residues.z"));
  Xyz& c = job.s.solcor.xyz[0];
  const double ca = std::cos(0.4), sa = std::sin(0.4);
  for (int i = 7; i <= 18; ++i) {
    const double x = c.x(i), y = c.y(i);
    c.x(i) = ca * x - sa * y + 1.5;
    c.y(i) = sa * x + ca * y - 0.7;
    c.z(i) += 0.9;
  }
  const double moved = gasPhaseEnergy(job.s);
  auto back = writeAndReadBack(job, "     ");
  EXPECT_LT(test::rmsd(18, job.s.solcor.xyz[0], back->s.solcor.xyz[0]), 1e-5);
  EXPECT_NEAR(gasPhaseEnergy(back->s), moved, 1e-4);
  // The first solute's records are untouched.
  EXPECT_EQ(lines(job.summary())[2], lines(resultsData("two_residues.z"))[2]);
}

TEST(Writzm, TerRecordOfTheInputIsCopied) {
  std::string text = resultsData("two_plain.z");
  text.replace(text.find("\nTER\n"), 5, "\nTERC  copied\n");
  WriterJob job(text);
  auto back = writeAndReadBack(job, "     ");
  EXPECT_EQ(lines(job.summary())[7], "TERC  copied");
  EXPECT_EQ(back->s.zmat.cflag(2), 1);
}

TEST(Writzm, FullmNamesAndResidues) {
  WriterJob job(resultsData("dodecane.z"), style("FULLM"));
  writzm(job.s, job.s.io.summary, 0.0);
  const std::vector<std::string> out = lines(job.summary());
  // 12th carbon: count 11
  // 36th atom: count 35
  EXPECT_EQ(std::tuple(out[1].substr(5, 3), out[12].substr(5, 3), out[13].substr(5, 3),
                       out[36].substr(5, 3), out[38].substr(5, 3), out[1].substr(68)),
            std::tuple("C00", "C0B", "H0C", "H10", "H12", "UNK    1"));

  // Dummy atoms are "DUM" and do not count; a two-letter symbol keeps both letters.
  job.s.zmat.ITYPE(2) = -1;
  job.s.potpar.NATI(3) = 17;
  EXPECT_EQ(std::tuple(fullmName(job.s, 2, 1), fullmName(job.s, 3, 1), fullmName(job.s, 3, 36),
                       fullmName(job.s, 4, 36)),
            std::tuple("DUM", "Cl1", "Cl1", "C11"));
}

// Methanol with locally defined types; `types` replaces 157, 154, 155, 156 in turn.
std::string localMethanol(const std::vector<int>& types, const std::string& table) {
  std::vector<std::string> rec = lines(resultsData("methanol.z"));
  const std::map<int, int> map = {
      {157, types[0]}, {154, types[1]}, {155, types[2]}, {156, types[3]}};
  std::string text;
  for (std::size_t r = 0; r < rec.size(); ++r) {
    if (r >= 1 && r <= 6) {
      const int t = map.at(std::stoi(rec[r].substr(9, 4)));
      const std::string f = fmt::formatI(t, 4);
      rec[r].replace(9, 4, f);
      rec[r].replace(14, 4, f);
    }
    text += rec[r] + "\n";
  }
  return text + table;
}

const char* kLocalTable =
    " Final Non-Bonded Parameters\n"
    " 800  6 CT   0.200000  3.400000  0.060000\n"
    " 801  8 OH  -0.650000  3.100000  0.180000\n"
    " 802  1 HO   0.400000  0.000000  0.000000\n"
    " 803  1 HC   0.016667  2.450000  0.020000\n"
    " 804  1 HC   0.099999  2.000000  0.010000\n"
    " 805  6 CT   0.300000  3.300000  0.070000\n";

TEST(Writzm, ParameterDumpGivesTheLocalTypesTheirParameters) {
  const std::string input = localMethanol({800, 801, 802, 803}, kLocalTable);
  WriterJob job(input, style("FULL "));
  auto back = writeAndReadBack(job, "FULL ");
  expectSameSolutes(job.s, back->s);
  for (int i = 1; i <= 6; ++i) {
    EXPECT_NEAR(back->s.potpar.SIG[0](i), job.s.potpar.SIG[0](i), 1e-12);
    EXPECT_NEAR(back->s.potpar.EPS[0](i), job.s.potpar.EPS[0](i), 1e-12);
  }
  EXPECT_DOUBLE_EQ(back->s.potpar.QI[0](3), 0.016667);
  const std::string out = job.summary();
  // The input's table is replaced, not repeated; unused local types are left out.
  EXPECT_EQ(out.find("\n Final"), out.rfind("\n Final"));
  EXPECT_EQ(out.find("\n 804"), std::string::npos);
  EXPECT_NE(out.find("\n Final Non-Bonded Parameters\n"
                     " 800  6 CT   0.200000  3.400000  0.060000\n"),
            std::string::npos);
}

TEST(Writzm, DumpLeadsWithTheTypeTheLocalReaderStartsAt) {
  // The solute uses local types other than 800 and a parameter-file type; the input
  // table starts at 800.
  const std::string input = localMethanol({805, 154, 802, 804}, kLocalTable);
  WriterJob job(input, style("FULLM"));
  writzm(job.s, job.s.io.summary, 0.0);
  std::vector<std::string> out = lines(job.summary());
  auto heading = std::find(out.begin(), out.end(), " Final Non-Bonded Parameters");
  ASSERT_NE(heading, out.end());
  const std::vector<std::string> dump(heading + 1, out.end());
  const std::vector<std::string> want = {
      " 800  6 CT   0.200000  3.400000  0.060000", " 802  1 HO   0.400000  0.000000  0.000000",
      " 804  1 HC   0.099999  2.000000  0.010000", " 805  6 CT   0.300000  3.300000  0.070000",
      " 154  8 OH  -0.683000  3.120000  0.170000"};
  EXPECT_EQ(dump, want);
  WriterJob back(job.summary(), style("FULLM"));
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(back.s.potpar.QI[0](i), job.s.potpar.QI[0](i)) << i;
}

TEST(Writzm, ShortStylesCopyTheInputTableUnchanged) {
  const std::string input = localMethanol({800, 801, 802, 803}, kLocalTable);
  WriterJob job(input, style("NEWZM"));
  auto back = writeAndReadBack(job, "     ");
  const std::string out = job.summary();
  EXPECT_EQ(out.substr(out.find('\n')), input.substr(input.find('\n')));
  EXPECT_DOUBLE_EQ(back->s.potpar.QI[0](1), 0.2);
}

TEST(Writzm, DumpFollowsAnInputThatEndsInsideTheLastSection) {
  // The last section of this input is closed by the end of the file; the blank record in
  // front of the dump closes it in the written file.
  std::string text = resultsData("methanol.z");
  text = text.substr(0, text.find("                    Final blank line"));
  WriterJob job(text, style("FULL "));
  auto back = writeAndReadBack(job, "FULL ");
  expectSameSolutes(job.s, back->s);
}

TEST(Writzm, SolutesReadFromPdbGetClosingSections) {
  WriterJob job(resultsData("acetonitrile.pdb"), WriterJob::Bare{});
  job.s.control.runMode = 1;
  job.s.control.soluteFormat = kPdb;
  readSolutes(job.s, 2);
  writzm(job.s, job.s.io.summary, 0.0);
  WriterJob back(job.summary(), WriterJob::Bare{});
  readSolutes(back.s, 1);
  ASSERT_EQ(back.s.zmat.NSATM, 6);
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(back.s.zmat.ITYPE(i), job.s.zmat.ITYPE(i));
    for (int j = 1; j < i; ++j) {
      const Xyz &a = job.s.solcor.xyz[0], &b = back.s.solcor.xyz[0];
      EXPECT_NEAR(distance(atom(a, i), atom(a, j)), distance(atom(b, i), atom(b, j)), 2e-5);
    }
  }
}

}  // namespace
}  // namespace veka::test
