#include "save/generator_slot.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <string>

#include "save/save_layout.h"

namespace tovick {

namespace {

constexpr std::size_t kModel = 0x00;
constexpr std::size_t kX = 0x04;
constexpr std::size_t kY = 0x08;
constexpr std::size_t kZ = 0x0C;
constexpr std::size_t kHeading = 0x10;
constexpr std::size_t kColour1 = 0x14;
constexpr std::size_t kColour2 = 0x16;
constexpr std::size_t kForceSpawn = 0x18;
constexpr std::size_t kAlarm = 0x19;
constexpr std::size_t kLock = 0x1A;
constexpr std::size_t kMinDelay = 0x1C;
constexpr std::size_t kMaxDelay = 0x1E;
constexpr std::size_t kTimer = 0x20;
constexpr std::size_t kVehicleHandle = 0x24;
constexpr std::size_t kUsesRemaining = 0x28;
constexpr std::uint32_t kNoVehicle = 0xFFFFFFFF;

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void WriteU16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

float ReadF32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::bit_cast<float>(ReadU32(bytes, at));
}

void WriteF32(std::span<std::uint8_t> bytes, std::size_t at, float value) {
  WriteU32(bytes, at, std::bit_cast<std::uint32_t>(value));
}

}  // namespace

std::string_view SlotFieldName(SlotField field) {
  switch (field) {
    case SlotField::Model:
      return "MODEL";
    case SlotField::X:
      return "X";
    case SlotField::Y:
      return "Y";
    case SlotField::Z:
      return "Z";
    case SlotField::Heading:
      return "HEADING";
    case SlotField::Colour1:
      return "COLOUR1";
    case SlotField::Colour2:
      return "COLOUR2";
    case SlotField::ForceSpawn:
      return "FORCESPAWN";
    case SlotField::Alarm:
      return "ALARM";
    case SlotField::Lock:
      return "LOCK";
    case SlotField::MinDelay:
      return "MINDELAY";
    case SlotField::MaxDelay:
      return "MAXDELAY";
    case SlotField::UsesRemaining:
      return "USES";
  }
  return "";
}

GeneratorSlot DecodeSlot(std::span<const std::uint8_t> slotBytes) {
  GeneratorSlot slot;
  slot.Model = static_cast<std::int32_t>(ReadU32(slotBytes, kModel));
  slot.X = ReadF32(slotBytes, kX);
  slot.Y = ReadF32(slotBytes, kY);
  slot.Z = ReadF32(slotBytes, kZ);
  slot.Heading = ReadF32(slotBytes, kHeading);
  slot.Colour1 = static_cast<std::int16_t>(ReadU16(slotBytes, kColour1));
  slot.Colour2 = static_cast<std::int16_t>(ReadU16(slotBytes, kColour2));
  slot.ForceSpawn = slotBytes[kForceSpawn];
  slot.Alarm = slotBytes[kAlarm];
  slot.Lock = slotBytes[kLock];
  slot.MinDelay = ReadU16(slotBytes, kMinDelay);
  slot.MaxDelay = ReadU16(slotBytes, kMaxDelay);
  slot.UsesRemaining = ReadU16(slotBytes, kUsesRemaining);
  for (std::size_t i = 0; i < kSlotBoxBytes; ++i) slot.Box[i] = slotBytes[kSlotBoxOffset + i];
  return slot;
}

void EncodeSlot(const GeneratorSlot& slot, std::span<std::uint8_t> slotBytes) {
  WriteU32(slotBytes, kModel, static_cast<std::uint32_t>(slot.Model));
  WriteF32(slotBytes, kX, slot.X);
  WriteF32(slotBytes, kY, slot.Y);
  WriteF32(slotBytes, kZ, slot.Z);
  WriteF32(slotBytes, kHeading, slot.Heading);
  WriteU16(slotBytes, kColour1, static_cast<std::uint16_t>(slot.Colour1));
  WriteU16(slotBytes, kColour2, static_cast<std::uint16_t>(slot.Colour2));
  slotBytes[kForceSpawn] = slot.ForceSpawn;
  slotBytes[kAlarm] = slot.Alarm;
  slotBytes[kLock] = slot.Lock;
  WriteU16(slotBytes, kMinDelay, slot.MinDelay);
  WriteU16(slotBytes, kMaxDelay, slot.MaxDelay);
  WriteU16(slotBytes, kUsesRemaining, slot.UsesRemaining);
  for (std::size_t i = 0; i < kSlotBoxBytes; ++i) slotBytes[kSlotBoxOffset + i] = slot.Box[i];
}

void EncodeNewSlot(const GeneratorSlot& slot, std::span<std::uint8_t> slotBytes) {
  std::fill(slotBytes.begin(), slotBytes.begin() + kSlotBoxOffset, std::uint8_t{0});
  WriteU32(slotBytes, kTimer, 0);
  WriteU32(slotBytes, kVehicleHandle, kNoVehicle);
  EncodeSlot(slot, slotBytes);
}

double SlotFieldValue(const GeneratorSlot& slot, SlotField field) {
  switch (field) {
    case SlotField::Model:
      return slot.Model;
    case SlotField::X:
      return slot.X;
    case SlotField::Y:
      return slot.Y;
    case SlotField::Z:
      return slot.Z;
    case SlotField::Heading:
      return slot.Heading;
    case SlotField::Colour1:
      return slot.Colour1;
    case SlotField::Colour2:
      return slot.Colour2;
    case SlotField::ForceSpawn:
      return slot.ForceSpawn;
    case SlotField::Alarm:
      return slot.Alarm;
    case SlotField::Lock:
      return slot.Lock;
    case SlotField::MinDelay:
      return slot.MinDelay;
    case SlotField::MaxDelay:
      return slot.MaxDelay;
    case SlotField::UsesRemaining:
      return slot.UsesRemaining;
  }
  return 0;
}

bool SameField(const GeneratorSlot& a, const GeneratorSlot& b, SlotField field) {
  const double x = SlotFieldValue(a, field);
  const double y = SlotFieldValue(b, field);
  if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
  return x == y && std::signbit(x) == std::signbit(y);
}

std::string SlotFieldText(const GeneratorSlot& slot, SlotField field) {
  char text[64];
  const bool isFloat = field == SlotField::X || field == SlotField::Y || field == SlotField::Z ||
                       field == SlotField::Heading;
  std::to_chars_result done{};
  if (isFloat) {
    // A float's own shortest text, not a double's: the value exactly as the save holds it.
    const float value = static_cast<float>(SlotFieldValue(slot, field));
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    done = std::to_chars(text, text + sizeof text, value);
  } else {
    done = std::to_chars(text, text + sizeof text,
                         static_cast<long long>(SlotFieldValue(slot, field)));
  }
  return std::string(text, done.ptr);
}

}  // namespace tovick
