// The MOL writer: header, counts, atom and bond blocks, dummy atoms and the 999-atom limit.
#include <gtest/gtest.h>

#include <tuple>

#include "results/mdlmol.hpp"
#include "writer_job.hpp"

namespace veka::test {
namespace {

// The whole layout is compared byte for byte with a checked file (SinglePoint tests) and
// read by Open Babel and RDKit (clients_check.py); here the title and the energy.
TEST(Mdlmol, TitleWithoutLeadingBlanksAndTheEnergy) {
  WriterJob job(resultsData("benzene.z"));
  job.s.zmat.title = "   Benzene, indented";
  mdlmol(job.s, -123.456789);
  const std::vector<std::string> out = lines(job.plt());
  ASSERT_EQ(out.size(), 4u + 12 + 12 + 3);
  EXPECT_EQ(std::tuple(out[0], out[1], out[3], out.back()),
            std::tuple("Benzene, indented", "VEKA4.9 Win   July14 3D          Tot. E=   -123.4568",
                       " 12 12  0  0  0  0  0  0  0  0  1 V2006", "$$$$"));
}

TEST(Mdlmol, DummyAtomsAreLeftOutAndBondsNumberTheAtomsWritten) {
  WriterJob job(readFile(testData("molecule/data/methanol.z")));
  mdlmol(job.s, 0.0);
  const std::vector<std::string> out = lines(job.plt());
  // C-O: atoms 3 and 4 of the Z-matrix
  EXPECT_EQ(std::tuple(out[3].substr(0, 6), out[4].substr(30, 3), out[10], out[11], out[14]),
            std::tuple("  6  5", " C ", "  1  2  1  0", "  1  4  1  0", "  2  3  1  0"));
}

TEST(Mdlmol, MoreThan999AtomsAreRefusedAndTheRunGoesOn) {
  for (int n : {999, 1000}) {
    WriterJob job("", WriterJob::Bare{});
    State& s = job.s;
    s.zmat.NSATM = n + 1;  // one dummy atom more, which does not count
    for (int i = 1; i <= n + 1; ++i) {
      s.zmat.ITYPE(i) = i == 1 ? -1 : 145;
      s.potpar.NAT[0](i) = i == 1 ? 0 : 6;
      s.solcor.xyz[0].x(i) = 1.5 * i;
    }
    mdlmol(s, 0.0);
    const std::string listing = job.listing();
    const std::string plt = job.plt();
    if (n == 999) {
      EXPECT_EQ(lines(plt)[3].substr(0, 6), "999  0");
      EXPECT_EQ(listing, "");
    } else {
      EXPECT_EQ(plt, "");
      EXPECT_EQ(listing, " Could not write mol file; # atoms >999.\n");
    }
  }
}

}  // namespace
}  // namespace veka::test
