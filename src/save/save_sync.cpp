#include "save/save_sync.h"

#include <cmath>
#include <map>
#include <optional>

namespace tovick {

namespace {

constexpr SlotField kAllFields[] = {
    SlotField::Model,   SlotField::X,       SlotField::Y,        SlotField::Z,
    SlotField::Heading, SlotField::Colour1, SlotField::Colour2,  SlotField::ForceSpawn,
    SlotField::Alarm,   SlotField::Lock,    SlotField::MinDelay, SlotField::MaxDelay,
};

// The lowest slot in use that holds the model, in the save as it was.
std::optional<int> SlotOfModel(std::span<const std::uint8_t> save, const SaveLayout& layout,
                               std::int32_t model) {
  for (int slot = 0; slot < static_cast<int>(layout.GeneratorCount); ++slot) {
    if (ReadSlot(save, layout, slot).Model == model) return slot;
  }
  return std::nullopt;
}

// As the reports' shortest texts compare (-0 is not 0, every NaN is "nan"), without making them.
bool SameField(const GeneratorSlot& a, const GeneratorSlot& b, SlotField field) {
  const double x = SlotFieldValue(a, field);
  const double y = SlotFieldValue(b, field);
  if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && std::isnan(y);
  return x == y && std::signbit(x) == std::signbit(y);
}

std::uint32_t ByteSum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (const std::uint8_t byte : bytes) sum += byte;
  return sum;
}

// Names the slot and every instruction that names it: the user decides, the program cannot.
std::string AmbiguityNote(const AmbiguousSlot& ambiguous,
                          std::span<const GeneratorInstruction> instructions) {
  std::string offsets;
  for (std::size_t i : ambiguous.Instructions) {
    offsets += (offsets.empty() ? "" : ", ") + std::to_string(instructions[i].opcodeOffset);
  }
  const char* const why =
      ambiguous.Slot == 0 ? " (a variable reads 0 until its instruction has run)" : "";
  return "slot " + std::to_string(ambiguous.Slot) + " is named by the handle variables of " +
         std::to_string(ambiguous.Instructions.size()) +
         " instructions that do not agree with it (at offsets " + offsets +
         "); which of them made it cannot be told" + why +
         ", so none of them is carried and the slot is left as it is";
}

}  // namespace

std::string InstructionName(const GeneratorInstruction& instruction) {
  return "the instruction at offset " + std::to_string(instruction.opcodeOffset);
}

SyncPlan PlanSaveSync(std::span<const GeneratorInstruction> instructions,
                      std::span<const std::uint8_t> save, const SaveLayout& layout) {
  SyncPlan plan;
  plan.Matching = MatchGenerators(instructions, save, layout);
  const auto agreeing = static_cast<std::size_t>(plan.Matching.AgreeingByVariable);
  plan.MadeWithScript = agreeing > 0 && 4 * agreeing >= instructions.size();
  plan.Patched.assign(save.begin(), save.end());

  // Each slot that cannot be told is said once, where its first instruction stands.
  std::map<std::size_t, const AmbiguousSlot*> ambiguousFrom;
  std::vector<bool> inAmbiguous(instructions.size(), false);
  for (const AmbiguousSlot& ambiguous : plan.Matching.Ambiguous) {
    ambiguousFrom[ambiguous.Instructions.front()] = &ambiguous;
    for (std::size_t i : ambiguous.Instructions) inAmbiguous[i] = true;
  }

  std::map<int, GeneratorSlot> written;  // slot -> its new values
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    const GeneratorInstruction& instruction = instructions[i];
    const std::optional<int> slot = plan.Matching.SlotOf[i];
    const std::int32_t model = instruction[GeneratorParam::Model].value;
    if (const auto found = ambiguousFrom.find(i); found != ambiguousFrom.end()) {
      plan.Notes.push_back(AmbiguityNote(*found->second, instructions));
    }
    if (inAmbiguous[i]) continue;
    if (!slot) {
      plan.Notes.push_back(InstructionName(instruction) + " (model " + std::to_string(model) +
                           ") has no slot in this save: carried nowhere");
      continue;
    }
    if (model < 0) {
      const std::string id = instruction[GeneratorParam::Model].width == 1
                                 ? "the one-byte model id " + std::to_string(model & 0xFF) +
                                       ", which the game reads as " + std::to_string(model)
                                 : "the model id " + std::to_string(model);
      plan.Notes.push_back(InstructionName(instruction) + " has " + id +
                           " (unsafe): not carried, slot " + std::to_string(*slot) +
                           " is left as it is");
      continue;
    }
    const GeneratorSlot before = ReadSlot(save, layout, *slot);
    GeneratorSlot after = CarriedSlot(instruction, before);
    if (after.Model != before.Model) {
      if (const std::optional<int> donor = SlotOfModel(save, layout, after.Model)) {
        after.Box = ReadSlot(save, layout, *donor).Box;
      } else {
        plan.Notes.push_back("slot " + std::to_string(*slot) +
                             ": no slot of this save holds model " + std::to_string(after.Model) +
                             ", so its bounding box is kept");
      }
    }
    written[*slot] = after;
  }

  std::uint32_t checksumDelta = 0;  // modulo 2^32, as the checksum
  for (const auto& [slot, after] : written) {
    const GeneratorSlot before = ReadSlot(save, layout, slot);
    bool changed = after.Box != before.Box;
    for (SlotField field : kAllFields) {
      if (SameField(before, after, field)) continue;
      plan.Changes.push_back(
          {slot, field, SlotFieldText(before, field), SlotFieldText(after, field)});
      changed = true;
    }
    if (!changed) continue;
    ++plan.ChangedSlots;
    const std::span<std::uint8_t> bytes = std::span(plan.Patched).subspan(
        layout.SlotsOffset + static_cast<std::size_t>(slot) * kGeneratorSlotSize,
        kGeneratorSlotSize);
    checksumDelta -= ByteSum(bytes);
    EncodeSlot(after, bytes);
    checksumDelta += ByteSum(bytes);
  }
  if (plan.ChangedSlots == 0) return plan;
  // A sound checksum moves by what the slots changed: no need to add up the whole save again.
  if (layout.ChecksumOk) {
    WriteU32(plan.Patched, layout.ChecksumOffset,
             ReadU32(save, layout.ChecksumOffset) + checksumDelta);
  } else {
    RenewSaveChecksum(plan.Patched, layout);
  }
  return plan;
}

}  // namespace tovick
