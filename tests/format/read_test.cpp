// Reading fixed-column fields: positions, the values read and the errors raised.
#include <gtest/gtest.h>

#include <tuple>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "format/record.hpp"

namespace veka::fmt {
namespace {

std::string errorOf(std::string_view record, void (*read)(RecordReader&)) {
  RecordReader r(record);
  try {
    read(r);
  } catch (const InputError& e) {
    return e.what();
  }
  return "no error";
}

TEST(RecordReader, FieldsFollowEachOtherAndPositioningMovesTheCursor) {
  RecordReader r("  12abc 3.5  -7XY", nullptr);
  EXPECT_EQ(r.I(4), 12);
  EXPECT_EQ(r.A(3), "abc");
  EXPECT_DOUBLE_EQ(r.F(4, 0), 3.5);
  r.X(2);
  EXPECT_EQ(r.I(2), -7);
  EXPECT_EQ(r.column(), 16);
  r.T(5);
  EXPECT_EQ(r.A(2), "ab");
  r.TL(4);
  EXPECT_EQ(r.I(2), 12);
  r.X(1);
  EXPECT_EQ(r.A(1), "b");
  r.TL(100);  // cannot move before column 1
  EXPECT_EQ(r.column(), 1);
  r.TL(INT_MIN);
  EXPECT_EQ(r.column(), kMaxColumn + 1);
}

TEST(RecordReader, ColumnsPastTheEndReadAsBlanks) {
  RecordReader r("  42 1");
  EXPECT_EQ(r.I(5), 42);
  EXPECT_EQ(r.I(5), 1);  // "1" followed by four missing columns
  EXPECT_EQ(r.I(5), 0);  // wholly past the end
  EXPECT_EQ(std::tuple(r.F(8, 3), r.A(4), r.A<4>()), std::tuple(0.0, "", "    "));
}

TEST(RecordReader, CharacterFieldsKeepTheRightmostColumnsOfAWiderField) {
  RecordReader r("abcdefgh");
  EXPECT_EQ(r.A<3>(5), "cde");  // A5 into three characters
  EXPECT_EQ(r.A<5>(2), "fg   ");
  RecordReader s("abcd");
  EXPECT_EQ(s.A<3>(6), "d  ");  // the field runs past the end: blanks on the right
  EXPECT_EQ(RecordReader("ab").A<3>(8), "   ");
}

// Integer and real fields of every width are read as gfortran reads them (oracle_test.cpp,
// read_fields.txt); these tests take the forms and limits its tables do not reach.

TEST(RecordReader, RefusedNumbersLeaveTheValueAlone) {
  int i = 99;
  for (const char* bad : {"2147483648", "-2147483649", "99999999999999999999999", "1.0", "1e2"})
    EXPECT_FALSE(parseInteger(bad, i)) << bad;
  EXPECT_EQ(i, 99);
  EXPECT_EQ(RecordReader("-2147483648").I(11), -2147483647 - 1);
}

TEST(RecordReader, RealExponentsTakeEveryForm) {
  for (const char* f : {"1.5E3", "1.5e3", "1.5D3", "1.5d+3", "1.5Q3", "1.5+3", "1.5 E 3", "1.5E+03",
                        " 15+3", "15 0 00", "1.5E3   "}) {
    EXPECT_DOUBLE_EQ(RecordReader(f).F(static_cast<int>(std::string(f).size()), 1), 1500.0) << f;
  }
  EXPECT_DOUBLE_EQ(RecordReader("1.5-3").F(5, 2), 1.5e-3);
  EXPECT_DOUBLE_EQ(RecordReader("-2.5D-2").F(7, 2), -0.025);
}

TEST(RecordReader, RealsRejectWhatIsNotANumberAndWhatDoesNotFit) {
  double v = 7.0;
  for (const char* bad : {"1.5E", "1.5+", "1.5E3E3", "infinity", "-1.8E308", "1E-10000", "0E10000"})
    EXPECT_FALSE(parseReal(bad, 0, v)) << bad;
  EXPECT_EQ(v, 7.0);
  // The exponent limit applies after the implied decimals.
  EXPECT_FALSE(parseReal("0E10001", 0, v));
  EXPECT_TRUE(parseReal("0E10001", 2, v));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(parseReal("1E-9998", 0, v));
  EXPECT_FALSE(parseReal("1E-9998", 2, v));
}

TEST(RecordReader, TinyRealsBecomeZeroAndSignsSurvive) {
  double v = 1.0;
  ASSERT_TRUE(parseReal("1E-400", 0, v));
  EXPECT_EQ(v, 0.0);
  ASSERT_TRUE(parseReal("-0", 0, v));
  EXPECT_TRUE(v == 0.0 && std::signbit(v));
  ASSERT_TRUE(parseReal("-1E-400", 0, v));
  EXPECT_TRUE(v == 0.0 && std::signbit(v));
  ASSERT_TRUE(parseReal("4.9406564584124654E-324", 0, v));
  EXPECT_EQ(v, 4.9406564584124654e-324);
  ASSERT_TRUE(parseReal("     ", 3, v));
  EXPECT_TRUE(v == 0.0 && !std::signbit(v));
}

// Rounding to the nearest double, ties to even, however many digits the field holds.
TEST(RecordReader, RealsAreCorrectlyRoundedFromLongDigitStrings) {
  double v = 0;
  ASSERT_TRUE(parseReal("9007199254740993", 0, v));  // 2^53 + 1: a tie, down to even
  EXPECT_EQ(v, 9007199254740992.0);
  ASSERT_TRUE(parseReal("9007199254740995", 0, v));  // 2^53 + 3: a tie, up to even
  EXPECT_EQ(v, 9007199254740996.0);
  // Exactly half way between 1 and the next double, then far beyond the digits kept
  // whether anything nonzero follows decides the direction.
  const std::string mid = "1.00000000000000011102230246251565404236316680908203125";
  const std::string zeros(900, '0');
  ASSERT_TRUE(parseReal(mid + zeros, 0, v));
  EXPECT_EQ(v, 1.0);
  ASSERT_TRUE(parseReal(mid + zeros + "1", 0, v));
  EXPECT_EQ(v, std::nextafter(1.0, 2.0));
  ASSERT_TRUE(parseReal("0." + zeros + "1E901", 0, v));  // leading zeros are not digits kept
  EXPECT_EQ(v, 1.0);
}

// The quick path (few digits, small exponent) and the general one agree with strtod.
TEST(RecordReader, RealsAgreeWithTheCLibraryOnRandomFields) {
  std::mt19937_64 rng(12345);
  std::uniform_int_distribution<int> len(1, 22), expo(-40, 40), digit(0, 9), coin(0, 3);
  for (int n = 0; n < 20000; ++n) {
    std::string s;
    const int k = len(rng);
    const int point = coin(rng) == 0 ? -1 : static_cast<int>(rng() % static_cast<unsigned>(k + 1));
    for (int i = 0; i < k; ++i) {
      if (i == point) s += '.';
      s += static_cast<char>('0' + digit(rng));
    }
    if (point == k) s += '.';
    if (coin(rng) != 0) s += "E" + std::to_string(expo(rng));
    double v = 0;
    ASSERT_TRUE(parseReal(s, 0, v)) << s;
    EXPECT_EQ(v, std::strtod(s.c_str(), nullptr)) << s;
  }
}

TEST(RecordReader, ErrorsNameTheColumnsTheFieldAndTheRecord) {
  EXPECT_EQ(errorOf("   1  ab2", [](RecordReader& r) { r.I(4), r.I(5); }),
            "bad integer in columns 5-9: '  ab2'");
  EXPECT_EQ(errorOf("99999999999", [](RecordReader& r) { r.I(11); }),
            "integer out of range in columns 1-11: '99999999999'");
  EXPECT_EQ(errorOf("xx1E400", [](RecordReader& r) { r.X(2), r.F(8, 2); }),
            "real number out of range in columns 3-10: '1E400'");
  EXPECT_EQ(errorOf("  NaN", [](RecordReader& r) { r.F(5, 2); }),
            "bad real number in columns 1-5: '  NaN'");
  const Origin o{"zmat.z", 26, 14};
  RecordReader r("  x", &o);
  try {
    r.I(3);
    FAIL();
  } catch (const InputError& e) {
    EXPECT_EQ(std::tuple(e.origin().file, e.origin().unit, e.origin().record),
              std::tuple("zmat.z", 26, 14));
  }
}

TEST(RecordReader, HugePositionsAndWidthsStayInsideTheRecord) {
  RecordReader r("12345");
  r.X(2000000000);
  r.X(2000000000);
  EXPECT_EQ(r.column(), kMaxColumn + 1);
  EXPECT_EQ(r.I(2000000000), 0);
  r.T(-5);
  EXPECT_EQ(r.I(-3), 0);  // a negative width reads nothing
  EXPECT_EQ(r.I(2), 12);
}

}  // namespace
}  // namespace veka::fmt
