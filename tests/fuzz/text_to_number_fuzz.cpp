// TextToNumber over any text gives a finite number; over a plain decimal (sign, digits, point, an
// "E" exponent within range) it reads what strtod reads, the out-of-range ends held at the largest
// double and 0.
#include <cmath>
#include <limits>

#include "fuzz_harness.h"
#include "text/number_text.h"

using namespace tovick;

namespace {

// The plain decimal the bytes spell: sign, digits and points in any order, then "E", a sign and
// at most three digits when the exponent byte asks for one.
std::string PlainDecimal(fuzz::FuzzInput& input) {
  static constexpr std::string_view kMantissa = "0123456789012345678901234567890123456789+-.";
  static constexpr std::string_view kSign = "+-";
  const std::uint8_t exponent = input.Byte();
  const std::uint16_t exponentValue = input.Value<std::uint16_t>();
  std::string text;
  for (const char byte : input.Rest()) {
    text += kMantissa[static_cast<unsigned char>(byte) % kMantissa.size()];
  }
  if (exponent % 2 == 1) {
    text += 'E';
    if (exponent % 3 != 0) text += kSign[exponent % 3 - 1];
    text += std::to_string(exponentValue % 1000);
  }
  return text;
}

}  // namespace

TOVICK_FUZZ_TARGET(input) {
  const std::string any = input.Text(255);
  FUZZ_CHECK(std::isfinite(TextToNumber(any)));

  const std::string text = PlainDecimal(input);
  double expected = std::strtod(text.c_str(), nullptr);
  if (std::isinf(expected)) expected = std::copysign(std::numeric_limits<double>::max(), expected);
  FUZZ_CHECK(TextToNumber(text) == expected);
}
