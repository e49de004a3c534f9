// The intrasolute pair list: exclusions by bonds, rings, ranges, molecules and distance,
// the 1-4 rules, the limits and the listing.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "energy/eintra.hpp"
#include "energy/nbpair.hpp"
#include "hand_solute.hpp"
#include "support/stop.hpp"

namespace veka {
namespace {

using test::HandSolute;
using PairSet = std::set<std::tuple<int, int, int>>;  // (i, j, 1-4 flag)

PairSet pairs(const State& s) {
  PairSet out;
  for (int n = 1; n <= s.nbcom.NPAIR; ++n) {
    EXPECT_LT(s.nbcom.NBI(n), s.nbcom.NBJ(n));
    out.insert({s.nbcom.NBI(n), s.nbcom.NBJ(n), s.nbcom.I14(n) == 0xFF ? 1 : s.nbcom.I14(n)});
  }
  return out;
}

// Every pair of a bonded chain of n atoms: three or more bonds apart, 1-4 flagged.
PairSet chainPairs(int n, int first = 1) {
  PairSet out;
  for (int i = first; i < first + n; ++i)
    for (int j = i + 3; j < first + n; ++j) out.insert({i, j, j == i + 3});
  return out;
}

TEST(Nbpair, RingPathsTakeTheShortestSeparation) {
  // Five-membered ring: 1-4 one way round is 1-3 the other way: no pair at all.
  HandSolute five;
  five.chain(5);
  five.bond(5, 1);
  nbpair(five.s, true);
  EXPECT_EQ(five.s.nbcom.NPAIR, 0);
  // Six-membered ring: the para atoms are 1-4 along both paths, listed once.
  HandSolute six;
  six.chain(6);
  six.bond(6, 1);
  nbpair(six.s, true);
  EXPECT_EQ(pairs(six.s), (PairSet{{1, 4, 1}, {2, 5, 1}, {3, 6, 1}}));
}

TEST(Nbpair, LargeCoulombDivisorLeavesOneFourPairsOut) {
  HandSolute h;
  h.chain(6);
  h.s.potpar.div14C = 1.0e6;
  intraSettings(h.s);
  nbpair(h.s, true);
  EXPECT_EQ(pairs(h.s), (PairSet{{1, 5, 0}, {1, 6, 0}, {2, 6, 0}}));
  // A large Lennard-Jones divisor only scales: the pairs stay.
  h.s.potpar.div14C = 2.0, h.s.potpar.div14L = 1.0e6;
  intraSettings(h.s);
  nbpair(h.s, true);
  EXPECT_EQ(pairs(h.s), chainPairs(6));
  EXPECT_DOUBLE_EQ(h.s.potpar.SCL14L, 1.0e-30);
}

TEST(Nbpair, ExclusionRangesApplyInBothDirections) {
  for (std::array<int, 4> r : {std::array<int, 4>{1, 2, 6, 8}, std::array<int, 4>{6, 8, 1, 2}}) {
    HandSolute h;
    h.chain(8);
    h.s.zmat.NEXCL = 1;
    h.s.zmat.excl(1) = r;
    nbpair(h.s, true);
    PairSet want = chainPairs(8);
    for (int i : {1, 2})
      for (int j : {6, 7, 8}) want.erase({i, j, j == i + 3});
    EXPECT_EQ(pairs(h.s), want) << r[0];
  }
}

TEST(Nbpair, MoleculesDummiesAndTheCutoff) {
  HandSolute h;
  h.chain(5);
  h.molecule();
  h.chain(4);  // atoms 6-9, a second solute
  // A dummy atom has no pairs and no covalent neighbours, so it breaks the chain: atom 1
  // is then bonded to nothing.
  h.s.zmat.ITYPE(2) = -1;
  nbpair(h.s, true);
  EXPECT_EQ(pairs(h.s), (PairSet{{1, 3, 0}, {1, 4, 0}, {1, 5, 0}, {6, 9, 1}}));
  // Distances are judged on the set-up geometry of the reference state.
  h.s.zmat.ITYPE(2) = 1;
  h.s.nbcom.CUTNB = 5.0;  // (1, 4) is 4.6 A apart, (1, 5) 6.1 A
  h.move(0, 5, 0.0, 0.0, 0.5);
  nbpair(h.s, true);
  EXPECT_EQ(pairs(h.s), (PairSet{{1, 4, 1}, {2, 5, 1}, {6, 9, 1}}));
  renbpr(h.s);  // takes the current coordinates as the set-up geometry
  EXPECT_EQ(h.s.solcor.setup1.z(5), 0.5);
  EXPECT_EQ(pairs(h.s), (PairSet{{1, 4, 1}, {1, 5, 0}, {2, 5, 1}, {6, 9, 1}}));
}

TEST(Nbpair, NothingToBuild) {
  HandSolute three;
  three.chain(3);
  three.s.nbcom.NPAIR = 17;
  nbpair(three.s, true);
  EXPECT_EQ(three.s.nbcom.NPAIR, 0);
  EXPECT_EQ(eintra(three.s, 0), 0.0);
  HandSolute unbonded;  // four atoms far apart, no terms at all
  for (int k = 0; k < 4; ++k) unbonded.atom(5.0 * k, 0, 0);
  nbpair(unbonded.s, true);
  EXPECT_EQ(unbonded.s.nbcom.NPAIR, 0);
  unbonded.angle(1, 2, 3, 0.0, 0.0);  // any term list makes it build
  nbpair(unbonded.s, true);
  EXPECT_EQ(unbonded.s.nbcom.NPAIR, 6);
}

TEST(Nbpair, EwaldKeepsNearPairsFlagged) {
  HandSolute h;
  h.chain(5);
  h.s.cutoff.ewald = 1;
  nbpair(h.s, true);
  int ewald = 0;
  for (int n = 1; n <= h.s.nbcom.NPAIR; ++n) {
    const int sep = h.s.nbcom.NBJ(n) - h.s.nbcom.NBI(n);
    EXPECT_EQ(h.s.nbcom.EWX(n), sep <= 2 ? 1 : 0);
    EXPECT_EQ(h.s.nbcom.I14(n) != 0, sep == 3);
    ewald += h.s.nbcom.EWX(n);
  }
  EXPECT_EQ(h.s.nbcom.NPAIR, 10);
  EXPECT_EQ(ewald, 7);
}

std::string stopText(HandSolute& h, bool quiet) {
  return test::stopMessage([&] { return h.listing(); }, [&] { nbpair(h.s, quiet); });
}

TEST(Nbpair, MoreThanTwentyThousandPairsStop) {
  HandSolute h;
  for (int k = 0; k < 201; ++k) h.atom(3.0 * k, 0, 0);  // 201 * 200 / 2 - 1 = 20099 pairs
  h.bond(1, 2);
  h.s.nbcom.CUTNB = 1000.0;
  EXPECT_NE(stopText(h, false).find(" NBAT Array Overflow in NBPAIR"), std::string::npos);
  EXPECT_EQ(stopText(h, true), "");  // quiet: the stop without its text
  HandSolute fits;
  for (int k = 0; k < 200; ++k) fits.atom(3.0 * k, 0, 0);  // 19899 pairs
  fits.bond(1, 2);
  fits.s.nbcom.CUTNB = 1000.0;
  nbpair(fits.s, true);
  EXPECT_EQ(fits.s.nbcom.NPAIR, 19899);
}

// Atom 1 with `arms` neighbours, each with three further neighbours, each of those with
// three more: 9 * arms 1-4 partners of atom 1.
void star(HandSolute& h, int arms) {
  h.atom(0, 0, 0);
  for (int a = 0; a < arms; ++a) {
    const int b = h.atom(1, a, 0);
    h.bond(1, b);
    for (int c = 0; c < 3; ++c) {
      const int d = h.atom(2, a, c);
      h.bond(b, d);
      for (int e = 0; e < 3; ++e) h.bond(d, h.atom(3, a, 3 * c + e));
    }
  }
}

TEST(Nbpair, MoreThanFortyOneFourPartnersStop) {
  HandSolute ok;
  star(ok, 4);  // 36 partners
  nbpair(ok.s, true);
  int flagged = 0;
  for (int n = 1; n <= ok.s.nbcom.NPAIR; ++n)
    flagged += ok.s.nbcom.NBI(n) == 1 && ok.s.nbcom.I14(n);
  EXPECT_EQ(flagged, 36);
  HandSolute bad;
  star(bad, 5);  // 45 partners
  EXPECT_NE(stopText(bad, false).find("1-4 Partner Overflow in NBPAIR - Atom    1 has >  40"),
            std::string::npos);
}

TEST(Nbpair, ListingOfNeighboursAndPartners) {
  HandSolute h;
  h.chain(30);
  h.s.zmat.ITYPE(30) = -1;
  nbpair(h.s, false);
  const std::string out = h.listing();
  EXPECT_NE(out.find(" Covalent Neigbors List -\n     1:    2\n     2:    1    3\n"),
            std::string::npos);
  std::string first = " Atom    1:";
  for (int j = 4; j <= 23; ++j) first += (j < 10 ? "    " : "   ") + std::to_string(j);
  const std::string second = std::string(11, ' ') + "   24   25   26   27   28   29";
  EXPECT_NE(out.find(" Non-bonded Pairs List (Except Inter-solute)\n" + first + "\n" + second +
                     "\n Atom    2:"),
            std::string::npos);
  EXPECT_NE(out.find("\n Atom   27:\n Atom   28:\n Atom   29:\n"), std::string::npos);
  EXPECT_EQ(out.find(" Atom   30:"), std::string::npos);
  HandSolute quiet;
  quiet.chain(6);
  nbpair(quiet.s, true);
  EXPECT_EQ(quiet.listing(), "");
}

}  // namespace
}  // namespace veka
