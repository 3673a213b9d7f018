#pragma once
// A generator instruction seen as the editor sees a block: its address (the opcode's offset less
// the seven bytes of the instruction before it), the width marker (the model's type byte), the
// vehicle id (the model's low byte), and the fields a plug-in record carries.

#include <cstdint>
#include <optional>

#include "scm/car_block.h"
#include "scm/generator_instruction.h"

namespace tovick {

// The bytes of the instruction before the opcode that the editor counts into a block.
inline constexpr std::int64_t kRecordLeadBytes = 7;

// The address a plug-in record names the instruction by: opcodeOffset - kRecordLeadBytes.
std::int64_t RecordAddressOf(const GeneratorInstruction& instruction);

// A value as the editor's fields show it: the byte (0 to 255) of an 8-bit value, otherwise the
// value as stored.
std::int64_t EditorValue(const GeneratorValue& value);

// The block the editor would show: every field from the instruction, the vehicle id its model's
// low byte, HiCar 1 for a model wider than one byte, alarm and lock their low bytes.
CarBlock EditorBlockOf(const GeneratorInstruction& instruction);

// Where the editor's write of this field goes and how wide it is, or nothing when the instruction
// holds the field at another width than the editor writes (alarm or lock not 8-bit). The vehicle
// id is always the model's low byte; the width marker is never written.
struct FieldSlot {
  std::int64_t Offset = 0;
  int Width = 1;
};
std::optional<FieldSlot> EditorSlotOf(const GeneratorInstruction& instruction, BlockField field);

}  // namespace tovick
