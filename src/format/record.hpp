// Fixed-column records read and written by edit descriptors, with the results a Fortran
// runtime gives for the same descriptors:
//
//   Aw      w characters            Iw, Iw.m  integer right-justified in w columns
//   Fw.d    fixed-point real        Ew.d, Dw.d  exponent form (letter E or D on output,
//   nX      n columns skipped                   either letter accepted on input)
//
// Input rules: columns past the end of a record read as blanks; blanks inside a numeric
// field are ignored; a blank numeric field reads as 0; a real field without a decimal
// point has its last d digits as decimals (an exponent may follow the digits, "1.5E3",
// "1.5D3", "1.5+3"). A field that is not a number of the required kind, or whose value
// does not fit (integer beyond 32 bits, real beyond the double range), raises
// fmt::InputError naming the columns and the field.
//
// Output rules: numbers are rounded from their exact binary value, as the Fortran runtime
// does; a value that does not fit its field fills the field with '*'; a string longer than
// Aw keeps its first w characters and a shorter one is right-justified.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "format/origin.hpp"
#include "state/array.hpp"

namespace veka::fmt {

// ---------------------------------------------------------------- field parsers
// Fortran Iw input. Returns false for a field a Fortran runtime rejects.
bool parseInteger(std::string_view field, int& out);
// Fortran Fw.d / Ew.d / Dw.d input with d implied decimals. Returns false for a field a
// Fortran runtime rejects, and for a value outside the range of a double.
bool parseReal(std::string_view field, int d, double& out);

// ---------------------------------------------------------------- reading
// A cursor over one input record. Each call consumes the next field.
class RecordReader {
 public:
  explicit RecordReader(std::string_view record, const Origin* origin = nullptr) noexcept
      : rec_(record), origin_(origin) {}

  int I(int w);
  double F(int w, int d);
  double E(int w, int d) { return F(w, d); }
  double D(int w, int d) { return F(w, d); }
  // The next w columns (fewer when the record ends inside them).
  std::string_view A(int w);
  // The next N columns into a blank-padded field.
  template <int N>
  Chars<N> A() {
    return Chars<N>(A(N));
  }
  void X(int n) { col_ += n; }
  // Move so that the next field starts at the given 1-based column.
  void T(int column) { col_ = column - 1; }
  int column() const { return col_ + 1; }
  std::string_view record() const { return rec_; }

 private:
  std::string_view field(int w);
  [[noreturn]] void fail(const char* what, int w, std::string_view text) const;

  std::string_view rec_;
  const Origin* origin_;
  int col_ = 0;  // 0-based column of the next field
};

// ---------------------------------------------------------------- writing
// Builds one output record field by field.
class RecordWriter {
 public:
  RecordWriter& I(long long v, int w);
  RecordWriter& I(long long v, int w, int m);
  RecordWriter& F(double v, int w, int d);
  RecordWriter& E(double v, int w, int d);
  RecordWriter& D(double v, int w, int d);
  RecordWriter& A(std::string_view s) {
    buf_.append(s);
    return *this;
  }
  RecordWriter& A(std::string_view s, int w);
  RecordWriter& X(int n) {
    buf_.append(static_cast<std::size_t>(n > 0 ? n : 0), ' ');
    return *this;
  }
  const std::string& str() const { return buf_; }
  void clear() { buf_.clear(); }

 private:
  std::string buf_;
};

// Single fields, as the RecordWriter appends them.
std::string formatI(long long v, int w, int m = -1);
std::string formatF(double v, int w, int d);
std::string formatE(double v, int w, int d, char letter = 'E');

// ---------------------------------------------------------------- list-directed output
// One record of list-directed output, item by item, spaced as the Fortran runtime
// spaces them: a leading blank, numbers in their processor widths, consecutive
// character items joined without a separator.
class ListWriter {
 public:
  ListWriter& operator<<(int v);
  ListWriter& operator<<(long long v);
  ListWriter& operator<<(double v);
  ListWriter& operator<<(float v);
  ListWriter& operator<<(std::string_view s);
  ListWriter& operator<<(const char* s) { return *this << std::string_view(s); }
  const std::string& str() const { return buf_; }

 private:
  std::string buf_ = " ";
  bool lastChar_ = false;
  bool any_ = false;
};

// ---------------------------------------------------------------- list-directed input
// Values separated by blanks or commas, taken from one record. A "/" ends the list;
// "r*v" repeats v r times. next() returns false when the record holds no more values.
class ListReader {
 public:
  explicit ListReader(std::string_view record, const Origin* origin = nullptr) noexcept
      : rec_(record), origin_(origin) {}
  bool next(double& v);
  bool next(int& v);
  bool next(std::string_view& token);

 private:
  bool token(std::string_view& t);
  std::string_view rec_;
  const Origin* origin_;
  std::size_t pos_ = 0;
  bool ended_ = false;
  std::string_view repeatValue_;
  int repeatLeft_ = 0;
};

}  // namespace veka::fmt
