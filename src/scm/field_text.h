#pragma once
// A block field's value as typed: the text of an edit box to a checked whole number in the
// field's range.

#include <string_view>

namespace tovick {

struct FieldRange {
  int Low = 0;
  int High = 0;
};

inline constexpr FieldRange kSignedWordField{-32768, 32767};  // X-POS, Y-POS, HEADING
inline constexpr FieldRange kWordField{0, 65535};             // UTELLME
inline constexpr FieldRange kByteField{0, 255};               // ALARM, LOCK

enum class FieldTextFault { None, CommaOrDot, Invalid };

struct FieldValue {
  FieldTextFault Fault = FieldTextFault::None;
  int Value = 0;  // meaningful only without a fault
};

// Decimal: commas and dots are refused; the lenient number, rounded half-even, must lie in range.
FieldValue ReadDecimalFieldText(std::string_view text, FieldRange range);

// UTELLME is typed in hexadecimal: commas and dots are refused; "&H0" in front of the trimmed text
// makes the reading unsigned; the value must fit a word.
FieldValue ReadHexWordFieldText(std::string_view text);

}  // namespace tovick
