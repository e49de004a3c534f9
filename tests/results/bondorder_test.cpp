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

// Every carbon of the molecule has exactly one double bond and every hydrogen none.
void expectKekule(const State& s, const BondOrders& b) {
  for (int i = 1; i <= s.zmat.NSATM; ++i) {
    const int want = s.potpar.NATI(i) == 6 ? 1 : 0;
    EXPECT_EQ(multiple(s, b, i), want) << "atom " << i;
  }
}

TEST(BondOrder, SixMemberedRingsAlternate) {
  for (const char* file : {"benzene.z", "toluene.z", "phenol.z"}) {
    SCOPED_TRACE(file);
    WriterJob job(resultsData(file));
    const State& s = job.s;
    const BondOrders b(s);
    // Walk the ring from its first carbon of type CA: orders 2, 1, 2, 1, 2, 1 or 1, 2, ...
    int prev = 0, cur = 0;
    for (int i = 1; i <= s.zmat.NSATM && cur == 0; ++i)
      if (iarom(s, i)) cur = i;
    std::vector<int> orders;
    for (int step = 0; step < 6; ++step) {
      int next = 0;
      for (int k = 1; k <= s.covnbr.NNEB(cur) && next == 0; ++k) {
        const int j = s.covnbr.NEB(k, cur);
        if (j != prev && iarom(s, j)) next = j;
      }
      ASSERT_NE(next, 0);
      orders.push_back(b.order(cur, next));
      EXPECT_EQ(b.order(next, cur), orders.back());
      prev = cur;
      cur = next;
    }
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NE(orders[k], orders[(k + 1) % 6]);
    for (int i = 1; i <= s.zmat.NSATM; ++i)
      EXPECT_EQ(multiple(s, b, i), s.potpar.NATI(i) == 6 && iarom(s, i) ? 1 : 0) << i;
  }
}

TEST(BondOrder, NaphthaleneGetsAKekuleStructure) {
  WriterJob job(resultsData("naphthalene.z"));
  expectKekule(job.s, BondOrders(job.s));
}

TEST(BondOrder, ChainsAndFunctionalGroups) {
  struct Case {
    const char* file;
    int i, j, order;
  };
  // Atom numbers follow the SMILES of each file (heavy atoms first).
  const Case cases[] = {
      {"propene.z", 1, 2, 2},      {"propene.z", 2, 3, 1},   {"butadiene.z", 1, 2, 2},
      {"butadiene.z", 2, 3, 1},    {"butadiene.z", 3, 4, 2}, {"acetonitrile.z", 2, 3, 3},
      {"acetonitrile.z", 1, 2, 1}, {"nma.z", 2, 3, 2},       {"nma.z", 2, 4, 1},
      {"nma.z", 1, 2, 1},          {"phenol.z", 1, 2, 1},    {"methanol.z", 1, 2, 1},
      {"pyridine.z", 3, 4, 1},     {"pyridine.z", 4, 5, 1},  {"toluene.z", 1, 2, 1},
      {"two_plain.z", 2, 3, 3},
  };
  for (const Case& c : cases) {
    WriterJob job(resultsData(c.file));
    EXPECT_EQ(BondOrders(job.s).order(c.i, c.j), c.order) << c.file << " " << c.i << "-" << c.j;
  }
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
