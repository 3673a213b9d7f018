#include "save/save_sync.h"

#include <map>
#include <optional>

namespace tovick {

namespace {

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

bool AddSlotChanges(int slot, const GeneratorSlot& before, const GeneratorSlot& after,
                    std::vector<SlotChange>& changes) {
  bool changed = after.Box != before.Box;
  for (int i = 0; i <= static_cast<int>(SlotField::UsesRemaining); ++i) {
    const auto field = static_cast<SlotField>(i);
    if (SameField(before, after, field)) continue;
    changes.push_back({slot, field, SlotFieldText(before, field), SlotFieldText(after, field)});
    changed = true;
  }
  return changed;
}

std::string SlotChangeText(const SlotChange& change) {
  return "slot " + std::to_string(change.Slot) + ": " + std::string(SlotFieldName(change.Field)) +
         " " + change.Before + " -> " + change.After;
}

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
      if (const auto box = ModelBox(save, layout, after.Model)) {
        after.Box = *box;
      } else {
        plan.Notes.push_back("slot " + std::to_string(*slot) +
                             ": no slot of this save holds model " + std::to_string(after.Model) +
                             ", so its bounding box is kept");
      }
    }
    written[*slot] = after;
  }

  for (const auto& [slot, after] : written) {
    if (!AddSlotChanges(slot, ReadSlot(save, layout, slot), after, plan.Changes)) continue;
    ++plan.ChangedSlots;
    EncodeSlot(after, std::span(plan.Patched)
                          .subspan(layout.SlotsOffset +
                                       static_cast<std::size_t>(slot) * kGeneratorSlotSize,
                                   kGeneratorSlotSize));
  }
  if (plan.ChangedSlots == 0) return plan;
  MoveSaveChecksum(plan.Patched, save, layout, layout.SlotsOffset,
                   layout.SlotsOffset + kGeneratorArraySize);
  return plan;
}

}  // namespace tovick
