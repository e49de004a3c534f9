// Fixed-column records read and written by edit descriptors, with the results the
// Fortran runtime (gfortran) gives for the same descriptors and values:
//
//   Aw        w characters              Iw, Iw.m   integer right-justified in w columns
//   Fw.d      fixed-point real          Ew.d, Dw.d exponent form, written with the
//   nX        n columns right (skipped)            letter E or D, read with either
//   Tc, TLn   move to column c, n columns left
//
// Reading
//   - Columns past the end of a record read as blanks. Blanks anywhere inside a numeric
//     field are ignored; a blank numeric field reads as 0.
//   - Iw: an optional sign and digits; the value must fit a 32-bit integer.
//   - Fw.d, Ew.d, Dw.d (all read alike): an optional sign, digits with at most one decimal
//     point and an optional exponent, written "E3", "D+3", "e-3", "d3", "Q3" or just as a
//     signed number "+3" ("1.5+3" is 1500). Without a decimal point the last d digits of
//     the mantissa are decimals ("1234" in F10.2 is 12.34, "15E2" is 15.0).
//   - A field that is not a number of the required kind raises fmt::InputError naming
//     the columns and the field text. This rejects everything gfortran rejects (letters,
//     a sign without digits in an integer field, a second decimal point, an exponent
//     letter or sign without digits, an integer beyond 32 bits, a decimal exponent of
//     10000 or more in magnitude once the implied decimals are applied) and,
//     deliberately, a few things gfortran lets through, so that a bad number never enters
//     a run silently:
//       * a real whose value lies beyond the double range ("1E400"; gfortran reads
//         Infinity) and the words NaN, Inf and Infinity;
//       * a real field with a sign, point or exponent but no mantissa digit ("+", "-.",
//         ".E5"; gfortran reads 0) and a doubled sign ("--1"; gfortran reads -0);
//       * a comma inside a numeric field (gfortran ends a numeric field of an external
//         file at a comma and reads every later field of the record from shifted
//         columns). A tab is refused as gfortran refuses it.
//     A real too small for a double (below about 2.5E-324) reads as zero, as in gfortran.
//
// Writing (byte for byte as gfortran)
//   - Numbers are rounded from their exact binary value to the nearest decimal, ties to
//     even ("0.125" in F5.2 is " 0.12", 2.5 in F3.0 is " 2.").
//   - A value that does not fit its field fills the field with '*'. The zero before the
//     decimal point is written only when there is room for it (0.5 in F4.3 is ".500"),
//     except in F w.0 where it is the only digit.
//   - Negative values keep their sign when they round to zero ("-0.00") and so does
//     negative zero.
//   - Ew.d is 0.ddddE+xx; exponents of 100 to 999 in magnitude drop the letter
//     ("0.1000+151"); larger ones cannot be written (stars). Ew.0 is refused by gfortran
//     and written as stars here.
//   - Infinity is written "Infinity" when the field has room (9 columns with the minus
//     sign), else "Inf"/"-Inf", else stars; NaN as "NaN".
//   - Iw.m writes at least m digits (I5.0 of zero is blank); I0 and F0.d give the
//     shortest form.
//   - A string longer than Aw keeps its first w characters; a shorter one is
//     right-justified.
//
// List-directed output and input (ListWriter, ListReader) follow the same runtime; see
// their comments. Descriptor strings with repeat groups ("2F9.2,3F13.8", "3(I4,F12.6)")
// are handled by fmt::Format (format/format.hpp, included at the end of this header).
//
// Nothing here allocates per field once a writer's buffer has grown to its record length.
#pragma once

#include <string>
#include <string_view>

#include "format/numbers.hpp"
#include "format/origin.hpp"
#include "state/array.hpp"

namespace veka::fmt {

// The largest column any record position may reach; positions beyond it are clamped.
inline constexpr int kMaxColumn = 1 << 24;

// ---------------------------------------------------------------- reading
// A cursor over one input record. Each call consumes the next field.
class RecordReader {
 public:
  explicit RecordReader(std::string_view record, const Origin* origin = nullptr) noexcept
      : rec_(record), origin_(origin) {}

  int I(int w);
  // Fw.d; Ew.d and Dw.d fields read the same way.
  double F(int w, int d);
  // The next w columns (fewer when the record ends inside them).
  std::string_view A(int w);
  // The next N columns into a blank-padded field.
  template <int N>
  Chars<N> A() {
    return Chars<N>(A(N));
  }
  // Aw into a field of N characters: with w >= N the rightmost N of the w columns are
  // kept, with w < N the w columns are left-justified and padded.
  template <int N>
  Chars<N> A(int w) {
    std::string_view f = A(w);
    const std::size_t width = static_cast<std::size_t>(w > 0 ? w : 0);
    if (width >= N) {
      // Columns past the record end count as blanks on the right of the field.
      const std::size_t fromEnd = width - N;  // columns of the field left of the kept part
      f = fromEnd < f.size() ? f.substr(fromEnd) : std::string_view();
    }
    return Chars<N>(f);
  }
  void X(int n) { move(n); }
  void TL(int n) { move(-static_cast<long long>(n)); }
  // Move so that the next field starts at the given 1-based column.
  void T(int column) { col_ = column < 1 ? 0 : (column > kMaxColumn ? kMaxColumn : column - 1); }
  // 1-based column where the next field starts: what the positioning tests and the fuzz
  // target check.
  int column() const { return col_ + 1; }
  std::string_view record() const { return rec_; }
  const Origin* origin() const { return origin_; }
  // Continue with another record from its first column.
  void reset(std::string_view record) {
    rec_ = record;
    col_ = 0;
  }

 private:
  std::string_view field(int w);
  void move(long long n);
  [[noreturn]] void fail(const char* what, int first, std::string_view text) const;

  std::string_view rec_;
  const Origin* origin_;
  int col_ = 0;  // 0-based column of the next field
};

// ---------------------------------------------------------------- writing
// Builds one output record field by field. X, TL and T only move the position: the
// columns skipped are filled with blanks when a later field is written beyond them, so a
// record never ends in blanks from a trailing X. T and TL may move back over columns
// already written; the next field then overwrites them.
class RecordWriter {
 public:
  RecordWriter() { buf_.reserve(256); }

  RecordWriter& I(long long v, int w);
  RecordWriter& I(long long v, int w, int m);
  RecordWriter& F(double v, int w, int d);
  RecordWriter& E(double v, int w, int d);
  RecordWriter& D(double v, int w, int d);
  // The whole string.
  RecordWriter& A(std::string_view s);
  // Aw: the first w characters, or right-justified in w columns.
  RecordWriter& A(std::string_view s, int w);
  RecordWriter& X(int n) { return move(n); }
  RecordWriter& TL(int n) { return move(-static_cast<long long>(n)); }
  RecordWriter& T(int column);
  // 1-based column where the next field starts: what the positioning tests check.
  int column() const { return static_cast<int>(pos_) + 1; }
  const std::string& str() const { return buf_; }
  void clear() {
    buf_.clear();
    pos_ = 0;
  }

 private:
  RecordWriter& move(long long n);
  template <class Put>
  RecordWriter& put(Put&& field);
  // True when the next field goes at the end of the record (blanks added up to it); else
  // scratch_ is cleared for a field that place() then copies over the record.
  bool atEnd();
  void place();

  std::string buf_;
  std::string scratch_;
  std::size_t pos_ = 0;  // 0-based column of the next field
};

// ---------------------------------------------------------------- list-directed output
// One record of list-directed output, item by item, as gfortran writes it: the record
// starts with a blank; every item after the first is preceded by one blank, except a
// character item that follows another character item, which is joined to it.
//   int          11 columns, right-justified (INTEGER)
//   double       25 columns: 17 significant digits in fixed form followed by 5 blanks for
//                magnitudes from 0.1 up to 1e17 (and zero), else d.dddddddddddddddddE+ddd
//   characters   as they are, no blanks added
// NaN and Infinity are right-justified in the field ("NaN", "Infinity", "-Infinity").
// Records are never split, however long.
class ListWriter {
 public:
  ListWriter& operator<<(int v);
  ListWriter& operator<<(double v);
  ListWriter& operator<<(std::string_view s);
  ListWriter& operator<<(const char* s) { return *this << std::string_view(s); }
  ListWriter& operator<<(const std::string& s) { return *this << std::string_view(s); }
  template <int N>
  ListWriter& operator<<(const Chars<N>& s) {
    return *this << s.view();
  }
  const std::string& str() const { return buf_; }

 private:
  void separate(bool character);

  std::string buf_ = " ";
  bool lastChar_ = false;
  bool any_ = false;
};

// ---------------------------------------------------------------- list-directed input
// Values of one record separated by blanks, tabs or a comma (with blanks around it).
//   - "r*v" stands for r copies of v, "r*" for r null values (r a positive integer).
//   - A null value (nothing between two commas, a comma first in the record, or r*)
//     leaves the item unchanged; next() still returns true.
//   - "/" ends the list: this and every later next() returns false and ended() is true.
//   - Character items may be quoted with ' or " (a doubled quote inside stands for one);
//     unquoted ones end at a blank, comma or slash.
//   - Numbers are read as in gfortran: an integer is an optional sign and digits within
//     32 bits; a real is an optional sign, digits with an optional point and an optional
//     exponent ("1.5E3", "1.5D3", "1.5+3"). A token that is not such a number raises
//     fmt::InputError; so do NaN, Infinity and reals beyond the double range, which
//     gfortran would accept, and a ';' (gfortran takes it for a comma).
// next() returns false, without changing the item, when the record holds no more values.
class ListReader {
 public:
  explicit ListReader(std::string_view record, const Origin* origin = nullptr) noexcept
      : rec_(record), origin_(origin) {}
  bool next(double& v);
  bool next(int& v);
  // A character item: the text between the quotes (doubled quotes left doubled) or the
  // unquoted token.
  bool next(std::string_view& token);
  // A "/" has ended the list.
  bool ended() const { return ended_; }
  // Continue the same list on the next record: a comma first on it is not a null value.
  void reset(std::string_view record);

 private:
  enum class Item { None, Value, Null };
  Item item(std::string_view& t, bool& quoted, int& col);
  Item scan(std::string_view& t, bool& quoted, int& col);
  bool separatorAfter();
  [[noreturn]] void fail(const char* what, std::string_view t, int col) const;

  std::string_view rec_;
  const Origin* origin_;
  std::size_t pos_ = 0;
  bool ended_ = false;
  // The last separator was a comma, so that a comma next marks a null value. True at the
  // start of a list: a comma first in its first record is a null value.
  bool afterComma_ = true;
  int repeatLeft_ = 0;  // further copies of the last r*v value (or nulls after r*)
  bool repeatNull_ = false;
  bool repeatQuoted_ = false;
  int repeatCol_ = 0;
  std::string_view repeatValue_;
};

}  // namespace veka::fmt

// The Format facility builds on the readers and writers above.
#include "format/format.hpp"  // IWYU pragma: export
