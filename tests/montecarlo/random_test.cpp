// The random-number stream: the inline form kept over many draws against ranu, and ranint.
// The stream itself, draw by draw from several seeds, is checked against a gfortran
// reference in random_check.py.
#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include "montecarlo/random.hpp"

namespace veka {
namespace {

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
  EXPECT_EQ(std::tuple(xa, a.seed, a.JRN, a.ICNT), std::tuple(xb, b.seed, b.JRN, b.ICNT));
  Rands fresh;  // a new run starts from the new-run seed
  seedRands(a, kNewRunSeed);
  EXPECT_EQ(ranu(fresh), ranu(a));
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
