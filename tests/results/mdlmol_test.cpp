// The MOL writer: header, counts, atom and bond blocks, dummy atoms and the 999-atom limit.
#include <gtest/gtest.h>

#include <tuple>

#include "format/record.hpp"
#include "results/mdlmol.hpp"
#include "writer_job.hpp"

namespace veka::test {
namespace {

TEST(Mdlmol, HeaderCountsAtomsAndBondsOfBenzene) {
  WriterJob job(resultsData("benzene.z"));
  job.s.zmat.title = "   Benzene, indented";
  mdlmol(job.s, -123.456789);
  const std::vector<std::string> out = lines(job.plt());
  ASSERT_EQ(out.size(), 4u + 12 + 12 + 3);
  EXPECT_EQ(std::tuple(out[0], out[1], out[2], out[3]),
            std::tuple("Benzene, indented", "VEKA4.9 Win   July14 3D          Tot. E=   -123.4568",
                       "", " 12 12  0  0  0  0  0  0  0  0  1 V2006"));
  const Xyz& c = job.s.solcor.xyz[0];
  EXPECT_EQ(out[4], fmt::RecordWriter().F(c.x(1), 10, 4).F(c.y(1), 10, 4).F(c.z(1), 10, 4).str() +
                        " C   0  0  0  0  0  0  0  0  0  0  0  0");
  EXPECT_EQ(out[15].substr(30), " H   0  0  0  0  0  0  0  0  0  0  0  0");
  // Bonds: each once, lower atom first, from the covalent neighbours; ring orders 2 and 1.
  int ring = 0, doubles = 0;
  for (int b = 16; b < 28; ++b) {
    const int i = std::stoi(out[static_cast<std::size_t>(b)].substr(0, 3));
    const int j = std::stoi(out[static_cast<std::size_t>(b)].substr(3, 3));
    const int order = std::stoi(out[static_cast<std::size_t>(b)].substr(6, 3));
    EXPECT_LT(i, j);
    EXPECT_EQ(out[static_cast<std::size_t>(b)].substr(9), "  0");
    if (j <= 6) {
      ++ring;
      doubles += order == 2;
    } else {
      EXPECT_EQ(order, 1);
    }
  }
  EXPECT_EQ(std::tuple(ring, doubles, out[28], out[29], out[30]),
            std::tuple(6, 3, "M  END", "", "$$$$"));
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
