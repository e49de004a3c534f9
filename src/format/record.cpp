#include "format/record.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace veka::fmt {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool parseInteger(std::string_view field, int& out) {
  long long v = 0;
  bool neg = false, sign = false, digits = false;
  for (char c : field) {
    if (isBlank(c)) continue;
    if ((c == '+' || c == '-') && !sign && !digits) {
      sign = true;
      neg = c == '-';
      continue;
    }
    if (!isDigit(c)) return false;
    digits = true;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return false;
  }
  if (sign && !digits) return false;
  if (neg) v = -v;
  if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
  out = static_cast<int>(v);
  return true;
}

bool parseReal(std::string_view field, int d, double& out) {
  std::string mant;
  mant.reserve(field.size() + 8);
  std::size_t i = 0;
  const std::size_t n = field.size();
  auto skip = [&] {
    while (i < n && isBlank(field[i])) ++i;
  };
  skip();
  if (i == n) {
    out = 0.0;
    return true;
  }
  bool neg = false;
  if (field[i] == '+' || field[i] == '-') {
    neg = field[i] == '-';
    ++i;
  }
  std::string intPart, fracPart;
  bool point = false;
  for (; i < n; ++i) {
    const char c = field[i];
    if (isBlank(c)) continue;
    if (isDigit(c)) {
      (point ? fracPart : intPart).push_back(c);
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (intPart.empty() && fracPart.empty()) return false;
  long long expo = 0;
  if (i < n) {
    char c = field[i];
    bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
    if (!letter && c != '+' && c != '-') return false;
    if (letter) ++i;
    skip();
    bool eneg = false;
    if (i < n && (field[i] == '+' || field[i] == '-')) {
      eneg = field[i] == '-';
      ++i;
    }
    bool edig = false;
    for (; i < n; ++i) {
      const char e = field[i];
      if (isBlank(e)) continue;
      if (!isDigit(e)) return false;
      edig = true;
      if (expo < 100000) expo = expo * 10 + (e - '0');
    }
    if (!edig) {
      if (!letter) return false;
    }
    if (eneg) expo = -expo;
  }
  if (!point) {
    // the last d digits are decimals
    const std::string all = intPart;
    if (static_cast<int>(all.size()) > d) {
      intPart = all.substr(0, all.size() - static_cast<std::size_t>(d));
      fracPart = all.substr(all.size() - static_cast<std::size_t>(d));
    } else {
      intPart = "0";
      fracPart = std::string(static_cast<std::size_t>(d) - all.size(), '0') + all;
    }
  }
  mant = (neg ? "-" : "") + (intPart.empty() ? std::string("0") : intPart) + "." + fracPart +
         "e" + std::to_string(expo);
  const double v = std::strtod(mant.c_str(), nullptr);
  if (!std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string_view RecordReader::field(int w) {
  const int start = col_;
  col_ += w;
  if (start >= static_cast<int>(rec_.size()) || w <= 0) return {};
  const std::size_t len =
      std::min<std::size_t>(static_cast<std::size_t>(w), rec_.size() - static_cast<std::size_t>(start));
  return rec_.substr(static_cast<std::size_t>(start), len);
}

void RecordReader::fail(const char* what, int w, std::string_view text) const {
  Origin o = origin_ ? *origin_ : Origin{};
  const int first = col_ - w + 1;
  std::string msg = std::string(what) + " in columns " + std::to_string(first) + "-" +
                    std::to_string(col_) + ": '" + std::string(text) + "'";
  throw InputError(std::move(o), msg);
}

int RecordReader::I(int w) {
  const std::string_view f = field(w);
  int v = 0;
  if (!parseInteger(f, v)) fail("bad integer", w, f);
  return v;
}

double RecordReader::F(int w, int d) {
  const std::string_view f = field(w);
  double v = 0;
  if (!parseReal(f, d, v)) fail("bad real number", w, f);
  return v;
}

std::string_view RecordReader::A(int w) { return field(w); }

// ---------------------------------------------------------------- output

std::string formatI(long long v, int w, int m) {
  std::string s = std::to_string(v < 0 ? -v : v);
  if (m >= 0 && static_cast<int>(s.size()) < m) s.insert(0, static_cast<std::size_t>(m) - s.size(), '0');
  if (m == 0 && v == 0) s.clear();
  if (v < 0) s.insert(0, 1, '-');
  if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

std::string formatF(double v, int w, int d) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", d, std::fabs(v));
  std::string s = buf;
  const bool neg = std::signbit(v);
  if (s.size() > 1 && s[0] == '0' && s[1] == '.' && static_cast<int>(s.size()) + (neg ? 1 : 0) > w)
    s.erase(0, 1);
  if (neg) s.insert(0, 1, '-');
  if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

std::string formatE(double v, int w, int d, char letter) {
  char buf[512];
  std::string s;
  int expo = 0;
  if (v == 0.0) {
    s = "0." + std::string(static_cast<std::size_t>(d), '0');
  } else {
    std::snprintf(buf, sizeof buf, "%.*e", d - 1, std::fabs(v));
    std::string t = buf;  // d.ddde+xx
    const std::size_t e = t.find('e');
    expo = std::atoi(t.c_str() + e + 1) + 1;
    std::string digits = t.substr(0, 1) + (d > 1 ? t.substr(2, e - 2) : "");
    s = "0." + digits;
  }
  char ebuf[16];
  if (std::abs(expo) <= 99)
    std::snprintf(ebuf, sizeof ebuf, "%c%c%02d", letter, expo < 0 ? '-' : '+', std::abs(expo));
  else
    std::snprintf(ebuf, sizeof ebuf, "%c%03d", expo < 0 ? '-' : '+', std::abs(expo));
  s += ebuf;
  if (std::signbit(v)) s.insert(0, 1, '-');
  if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

RecordWriter& RecordWriter::I(long long v, int w) {
  buf_ += formatI(v, w);
  return *this;
}
RecordWriter& RecordWriter::I(long long v, int w, int m) {
  buf_ += formatI(v, w, m);
  return *this;
}
RecordWriter& RecordWriter::F(double v, int w, int d) {
  buf_ += formatF(v, w, d);
  return *this;
}
RecordWriter& RecordWriter::E(double v, int w, int d) {
  buf_ += formatE(v, w, d, 'E');
  return *this;
}
RecordWriter& RecordWriter::D(double v, int w, int d) {
  buf_ += formatE(v, w, d, 'D');
  return *this;
}
RecordWriter& RecordWriter::A(std::string_view s, int w) {
  if (static_cast<int>(s.size()) >= w) {
    buf_.append(s.substr(0, static_cast<std::size_t>(w)));
  } else {
    buf_.append(static_cast<std::size_t>(w) - s.size(), ' ');
    buf_.append(s);
  }
  return *this;
}

// ---------------------------------------------------------------- list-directed output

ListWriter& ListWriter::operator<<(int v) { return *this << static_cast<long long>(v); }
ListWriter& ListWriter::operator<<(long long v) {
  buf_ += formatI(v, 12);
  lastChar_ = false;
  any_ = true;
  return *this;
}
ListWriter& ListWriter::operator<<(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%25.16f     ", v);
  buf_ += b;
  lastChar_ = false;
  any_ = true;
  return *this;
}
ListWriter& ListWriter::operator<<(float v) {
  char b[64];
  std::snprintf(b, sizeof b, "%15.8f    ", static_cast<double>(v));
  buf_ += b;
  lastChar_ = false;
  any_ = true;
  return *this;
}
ListWriter& ListWriter::operator<<(std::string_view s) {
  buf_.append(s);
  lastChar_ = true;
  any_ = true;
  return *this;
}

// ---------------------------------------------------------------- list-directed input

bool ListReader::token(std::string_view& t) {
  if (repeatLeft_ > 0) {
    --repeatLeft_;
    t = repeatValue_;
    return true;
  }
  if (ended_) return false;
  const std::size_t n = rec_.size();
  while (pos_ < n && (isBlank(rec_[pos_]) || rec_[pos_] == ',')) ++pos_;
  if (pos_ >= n) return false;
  if (rec_[pos_] == '/') {
    ended_ = true;
    return false;
  }
  const std::size_t start = pos_;
  while (pos_ < n && !isBlank(rec_[pos_]) && rec_[pos_] != ',' && rec_[pos_] != '/') ++pos_;
  t = rec_.substr(start, pos_ - start);
  const std::size_t star = t.find('*');
  if (star != std::string_view::npos) {
    int r = 0;
    if (parseInteger(t.substr(0, star), r) && r > 0) {
      repeatValue_ = t.substr(star + 1);
      repeatLeft_ = r - 1;
      t = repeatValue_;
    }
  }
  return true;
}

bool ListReader::next(std::string_view& t) { return token(t); }

bool ListReader::next(double& v) {
  std::string_view t;
  if (!token(t)) return false;
  if (!parseReal(t, 0, v)) {
    throw InputError(origin_ ? *origin_ : Origin{},
                     "bad real number in list input: '" + std::string(t) + "'");
  }
  return true;
}

bool ListReader::next(int& v) {
  std::string_view t;
  if (!token(t)) return false;
  if (!parseInteger(t, v)) {
    throw InputError(origin_ ? *origin_ : Origin{},
                     "bad integer in list input: '" + std::string(t) + "'");
  }
  return true;
}

}  // namespace veka::fmt
