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

// A variable is a 32-bit word, so only whole words are tried. The phone editions' script moves the
// PC script's handles by 16 bytes; 16 words either way leaves room for a script that declares a
// few more or fewer. A wide bound costs little: agreeing takes the model and the exact position,
// so a wrong shift gathers a stray agreement or two, never as many as the right one.
constexpr int kShiftStep = 4;
constexpr int kMaxShift = 64;

// The slot the save's copy of the instruction's global handle variable names, read `shift` bytes
// from the script's offset, if that is inside the variable space and the slot is in use.
std::optional<int> SlotFromVariable(const GeneratorInstruction& instruction,
                                    std::span<const std::uint8_t> save, const SaveLayout& layout,
                                    int shift) {
  const GeneratorValue& handle = instruction[GeneratorParam::Handle];
  if (handle.type != kTypeGlobalVar) return std::nullopt;
  const std::int64_t offset =
      static_cast<std::int64_t>(static_cast<std::uint32_t>(handle.value)) + shift;
  if (offset < 0 || offset + 4 > static_cast<std::int64_t>(layout.VariableSpace)) {
    return std::nullopt;
  }
  const auto slot = static_cast<std::int32_t>(
      ReadU32(save, layout.VariablesOffset + static_cast<std::size_t>(offset)));
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

std::optional<std::array<std::uint8_t, kSlotBoxBytes>> ModelBox(std::span<const std::uint8_t> save,
                                                                const SaveLayout& layout,
                                                                std::int32_t model) {
  for (int slot = 0; slot < static_cast<int>(layout.GeneratorCount); ++slot) {
    // The model is the slot's first word: only the slot that holds it is decoded.
    const std::size_t at = layout.SlotsOffset + static_cast<std::size_t>(slot) * kGeneratorSlotSize;
    if (static_cast<std::int32_t>(ReadU32(save, at)) == model)
      return ReadSlot(save, layout, slot).Box;
  }
  return std::nullopt;
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
  auto namedAt = [&](int shift) {
    std::vector<std::optional<int>> named(instructions.size());
    for (std::size_t i = 0; i < instructions.size(); ++i) {
      named[i] = SlotFromVariable(instructions[i], save, layout, shift);
    }
    return named;
  };
  auto agreeingNamed = [&](const std::vector<std::optional<int>>& named) {
    int count = 0;
    for (std::size_t i = 0; i < named.size(); ++i) count += named[i] && agrees(i, *named[i]);
    return count;
  };

  GeneratorMatching matching;
  matching.SlotOf.assign(instructions.size(), std::nullopt);
  std::vector<bool> claimed(static_cast<std::size_t>(slotCount), false);
  auto take = [&](std::size_t i, int slot) {
    matching.SlotOf[i] = slot;
    claimed[static_cast<std::size_t>(slot)] = true;
  };

  // 1. The alignment: 0 first, then by distance, so that a tie keeps the nearer shift.
  std::vector<std::optional<int>> named(instructions.size());
  for (int distance = 0; distance <= kMaxShift; distance += kShiftStep) {
    for (int sign : {1, -1}) {
      if (distance == 0 && sign < 0) break;
      const int shift = sign * distance;
      std::vector<std::optional<int>> candidate = namedAt(shift);
      const int count = agreeingNamed(candidate);
      if (count > matching.AgreeingByVariable) {
        matching.AgreeingByVariable = count;
        matching.VariableShift = shift;
        named = std::move(candidate);
      }
    }
  }

  // 2. A variable borne out by the values.
  std::map<int, std::size_t> borneOut;  // slot -> the last instruction agreeing with it
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    if (named[i] && agrees(i, *named[i])) borneOut[*named[i]] = i;
  }
  for (const auto& [slot, i] : borneOut) take(i, slot);

  // 3. By values, in file order.
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    if (matching.SlotOf[i]) continue;
    for (int slot = 0; slot < slotCount; ++slot) {
      if (!claimed[static_cast<std::size_t>(slot)] && agrees(i, slot)) {
        take(i, slot);
        break;
      }
    }
  }

  // 4. A variable alone in naming a slot nothing else claimed.
  std::map<int, std::vector<std::size_t>> naming;
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    if (!matching.SlotOf[i] && named[i] && !claimed[static_cast<std::size_t>(*named[i])]) {
      naming[*named[i]].push_back(i);
    }
  }
  for (auto& [slot, left] : naming) {
    if (left.size() == 1) {
      take(left.front(), slot);
    } else {
      matching.Ambiguous.push_back({slot, std::move(left)});
    }
  }

  for (std::size_t i = 0; i < instructions.size(); ++i) {
    if (matching.SlotOf[i] && agrees(i, *matching.SlotOf[i])) ++matching.Agreeing;
  }
  return matching;
}

}  // namespace tovick
