// Bond orders of the MOL writer on the project's OPLS-AA types.
#include <gtest/gtest.h>

#include "results/bondorder.hpp"
#include "writer_job.hpp"

namespace veka::test {
namespace {

// Sum of (order - 1) over the bonds of atom i: its double and triple bonds.
int multiple(const State& s, const BondOrders& b, int i) {
  int n = 0;
  for (int k = 1; k <= s.covnbr.NNEB(i); ++k) n += b.order(i, s.covnbr.NEB(k, i)) - 1;
  return n;
}

// The bond orders of the molecules of data/expected.json are checked against RDKit's
// reading of the MOL files (clients_check.py); these tests take the rules RDKit does not
// see: pyridine, whose MOL file RDKit cannot sanitise, and types set by hand.

TEST(BondOrder, PyridineRingBondsAreSingle) {
  WriterJob job(resultsData("pyridine.z"));
  EXPECT_EQ(BondOrders(job.s).order(3, 4), 1);
  EXPECT_EQ(BondOrders(job.s).order(4, 5), 1);
}

TEST(BondOrder, TypeRulesComeBeforeTheConjugation) {
  // Benzene with its types changed by hand: the listed type pairs are single, a
  // carboxylate oxygen is aromatic, a thiocarbonyl sulfur double.
  WriterJob job(resultsData("benzene.z"));
  State& s = job.s;
  const BondOrders plain(s);
  ASSERT_EQ(plain.order(1, 2) + plain.order(2, 3), 3);
  s.potpar.AMTYPI(1) = "C!";
  s.potpar.AMTYPI(2) = "C!";
  EXPECT_EQ(BondOrders(s).order(1, 2), 1);
  s.potpar.AMTYPI(1) = "CA";
  s.potpar.AMTYPI(2) = "C#";
  EXPECT_EQ(BondOrders(s).order(1, 2), 1);
  s.potpar.AMTYPI(2) = "CT";
  EXPECT_EQ(BondOrders(s).order(2, 3), 1);
  s.potpar.AMTYPI(2) = "O2";
  s.potpar.NATI(2) = 8;
  EXPECT_EQ(BondOrders(s).order(1, 2), 4);
  s.potpar.AMTYPI(2) = "S=";
  s.potpar.NATI(2) = 16;
  EXPECT_EQ(BondOrders(s).order(2, 3), 2);
  s.potpar.AMTYPI(2) = "S ";
  EXPECT_EQ(BondOrders(s).order(2, 3), 1);
  s.potpar.NATI(2) = 15;
  EXPECT_EQ(BondOrders(s).order(2, 3), 1);
  EXPECT_EQ(BondOrders(s).order(1, 4), 1);  // not bonded
}

TEST(BondOrder, BondBetweenTwoDieneCarbonsIsSingle) {
  // Two neighbouring benzene carbons typed as diene carbons "C=": with fewer than four
  // "C=" atoms around them their bond is the single bond between two double bonds, and
  // the rest of the ring still gets one double bond per carbon.
  WriterJob job(resultsData("benzene.z"));
  State& s = job.s;
  s.potpar.AMTYPI(1) = "C=";
  s.potpar.AMTYPI(2) = "C=";
  const BondOrders b(s);
  EXPECT_EQ(b.order(1, 2), 1);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(multiple(s, b, i), 1) << i;
}

TEST(BondOrder, AromaticLinkBetweenRingsIsSingle) {
  // Toluene's methyl carbon made an aromatic-type carbon with three neighbours, as the
  // first atom of a second ring would be: the link is in no ring, so it stays single and
  // the ring keeps its own alternation.
  WriterJob job(resultsData("toluene.z"));
  State& s = job.s;
  Covnbr& cn = s.covnbr;
  s.potpar.AMTYPI(1) = "CA";
  const int h = cn.NEB(cn.NNEB(1), 1);  // drop one hydrogen from the neighbour lists
  ASSERT_EQ(s.potpar.NATI(h), 1);
  --cn.NNEB(1);
  cn.NNEB(h) = 0;
  const BondOrders b(s);
  EXPECT_EQ(b.order(1, 2), 1);
  for (int i = 2; i <= 7; ++i) EXPECT_EQ(multiple(s, b, i), 1) << i;
}

TEST(BondOrder, IaromTypes) {
  WriterJob job(resultsData("pyridine.z"));
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(iarom(job.s, i), 1) << i;  // CA and NC
  EXPECT_EQ(iarom(job.s, 7), 0);                                    // HA
  job.s.potpar.AMTYPI(7) = "C*";
  EXPECT_EQ(iarom(job.s, 7), 1);
}

}  // namespace
}  // namespace veka::test
