// NumberToText with 7 and 15 digits: the text reads back within one unit of its last digit, and
// the value read back renders as the same text.
#include <cmath>

#include "fuzz_harness.h"
#include "text/number_text.h"

using namespace tovick;

namespace {

// The value of one unit of the text's last digit: " 12.5" gives 0.1, " 1.5E+20" gives 1E+19.
double LastDigitUnit(const std::string& text) {
  const std::size_t e = text.find('E');
  const int exponent = e == std::string::npos ? 0 : std::atoi(text.c_str() + e + 1);
  const std::string mantissa = text.substr(0, e);
  const std::size_t point = mantissa.find('.');
  const int fraction =
      point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
  return std::pow(10.0, exponent - fraction);
}

}  // namespace

TOVICK_FUZZ_TARGET(input) {
  const auto value = input.Value<double>();
  if (!std::isfinite(value)) return;
  for (const int digits : {kSingleDigits, kDoubleDigits}) {
    const std::string text = NumberToText(value, digits);
    const double back = TextToNumber(text);
    FUZZ_CHECK(std::fabs(back - value) <= LastDigitUnit(text) * (1 + 1e-9));
    FUZZ_CHECK(NumberToText(back, digits) == text);
  }
}
