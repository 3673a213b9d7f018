#pragma once
// One of the save's 160 car-generator slots (72 bytes): what the parked-car instruction put there,
// what the game keeps of its own, and the model's bounding box.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tovick {

// The values a parked-car instruction gives its slot, in the instruction's order.
enum class SlotField {
  Model,
  X,
  Y,
  Z,
  Heading,
  Colour1,
  Colour2,
  ForceSpawn,
  Alarm,
  Lock,
  MinDelay,
  MaxDelay,
  // Not the instruction's: another instruction sets it; an import writes it (0 switches off).
  UsesRemaining,
};
inline constexpr int kSlotFieldCount = 12;  // the instruction's, Model to MaxDelay

// The bounding-box corners and the longer corner's length: seven floats from offset 0x2C.
inline constexpr std::size_t kSlotBoxOffset = 0x2C;
inline constexpr std::size_t kSlotBoxBytes = 0x48 - kSlotBoxOffset;

struct GeneratorSlot {
  std::int32_t Model = 0;
  float X = 0, Y = 0, Z = 0;
  float Heading = 0;  // degrees
  std::int16_t Colour1 = 0, Colour2 = 0;
  std::uint8_t ForceSpawn = 0, Alarm = 0, Lock = 0;
  std::uint16_t MinDelay = 0, MaxDelay = 0;
  std::uint16_t UsesRemaining = 0;  // set by another instruction; 65535 for ever
  std::array<std::uint8_t, kSlotBoxBytes> Box{};

  friend bool operator==(const GeneratorSlot&, const GeneratorSlot&) = default;
};

// "MODEL", "X", ... "MAXDELAY": the field's name in the reports.
std::string_view SlotFieldName(SlotField field);

// The slot's 72 bytes read, or written back: the carried fields, the uses remaining and the box;
// the game's own bytes (timer, vehicle handle, blocking flag, padding) are never written.
GeneratorSlot DecodeSlot(std::span<const std::uint8_t> slotBytes);
void EncodeSlot(const GeneratorSlot& slot, std::span<std::uint8_t> slotBytes);
// A slot past the count in use: as EncodeSlot, and the game's own bytes as a fresh generator has
// them (timer 0, no vehicle made (-1), not blocked, padding 0).
void EncodeNewSlot(const GeneratorSlot& slot, std::span<std::uint8_t> slotBytes);

// A field's value as a number (floats exactly as stored), for the reports and the JSON.
double SlotFieldValue(const GeneratorSlot& slot, SlotField field);
// The field holds the same in both, as the reports' shortest texts compare (-0 is not 0, every NaN
// is "nan"), without making them.
bool SameField(const GeneratorSlot& a, const GeneratorSlot& b, SlotField field);
// The shortest text that reads back as the same number: "40", "-1", "1234.5625".
std::string SlotFieldText(const GeneratorSlot& slot, SlotField field);

}  // namespace tovick
