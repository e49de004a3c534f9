// Number scanning and formatting shared by the record readers and writers. Internal to
// src/format/: the public entry points are declared in format/record.hpp.
#pragma once

#include <string>
#include <string_view>

namespace veka::fmt::detail {

enum class Scan : unsigned char {
  Ok,
  Bad,    // not a number of the required kind
  Range,  // a number, but outside the range of the result type
};

// Iw input: blanks ignored, an optional sign and at least one digit; blank field = 0.
Scan scanInteger(std::string_view field, int& out);
// Fw.d input: blanks ignored; without a decimal point the last d mantissa digits are
// decimals. Blank field = 0.
Scan scanFixedReal(std::string_view field, int d, double& out);
// A list-directed integer token (no blanks inside).
Scan scanListInteger(std::string_view token, int& out);
// A list-directed real token (no blanks inside, no implied decimals).
Scan scanListReal(std::string_view token, double& out);

// The list-directed forms of numbers (without the separating blank).
void appendListInt(std::string& out, long long v, int width);
void appendListReal(std::string& out, double v, int digits, int width, int expDigits);

}  // namespace veka::fmt::detail
