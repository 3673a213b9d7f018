#pragma once
// Which slot of a save each parked-car instruction of a script made. The handle an instruction
// stores into its variable is its slot number, so the save's copy of a global handle variable
// names the slot; but a script that declares more or fewer variables than the one the game ran
// moves that copy (the phone editions' own script: 16 bytes), an instruction that has not run yet
// leaves its variable 0, and two instructions may share one variable. So a variable's word is
// believed only where the values (model and position) bear it out, or where nothing else can
// claim the slot; what cannot be told is left alone.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "save/generator_slot.h"
#include "save/save_layout.h"
#include "scm/generator_instruction.h"

namespace tovick {

// A slot in use that several instructions' variables name, none of which agrees with it: which
// of them made it cannot be told, so none is carried there.
struct AmbiguousSlot {
  int Slot = 0;
  std::vector<std::size_t> Instructions;  // indexes into the instructions, in file order
};

struct GeneratorMatching {
  // Per instruction, in the order given (file order): its slot, or none.
  std::vector<std::optional<int>> SlotOf;
  // Bytes added to the script's variable offsets to read the save's copy; none when no
  // instruction agrees with the slot its variable names under any shift tried.
  std::optional<int> VariableShift;
  // Under that shift, instructions whose variable names a slot that holds their model and
  // position before any change: the evidence that the save was made with the script.
  int AgreeingByVariable = 0;
  // Instructions whose slot, however found, holds their model and position before any change.
  int Agreeing = 0;
  std::vector<AmbiguousSlot> Ambiguous;  // in slot order
};

// The slot the instruction's values would give: model, position and heading (the script value /
// 16, as the game stores it), colours, force spawn, alarm, lock and both delays over base; the
// rest of base stays.
GeneratorSlot CarriedSlot(const GeneratorInstruction& instruction, const GeneratorSlot& base);

// The slot holds the instruction's model and X, Y, Z.
bool AgreesInModelAndPosition(const GeneratorInstruction& instruction, const GeneratorSlot& slot);

// Slot in use number `slot` of the save (0 to GeneratorCount - 1).
GeneratorSlot ReadSlot(std::span<const std::uint8_t> save, const SaveLayout& layout, int slot);

// The bounding box a slot given the model takes: that of the lowest slot in use holding it, in the
// save as it was (every slot of a model holds the same); none where no slot holds it.
std::optional<std::array<std::uint8_t, kSlotBoxBytes>> ModelBox(
    std::span<const std::uint8_t> save, const SaveLayout& layout, std::int32_t model);

// Matches in this order ("agrees": the same model and X, Y, Z):
//  1. the variables are read at the shift of the script's offsets under which the most
//     instructions agree with the slot their variable names (0 first, then by distance); with
//     no agreement under any, no variable is believed and only step 3 matches;
//  2. an instruction that agrees with the slot its variable names takes it (of several, the
//     last in the file);
//  3. each instruction left, in file order, takes the lowest unclaimed slot it agrees with;
//  4. an unclaimed slot named by exactly one instruction still left goes to it (an edited car);
//     one named by several goes to none of them (Ambiguous);
//  5. the rest have no slot.
GeneratorMatching MatchGenerators(std::span<const GeneratorInstruction> instructions,
                                  std::span<const std::uint8_t> save, const SaveLayout& layout);

}  // namespace tovick
