#pragma once
// Carrying a script's parked-car instructions into a save: every matched instruction's values
// written into its slot (a model change brings the model's bounding box from another slot), the
// checksum renewed, nothing else of the save touched.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "save/generator_match.h"
#include "save/generator_slot.h"
#include "save/save_layout.h"
#include "scm/generator_instruction.h"

namespace tovick {

struct SlotChange {
  int Slot = 0;
  SlotField Field = SlotField::Model;
  std::string Before;
  std::string After;
};

struct SyncPlan {
  GeneratorMatching Matching;
  // Said on standard error: instructions carried nowhere or not carried, slots that cannot be
  // told, boxes kept.
  std::vector<std::string> Notes;
  // In slot order, field by field.
  std::vector<SlotChange> Changes;
  int ChangedSlots = 0;
  // At least a quarter of the instructions (and at least one) agree with the slot their variable
  // names, before any change: edits to most cars still leave the evidence standing.
  bool MadeWithScript = false;
  // The save with the changes and its checksum renewed; the same bytes when nothing changes.
  std::vector<std::uint8_t> Patched;
};

// save is a whole save whose layout ReadSaveLayout gave.
SyncPlan PlanSaveSync(std::span<const GeneratorInstruction> instructions,
                      std::span<const std::uint8_t> save, const SaveLayout& layout);

// Appends a change for each field (the uses remaining included) in which after differs from
// before, in field order; true when any does or the bounding box differs.
bool AddSlotChanges(int slot, const GeneratorSlot& before, const GeneratorSlot& after,
                    std::vector<SlotChange>& changes);
// "slot 6: ALARM 40 -> 0": how the reports print a change, after the save's name.
std::string SlotChangeText(const SlotChange& change);

// "the instruction at offset 65307": how the notes name an instruction.
std::string InstructionName(const GeneratorInstruction& instruction);

}  // namespace tovick
