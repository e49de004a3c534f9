// Descriptor strings: a record layout written once as text ("I4,1X,A3,3(I4,F12.6)",
// "6F13.8", "4D20.12") and then used to read and write records item by item, with the
// rules of a Fortran format:
//
//   Iw  Iw.m  Fw.d  Ew.d  Dw.d  Aw  A      data edit descriptors, each with an optional
//                                          repeat count ("6F13.8")
//   nX  Tc  TLn  TRn                       positioning
//   /                                      ends the record (optionally repeated: "2/")
//   :                                      stops the output when no items remain
//   'text'  "text"                         literal text on output (quotes doubled inside);
//                                          skipped columns on input
//   r( ... )                               a group repeated r times, nested as needed
//
// Commas separate the descriptors (they may be left out around '/' and ':'); blanks are
// ignored outside literals; letters may be in either case; one pair of parentheses round
// the whole string is optional. A without a width takes the length of the item.
//
// Items are taken in order. When the descriptors run out while items remain, the record
// ends and the format starts again at the last top-level group (with its repeat count),
// or from the beginning when it has none: "6F13.8" writes 1000 values as 166 records of
// six and one of four. After the last item the format goes on up to the next data
// descriptor or its end, so literals and '/' that follow the last item are still
// processed (on output: call finish(), or let the destructor do it).
//
// A descriptor string that breaks these rules raises fmt::FormatError. So does using a
// format against its items: an integer item with a real descriptor, or items left when the
// part of the format repeated has no data descriptor.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "format/record.hpp"
#include "state/array.hpp"
#include "state/units.hpp"

namespace veka::fmt {

// A descriptor string that cannot be used: a fault of the program, not of its input.
class FormatError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// One parsed descriptor.
struct Edit {
  enum class Kind : std::uint8_t {
    I,
    F,
    E,
    D,
    A,
    X,
    T,
    TL,
    TR,
    Slash,
    Colon,
    Literal,
    Open,
    Close
  };
  Kind kind = Kind::X;
  int w = 0;       // width (I F E D A; 0 = A without width), columns (X TL TR), column (T)
  int d = -1;      // decimals (F E D) or minimum digits m of Iw.m (-1 = none)
  int repeat = 1;  // repeat count (data descriptors, '/', groups)
  int link = 0;    // Open: index of its Close; Close: index of its Open; Literal: offset
  bool isData() const { return kind <= Kind::A; }
};

class Format {
 public:
  // Largest field width, repeat count and nesting depth accepted.
  static constexpr int kMaxWidth = 4096;
  static constexpr int kMaxRepeat = 100000;
  static constexpr int kMaxDepth = 16;
  // Largest number of descriptors one pass through the format may process.
  static constexpr long long kMaxPass = 100000;

  explicit Format(std::string_view text);

  const std::string& text() const { return text_; }
  const std::vector<Edit>& edits() const { return edits_; }
  std::string_view literal(const Edit& e) const {
    return std::string_view(literals_).substr(static_cast<std::size_t>(e.link),
                                              static_cast<std::size_t>(e.w));
  }
  // Index of the edit where the format starts again when it runs out.
  int reversion() const { return reversion_; }
  // The format has a data descriptor; and so has the part it starts again from.
  bool hasData() const { return hasData_; }
  bool revertHasData() const { return revertHasData_; }

 private:
  friend class FormatParser;
  std::string text_;
  std::vector<Edit> edits_;
  std::string literals_;
  int reversion_ = 0;
  bool hasData_ = false;
  bool revertHasData_ = false;
};

// Where a format stands while a statement runs through it.
class FormatCursor {
 public:
  explicit FormatCursor(const Format& f) : f_(&f) {}

  // Receives the non-data descriptors as the cursor passes them.
  struct Handler {
    virtual void position(const Edit& e) = 0;
    virtual void literal(std::string_view text) = 0;
    virtual void newRecord() = 0;

   protected:
    ~Handler() = default;
  };

  // Moves to the next data descriptor and returns it, passing the others to h; with
  // more = false, processes what precedes the next data descriptor (or the end) and
  // returns nullptr.
  const Edit* next(bool more, Handler& h);
  const Format& format() const { return *f_; }

 private:
  struct Level {
    int open;
    int left;
  };
  const Format* f_;
  int pc_ = 0;
  int left_ = 0;  // remaining repeats of the data descriptor or '/' at pc_
  std::array<Level, Format::kMaxDepth + 1> stack_;  // open groups, innermost last
  int depth_ = 0;
};

// Reads the items of one input statement: the first record when the statement starts,
// further ones whenever the format ends a record.
class FormattedInput : private FormatCursor::Handler {
 public:
  // Records from a unit; the first is read here (fmt::InputError at the end of the file).
  FormattedInput(const Format& f, Unit& unit);
  // One given record; a format that needs a further record raises fmt::InputError.
  FormattedInput(const Format& f, std::string_view record, const Origin* origin = nullptr);
  // The format must outlive the statement.
  FormattedInput(Format&&, Unit&) = delete;
  FormattedInput(Format&&, std::string_view, const Origin* = nullptr) = delete;

  int readInt();
  double readReal();
  // Aw: the w columns (fewer at the end of the record).
  std::string_view readChars();
  template <int N>
  Chars<N> readChars() {
    const Edit& e = data(Edit::Kind::A);
    return e.w == 0 ? reader_.A<N>() : reader_.A<N>(e.w);
  }
  FormattedInput& operator>>(int& v) {
    v = readInt();
    return *this;
  }
  FormattedInput& operator>>(double& v) {
    v = readReal();
    return *this;
  }
  FormattedInput& operator>>(std::string_view& s) {
    s = readChars();
    return *this;
  }
  template <int N>
  FormattedInput& operator>>(Chars<N>& s) {
    s = readChars<N>();
    return *this;
  }
  // Processes the format up to its next data descriptor or end, as the end of a READ
  // statement does (a trailing '/' skips a record).
  void finish();
  // The record being read.
  std::string_view record() const { return reader_.record(); }

 private:
  const Edit& data(Edit::Kind want);
  void position(const Edit& e) override;
  void literal(std::string_view text) override;
  void newRecord() override;

  FormatCursor cursor_;
  Unit* unit_ = nullptr;
  RecordReader reader_;
  Origin origin_;  // for a single record without an origin of its own
};

// Writes the items of one output statement: each finished record goes to the unit (or is
// appended to a list of records). A temporary writes a whole statement in one expression:
//   static const fmt::Format kLine("1X,I4,3X,3(F9.5,2X),A3");
//   fmt::FormattedOutput(kLine, io.output) << i << x << y << z << name;
class FormattedOutput : private FormatCursor::Handler {
 public:
  FormattedOutput(const Format& f, Unit& unit);
  FormattedOutput(const Format& f, std::vector<std::string>& records);
  // The format must outlive the statement.
  FormattedOutput(Format&&, Unit&) = delete;
  FormattedOutput(Format&&, std::vector<std::string>&) = delete;
  ~FormattedOutput();
  FormattedOutput(const FormattedOutput&) = delete;
  FormattedOutput& operator=(const FormattedOutput&) = delete;

  FormattedOutput& operator<<(int v) { return *this << static_cast<long long>(v); }
  FormattedOutput& operator<<(long v) { return *this << static_cast<long long>(v); }
  FormattedOutput& operator<<(long long v);
  FormattedOutput& operator<<(double v);
  FormattedOutput& operator<<(float v) { return *this << static_cast<double>(v); }
  FormattedOutput& operator<<(std::string_view s);
  FormattedOutput& operator<<(const char* s) { return *this << std::string_view(s); }
  FormattedOutput& operator<<(const std::string& s) { return *this << std::string_view(s); }
  template <int N>
  FormattedOutput& operator<<(const Chars<N>& s) {
    return *this << s.view();
  }
  // Processes the rest of the format up to its next data descriptor and writes the last
  // record. Called by the destructor when not called before.
  void finish();

 private:
  const Edit& data(Edit::Kind want);
  void position(const Edit& e) override;
  void literal(std::string_view text) override;
  void newRecord() override;

  FormatCursor cursor_;
  Unit* unit_ = nullptr;
  std::vector<std::string>* records_ = nullptr;
  RecordWriter writer_;
  bool finished_ = false;
};

// A continuous list of values, written or read with a format that is repeated as often as
// the list needs ("6F13.8": six values a record, the last record shorter). As a Fortran
// statement with an empty list does, an empty list writes one empty record (or the
// format's literals) and reads (skips) one record.
void writeValues(Unit& unit, const Format& f, std::span<const double> values);
void writeValues(Unit& unit, const Format& f, std::span<const int> values);
void readValues(Unit& unit, const Format& f, std::span<double> values);
void readValues(Unit& unit, const Format& f, std::span<int> values);

// List-directed input of values over as many records as they need. A "/" ends the list
// early and null values leave their items unchanged; the end of the file first raises
// fmt::InputError.
void readListDirected(Unit& unit, std::span<double> values);
void readListDirected(Unit& unit, std::span<int> values);

}  // namespace veka::fmt
