// Writing fixed-column fields: what the gfortran tables do not reach (record positioning,
// very wide fields, argument limits).
#include <gtest/gtest.h>

#include <tuple>

#include <climits>
#include <cstdio>
#include <string>

#include "format/record.hpp"

namespace veka::fmt {
namespace {

TEST(RecordWriter, SkippedColumnsAreFilledOnlyWhenSomethingFollows) {
  RecordWriter w;
  w.I(1, 4).X(5);
  EXPECT_EQ(w.str(), "   1");
  w.A("x");
  EXPECT_EQ(w.str(), "   1     x");
  w.X(3);
  EXPECT_EQ(w.column(), 14);
  w.TL(INT_MIN).TL(INT_MAX).TL(1);
  EXPECT_EQ(w.column(), 1);
  w.clear();
  EXPECT_EQ(w.str(), "");
  EXPECT_EQ(w.column(), 1);
}

TEST(RecordWriter, TabbingBackOverwritesColumnsAlreadyWritten) {
  // As gfortran writes (I4,T10,I2,T2,I2) of 1, 2, 3.
  RecordWriter w;
  w.I(1, 4).T(10).I(2, 2).T(2).I(3, 2);
  EXPECT_EQ(w.str(), "  31      2");
  w.T(10).TL(1).A("abc");  // overwrites
  EXPECT_EQ(w.str(), "  31    abc");
  w.A("de");  // and extends
  EXPECT_EQ(w.str(), "  31    abcde");
  RecordWriter v;
  v.A("0123456789").T(3).A("ab").TL(1).F(1.5, 5, 1).E(2.0, 9, 2).D(-1.0, 10, 3);
  EXPECT_EQ(v.str(), "01a  1.5 0.20E+01-0.100D+01");
}

TEST(RecordWriter, CharacterFieldsAreCutOrRightJustified) {
  RecordWriter w;
  w.A("abcdef", 3).A("ab", 4).A("", 2).A("xyz");
  EXPECT_EQ(w.str(), "abc  ab  xyz");
}

TEST(RecordWriter, FieldsWiderThanAnyBufferKeepAllTheirDigits) {
  char expect[2048];
  // The exact binary value of 0.1 has 55 decimals; beyond them only zeros follow.
  std::snprintf(expect, sizeof expect, "%1200.1150f", 0.1);
  EXPECT_EQ(formatF(0.1, 1200, 1150), expect);
  std::snprintf(expect, sizeof expect, "%.1074f", 5e-324);  // every decimal of it
  EXPECT_EQ(formatF(5e-324, 1100, 1080),
            std::string(1100 - 1082, ' ') + "0." + std::string(expect + 2) + "000000");
  const std::string e = formatE(1.0 / 3.0, 900, 850);
  ASSERT_EQ(e.size(), 900u);
  EXPECT_EQ(std::tuple(e.substr(e.size() - 4), e.substr(900 - 4 - 850, 20),
                       formatF(-1e308, 400, 2).substr(400 - 313, 5)),
            std::tuple("E+00", "33333333333333331482", "-1000"));
}

TEST(RecordWriter, IntegersAtTheLimitsAndOddArguments) {
  EXPECT_EQ(std::tuple(formatI(LLONG_MIN, 20), formatI(LLONG_MIN, 19), formatI(-5, 6, 4)),
            std::tuple("-9223372036854775808", "*******************", " -0005"));
  EXPECT_EQ(formatI(5, 2, 3), "**");  // more digits asked than the width holds
  EXPECT_EQ(std::tuple(formatI(0, 3, 0), formatI(0, 0, 0), formatI(12, -1), formatF(1.0, -1, 2)),
            std::tuple("   ", " ", "", ""));
  EXPECT_EQ(formatF(2.5, 4, -3), "  2.");  // negative decimals count as none
  EXPECT_EQ(formatE(2.5, 8, 0), "********");
  EXPECT_EQ(formatE(1e-320, 13, 6, 'D'), " 0.999989-320");
}

}  // namespace
}  // namespace veka::fmt
