// The random-number stream: its first numbers, the first change of its constants, the
// inline form against ranu, and ranint.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include "montecarlo/random.hpp"

namespace veka {
namespace {

TEST(Random, FirstNumbersOfANewRun) {
  Rands r;
  EXPECT_EQ(ranu(r), 953970.0 / 1048573.0);
  EXPECT_EQ(r.seed, 953970);
  EXPECT_EQ(ranu(r), 706777.0 / 1048573.0);
  EXPECT_NEAR(953970.0 / 1048573.0, 0.90978, 5e-6);
}

TEST(Random, The1167thDrawIsTheFirstToChangeTheConstants) {
  Rands r;
  for (int k = 1; k <= 1166; ++k) {
    ranu(r);
    ASSERT_EQ(r.ICON, kRanICN0) << k;
    ASSERT_EQ(r.ICHG, kRanICHG0) << k;
  }
  const int before = r.seed;
  const double x = ranu(r);
  EXPECT_NE(r.ICON, kRanICN0);
  EXPECT_NE(r.ICHG, kRanICHG0);
  EXPECT_EQ(r.ICNT, 0);
  // The new constant already forms the 1167th number.
  EXPECT_EQ(r.seed, (before * kRanIMUL + r.ICON) % kRanIMOD);
  EXPECT_EQ(x, r.seed / 1048573.0);
}

TEST(Random, InlineFormContinuesTheSameStream) {
  Rands a, b;
  seedRands(a, 31337);
  seedRands(b, 31337);
  std::vector<double> xa, xb;
  for (int k = 0; k < 5000; ++k) xa.push_back(ranu(a));
  {
    RanuLocal local(b);
    for (int k = 0; k < 3000; ++k) xb.push_back(local.next());
  }
  for (int k = 0; k < 2000; ++k) xb.push_back(ranu(b));
  EXPECT_EQ(xa, xb);
  EXPECT_EQ(a.seed, b.seed);
  EXPECT_EQ(a.JRN, b.JRN);
  EXPECT_EQ(a.ICNT, b.ICNT);
}

TEST(Random, RanintDrawsDistinctSortedValues) {
  Rands r;
  std::array<int, 2> two{};
  for (int k = 0; k < 100; ++k) {
    ranint(r, two, 3);
    EXPECT_LT(two[0], two[1]);
    EXPECT_GE(two[0], 1);
    EXPECT_LE(two[1], 3);
  }
  // A full draw of 1..n, and every rejected draw takes a number of the stream.
  Rands a, b;
  std::vector<int> all(40);
  ranint(a, all, 40);
  for (int k = 0; k < 40; ++k) EXPECT_EQ(all[static_cast<std::size_t>(k)], k + 1);
  std::set<int> seen;
  int draws = 0;
  while (seen.size() < 40) {
    seen.insert(static_cast<int>(ranu(b) * 40) + 1);
    ++draws;
  }
  EXPECT_GT(draws, 40);
  EXPECT_EQ(a.seed, b.seed);
}

}  // namespace
}  // namespace veka
