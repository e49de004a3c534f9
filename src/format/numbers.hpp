// Numeric fields read and written by single edit descriptors, by the rules of
// format/record.hpp (which includes this header): the field parsers and formatters, and
// in fmt::detail the scanning and list-directed forms the record readers and writers
// share.
#pragma once

#include <string>
#include <string_view>

namespace veka::fmt {

// ---------------------------------------------------------------- field parsers
// Iw input. Returns false for a field the reading rules of format/record.hpp reject.
bool parseInteger(std::string_view field, int& out);
// Fw.d / Ew.d / Dw.d input with d implied decimals. Returns false for a field the
// reading rules above reject, including a value outside the range of a double.
bool parseReal(std::string_view field, int d, double& out);

// ---------------------------------------------------------------- field formatters
// Append one output field to `out` (no allocation beyond the growth of `out`).
// A width of 0 for I and F gives the shortest form; a negative width writes nothing.
void appendI(std::string& out, long long v, int w, int m = -1);
void appendF(std::string& out, double v, int w, int d);
void appendE(std::string& out, double v, int w, int d, char letter = 'E');
void appendA(std::string& out, std::string_view s, int w);

// Single fields as new strings.
std::string formatI(long long v, int w, int m = -1);
std::string formatF(double v, int w, int d);
std::string formatE(double v, int w, int d, char letter = 'E');

}  // namespace veka::fmt

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
