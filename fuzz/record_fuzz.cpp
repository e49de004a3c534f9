// Fuzz target for the record readers: fields of random descriptors over a record, list-
// directed items, and descriptor strings taken from the input and then used to read (and
// write) items. Every outcome must be a value, fmt::InputError or fmt::FormatError; the
// invariants below abort otherwise.
//
// Input layout: the first byte picks the mode (byte % 3); the rest is split at its first
// newline into a head and a tail.
//   0  head = field program (three bytes a field: operation, width, decimals), tail = record
//   1  head = item kinds for a list-directed read, tail = record
//   2  head = descriptor string, tail = record read (and items written) with it
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "format/record.hpp"

namespace {

using namespace veka::fmt;

void require(bool ok) {
  if (!ok) std::abort();
}

// A real read is finite and survives writing in any descriptor at exactly its width.
void checkReal(double v, int w, int d) {
  require(std::isfinite(v));
  require(formatF(v, w + 1, d).size() == static_cast<std::size_t>(w + 1));
  require(formatE(v, w + 1, d + 1).size() == static_cast<std::size_t>(w + 1));
  double back = 0;
  const std::string e = formatE(v, 26, 17);
  require(parseReal(e, 0, back) && back == v);  // 17 digits identify a double
}

void fields(std::string_view program, std::string_view record) {
  RecordReader r(record);
  for (std::size_t i = 0; i + 2 < program.size(); i += 3) {
    const auto op = static_cast<unsigned char>(program[i]);
    const int w = static_cast<signed char>(program[i + 1]);  // negative widths too
    const int d = static_cast<unsigned char>(program[i + 2]) % 24;
    try {
      switch (op % 10) {
        case 0:
          r.I(w);
          break;
        case 1:
        case 2:
        case 3:
          checkReal(r.F(w, d), w < 0 ? 0 : w, d);
          break;
        case 4:
          require(r.A(w).size() <= static_cast<std::size_t>(w < 0 ? 0 : w));
          break;
        case 5:
          r.A<6>(w);
          break;
        case 6:
          r.X(w * 1000);
          break;
        case 7:
          r.T(w);
          break;
        case 8:
          r.TL(w);
          break;
        default:
          r.X(w);
          break;
      }
    } catch (const InputError&) {
    }
    require(r.column() >= 1 && r.column() <= kMaxColumn + 1);
  }
}

void list(std::string_view kinds, std::string_view record) {
  ListReader r(record);
  try {
    for (std::size_t i = 0; i < 64; ++i) {
      const char k = kinds.empty() ? 'd' : kinds[i % kinds.size()];
      bool more = false;
      if (k % 3 == 0) {
        double v = 0;
        more = r.next(v);
        require(std::isfinite(v));
      } else if (k % 3 == 1) {
        int v = 0;
        more = r.next(v);
      } else {
        std::string_view s;
        more = r.next(s);
      }
      if (!more) {
        r.reset(record);  // a continuation record
        if (r.ended() || i > 32) break;
      }
    }
  } catch (const InputError&) {
  }
}

// True when writing with f could build absurdly long records.
bool wide(const Format& f) {
  for (const Edit& e : f.edits())
    if (e.w > 200 || e.repeat > 200) return true;
  return false;
}

void formatted(std::string_view text, std::string_view record) {
  if (text.size() > 256) return;
  try {
    const Format f(text);
    {
      FormattedInput in(f, record);
      for (int i = 0; i < 32; ++i) {
        const Edit::Kind k = f.hasData()
                                 ? f.edits()[static_cast<std::size_t>(i) % f.edits().size()].kind
                                 : Edit::Kind::I;
        if (k == Edit::Kind::A) {
          in.readChars<5>();
        } else if (k == Edit::Kind::I) {
          in.readInt();
        } else {
          require(std::isfinite(in.readReal()));
        }
      }
    }
  } catch (const InputError&) {
  } catch (const FormatError&) {
  }
  try {
    const Format f(text);
    if (f.edits().empty() || wide(f)) return;
    std::vector<std::string> out;
    FormattedOutput o(f, out);
    for (int i = 0; i < 8; ++i) {
      const Edit& e = f.edits()[static_cast<std::size_t>(i) % f.edits().size()];
      if (e.kind == Edit::Kind::A) {
        o << record.substr(0, 7);
      } else if (e.kind == Edit::Kind::I) {
        o << static_cast<long long>(i) * -123456789;
      } else {
        o << (i - 3.5) * 1e10;
      }
    }
  } catch (const FormatError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t nl = in.find('\n');
  const std::string_view head = in.substr(0, nl);
  const std::string_view tail =
      nl == std::string_view::npos ? std::string_view() : in.substr(nl + 1);
  switch (data[0] % 3) {
    case 0:
      fields(head, tail);
      break;
    case 1:
      list(head, tail);
      break;
    default:
      formatted(head, tail);
      break;
  }
  return 0;
}
