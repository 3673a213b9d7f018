#include "scm/car_block.h"

#include <array>

#include "scm/script_file.h"

namespace tovick {

namespace {

// The handle-variable offset of the instruction before the block; any value is accepted, so the
// encoder writes a plausible global-variable offset.
constexpr std::uint16_t kDemoHandleVariable = 0x0A5C;

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t WordAt(std::span<const std::uint8_t, kMaxBlockBytes> bytes, int at) {
  const auto index = static_cast<std::size_t>(at);
  return static_cast<std::uint16_t>(bytes[index] | (bytes[index + 1] << 8));
}

}  // namespace

std::int64_t FieldAddress(std::int64_t address, BlockField field, int hiCar) {
  std::int64_t offset = address + static_cast<int>(field);
  if (field == BlockField::Alarm || field == BlockField::Lock) offset += hiCar;
  return offset;
}

std::optional<int> HiCarFromMarker(std::uint8_t marker) {
  if (marker == kMarkerOneByteId) return 0;
  if (marker == kMarkerTwoByteId) return 1;
  return std::nullopt;
}

std::vector<std::uint8_t> EncodeCarBlock(const CarBlock& block, std::uint8_t followByte) {
  // The encoded width follows the marker; a marker other than 5 is written as a one-byte id block.
  const std::uint8_t marker =
      block.WidthMarker == kMarkerTwoByteId ? kMarkerTwoByteId : kMarkerOneByteId;
  const std::size_t h = marker == kMarkerTwoByteId ? 1 : 0;
  std::vector<std::uint8_t> bytes(34 + h, 0);
  // Tail of the previous instruction: minimum delay 0, maximum delay 10000, handle variable.
  bytes[0] = 0x00;
  bytes[1] = 0x05;
  bytes[2] = 0x10;
  bytes[3] = 0x27;
  bytes[4] = 0x02;
  PutWord(bytes, 5, kDemoHandleVariable);
  // Instruction 0x014B and its coordinate parameters, each behind the 16-bit fixed-point type.
  bytes[7] = 0x4B;
  bytes[8] = 0x01;
  bytes[9] = 0x06;
  PutWord(bytes, 10, static_cast<std::uint16_t>(block.XPos));
  bytes[12] = 0x06;
  PutWord(bytes, 13, static_cast<std::uint16_t>(block.YPos));
  bytes[15] = 0x06;
  PutWord(bytes, 16, block.UnknownWord);
  bytes[18] = 0x06;
  PutWord(bytes, 19, static_cast<std::uint16_t>(block.Heading));
  bytes[21] = marker;
  bytes[22] = block.CarId;
  if (h == 1) bytes[23] = 0x00;
  // Colour 1 and 2 random, no forced spawn, then alarm and lock, each behind the 8-bit type.
  bytes[23 + h] = 0x04;
  bytes[24 + h] = 0xFF;
  bytes[25 + h] = 0x04;
  bytes[26 + h] = 0xFF;
  bytes[27 + h] = 0x04;
  bytes[28 + h] = 0x00;
  bytes[29 + h] = 0x04;
  bytes[30 + h] = block.Alarm;
  bytes[31 + h] = 0x04;
  bytes[32 + h] = block.Lock;
  bytes[33 + h] = followByte;
  return bytes;
}

std::optional<CarBlock> DecodeCarBlock(std::int64_t address,
                                       std::span<const std::uint8_t, kMaxBlockBytes> bytes) {
  const std::uint8_t marker = bytes[static_cast<int>(BlockField::WidthMarker)];
  const std::optional<int> hiCar = HiCarFromMarker(marker);
  if (!hiCar) return std::nullopt;

  CarBlock block;
  block.Address = address;
  block.WidthMarker = marker;
  block.HiCar = *hiCar;
  block.CarId = bytes[static_cast<int>(BlockField::CarId)];
  block.XPos = static_cast<std::int16_t>(WordAt(bytes, static_cast<int>(BlockField::XPos)));
  block.YPos = static_cast<std::int16_t>(WordAt(bytes, static_cast<int>(BlockField::YPos)));
  block.UnknownWord = WordAt(bytes, static_cast<int>(BlockField::UnknownWord));
  block.Heading = static_cast<std::int16_t>(WordAt(bytes, static_cast<int>(BlockField::Heading)));
  block.Alarm = bytes[static_cast<std::size_t>(FieldAddress(0, BlockField::Alarm, *hiCar))];
  block.Lock = bytes[static_cast<std::size_t>(FieldAddress(0, BlockField::Lock, *hiCar))];
  return block;
}

std::optional<CarBlock> ReadCarBlock(const ScriptFile& file, std::int64_t address) {
  std::array<std::uint8_t, kMaxBlockBytes> bytes{};
  file.ReadBytes(address, bytes.data(), bytes.size());
  return DecodeCarBlock(address, bytes);
}

}  // namespace tovick
