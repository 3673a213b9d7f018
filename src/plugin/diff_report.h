#pragma once
// The car tables of two copies of a script compared: what each side holds, the report as a table
// or as JSON, and the plug-in that carries the changes.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "plugin/script_table.h"
#include "scm/block_diff.h"
#include "scm/generator_instruction.h"

namespace tovick {

// What a script holds for the diff: the editor's blocks, or with anywhere its instructions.
struct DiffSide {
  std::vector<BlockImage> Blocks;
  std::vector<GeneratorInstruction> Instructions;
  std::size_t Count(bool anywhere) const { return anywhere ? Instructions.size() : Blocks.size(); }
};

// Takes the records out of a table read for the diff (the instructions are moved).
DiffSide DiffSideOf(ScriptTable& table);

TableDiff DiffSides(const DiffSide& original, const DiffSide& changed, bool anywhere);

struct DiffNames {
  std::string Original;
  std::string Changed;
  std::optional<std::string> PlugIn;  // set when the plug-in was written
};

std::string RenderDiffTable(const DiffNames& names, const TableDiff& diff, std::size_t count);
std::string RenderDiffJson(const DiffNames& names, const TableDiff& diff, std::size_t originalCount,
                           std::size_t changedCount);

// "N change(s) a plug-in cannot carry (block 3 WIDTH MARKER, ...)"
std::string NotCarriedText(const TableDiff& diff);

// The plug-in of the changed blocks, as the editor writes one: preamble, then one record per
// block in ascending number, with the values of the changed script.
std::string DiffPlugInText(const TableDiff& diff, const DiffSide& changed, bool anywhere);

}  // namespace tovick
