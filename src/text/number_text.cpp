#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace tovick {

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
constexpr int kMaxExponentDigits = 9999;
// A double has at most 767 significant decimal digits, so this precision never rounds.
constexpr int kExactPrecision = 780;

// The decimal digits of a finite, non-zero magnitude, exact to the last digit, and the exponent of
// the first one (magnitude = 0.d1d2d3... * 10^(exponent + 1)).
struct Decimal {
  std::string Digits;
  int Exponent = 0;
};

Decimal ScientificDigits(double magnitude, int precision) {
  char buffer[kExactPrecision + 32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::scientific, precision);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  Decimal decimal;
  const std::size_t ePos = text.find('e');
  for (std::size_t i = 0; i < ePos; ++i) {
    if (text[i] != '.') decimal.Digits.push_back(text[i]);
  }
  decimal.Exponent = std::atoi(std::string(text.substr(ePos + 1)).c_str());
  return decimal;
}

// The count of digits after the first that writes the magnitude's binary value out in full: a
// double m * 2^-k (m odd) has exactly k digits after the decimal point.
int ExactPrecision(double magnitude) {
  int binaryExponent = 0;
  const double fraction = std::frexp(magnitude, &binaryExponent);
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int scale = binaryExponent - 53;
  while (mantissa % 2 == 0) {
    mantissa /= 2;
    ++scale;
  }
  const int fractionDigits = scale < 0 ? -scale : 0;
  const auto decimalExponent = static_cast<int>(std::floor(std::log10(magnitude)));
  // One spare digit covers log10 landing just below a power of ten.
  return std::clamp(decimalExponent + fractionDigits + 1, 0, kExactPrecision);
}

// The first `needed` digits exactly as they stand in the value's full decimal expansion.
Decimal ExactLeadingDigits(double magnitude, std::size_t needed) {
  Decimal decimal = ScientificDigits(magnitude, ExactPrecision(magnitude));
  decimal.Digits.resize(needed, '0');
  return decimal;
}

// Keeps `digits` digits; the first dropped digit alone decides, and a 5 goes to the even side.
void RoundToDigits(Decimal& decimal, std::size_t digits) {
  if (decimal.Digits.size() <= digits) return;
  const char dropped = decimal.Digits[digits];
  decimal.Digits.resize(digits);
  const bool lastOdd = ((decimal.Digits.back() - '0') % 2) != 0;
  if (dropped < '5' || (dropped == '5' && !lastOdd)) return;
  std::size_t i = digits;
  while (i > 0) {
    --i;
    if (decimal.Digits[i] != '9') {
      ++decimal.Digits[i];
      return;
    }
    decimal.Digits[i] = '0';
  }
  // All nines: 9.99 becomes 10.0.
  decimal.Digits.insert(decimal.Digits.begin(), '1');
  decimal.Digits.pop_back();
  ++decimal.Exponent;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The text after "&": a radix letter (or an octal first digit) and digits of that radix.
double ParseRadixNumber(std::string_view text) {
  int base = 8;
  std::size_t pos = 0;
  if (!text.empty()) {
    switch (text[0]) {
      case 'H':
      case 'h':
        base = 16;
        pos = 1;
        break;
      case 'B':
      case 'b':
        base = 2;
        pos = 1;
        break;
      case 'O':
      case 'o':
      case 'Q':
      case 'q':
        base = 8;
        pos = 1;
        break;
      default:
        break;
    }
  }
  const std::size_t first = pos;
  double value = 0.0;
  while (pos < text.size()) {
    const int digit = DigitValue(text[pos]);
    if (digit < 0 || digit >= base) break;
    value = value * base + digit;
    ++pos;
  }
  if (pos == first) return 0.0;
  if (std::isinf(value)) return kLargest;
  // A 16-bit pattern with its top bit set is negative unless written with a leading "0".
  if (value >= 32768.0 && value <= 65535.0 && text[first] != '0') return value - 65536.0;
  return value;
}

// Sign, digits, optional fraction, optional E/e/D/d exponent; the longest prefix counts.
double ParseDecimalNumber(std::string_view text) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  std::string digits;
  while (pos < text.size() && IsDigit(text[pos])) digits.push_back(text[pos++]);
  std::size_t fractionDigits = 0;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && IsDigit(text[pos])) {
      digits.push_back(text[pos++]);
      ++fractionDigits;
    }
  }
  if (digits.empty()) return 0.0;

  long long exponent = 0;
  if (pos < text.size() &&
      (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
    std::size_t expPos = pos + 1;
    bool expNegative = false;
    if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) {
      expNegative = text[expPos] == '-';
      ++expPos;
    }
    while (expPos < text.size() && IsDigit(text[expPos])) {
      exponent = exponent * 10 + (text[expPos] - '0');
      if (exponent > kMaxExponentDigits) exponent = kMaxExponentDigits;
      ++expPos;
    }
    if (expNegative) exponent = -exponent;
  }

  // Whole numbers of up to 15 digits are exact in a double; most fields of the program's files are
  // such, so they skip the general conversion.
  if (fractionDigits == 0 && exponent == 0 && digits.size() <= 15) {
    long long whole = 0;
    for (const char digit : digits) whole = whole * 10 + (digit - '0');
    if (whole == 0) return 0.0;
    return negative ? -static_cast<double>(whole) : static_cast<double>(whole);
  }

  const std::size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos) return 0.0;
  digits.erase(0, firstNonZero);
  const long long scale = exponent - static_cast<long long>(fractionDigits);
  // Built by hand so that from_chars never sees "inf", "nan" or a hexadecimal form.
  const std::string canonical = digits + "e" + std::to_string(scale);
  double value = 0.0;
  const auto result = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                      std::chars_format::scientific);
  if (result.ec == std::errc::result_out_of_range || std::isinf(value)) {
    // Above 10^308 or below the smallest denormal: the order of magnitude tells which.
    const long long order = static_cast<long long>(digits.size()) + scale;
    value = order > 0 ? kLargest : 0.0;
  }
  if (value == 0.0) return 0.0;
  return negative ? -value : value;
}

}  // namespace

std::string NumberToText(double value, int digits) {
  if (std::isnan(value)) return " 0";
  if (std::isinf(value)) value = value < 0 ? -kLargest : kLargest;
  const std::size_t kept = static_cast<std::size_t>(digits < 1 ? 1 : (digits > 17 ? 17 : digits));

  std::string text(1, value < 0 ? '-' : ' ');
  if (value == 0.0) return text + "0";

  Decimal decimal = ExactLeadingDigits(std::fabs(value), kept + 1);
  RoundToDigits(decimal, kept);
  std::string& mantissa = decimal.Digits;
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  const int exponent = decimal.Exponent;
  const int keptDigits = static_cast<int>(kept);

  const bool tooManyIntegerDigits = exponent + 1 > keptDigits;
  const bool tooManyLeadingZeros = exponent < 0 && -exponent - 1 > keptDigits;
  if (tooManyIntegerDigits || tooManyLeadingZeros) {
    text += mantissa[0];
    if (mantissa.size() > 1) text += "." + mantissa.substr(1);
    text += exponent < 0 ? "E-" : "E+";
    text += std::to_string(std::abs(exponent));
    return text;
  }
  if (exponent < 0) {
    text += ".";
    text.append(static_cast<std::size_t>(-exponent - 1), '0');
    text += mantissa;
    return text;
  }
  const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
  if (mantissa.size() <= integerDigits) {
    text += mantissa;
    text.append(integerDigits - mantissa.size(), '0');
  } else {
    text += mantissa.substr(0, integerDigits);
    text += ".";
    text += mantissa.substr(integerDigits);
  }
  return text;
}

std::string FieldNumberToText(double value) {
  return NumberToText(value) + " ";
}

std::string HexText(std::int64_t value, int digits) {
  std::uint64_t pattern = static_cast<std::uint64_t>(value);
  if (value < 0 && value >= -32768) {
    pattern &= 0xFFFFu;
  } else if (value < 0 && value >= std::numeric_limits<std::int32_t>::min()) {
    pattern &= 0xFFFFFFFFu;
  }
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kHexDigits[pattern & 0xFu]);
    pattern >>= 4;
  } while (pattern != 0);
  if (digits > 0) {
    const std::size_t count = static_cast<std::size_t>(digits);
    if (text.size() < count) {
      text.insert(0, count - text.size(), '0');
    } else {
      text.erase(0, text.size() - count);
    }
  }
  return text;
}

double TextToNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n')) ++pos;
  if (pos < text.size() && text[pos] == '&') return ParseRadixNumber(text.substr(pos + 1));
  return ParseDecimalNumber(text.substr(pos));
}

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  // Exact: the fraction of a double is always representable.
  const double fraction = value - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::string TrimLeft(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string TrimRight(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string Trim(std::string_view text) {
  return TrimLeft(TrimRight(text));
}

}  // namespace tovick
