// List-directed records: writing items, continuation records, strings and errors.
#include <gtest/gtest.h>

#include <tuple>

#include <string>

#include "format/record.hpp"

namespace veka::fmt {
namespace {

TEST(ListWriter, CharacterItemsJoinAndNumbersAreSeparated) {
  // The program's usage message and open failure are written this way.
  ListWriter a;
  a << "   Insufficient arguments! you need to specify";
  EXPECT_EQ(a.str(), "    Insufficient arguments! you need to specify");
  ListWriter b;
  b << "at least five, i.e. " << std::string("veka") << " 001 100000 0.0 0.0 0.0";
  EXPECT_EQ(b.str(), " at least five, i.e. veka 001 100000 0.0 0.0 0.0");
  ListWriter c;
  c << "IOSTAT = " << 2 << Chars<4>("ab") << -7 << 0.5;
  EXPECT_EQ(c.str(), " IOSTAT =            2 ab  " + std::string(10, ' ') + "-7" +
                         "  0.50000000000000000     ");
}

// Values, separators, nulls, repeats and the slash are read as gfortran reads them
// (oracle_test.cpp, list_input.txt); these tests take what its tables do not reach.

TEST(ListReader, ACommaStartingAContinuationRecordIsNoNull) {
  ListReader r("1 2");
  int v[4] = {};
  ASSERT_TRUE(r.next(v[0]) && r.next(v[1]));
  EXPECT_FALSE(r.next(v[2]));
  r.reset(", 3");  // the end of the record already separated 2 from what follows
  ASSERT_TRUE(r.next(v[2]));
  EXPECT_EQ(v[2], 3);
  ListReader s("1,");
  v[1] = -4;
  ASSERT_TRUE(s.next(v[0]));
  EXPECT_FALSE(s.next(v[1]));
  s.reset(",5");  // after a comma, a comma marks a null value
  ASSERT_TRUE(s.next(v[1]));
  EXPECT_EQ(v[1], -4);
  ASSERT_TRUE(s.next(v[2]));
  EXPECT_EQ(v[2], 5);
}

TEST(ListReader, QuotedAndPlainCharacterItems) {
  ListReader r("'it''s' \"a, b\" plain 2*'x y' '' \"q\"\"\"");
  std::string_view t;
  for (std::string_view want : {"it''s", "a, b", "plain", "x y", "x y", "", "q\"\""}) {
    ASSERT_TRUE(r.next(t)) << want;
    EXPECT_EQ(t, want);
  }
  EXPECT_FALSE(r.next(t));
}

std::string listError(std::string_view record, int count) {
  ListReader r(record);
  double v = 0;
  try {
    for (int i = 0; i < count; ++i) r.next(v);
  } catch (const InputError& e) {
    return e.what();
  }
  return "no error";
}

TEST(ListReader, BadTokensAreRefusedWithTheirColumn) {
  EXPECT_EQ(std::tuple(listError("1 2 abc", 3), listError("1.5e", 1), listError("  1e999", 1),
                       listError("0*5", 1)),
            std::tuple("bad real number in list input at column 5: 'abc'",
                       "bad real number in list input at column 1: '1.5e'",
                       "real number out of range in list input at column 3: '1e999'",
                       "bad repeat count in list input at column 1: '0*'"));
  EXPECT_EQ(listError("'abc", 1),
            "unterminated character constant in list input at column 1: ''abc'");
  EXPECT_EQ(listError("'a'b", 1), "bad value in list input at column 1: ''a'b'");
  EXPECT_EQ(listError("'a'", 1), "bad real number in list input at column 1: 'a'");
  for (const char* bad : {"nan", "inf", "+", ".", "1;2", "*4", "--1"})
    EXPECT_NE(listError(bad, 1), "no error") << bad;
  ListReader r("2147483648");
  int i = 0;
  EXPECT_THROW(r.next(i), InputError);
  ListReader s("1.0");
  EXPECT_THROW(s.next(i), InputError);
}

}  // namespace
}  // namespace veka::fmt
