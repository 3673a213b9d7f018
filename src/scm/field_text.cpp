#include "scm/field_text.h"

#include <string>

#include "text/number_text.h"

namespace tovick {

namespace {

bool HasCommaOrDot(std::string_view text) {
  return text.find_first_of(",.") != std::string_view::npos;
}

// The value rounded half-even when it lies in range. Values far outside (up to the largest
// double) are refused before rounding so no conversion can overflow.
FieldValue RoundedInRange(double value, FieldRange range) {
  if (!(value > range.Low - 1.0 && value < range.High + 1.0)) {
    return {FieldTextFault::Invalid, 0};
  }
  const double rounded = RoundHalfEven(value);
  if (rounded < range.Low || rounded > range.High) return {FieldTextFault::Invalid, 0};
  return {FieldTextFault::None, static_cast<int>(rounded)};
}

}  // namespace

FieldValue ReadDecimalFieldText(std::string_view text, FieldRange range) {
  if (HasCommaOrDot(text)) return {FieldTextFault::CommaOrDot, 0};
  return RoundedInRange(TextToNumber(text), range);
}

FieldValue ReadHexWordFieldText(std::string_view text) {
  if (HasCommaOrDot(text)) return {FieldTextFault::CommaOrDot, 0};
  return RoundedInRange(TextToNumber("&H0" + Trim(text)), kWordField);
}

}  // namespace tovick
