#include "scm/car_table.h"

#include <optional>

#include "scm/car_block.h"

namespace tovick {

namespace {

enum class RowRule { Field, Soft, Strict, Marker, Follow };

struct Row {
  RowRule Rule = RowRule::Field;
  std::uint8_t Expected = 0;
};

// The signature row for offset k of a candidate whose width marker gave h (k >= 1).
Row RowAt(std::int64_t k, int h) {
  switch (k) {
    case 1:
      return {RowRule::Soft, 0x05};
    case 2:
      return {RowRule::Soft, 0x10};
    case 3:
      return {RowRule::Soft, 0x27};
    case 4:
      return {RowRule::Strict, 0x02};
    case 7:
      return {RowRule::Strict, 0x4B};
    case 8:
      return {RowRule::Strict, 0x01};
    case 9:
    case 12:
    case 15:
    case 18:
      return {RowRule::Strict, 0x06};
    case 21:
      return {RowRule::Marker, 0};
    default:
      break;
  }
  switch (k - h) {
    case 24:
    case 26:
      return {RowRule::Strict, 0xFF};
    case 25:
    case 27:
    case 29:
    case 31:
      return {RowRule::Strict, 0x04};
    case 28:
      return {RowRule::Strict, 0x00};
    case 33:
      return {RowRule::Follow, 0};
    default:
      return {RowRule::Field, 0};
  }
}

// Bytes beyond the supplied window count as the zeros past the end of the file.
std::uint8_t WindowByte(std::span<const std::uint8_t> window, std::int64_t index) {
  const auto at = static_cast<std::size_t>(index);
  return at < window.size() ? window[at] : std::uint8_t{0};
}

}  // namespace

ScanResult ScanCarTable(std::span<const std::uint8_t> window, CarTable& table) {
  ScanResult result;
  const auto windowSize = static_cast<std::int64_t>(kScanWindowSize);
  std::optional<std::int64_t> start;  // index of the candidate in progress
  int h = 0;

  for (std::int64_t p = 0; p < windowSize; ++p) {
    const std::uint8_t b = WindowByte(window, p);
    if (start) {
      const Row row = RowAt(p - *start, h);
      switch (row.Rule) {
        case RowRule::Field:
          break;
        case RowRule::Soft:
          if (b != row.Expected) start.reset();
          break;
        case RowRule::Strict:
          if (b != row.Expected) {
            result.CarTableError = true;
            result.ErrorOffset = kScanFirst + p;
            return result;
          }
          break;
        case RowRule::Marker: {
          const std::optional<int> hiCar = HiCarFromMarker(b);
          if (!hiCar) {
            result.CarTableError = true;
            result.ErrorOffset = kScanFirst + p;
            return result;
          }
          h = *hiCar;
          break;
        }
        case RowRule::Follow:
          // The table's capacity exceeds what the window can hold; never write past it all the
          // same.
          if (table.BlockCnt < kMaxBlocks) {
            ++table.BlockCnt;
            table.Address[static_cast<std::size_t>(table.BlockCnt)] = kScanFirst + *start;
          }
          if (b != kMarkerOneByteId) p += 10;
          start.reset();
          break;
      }
    }
    // A 0x00 that dropped or completed a candidate starts the next one, at the (possibly advanced)
    // p.
    if (!start && b == 0x00 && p < windowSize) {
      start = p;
      h = 0;
    }
  }
  return result;
}

std::optional<int> MatchBlockAt(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (at >= bytes.size() || bytes[at] != 0x00) return std::nullopt;
  int h = 0;
  for (std::size_t k = 1;; ++k) {
    if (at + k >= bytes.size()) return std::nullopt;
    const std::uint8_t b = bytes[at + k];
    const Row row = RowAt(static_cast<std::int64_t>(k), h);
    switch (row.Rule) {
      case RowRule::Field:
        break;
      case RowRule::Soft:
      case RowRule::Strict:
        if (b != row.Expected) return std::nullopt;
        break;
      case RowRule::Marker: {
        const std::optional<int> hiCar = HiCarFromMarker(b);
        if (!hiCar) return std::nullopt;
        h = *hiCar;
        break;
      }
      case RowRule::Follow:
        return h;
    }
  }
}

}  // namespace tovick
