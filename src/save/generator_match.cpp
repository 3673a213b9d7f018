#include "save/generator_match.h"

#include <map>

namespace tovick {

namespace {

constexpr float kUnitsPerWorld = 16.0f;

float World(std::int32_t fixed) {
  // A 16-bit fixed-point value / 16 is exact in a float.
  return static_cast<float>(fixed) / kUnitsPerWorld;
}

std::int32_t Value(const GeneratorInstruction& instruction, GeneratorParam param) {
  return instruction[param].value;
}

// The slot the save's copy of the instruction's global handle variable names, if it is in use.
std::optional<int> SlotFromVariable(const GeneratorInstruction& instruction,
                                    std::span<const std::uint8_t> save, const SaveLayout& layout) {
  const GeneratorValue& handle = instruction[GeneratorParam::Handle];
  if (handle.type != kTypeGlobalVar) return std::nullopt;
  const auto offset = static_cast<std::uint32_t>(handle.value);
  if (layout.VariableSpace < 4 || offset > layout.VariableSpace - 4) return std::nullopt;
  const auto slot = static_cast<std::int32_t>(ReadU32(save, layout.VariablesOffset + offset));
  if (slot < 0 || static_cast<std::uint32_t>(slot) >= layout.GeneratorCount) return std::nullopt;
  return slot;
}

}  // namespace

GeneratorSlot CarriedSlot(const GeneratorInstruction& instruction, const GeneratorSlot& base) {
  GeneratorSlot slot = base;
  slot.Model = Value(instruction, GeneratorParam::Model);
  slot.X = World(Value(instruction, GeneratorParam::X));
  slot.Y = World(Value(instruction, GeneratorParam::Y));
  slot.Z = World(Value(instruction, GeneratorParam::Z));
  slot.Heading = World(Value(instruction, GeneratorParam::Heading));
  // Narrowed to the slot's widths, as the game stores them.
  slot.Colour1 = static_cast<std::int16_t>(Value(instruction, GeneratorParam::Colour1));
  slot.Colour2 = static_cast<std::int16_t>(Value(instruction, GeneratorParam::Colour2));
  slot.ForceSpawn = static_cast<std::uint8_t>(Value(instruction, GeneratorParam::ForceSpawn));
  slot.Alarm = static_cast<std::uint8_t>(Value(instruction, GeneratorParam::Alarm));
  slot.Lock = static_cast<std::uint8_t>(Value(instruction, GeneratorParam::Lock));
  slot.MinDelay = static_cast<std::uint16_t>(Value(instruction, GeneratorParam::MinDelay));
  slot.MaxDelay = static_cast<std::uint16_t>(Value(instruction, GeneratorParam::MaxDelay));
  return slot;
}

bool AgreesInModelAndPosition(const GeneratorInstruction& instruction, const GeneratorSlot& slot) {
  return slot.Model == Value(instruction, GeneratorParam::Model) &&
         slot.X == World(Value(instruction, GeneratorParam::X)) &&
         slot.Y == World(Value(instruction, GeneratorParam::Y)) &&
         slot.Z == World(Value(instruction, GeneratorParam::Z));
}

GeneratorSlot ReadSlot(std::span<const std::uint8_t> save, const SaveLayout& layout, int slot) {
  return DecodeSlot(
      save.subspan(layout.SlotsOffset + static_cast<std::size_t>(slot) * kGeneratorSlotSize,
                   kGeneratorSlotSize));
}

GeneratorMatching MatchGenerators(std::span<const GeneratorInstruction> instructions,
                                  std::span<const std::uint8_t> save, const SaveLayout& layout) {
  const int slotCount = static_cast<int>(layout.GeneratorCount);
  std::vector<GeneratorSlot> slots;
  slots.reserve(static_cast<std::size_t>(slotCount));
  for (int s = 0; s < slotCount; ++s) slots.push_back(ReadSlot(save, layout, s));
  auto agrees = [&](std::size_t i, int slot) {
    return AgreesInModelAndPosition(instructions[i], slots[static_cast<std::size_t>(slot)]);
  };

  GeneratorMatching matching;
  matching.SlotOf.assign(instructions.size(), std::nullopt);
  std::vector<bool> claimed(static_cast<std::size_t>(slotCount), false);

  // By variable: the instructions naming each slot, in file order.
  std::map<int, std::vector<std::size_t>> naming;
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    if (const std::optional<int> slot = SlotFromVariable(instructions[i], save, layout)) {
      naming[*slot].push_back(i);
    }
  }
  for (const auto& [slot, named] : naming) {
    std::size_t keeper = named.back();
    for (auto it = named.rbegin(); it != named.rend(); ++it) {
      if (agrees(*it, slot)) {
        keeper = *it;
        break;
      }
    }
    matching.SlotOf[keeper] = slot;
    claimed[static_cast<std::size_t>(slot)] = true;
  }

  // By values, in file order, for every instruction still without a slot.
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    if (matching.SlotOf[i]) continue;
    for (int slot = 0; slot < slotCount; ++slot) {
      if (!claimed[static_cast<std::size_t>(slot)] && agrees(i, slot)) {
        matching.SlotOf[i] = slot;
        claimed[static_cast<std::size_t>(slot)] = true;
        break;
      }
    }
  }

  for (std::size_t i = 0; i < instructions.size(); ++i) {
    if (matching.SlotOf[i] && agrees(i, *matching.SlotOf[i])) ++matching.Agreeing;
  }
  return matching;
}

}  // namespace tovick
