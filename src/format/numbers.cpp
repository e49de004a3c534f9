// Numeric fields: scanning input fields and formatting output fields exactly as the
// Fortran runtime does (see format/record.hpp for the rules).
#include "format/numbers.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace veka::fmt {

namespace detail {

namespace {

bool isDigit(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

// Significant digits kept when scanning a real; later digits only decide the rounding
// (a double's exact decimal value never needs more than 767 of them).
constexpr int kKeptDigits = 780;

// gfortran refuses a decimal exponent, after the implied decimals, of this magnitude.
constexpr long long kExponentLimit = 10000;

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The digits of a real field: the significant ones (leading zeros dropped) and the
// decimal exponent that makes them an integer.
struct Mantissa {
  char digits[kKeptDigits];
  int count = 0;            // significant digits kept
  long long dropped = 0;    // significant digits beyond kKeptDigits
  bool sticky = false;      // a dropped digit was not zero
  std::uint64_t value = 0;  // the kept digits as an integer while count <= 19
  int fraction = 0;         // digits after the decimal point
  bool point = false;
  bool any = false;  // at least one digit
};

// Scans digits and at most one point; stops at the first other non-blank character.
Scan scanMantissa(const char*& p, const char* e, Mantissa& m) {
  for (; p != e; ++p) {
    const char c = *p;
    if (isDigit(c)) {
      m.any = true;
      if (m.point) ++m.fraction;
      if (m.count == 0 && c == '0') continue;
      if (m.count < kKeptDigits) {
        m.digits[m.count++] = c;
        m.value = m.value * 10 + static_cast<unsigned>(c - '0');
      } else {
        ++m.dropped;
        m.sticky |= c != '0';
      }
    } else if (c == '.') {
      if (m.point) return Scan::Bad;
      m.point = true;
    } else if (c != ' ') {
      break;
    }
  }
  return m.any ? Scan::Ok : Scan::Bad;
}

// An exponent: a letter E, D or Q (either case) and an optionally signed integer, or a
// signed integer alone. Blanks are ignored.
Scan scanExponent(const char* p, const char* e, long long& ex) {
  const char c = *p;
  const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
  if (!letter && c != '+' && c != '-') return Scan::Bad;
  if (letter) ++p;
  while (p != e && *p == ' ') ++p;
  bool neg = false;
  if (p != e && (*p == '+' || *p == '-')) neg = *p++ == '-';
  bool digit = false;
  for (; p != e; ++p) {
    if (*p == ' ') continue;
    if (!isDigit(*p)) return Scan::Bad;
    digit = true;
    if (ex < 1000000000) ex = ex * 10 + (*p - '0');
  }
  if (!digit) return Scan::Bad;
  if (neg) ex = -ex;
  return Scan::Ok;
}

// digits x 10^exp10, correctly rounded, for the cases the fast path does not cover.
Scan convertSlow(const Mantissa& m, long long exp10, double& out) {
  char buf[kKeptDigits + 32];
  std::memcpy(buf, m.digits, static_cast<std::size_t>(m.count));
  std::size_t n = static_cast<std::size_t>(m.count);
  if (m.sticky) {  // a trailing 1 stands for the nonzero digits dropped
    buf[n++] = '1';
    --exp10;
  }
  buf[n++] = 'e';
  const auto r = std::to_chars(buf + n, buf + sizeof buf, exp10);
  double v = 0.0;
  const auto res = std::from_chars(buf, r.ptr, v);
  if (res.ec == std::errc::result_out_of_range) {
    if (exp10 + static_cast<long long>(n) > 0) return Scan::Range;
    v = 0.0;  // below the smallest subnormal
  }
  out = v;
  return std::isfinite(v) ? Scan::Ok : Scan::Range;
}

Scan scanReal(std::string_view field, int d, double& out) {
  const char* p = field.data();
  const char* const e = p + field.size();
  while (p != e && *p == ' ') ++p;
  if (p == e) {
    out = 0.0;
    return Scan::Ok;
  }
  bool neg = false;
  if (*p == '+' || *p == '-') neg = *p++ == '-';
  Mantissa m;
  if (scanMantissa(p, e, m) != Scan::Ok) return Scan::Bad;
  long long ex = 0;
  if (p != e && scanExponent(p, e, ex) != Scan::Ok) return Scan::Bad;
  const long long scaled = ex - (m.point ? 0 : d);
  if (scaled >= kExponentLimit || scaled <= -kExponentLimit) return Scan::Bad;
  double v = 0.0;
  if (m.count > 0) {
    const long long exp10 = scaled - (m.point ? m.fraction : 0) + m.dropped;
    if (m.count <= 15 && exp10 >= -22 && exp10 <= 22) {
      // Both operands exact: one correctly rounded operation.
      const double mant = static_cast<double>(m.value);
      v = exp10 >= 0 ? mant * kPow10[exp10] : mant / kPow10[-exp10];
    } else if (const Scan s = convertSlow(m, exp10, v); s != Scan::Ok) {
      return s;
    }
  }
  out = neg ? -v : v;
  return Scan::Ok;
}

// The common field shapes, [blanks][sign]digits[.digits][exponent][blanks] with at most
// 15 significant digits and a small decimal exponent, in one pass without copying digits.
// Returns false, leaving the field to scanReal, for everything else.
bool quickReal(const char* p, const char* const e, int d, double& out) {
  while (p != e && *p == ' ') ++p;
  if (p == e) return false;
  bool neg = false;
  if (*p == '+' || *p == '-') neg = *p++ == '-';
  std::uint64_t m = 0;
  int significant = 0, fraction = 0;
  bool point = false, any = false;
  for (; p != e; ++p) {
    const unsigned c = static_cast<unsigned char>(*p) - '0';
    if (c < 10) {
      m = m * 10 + c;
      significant += m != 0;
      fraction += point;
      any = true;
      if (significant > 15) return false;
    } else if (*p == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return false;
  int ex = 0;
  if (p != e && *p != ' ') {
    const char c = *p;
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q') {
      ++p;
    } else if (c != '+' && c != '-') {
      return false;
    }
    bool eneg = false;
    if (p != e && (*p == '+' || *p == '-')) eneg = *p++ == '-';
    int n = 0;
    for (; p != e && n < 4 && isDigit(*p); ++p, ++n) ex = ex * 10 + (*p - '0');
    if (n == 0) return false;
    if (eneg) ex = -ex;
  }
  while (p != e && *p == ' ') ++p;
  if (p != e) return false;
  const int exp10 = ex - (point ? fraction : d);
  if (exp10 < -22 || exp10 > 22) return false;
  const double v =
      exp10 >= 0 ? static_cast<double>(m) * kPow10[exp10] : static_cast<double>(m) / kPow10[-exp10];
  out = neg ? -v : v;
  return true;
}

}  // namespace

Scan scanInteger(std::string_view field, int& out) {
  const char* p = field.data();
  const char* const e = p + field.size();
  while (p != e && *p == ' ') ++p;
  if (p == e) {
    out = 0;
    return Scan::Ok;
  }
  bool neg = false;
  if (*p == '+' || *p == '-') neg = *p++ == '-';
  std::uint64_t v = 0;
  bool digit = false;
  for (; p != e; ++p) {
    const char c = *p;
    if (c == ' ') continue;
    if (!isDigit(c)) return Scan::Bad;
    digit = true;
    if (v <= 0x100000000ULL) v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (!digit) return Scan::Bad;
  if (v > (neg ? 0x80000000ULL : 0x7fffffffULL)) return Scan::Range;
  out = neg ? static_cast<int>(-static_cast<long long>(v)) : static_cast<int>(v);
  return Scan::Ok;
}

Scan scanFixedReal(std::string_view field, int d, double& out) {
  if (d < 0) d = 0;
  if (quickReal(field.data(), field.data() + field.size(), d, out)) return Scan::Ok;
  return scanReal(field, d, out);
}

Scan scanListInteger(std::string_view token, int& out) {
  if (token.empty() || token.find(' ') != std::string_view::npos) return Scan::Bad;
  return scanInteger(token, out);
}

Scan scanListReal(std::string_view token, double& out) {
  if (token.empty() || token.find(' ') != std::string_view::npos) return Scan::Bad;
  if (quickReal(token.data(), token.data() + token.size(), 0, out)) return Scan::Ok;
  return scanReal(token, 0, out);
}

}  // namespace detail

// ------------------------------------------------------------------------ output

namespace {

// Decimal places beyond which a double's fixed form has only zeros.
constexpr int kMaxFractionDigits = 1074;
// Significant digits beyond which a double's exponent form has only zeros.
constexpr int kMaxSignificantDigits = 800;

void stars(std::string& out, int w) {
  out.append(static_cast<std::size_t>(w), '*');
}

void blanks(std::string& out, int n) {
  if (n > 0) out.append(static_cast<std::size_t>(n), ' ');
}

// Infinity or NaN in a field of w columns (w = 0: the shortest form).
void appendInfNan(std::string& out, double v, int w) {
  const bool neg = std::signbit(v);
  if (std::isnan(v)) {
    if (w == 0) w = 3;
    if (w < 3) return stars(out, w);
    blanks(out, w - 3);
    out += "NaN";
    return;
  }
  if (w == 0) w = neg ? 4 : 3;
  if (w < 3 || (neg && w == 3)) return stars(out, w);
  const bool full = w > (neg ? 8 : 7);
  const std::string_view word = full ? "Infinity" : "Inf";
  const int len = static_cast<int>(word.size()) + (neg ? 1 : 0);
  blanks(out, w - len);
  if (neg) out += '-';
  out += word;
}

}  // namespace

void appendI(std::string& out, long long v, int w, int m) {
  if (w < 0) return;
  if (w > 0 && m > w) return stars(out, w);
  const unsigned long long mag =
      v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  char digits[24];
  int n = 0;
  if (!(m == 0 && mag == 0)) {
    n = static_cast<int>(std::to_chars(digits, digits + sizeof digits, mag).ptr - digits);
  }
  const int zeros = m > n ? m - n : 0;
  const int len = (v < 0 ? 1 : 0) + zeros + n;
  if (w == 0) {
    if (len == 0) return out.push_back(' ');  // I0 of nothing: one blank
    w = len;
  }
  if (len > w) return stars(out, w);
  blanks(out, w - len);
  if (v < 0) out += '-';
  out.append(static_cast<std::size_t>(zeros), '0');
  out.append(digits, static_cast<std::size_t>(n));
}

void appendF(std::string& out, double v, int w, int d) {
  if (w < 0) return;
  if (d < 0) d = 0;
  if (!std::isfinite(v)) return appendInfNan(out, v, w);
  const int shown = d < kMaxFractionDigits ? d : kMaxFractionDigits;
  char buf[320 + kMaxFractionDigits];
  const auto r =
      std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, shown);
  const char* const end = r.ptr;
  const char* dot =
      static_cast<const char*>(std::memchr(buf, '.', static_cast<std::size_t>(end - buf)));
  const int intLen = static_cast<int>((dot ? dot : end) - buf);
  const bool neg = std::signbit(v);
  const bool zeroInt = intLen == 1 && buf[0] == '0';
  int len = (neg ? 1 : 0) + intLen + 1 + d;
  // The zero before the point is optional unless it is the only digit.
  bool dropZero = false;
  if (zeroInt && d > 0 && (w == 0 || len > w)) {
    dropZero = true;
    --len;
  }
  if (w == 0) w = len;
  if (len > w) return stars(out, w);
  blanks(out, w - len);
  if (neg) out += '-';
  out.append(buf + (dropZero ? 1 : 0), static_cast<std::size_t>(intLen - (dropZero ? 1 : 0)));
  out += '.';
  if (dot) out.append(dot + 1, end);
  out.append(static_cast<std::size_t>(d - shown), '0');
}

void appendE(std::string& out, double v, int w, int d, char letter) {
  if (w < 0) return;
  if (!std::isfinite(v)) return appendInfNan(out, v, w);
  if (d <= 0 || w == 0) return stars(out, w);
  // The d significant digits and the exponent of 0.ddd x 10^exponent.
  const int shown = d < kMaxSignificantDigits ? d : kMaxSignificantDigits;
  char buf[kMaxSignificantDigits + 16];
  int exponent = 0;
  int ndig = shown;
  if (v == 0.0) {
    std::memset(buf, '0', static_cast<std::size_t>(shown));
  } else {
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                                 shown - 1);
    // buf = "d.ddde+xx" (or "de+xx" for one digit)
    const char* ep =
        static_cast<const char*>(std::memchr(buf, 'e', static_cast<std::size_t>(r.ptr - buf)));
    int ev = 0;
    std::from_chars(ep + (ep[1] == '+' ? 2 : 1), r.ptr, ev);
    exponent = ev + 1;
    if (shown > 1) std::memmove(buf + 1, buf + 2, static_cast<std::size_t>(shown - 1));
    ndig = shown;
  }
  const int mag = exponent < 0 ? -exponent : exponent;
  if (mag > 999) return stars(out, w);
  const bool neg = std::signbit(v);
  int len = (neg ? 1 : 0) + 2 + d + 4;  // sign, "0.", digits, exponent
  bool dropZero = false;
  if (len > w) {
    dropZero = true;
    --len;
  }
  if (len > w) return stars(out, w);
  blanks(out, w - len);
  if (neg) out += '-';
  if (!dropZero) out += '0';
  out += '.';
  out.append(buf, static_cast<std::size_t>(ndig));
  out.append(static_cast<std::size_t>(d - shown), '0');
  char ex[5];
  if (mag <= 99) {
    ex[0] = letter;
    ex[1] = exponent < 0 ? '-' : '+';
    ex[2] = static_cast<char>('0' + mag / 10);
    ex[3] = static_cast<char>('0' + mag % 10);
  } else {
    ex[0] = exponent < 0 ? '-' : '+';
    ex[1] = static_cast<char>('0' + mag / 100);
    ex[2] = static_cast<char>('0' + mag / 10 % 10);
    ex[3] = static_cast<char>('0' + mag % 10);
  }
  out.append(ex, 4);
}

void appendA(std::string& out, std::string_view s, int w) {
  if (w < 0) return;
  const std::size_t width = static_cast<std::size_t>(w);
  if (s.size() >= width) {
    out.append(s.substr(0, width));
  } else {
    out.append(width - s.size(), ' ');
    out.append(s);
  }
}

std::string formatI(long long v, int w, int m) {
  std::string s;
  appendI(s, v, w, m);
  return s;
}

std::string formatF(double v, int w, int d) {
  std::string s;
  appendF(s, v, w, d);
  return s;
}

std::string formatE(double v, int w, int d, char letter) {
  std::string s;
  appendE(s, v, w, d, letter);
  return s;
}

bool parseInteger(std::string_view field, int& out) {
  return detail::scanInteger(field, out) == detail::Scan::Ok;
}

bool parseReal(std::string_view field, int d, double& out) {
  return detail::scanFixedReal(field, d, out) == detail::Scan::Ok;
}

// ------------------------------------------------------------------------ list forms

namespace detail {

void appendListInt(std::string& out, long long v, int width) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  const int n = static_cast<int>(r.ptr - buf);
  blanks(out, width - n);
  out.append(buf, static_cast<std::size_t>(n));
}

// G editing with `digits` significant digits and scale factor 1 in `width` columns:
// the fixed form when the rounded value lies in [0.1, 10^digits) or is zero, followed
// by expDigits + 2 blanks; else d.ddd...E+xxx.
void appendListReal(std::string& out, double v, int digits, int width, int expDigits) {
  if (!std::isfinite(v)) return appendInfNan(out, v, width);
  const int trail = expDigits + 2;
  const bool neg = std::signbit(v);
  char m[40];        // the significant digits
  int exponent = 0;  // v = m[0].m[1]... x 10^exponent
  if (v == 0.0) {
    std::memset(m, '0', static_cast<std::size_t>(digits));
  } else {
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                                 digits - 1);
    const char* ep =
        static_cast<const char*>(std::memchr(buf, 'e', static_cast<std::size_t>(r.ptr - buf)));
    std::from_chars(ep + (ep[1] == '+' ? 2 : 1), r.ptr, exponent);
    m[0] = buf[0];
    std::memcpy(m + 1, buf + 2, static_cast<std::size_t>(digits - 1));
  }
  char s[48];
  int n = 0;
  if (neg) s[n++] = '-';
  const auto put = [&](const char* p, int count) {
    std::memcpy(s + n, p, static_cast<std::size_t>(count));
    n += count;
  };
  if (exponent >= -1 && exponent < digits) {
    if (exponent == -1) {
      put("0.", 2);
      put(m, digits);
    } else {
      put(m, exponent + 1);
      s[n++] = '.';
      put(m + exponent + 1, digits - 1 - exponent);
    }
    blanks(out, width - trail - n);
    out.append(s, static_cast<std::size_t>(n));
    blanks(out, trail);
    return;
  }
  put(m, 1);
  s[n++] = '.';
  put(m + 1, digits - 1);
  s[n++] = 'E';
  s[n++] = exponent < 0 ? '-' : '+';
  char e[8];
  const int mag = exponent < 0 ? -exponent : exponent;
  const int ne = static_cast<int>(std::to_chars(e, e + sizeof e, mag).ptr - e);
  for (int i = ne; i < expDigits; ++i) s[n++] = '0';
  put(e, ne);
  blanks(out, width - n);
  out.append(s, static_cast<std::size_t>(n));
}

}  // namespace detail

}  // namespace veka::fmt
