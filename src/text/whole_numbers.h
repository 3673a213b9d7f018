#pragma once
// Whole numbers from the real values read out of the program's text files.

#include <cstdint>

namespace tovick {

// Nearest integer (ties to even) as int64, saturating at the int64 limits; NaN gives 0.
std::int64_t NearestInteger(double value);
// Nearest integer, ties to even, wrapped to its low 8 or 16 bits; exact for every finite value.
std::uint8_t WrapToByte(double value);
std::uint16_t WrapToWord(double value);

}  // namespace tovick
