// Record readers and writers: fields by edit descriptor and list-directed items.
#include "format/record.hpp"

#include <algorithm>
#include <cstring>

#include "format/numbers.hpp"

namespace veka::fmt {

using detail::Scan;

namespace {

Origin originOf(const Origin* o) {
  return o ? *o : Origin{};
}

int clampColumn(long long c) {
  return static_cast<int>(std::clamp<long long>(c, 0, kMaxColumn));
}

}  // namespace

// ------------------------------------------------------------------------ reading

std::string_view RecordReader::field(int w) {
  const int start = col_;
  if (w < 0) w = 0;
  col_ = clampColumn(static_cast<long long>(col_) + w);
  const std::size_t size = rec_.size();
  const std::size_t first = static_cast<std::size_t>(start);
  if (first >= size) return {};
  return rec_.substr(first, std::min(static_cast<std::size_t>(col_ - start), size - first));
}

void RecordReader::move(long long n) {
  col_ = clampColumn(col_ + n);
}

void RecordReader::fail(const char* what, int first, std::string_view text) const {
  std::string msg = what;
  msg += " in columns ";
  msg += std::to_string(first);
  msg += '-';
  msg += std::to_string(col_);
  msg += ": '";
  msg += text;
  msg += '\'';
  throw InputError(originOf(origin_), msg);
}

int RecordReader::I(int w) {
  const int first = col_ + 1;
  const std::string_view f = field(w);
  int v = 0;
  const Scan s = detail::scanInteger(f, v);
  if (s != Scan::Ok) [[unlikely]]
    fail(s == Scan::Range ? "integer out of range" : "bad integer", first, f);
  return v;
}

double RecordReader::F(int w, int d) {
  const int first = col_ + 1;
  const std::string_view f = field(w);
  double v = 0;
  const Scan s = detail::scanFixedReal(f, d, v);
  if (s != Scan::Ok) [[unlikely]]
    fail(s == Scan::Range ? "real number out of range" : "bad real number", first, f);
  return v;
}

std::string_view RecordReader::A(int w) {
  return field(w);
}

// ------------------------------------------------------------------------ writing

RecordWriter& RecordWriter::move(long long n) {
  pos_ = static_cast<std::size_t>(clampColumn(static_cast<long long>(pos_) + n));
  return *this;
}

RecordWriter& RecordWriter::T(int column) {
  pos_ = static_cast<std::size_t>(clampColumn(static_cast<long long>(column) - 1));
  return *this;
}

bool RecordWriter::atEnd() {
  if (pos_ < buf_.size()) {
    scratch_.clear();
    return false;
  }
  buf_.append(pos_ - buf_.size(), ' ');
  return true;
}

void RecordWriter::place() {
  const std::size_t end = pos_ + scratch_.size();
  if (end > buf_.size()) buf_.resize(end, ' ');
  std::memcpy(buf_.data() + pos_, scratch_.data(), scratch_.size());
  pos_ = end;
}

// Formats a field straight onto the end of the record, or through scratch_ when it lands
// on columns already written.
template <class Put>
RecordWriter& RecordWriter::put(Put&& field) {
  if (atEnd()) {
    field(buf_);
    pos_ = buf_.size();
  } else {
    field(scratch_);
    place();
  }
  return *this;
}

RecordWriter& RecordWriter::I(long long v, int w) {
  return put([&](std::string& out) { appendI(out, v, w); });
}
RecordWriter& RecordWriter::I(long long v, int w, int m) {
  return put([&](std::string& out) { appendI(out, v, w, m); });
}
RecordWriter& RecordWriter::F(double v, int w, int d) {
  return put([&](std::string& out) { appendF(out, v, w, d); });
}
RecordWriter& RecordWriter::E(double v, int w, int d) {
  return put([&](std::string& out) { appendE(out, v, w, d, 'E'); });
}
RecordWriter& RecordWriter::D(double v, int w, int d) {
  return put([&](std::string& out) { appendE(out, v, w, d, 'D'); });
}
RecordWriter& RecordWriter::A(std::string_view s) {
  return put([&](std::string& out) { out.append(s); });
}
RecordWriter& RecordWriter::A(std::string_view s, int w) {
  return put([&](std::string& out) { appendA(out, s, w); });
}

// ------------------------------------------------------------------------ list output

void ListWriter::separate(bool character) {
  if (any_ && !(character && lastChar_)) buf_ += ' ';
  lastChar_ = character;
  any_ = true;
}

ListWriter& ListWriter::operator<<(int v) {
  separate(false);
  detail::appendListInt(buf_, v, 11);
  return *this;
}

ListWriter& ListWriter::operator<<(double v) {
  separate(false);
  detail::appendListReal(buf_, v, 17, 25, 3);
  return *this;
}

ListWriter& ListWriter::operator<<(std::string_view s) {
  separate(true);
  buf_.append(s);
  return *this;
}

// ------------------------------------------------------------------------ list input

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isSeparator(char c) {
  return isBlank(c) || c == ',' || c == '/';
}
bool isQuote(char c) {
  return c == '\'' || c == '"';
}

}  // namespace

void ListReader::reset(std::string_view record) {
  rec_ = record;
  pos_ = 0;
  repeatLeft_ = 0;
}

void ListReader::fail(const char* what, std::string_view t, int col) const {
  std::string msg = what;
  msg += " in list input at column ";
  msg += std::to_string(col);
  msg += ": '";
  msg += t;
  msg += '\'';
  throw InputError(originOf(origin_), msg);
}

// After a value: consumes the blanks and at most one comma that follow it, or the "/"
// that ends the list. Anything else right after a value is an error of that value.
bool ListReader::separatorAfter() {
  const std::size_t n = rec_.size();
  if (pos_ < n && !isSeparator(rec_[pos_])) return false;
  while (pos_ < n && isBlank(rec_[pos_])) ++pos_;
  afterComma_ = false;
  if (pos_ < n && rec_[pos_] == ',') {
    ++pos_;
    afterComma_ = true;
  } else if (pos_ < n && rec_[pos_] == '/') {
    ++pos_;
    ended_ = true;
  }
  return true;
}

// The next item of the record: a value (token t starting at column col), a null, or
// None when the record is exhausted or the list has ended.
ListReader::Item ListReader::scan(std::string_view& t, bool& quoted, int& col) {
  const std::size_t n = rec_.size();
  for (;;) {
    while (pos_ < n && isBlank(rec_[pos_])) ++pos_;
    if (pos_ >= n) return Item::None;
    if (rec_[pos_] == '/') {
      ++pos_;
      ended_ = true;
      return Item::None;
    }
    if (rec_[pos_] != ',') break;
    ++pos_;
    if (afterComma_) return Item::Null;  // nothing between two commas
    afterComma_ = true;                  // the separator of the value before
  }
  col = static_cast<int>(pos_) + 1;
  // A repeat count: digits immediately followed by '*'.
  std::size_t q = pos_;
  while (q < n && rec_[q] >= '0' && rec_[q] <= '9') ++q;
  int repeat = 1;
  if (q > pos_ && q < n && rec_[q] == '*') {
    int r = 0;
    if (detail::scanListInteger(rec_.substr(pos_, q - pos_), r) != Scan::Ok || r <= 0)
      fail("bad repeat count", rec_.substr(pos_, q + 1 - pos_), col);
    repeat = r;
    pos_ = q + 1;
    if (pos_ >= n || isSeparator(rec_[pos_])) {  // r* : r null values
      separatorAfter();
      repeatNull_ = true;
      repeatLeft_ = repeat - 1;
      return Item::Null;
    }
  }
  const std::size_t start = pos_;
  quoted = isQuote(rec_[pos_]);
  if (quoted) {
    const char delim = rec_[pos_++];
    for (;;) {
      if (pos_ >= n) fail("unterminated character constant", rec_.substr(start), col);
      if (rec_[pos_] == delim) {
        if (pos_ + 1 < n && rec_[pos_ + 1] == delim) {
          pos_ += 2;
          continue;
        }
        break;
      }
      ++pos_;
    }
    t = rec_.substr(start + 1, pos_ - start - 1);
    ++pos_;
  } else {
    while (pos_ < n && !isSeparator(rec_[pos_])) ++pos_;
    t = rec_.substr(start, pos_ - start);
  }
  if (!separatorAfter()) {
    while (pos_ < n && !isSeparator(rec_[pos_])) ++pos_;
    fail("bad value", rec_.substr(start, pos_ - start), col);
  }
  if (repeat > 1) {
    repeatNull_ = false;
    repeatValue_ = t;
    repeatQuoted_ = quoted;
    repeatCol_ = col;
    repeatLeft_ = repeat - 1;
  }
  return Item::Value;
}

ListReader::Item ListReader::item(std::string_view& t, bool& quoted, int& col) {
  if (repeatLeft_ > 0) {
    --repeatLeft_;
    if (repeatNull_) return Item::Null;
    t = repeatValue_;
    quoted = repeatQuoted_;
    col = repeatCol_;
    return Item::Value;
  }
  if (ended_) return Item::None;
  return scan(t, quoted, col);
}

bool ListReader::next(double& v) {
  std::string_view t;
  bool quoted = false;
  int col = 0;
  const Item it = item(t, quoted, col);
  if (it != Item::Value) return it == Item::Null;
  double x = 0;
  const Scan s = quoted ? Scan::Bad : detail::scanListReal(t, x);
  if (s != Scan::Ok)
    fail(s == Scan::Range ? "real number out of range" : "bad real number", t, col);
  v = x;
  return true;
}

bool ListReader::next(int& v) {
  std::string_view t;
  bool quoted = false;
  int col = 0;
  const Item it = item(t, quoted, col);
  if (it != Item::Value) return it == Item::Null;
  int x = 0;
  const Scan s = quoted ? Scan::Bad : detail::scanListInteger(t, x);
  if (s != Scan::Ok) fail(s == Scan::Range ? "integer out of range" : "bad integer", t, col);
  v = x;
  return true;
}

bool ListReader::next(std::string_view& token) {
  bool quoted = false;
  int col = 0;
  std::string_view t;
  const Item it = item(t, quoted, col);
  if (it == Item::Value) token = t;
  return it != Item::None;
}

}  // namespace veka::fmt
