// Descriptor strings: parsing, the cursor that runs through them, and formatted input and
// output of items.
#include "format/format.hpp"

#include <cctype>

namespace veka::fmt {

// ------------------------------------------------------------------------ parsing

class FormatParser {
 public:
  FormatParser(Format& f, std::string_view s) : f_(f), s_(s) {}

  void run() {
    // One pair of parentheses round the whole string is optional.
    const std::size_t open = s_.find_first_not_of(' ');
    const std::size_t close =
        open != std::string_view::npos && s_[open] == '(' ? closes(open) : std::string_view::npos;
    if (close != std::string_view::npos &&
        s_.find_first_not_of(' ', close + 1) == std::string_view::npos) {
      i_ = open + 1;
      end_ = close;
    } else {
      i_ = 0;
      end_ = s_.size();
    }
    list(0);
    if (i_ != end_) fail("unexpected ')'");
    finish();
  }

 private:
  [[noreturn]] void fail(const char* why) const {
    throw FormatError("bad format '" + std::string(s_) + "': " + why + " at position " +
                      std::to_string(i_ + 1));
  }

  // Index of the ')' that closes the '(' at `open`, skipping literals; npos if none.
  std::size_t closes(std::size_t open) const {
    int depth = 0;
    for (std::size_t k = open; k < s_.size(); ++k) {
      const char c = s_[k];
      if (c == '\'' || c == '"') {
        for (++k; k < s_.size() && s_[k] != c; ++k) {
        }
        if (k == s_.size()) return std::string_view::npos;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return k;
      }
    }
    return std::string_view::npos;
  }

  void blanks() {
    while (i_ < end_ && s_[i_] == ' ') ++i_;
  }
  bool more() {
    blanks();
    return i_ < end_;
  }
  char peek() {
    return more() ? static_cast<char>(std::toupper(static_cast<unsigned char>(s_[i_]))) : '\0';
  }
  bool digitNext() { return more() && std::isdigit(static_cast<unsigned char>(s_[i_])); }

  // An unsigned number (blanks allowed between its digits, as in Fortran).
  int number(int limit) {
    if (!digitNext()) fail("number expected");
    long long v = 0;
    while (digitNext()) {
      v = v * 10 + (s_[i_++] - '0');
      if (v > limit) fail("number too large");
    }
    return static_cast<int>(v);
  }

  int push(Edit e) {
    f_.edits_.push_back(e);
    return static_cast<int>(f_.edits_.size()) - 1;
  }

  // Descriptors up to the ')' closing the group (or the end at level 0). Commas separate
  // them; around '/' and ':' they may be left out.
  void list(int level) {
    bool needComma = false;  // the last item must be followed by a separator
    bool commaOk = false;    // a comma may come next
    bool afterComma = false;
    for (;;) {
      const char c = peek();
      if (c == '\0' || c == ')') {
        if (afterComma) fail("descriptor expected");
        if (c == '\0' && level > 0) fail("missing ')'");
        return;
      }
      if (c == ',') {
        if (!commaOk) fail("descriptor expected");
        ++i_;
        needComma = commaOk = false;
        afterComma = true;
        continue;
      }
      afterComma = false;
      if (c == '/' || c == ':') {
        ++i_;
        push(Edit{c == '/' ? Edit::Kind::Slash : Edit::Kind::Colon, 0, -1, 1, 0});
        needComma = false;
        commaOk = true;
        continue;
      }
      if (needComma) fail("',' expected");
      item(level);
      needComma = commaOk = true;
    }
  }

  void item(int level) {
    int repeat = 0;  // 0: none given
    if (digitNext()) {
      repeat = number(Format::kMaxRepeat);
      if (repeat == 0) fail("repeat count of zero");
    }
    const char c = peek();
    if (c == '(') {
      ++i_;
      if (level + 1 > Format::kMaxDepth) fail("groups nested too deeply");
      const int open = push(Edit{Edit::Kind::Open, 0, -1, repeat ? repeat : 1, 0});
      if (level == 0) lastTopGroup_ = open;
      list(level + 1);
      if (peek() != ')') fail("missing ')'");
      ++i_;
      const int close = push(Edit{Edit::Kind::Close, 0, -1, 1, open});
      f_.edits_[static_cast<std::size_t>(open)].link = close;
      return;
    }
    if (c == '/') {
      ++i_;
      push(Edit{Edit::Kind::Slash, 0, -1, repeat ? repeat : 1, 0});
      return;
    }
    if (c == '\'' || c == '"') {
      if (repeat) fail("repeat count before a literal");
      return literal();
    }
    if (c == '\0') fail("descriptor expected");
    ++i_;
    switch (c) {
      case 'X':
        return position(Edit::Kind::X, repeat ? repeat : 1);
      case 'T':
        if (repeat) fail("repeat count before T");
        if (peek() == 'L' || peek() == 'R') {
          const Edit::Kind k = peek() == 'L' ? Edit::Kind::TL : Edit::Kind::TR;
          ++i_;
          return position(k, positive());
        }
        return position(Edit::Kind::T, positive());
      case 'I':
      case 'F':
      case 'E':
      case 'D':
      case 'A':
        return data(c, repeat ? repeat : 1);
      default:
        --i_;
        fail("unknown descriptor");
    }
  }

  int positive() {
    const int n = number(kMaxColumn);
    if (n == 0) fail("zero column count");
    return n;
  }

  void position(Edit::Kind k, int n) { push(Edit{k, n, -1, 1, 0}); }

  void data(char c, int repeat) {
    Edit e{};
    e.repeat = repeat;
    switch (c) {
      case 'I':
        e.kind = Edit::Kind::I;
        e.w = number(Format::kMaxWidth);
        if (peek() == '.') {
          ++i_;
          e.d = number(Format::kMaxWidth);
          if (e.w > 0 && e.d > e.w) fail("more digits than the width");
        }
        break;
      case 'A':
        e.kind = Edit::Kind::A;
        if (digitNext()) {
          e.w = number(Format::kMaxWidth);
          if (e.w == 0) fail("zero width");
        }
        break;
      default:
        e.kind = c == 'F' ? Edit::Kind::F : c == 'E' ? Edit::Kind::E : Edit::Kind::D;
        e.w = number(Format::kMaxWidth);
        if (peek() != '.') fail("'.d' expected");
        ++i_;
        e.d = number(Format::kMaxWidth);
        if (e.kind != Edit::Kind::F && e.w == 0) fail("zero width");
        break;
    }
    push(e);
  }

  void literal() {
    const char q = s_[i_++];
    const std::size_t offset = f_.literals_.size();
    for (;;) {
      if (i_ >= end_) fail("unterminated literal");
      const char c = s_[i_++];
      if (c == q) {
        if (i_ < end_ && s_[i_] == q) {
          ++i_;
        } else {
          break;
        }
      }
      f_.literals_ += c;
    }
    Edit e{Edit::Kind::Literal, static_cast<int>(f_.literals_.size() - offset), -1, 1,
           static_cast<int>(offset)};
    push(e);
  }

  // Edits processed by one pass through edits [from, to), or kMaxPass + 1 when more.
  long long passLength(std::size_t from, std::size_t to) const {
    long long n = 0;
    for (std::size_t k = from; k < to; ++k) {
      const Edit& e = f_.edits_[k];
      if (e.kind == Edit::Kind::Open) {
        const auto close = static_cast<std::size_t>(e.link);
        n += e.repeat * (passLength(k + 1, close) + 2);
        k = close;
      } else {
        n += e.repeat;
      }
      if (n > Format::kMaxPass) return Format::kMaxPass + 1;  // keeps the products small
    }
    return n;
  }

  void finish() {
    const auto& ed = f_.edits_;
    if (passLength(0, ed.size()) > Format::kMaxPass) fail("format too long");
    f_.reversion_ = lastTopGroup_ >= 0 ? lastTopGroup_ : 0;
    for (std::size_t k = 0; k < ed.size(); ++k) {
      if (!ed[k].isData()) continue;
      f_.hasData_ = true;
      if (static_cast<int>(k) >= f_.reversion_) f_.revertHasData_ = true;
    }
  }

  Format& f_;
  std::string_view s_;
  std::size_t i_ = 0;
  std::size_t end_ = 0;
  int lastTopGroup_ = -1;
};

Format::Format(std::string_view text) : text_(text) {
  FormatParser(*this, text).run();
  edits_.shrink_to_fit();
}

// ------------------------------------------------------------------------ cursor

const Edit* FormatCursor::next(bool more, Handler& h) {
  const std::vector<Edit>& ed = f_->edits();
  const int n = static_cast<int>(ed.size());
  for (;;) {
    if (pc_ == n) {
      if (!more) return nullptr;
      if (!f_->revertHasData())
        throw FormatError("format '" + f_->text() + "' has no data descriptor for the item");
      h.newRecord();
      pc_ = f_->reversion();
      depth_ = 0;
      left_ = 0;
      continue;
    }
    const Edit& e = ed[static_cast<std::size_t>(pc_)];
    switch (e.kind) {
      case Edit::Kind::I:
      case Edit::Kind::F:
      case Edit::Kind::E:
      case Edit::Kind::D:
      case Edit::Kind::A:
        if (!more) return nullptr;
        if (left_ == 0) left_ = e.repeat;
        if (--left_ == 0) ++pc_;
        return &e;
      case Edit::Kind::Colon:
        if (!more) return nullptr;
        ++pc_;
        break;
      case Edit::Kind::Slash:
        if (left_ == 0) left_ = e.repeat;
        h.newRecord();
        if (--left_ == 0) ++pc_;
        break;
      case Edit::Kind::Open:
        stack_[static_cast<std::size_t>(depth_++)] = Level{pc_, e.repeat};
        ++pc_;
        break;
      case Edit::Kind::Close: {
        Level& l = stack_[static_cast<std::size_t>(depth_ - 1)];
        if (--l.left > 0) {
          pc_ = l.open + 1;
        } else {
          --depth_;
          ++pc_;
        }
        break;
      }
      case Edit::Kind::Literal:
        h.literal(f_->literal(e));
        ++pc_;
        break;
      default:
        h.position(e);
        ++pc_;
        break;
    }
  }
}

namespace {

const char* kindName(Edit::Kind k) {
  switch (k) {
    case Edit::Kind::I:
      return "an integer";
    case Edit::Kind::A:
      return "a character";
    default:
      return "a real";
  }
}

bool fits(Edit::Kind want, Edit::Kind have) {
  if (want == Edit::Kind::F)
    return have == Edit::Kind::F || have == Edit::Kind::E || have == Edit::Kind::D;
  return want == have;
}

[[noreturn]] void mismatch(const Format& f, Edit::Kind want, Edit::Kind have) {
  throw FormatError(std::string("format '") + f.text() + "' has " + kindName(have) +
                    " descriptor for " + kindName(want) + " item");
}

}  // namespace

// ------------------------------------------------------------------------ input

FormattedInput::FormattedInput(const Format& f, Unit& unit)
    : cursor_(f), unit_(&unit), reader_(unit.readRequired(), &unit.origin()) {}

FormattedInput::FormattedInput(const Format& f, std::string_view record, const Origin* origin)
    : cursor_(f), reader_(record, origin ? origin : &origin_) {}

const Edit& FormattedInput::data(Edit::Kind want) {
  const Edit& e = *cursor_.next(true, *this);
  if (!fits(want, e.kind)) [[unlikely]]
    mismatch(cursor_.format(), want, e.kind);
  return e;
}

int FormattedInput::readInt() {
  const Edit& e = data(Edit::Kind::I);
  if (e.w == 0) throw FormatError("format '" + cursor_.format().text() + "': I0 cannot be read");
  return reader_.I(e.w);
}

double FormattedInput::readReal() {
  const Edit& e = data(Edit::Kind::F);
  if (e.w == 0) throw FormatError("format '" + cursor_.format().text() + "': F0 cannot be read");
  return reader_.F(e.w, e.d);
}

std::string_view FormattedInput::readChars() {
  const Edit& e = data(Edit::Kind::A);
  if (e.w == 0)
    throw FormatError("format '" + cursor_.format().text() +
                      "': A without a width needs a fixed-length item");
  return reader_.A(e.w);
}

void FormattedInput::finish() {
  cursor_.next(false, *this);
}

void FormattedInput::position(const Edit& e) {
  switch (e.kind) {
    case Edit::Kind::T:
      return reader_.T(e.w);
    case Edit::Kind::TL:
      return reader_.TL(e.w);
    default:
      return reader_.X(e.w);
  }
}

void FormattedInput::literal(std::string_view text) {
  reader_.X(static_cast<int>(text.size()));
}

void FormattedInput::newRecord() {
  if (!unit_) {
    throw InputError(*reader_.origin(),
                     "record ends before the layout '" + cursor_.format().text() + "' is complete");
  }
  reader_.reset(unit_->readRequired());
}

// ------------------------------------------------------------------------ output

FormattedOutput::FormattedOutput(const Format& f, Unit& unit) : cursor_(f), unit_(&unit) {}

FormattedOutput::FormattedOutput(const Format& f, std::vector<std::string>& records)
    : cursor_(f), records_(&records) {}

FormattedOutput::~FormattedOutput() {
  finish();
}

const Edit& FormattedOutput::data(Edit::Kind want) {
  const Edit& e = *cursor_.next(true, *this);
  if (!fits(want, e.kind)) [[unlikely]]
    mismatch(cursor_.format(), want, e.kind);
  return e;
}

FormattedOutput& FormattedOutput::operator<<(long long v) {
  const Edit& e = data(Edit::Kind::I);
  writer_.I(v, e.w, e.d);
  return *this;
}

FormattedOutput& FormattedOutput::operator<<(double v) {
  const Edit& e = data(Edit::Kind::F);
  if (e.kind == Edit::Kind::F) {
    writer_.F(v, e.w, e.d);
  } else if (e.d == 0) {
    throw FormatError("format '" + cursor_.format().text() + "': Ew.0 and Dw.0 cannot be written");
  } else if (e.kind == Edit::Kind::E) {
    writer_.E(v, e.w, e.d);
  } else {
    writer_.D(v, e.w, e.d);
  }
  return *this;
}

FormattedOutput& FormattedOutput::operator<<(std::string_view s) {
  const Edit& e = data(Edit::Kind::A);
  if (e.w == 0) {
    writer_.A(s);
  } else {
    writer_.A(s, e.w);
  }
  return *this;
}

void FormattedOutput::finish() {
  if (finished_) return;
  finished_ = true;
  cursor_.next(false, *this);
  newRecord();
}

void FormattedOutput::position(const Edit& e) {
  switch (e.kind) {
    case Edit::Kind::T:
      writer_.T(e.w);
      break;
    case Edit::Kind::TL:
      writer_.TL(e.w);
      break;
    default:
      writer_.X(e.w);
      break;
  }
}

void FormattedOutput::literal(std::string_view text) {
  writer_.A(text);
}

void FormattedOutput::newRecord() {
  if (unit_) {
    unit_->write(writer_.str());
  } else {
    records_->push_back(writer_.str());
  }
  writer_.clear();
}

// ------------------------------------------------------------------------ lists

namespace {

template <class T>
void writeAll(Unit& unit, const Format& f, std::span<const T> values) {
  FormattedOutput out(f, unit);
  for (const T& v : values) out << v;
  out.finish();
}

template <class T>
void readAll(Unit& unit, const Format& f, std::span<T> values) {
  FormattedInput in(f, unit);
  for (T& v : values) in >> v;
  in.finish();
}

template <class T>
void readList(Unit& unit, std::span<T> values) {
  std::size_t k = 0;
  ListReader r(unit.readRequired(), &unit.origin());
  while (k < values.size()) {
    if (r.next(values[k])) {
      ++k;
    } else if (r.ended()) {
      return;
    } else {
      r.reset(unit.readRequired());
    }
  }
}

}  // namespace

void writeValues(Unit& unit, const Format& f, std::span<const double> values) {
  writeAll(unit, f, values);
}
void writeValues(Unit& unit, const Format& f, std::span<const int> values) {
  writeAll(unit, f, values);
}
void readValues(Unit& unit, const Format& f, std::span<double> values) {
  readAll(unit, f, values);
}
void readValues(Unit& unit, const Format& f, std::span<int> values) {
  readAll(unit, f, values);
}
void readListDirected(Unit& unit, std::span<double> values) {
  readList(unit, values);
}
void readListDirected(Unit& unit, std::span<int> values) {
  readList(unit, values);
}

}  // namespace veka::fmt
