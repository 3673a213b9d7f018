#pragma once
// The car tables of two copies of a mission script compared block by block and field by field,
// telling the changes a plug-in record carries from those it cannot.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scm/car_block.h"
#include "scm/generator_instruction.h"

namespace tovick {

// One block as it stands in a script: its fields, and its bytes (CarBlockSize of them).
struct BlockImage {
  CarBlock Block;
  std::vector<std::uint8_t> Bytes;
};

struct FieldChange {
  // The field as the window names it ("CAR ID", "X-POS", "UTELLME", ...), or a byte no plug-in
  // carries: "WIDTH MARKER", "ID HIGH BYTE", "FOLLOW BYTE" or "BYTE +N".
  std::string Field;
  std::int64_t Old = 0;
  std::int64_t New = 0;
  bool Carried = true;
};

struct BlockChange {
  int Number = 0;  // from 1, in table order
  std::int64_t Address = 0;
  std::vector<FieldChange> Fields;
};

struct TableDiff {
  // Empty when both tables have the same block count and addresses; otherwise where they part,
  // and Changes is empty.
  std::string Parting;
  std::vector<BlockChange> Changes;

  bool Comparable() const { return Parting.empty(); }
  bool AllCarried() const;
};

TableDiff DiffCarTables(std::span<const BlockImage> original, std::span<const BlockImage> changed);

// The same for the generator instructions of two scripts, numbered in file order, each at its
// record address (the opcode less seven). A plug-in carries the vehicle id (the model's low byte),
// X, Y, UTELLME (Z), HEADING, and ALARM and LOCK where they are 8-bit; every other change ("MODEL"
// beyond its low byte, "COLOUR 1", "COLOUR 2", "FORCE SPAWN", "MIN DELAY", "MAX DELAY", "HANDLE",
// an alarm or lock wider than a byte, or "<NAME> TYPE" when a parameter's type differs) is not.
TableDiff DiffGeneratorInstructions(std::span<const GeneratorInstruction> original,
                                    std::span<const GeneratorInstruction> changed);

}  // namespace tovick
