#include "text/whole_numbers.h"

#include <cmath>
#include <limits>

#include "text/number_text.h"

namespace tovick {

namespace {

// The nearest integer reduced modulo `modulus` (a power of two), in [0, modulus). Works on the
// rounded real with fmod, so no out-of-range conversion to an integer type can happen.
std::uint32_t WrapToModulus(double value, double modulus) {
  if (!std::isfinite(value)) return 0;
  double rest = std::fmod(RoundHalfEven(value), modulus);
  if (rest < 0) rest += modulus;
  return static_cast<std::uint32_t>(rest);
}

}  // namespace

std::int64_t NearestInteger(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = RoundHalfEven(value);
  // 2^63 is exact as a double; anything at or above it does not fit.
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (rounded >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (rounded < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(rounded);
}

std::uint8_t WrapToByte(double value) {
  return static_cast<std::uint8_t>(WrapToModulus(value, 256.0));
}

std::uint16_t WrapToWord(double value) {
  return static_cast<std::uint16_t>(WrapToModulus(value, 65536.0));
}

}  // namespace tovick
