#pragma once
// Which slot of a save each parked-car instruction of a script made. The handle an instruction
// stores into its variable is its slot number, so the save's copy of a global handle variable
// names the slot; two instructions that share one variable, and handles in a mission's own local
// variables, are found by their values (model and position) instead.

#include <optional>
#include <span>
#include <vector>

#include "save/generator_slot.h"
#include "save/save_layout.h"
#include "scm/generator_instruction.h"

namespace tovick {

struct GeneratorMatching {
  // Per instruction, in the order given (file order): its slot, or none.
  std::vector<std::optional<int>> SlotOf;
  // Instructions whose slot holds their model and position, before any change.
  int Agreeing = 0;
};

// The slot the instruction's values would give: model, position and heading (the script value /
// 16, as the game stores it), colours, force spawn, alarm, lock and both delays over base; the
// rest of base stays.
GeneratorSlot CarriedSlot(const GeneratorInstruction& instruction, const GeneratorSlot& base);

// The slot holds the instruction's model and X, Y, Z.
bool AgreesInModelAndPosition(const GeneratorInstruction& instruction, const GeneratorSlot& slot);

// Slot in use number `slot` of the save (0 to GeneratorCount - 1).
GeneratorSlot ReadSlot(std::span<const std::uint8_t> save, const SaveLayout& layout, int slot);

// Matches in this order: the save's copy of a global handle variable inside its variable space
// names a slot in use; of several instructions naming one slot, the last in the file whose model
// and position equal the slot's keeps it (or, when none does, the last of them); the rest, in file
// order, take the lowest unclaimed slot whose model and position equal theirs.
GeneratorMatching MatchGenerators(std::span<const GeneratorInstruction> instructions,
                                  std::span<const std::uint8_t> save, const SaveLayout& layout);

}  // namespace tovick
