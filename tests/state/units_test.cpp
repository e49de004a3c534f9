// Sequential units: the Fortran file-position model the program relies on.
#include <gtest/gtest.h>

#include "format/origin.hpp"
#include "state/units.hpp"
#include "support/run.hpp"

namespace veka {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(Unit, ReadsRecordsDroppingCarriageReturnsAndRaisesAtEndOfFile) {
  TempDir d;
  writeFile(d.file("a"), "one\r\ntwo\nthree");
  Unit u(26);
  ASSERT_EQ(u.open(d.file("a"), OpenStatus::Old), 0);
  std::string_view r;
  ASSERT_TRUE(u.read(r));
  EXPECT_EQ(r, "one");
  ASSERT_TRUE(u.read(r));
  EXPECT_EQ(r, "two");
  EXPECT_EQ(u.readRequired(), "three");
  EXPECT_FALSE(u.read(r));
  try {
    u.readRequired();
    FAIL() << "no end-of-file error";
  } catch (const fmt::InputError& e) {
    EXPECT_EQ(e.origin().unit, 26);
    EXPECT_EQ(e.origin().record, 4);
  }
  u.rewind();
  ASSERT_TRUE(u.read(r));
  EXPECT_EQ(r, "one");
}

TEST(Unit, OldFileMustExistAndDirectoriesAreRefused) {
  TempDir d;
  Unit u(27);
  EXPECT_NE(u.open(d.file("missing"), OpenStatus::Old), 0);
  EXPECT_NE(u.open(d.path(), OpenStatus::Unknown), 0);
}

TEST(Unit, WritingOverAnOldFileTruncatesAtTheEndMark) {
  TempDir d;
  writeFile(d.file("s"), "old 1\nold 2\nold 3\n");
  {
    Unit u(32);
    ASSERT_EQ(u.open(d.file("s"), OpenStatus::Unknown), 0);
    u.write("new");
    u.endfile();
  }
  EXPECT_EQ(readFile(d.file("s")), "new\n");
}

TEST(Unit, RewindAfterWriteKeepsOnlyTheLatestRecords) {
  TempDir d;
  Unit u(32);
  ASSERT_EQ(u.open(d.file("sum"), OpenStatus::Unknown), 0);
  u.write("first summary, line 1");
  u.write("first summary, line 2");
  u.rewind();
  u.write("second");
  u.close();
  EXPECT_EQ(readFile(d.file("sum")), "second\n");
  // A rewound file reads back what was written.
  Unit v(32);
  ASSERT_EQ(v.open(d.file("sum"), OpenStatus::Unknown), 0);
  v.write("x");
  v.write("y");
  v.rewind();
  std::string_view r;
  ASSERT_TRUE(v.read(r));
  EXPECT_EQ(r, "x");
}

}  // namespace
}  // namespace veka
