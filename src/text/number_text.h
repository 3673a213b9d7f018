#pragma once
// Conversions between numbers and the text the user sees, types, or finds in the program's files.

#include <cstdint>
#include <string>
#include <string_view>

namespace tovick {

// Significant digits: 15 for integers and doubles, 7 for single-precision values.
constexpr int kDoubleDigits = 15;
constexpr int kSingleDigits = 7;

// Canonical decimal rendering: a leading blank for values >= 0 ("-" otherwise), no "0" before the
// point, trailing fraction zeros dropped, round-half-even on the first dropped digit only, exponent
// form ("1.5E+20") when the digits do not reach.
std::string NumberToText(double value, int digits = kDoubleDigits);

// NumberToText followed by one blank, as a field of a text-file line is written.
std::string FieldNumberToText(double value);

// Upper-case hexadecimal; digits 0 means as many as needed, otherwise left-padded with "0" or cut
// to the rightmost digits. Negative values are rendered from their 16-bit two's-complement pattern.
std::string HexText(std::int64_t value, int digits = 0);

// Lenient parse: skips blanks, tabs and line feeds; "&H"/"&O"/"&Q"/"&B" radix forms with the
// 16-bit sign rule; decimal with E/e/D/d exponents; the longest numeric prefix is the value; no
// prefix gives 0; overflow gives the largest finite double.
double TextToNumber(std::string_view text);

// Nearest integer, ties to the even neighbour, for values that fit in an int64 (callers range-check).
double RoundHalfEven(double value);

// Blanks (0x20) only; tabs stay.
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
std::string Trim(std::string_view text);

}  // namespace tovick
