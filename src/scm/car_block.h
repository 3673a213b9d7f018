#pragma once
// The on-disk layout of one parked-car record ("block") of the mission script's car table.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tovick {

class ScriptFile;

// Offsets from the block's address. Alarm and Lock move one byte further when HiCar is 1.
enum class BlockField : int {
  XPos = 10,
  YPos = 13,
  UnknownWord = 16,
  Heading = 19,
  WidthMarker = 21,
  CarId = 22,
  Alarm = 30,
  Lock = 32,
};

constexpr std::uint8_t kMarkerOneByteId = 0x04;
constexpr std::uint8_t kMarkerTwoByteId = 0x05;

// Bytes of a block on disk, its follow byte (the last) included: 34, or 35 with a two-byte id.
constexpr std::size_t CarBlockSize(int hiCar) {
  return 34 + static_cast<std::size_t>(hiCar);
}

// The field addressing rule: Address + offset, plus HiCar for Alarm and Lock.
std::int64_t FieldAddress(std::int64_t address, BlockField field, int hiCar);

// HiCar from a width marker: 0 for 0x04, 1 for 0x05, nullopt for anything else.
std::optional<int> HiCarFromMarker(std::uint8_t marker);

struct CarBlock {
  std::int64_t Address = 0;
  std::uint8_t WidthMarker = 0;
  int HiCar = 0;
  std::uint8_t CarId = 0;
  std::int16_t XPos = 0;
  std::int16_t YPos = 0;
  std::uint16_t UnknownWord = 0;
  std::int16_t Heading = 0;
  std::uint8_t Alarm = 0;
  std::uint8_t Lock = 0;
};

// The block's 34 bytes (35 when the marker is 0x05): signature, fields, and followByte last. The
// high byte of a two-byte vehicle id is written as 0. For demo data and tests.
std::vector<std::uint8_t> EncodeCarBlock(const CarBlock& block, std::uint8_t followByte = 0x04);

// The most bytes a block takes on disk (a two-byte vehicle id), follow byte included.
constexpr std::size_t kMaxBlockBytes = 35;

// Decodes the block whose first kMaxBlockBytes bytes are given; nullopt when its width marker is
// neither 4 nor 5.
std::optional<CarBlock> DecodeCarBlock(std::int64_t address,
                                       std::span<const std::uint8_t, kMaxBlockBytes> bytes);

// Reads every field of the block at address; nullopt when its width marker is neither 4 nor 5.
std::optional<CarBlock> ReadCarBlock(const ScriptFile& file, std::int64_t address);

}  // namespace tovick
