// Descriptor strings: parsing, reversion over several records, literals, positioning and
// the list helpers on units. Expected records are as gfortran writes the same statements.
#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <string>
#include <vector>

#include "format/record.hpp"
#include "support/run.hpp"

namespace veka::fmt {
namespace {

using Records = std::vector<std::string>;

template <class... T>
Records write(const char* format, const T&... items) {
  const Format f(format);
  Records out;
  FormattedOutput o(f, out);
  (void)(o << ... << items);
  o.finish();
  return out;
}

TEST(Format, RevertsToTheLastTopLevelGroupWithItsRepeatCount) {
  EXPECT_EQ(write("I4,2(1X,I3)", 1, 2, 3, 4, 5, 6, 7),
            (Records{"   1   2   3", "   4   5", "   6   7"}));
  EXPECT_EQ(write("I4,2(1X,I3),\"end\"", 1, 2, 3, 4, 5, 6, 7),
            (Records{"   1   2   3end", "   4   5end", "   6   7end"}));
  EXPECT_EQ(
      write("2F9.2,3F13.8", 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0),
      (Records{"     1.00     2.00   3.00000000   4.00000000   5.00000000", "     6.00     7.00"}));
  EXPECT_EQ(write("(I2,(I3,2(I2)))", 1, 2, 3, 4, 5, 6, 7, 8),
            (Records{" 1  2 3 4", "  5 6 7", "  8"}));
}

TEST(Format, LiteralsAndPositionsUpToTheNextDataDescriptor) {
  EXPECT_EQ(write("1X,\"x=\",I2,\"y=\",I2", 1), (Records{" x= 1y="}));
  EXPECT_EQ(write("\"a\",I2,\"b\""), (Records{"a"}));
  EXPECT_EQ(write("I4,5X", 1), (Records{"   1"}));
  EXPECT_EQ(write("I4,T10,I2,T2,I2", 1, 2, 3), (Records{"  31      2"}));
  EXPECT_EQ(write("'it''s',1X,\"say \"\"hi\"\"\",TL3,'!'"), (Records{"it's say \"!i\""}));
  EXPECT_EQ(write("I4,:,' end'", 1), (Records{"   1"}));
  EXPECT_EQ(write("I4,' end'", 1), (Records{"   1 end"}));
  EXPECT_EQ(write("I1/I1", 1, 2), (Records{"1", "2"}));
  EXPECT_EQ(write("I1,2/", 1), (Records{"1", "", ""}));
  EXPECT_EQ(write("A,A3,1X,A", "ab", "cdef", Chars<3>("g")), (Records{"abcde g  "}));
  EXPECT_EQ(write("(i3, 1x, f5.1, e9.2, d9.2)", 1, 2.0, 3.0, 4.0),
            (Records{"  1   2.0 0.30E+01 0.40D+01"}));
}

TEST(Format, SixPerRecordOverAThousandValues) {
  std::vector<double> v(1000);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = std::sin(static_cast<double>(i)) * 50.0;
  const Format f("6F13.8");
  Records out;
  {
    FormattedOutput o(f, out);
    for (double x : v) o << x;
  }
  ASSERT_EQ(out.size(), 167u);
  for (std::size_t r = 0; r < 166; ++r) ASSERT_EQ(out[r].size(), 78u) << r;
  EXPECT_EQ(std::tuple(out.back().size(), out[0].substr(13, 13), out[166].substr(39, 13)),
            std::tuple(52u, formatF(v[1], 13, 8), formatF(v[999], 13, 8)));
}

TEST(Format, ReadsTheAtomRecordLayout) {
  const Format f("I4,1X,A3,1X,I4,1X,I4,1X,3(I4,F12.6),1X,A3,1X,I4");
  const std::string rec =
      "   5 C5    13   13    4    1.529000   3  109.470000   2 -120.000000 ALA    7";
  FormattedInput in(f, rec);
  int n = 0, t1 = 0, t2 = 0, res = 0;
  Chars<3> name, resName;
  int partner[3];
  double value[3];
  in >> n >> name >> t1 >> t2;
  for (int k = 0; k < 3; ++k) in >> partner[k] >> value[k];
  in >> resName >> res;
  EXPECT_EQ(std::tuple(n, name, t1, t2, partner[2], value[0], value[2], resName, res),
            std::tuple(5, "C5", 13, 13, 2, 1.529, -120.0, "ALA", 7));
}

TEST(Format, ASecondRecordFromASingleRecordIsAnInputError) {
  const Format f("2I3");
  FormattedInput in(f, "  1  2", nullptr);
  in.readInt();
  in.readInt();
  try {
    in.readInt();
    FAIL();
  } catch (const InputError& e) {
    EXPECT_NE(std::string(e.what()).find("2I3"), std::string::npos);
  }
}

TEST(Format, MisuseIsAFormatError) {
  const Format reals("F8.3"), noData("'x',1X"), e0("E8.0"), i0("I0"), a("A");
  Records out;
  {
    FormattedOutput o(reals, out);
    EXPECT_THROW(o << 1, FormatError);
  }
  {
    FormattedOutput o(noData, out);
    EXPECT_THROW(o << 1.0, FormatError);
  }
  {
    FormattedOutput o(e0, out);
    EXPECT_THROW(o << 1.0, FormatError);
  }
  FormattedInput in(reals, "1.0");
  EXPECT_THROW(in.readChars(), FormatError);
  FormattedInput in0(i0, "1");
  EXPECT_THROW(in0.readInt(), FormatError);
  FormattedInput ina(a, "abc");
  EXPECT_THROW(ina.readChars(), FormatError);
  FormattedInput in3(a, "abcdef");
  EXPECT_EQ(in3.readChars<3>(), "abc");
  // Reading with E w.0 is allowed: the decimals come from the field.
  FormattedInput ine(e0, "   1.5E2");
  EXPECT_EQ(ine.readReal(), 150.0);
  // Items left when the repeated part has no data descriptor.
  const Format once("I2,(1X)");
  FormattedOutput o(once, out);
  o << 1;
  EXPECT_THROW(o << 2, FormatError);
}

TEST(Format, BadDescriptorStringsAreRefused) {
  // clang-format off
  const char* const bad[] = {
      "I4,,I5", ",I4", "I4,", "I4 I5", "2:",                     // separators
      "3(I4", "I4)", "(I4))", "'abc",                            // unbalanced
      "F10", "F.2", "E0.2", "A0", "Z5", "I2.3", "T0", "TL",      // descriptors
      "0(I4)", "3'x'", "3T5", "99999999I4", "I99999",            // counts
      "1000(1000(X)),I1", "99999(99999(99999(99999(99999(I1)))))",  // too long a pass
  };
  // clang-format on
  for (const char* b : bad) {
    EXPECT_THROW(Format{b}, FormatError) << b;
  }
  const std::string deep16 = std::string(16, '(') + "I1" + std::string(16, ')');
  EXPECT_NO_THROW(Format{deep16});
  EXPECT_THROW(Format{"(" + deep16 + ")," + deep16}, FormatError);
  for (const char* good : {"", "()", "(I4)", " i 4 , 1 x ", "I4/I5", "I4//I5", "/", "X,I1",
                           "I0,F0.3", "A", "E10.0", "T1,TL1,TR1", "2(I1:/)"}) {
    EXPECT_NO_THROW(Format{good}) << good;
  }
  try {
    Format bad("I4,Q5");
    FAIL();
  } catch (const FormatError& e) {
    EXPECT_STREQ(e.what(), "bad format 'I4,Q5': unknown descriptor at position 4");
  }
}

TEST(Format, ContinuousListsOnAUnit) {
  test::TempDir d;
  Unit u(23);
  ASSERT_EQ(u.open(d.file("list"), OpenStatus::Unknown), 0);
  std::vector<double> x(13);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = 0.125 * static_cast<double>(i) - 1.0;
  const std::vector<int> n = {1, 2, 3, 4, 5};
  const Format six("6F13.8"), ints("2I4"), header("I4,' values'");
  {
    FormattedOutput h(header, u);
    h << 13;
  }
  writeValues(u, six, x);
  writeValues(u, ints, n);
  writeValues(u, six, std::span<const double>());  // an empty list: one empty record
  u.rewind();
  std::string_view rec;
  ASSERT_TRUE(u.read(rec));
  EXPECT_EQ(rec, "  13 values");
  std::vector<double> y(13);
  readValues(u, six, y);
  EXPECT_EQ(y, x);
  std::vector<int> m(5);
  readValues(u, ints, m);
  EXPECT_EQ(m, n);
  ASSERT_TRUE(u.read(rec));
  EXPECT_EQ(rec, "");
  EXPECT_FALSE(u.read(rec));
  EXPECT_EQ(test::readFile(d.file("list")).size(), 12u + 2 * 79 + 14 + 2 * 9 + 5 + 1);
  // Six values from each of the seven records after the header, then one more.
  u.rewind();
  u.read(rec);
  std::vector<double> all(43);
  EXPECT_THROW(readValues(u, six, all), InputError);
}

TEST(Format, ListDirectedInputOverSeveralRecords) {
  test::TempDir d;
  test::writeFile(d.file("in"), "1 2\n\n3,\n,5 /\n6 7 8\n9\n");
  Unit u(26);
  ASSERT_EQ(u.open(d.file("in"), OpenStatus::Old), 0);
  std::vector<int> v(6, -1);
  readListDirected(u, v);
  EXPECT_EQ(v, (std::vector<int>{1, 2, 3, -1, 5, -1}));  // a null, then "/" ends the list
  std::vector<double> w(5, 0.0);
  try {
    readListDirected(u, w);  // 6 7 8 9, then the end of the file
    FAIL();
  } catch (const InputError& e) {
    EXPECT_EQ(e.origin().unit, 26);
    EXPECT_EQ(e.origin().record, 7);
  }
  EXPECT_EQ(w, (std::vector<double>{6, 7, 8, 9, 0}));
}

}  // namespace
}  // namespace veka::fmt
