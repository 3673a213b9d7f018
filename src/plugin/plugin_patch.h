#pragma once
// What applying a plug-in does to a script held in memory: the patched bytes, and a line per field
// whose value changes; and which records a plug-in could not write back at all.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plugin/plugin_apply.h"
#include "scm/car_block.h"
#include "scm/generator_instruction.h"

namespace tovick {

struct PlugInPatch {
  std::vector<std::uint8_t> Patched;
  // "block N: FIELD before -> after", the value before being the one left by the records before.
  std::vector<std::string> Changes;
};

// The writes of every record step of plan, made on a copy of script.
PlugInPatch PatchScript(std::span<const std::uint8_t> script, const PlugInApplyPlan& plan);

// "the instruction holds ALARM wider than the byte a plug-in writes"
std::string UnwritableText(BlockField field);

// Why the step that stops an apply does not fit, in more words than the editor's message.
// recordCount: the script's blocks (or instructions, with anywhere).
std::string MisfitDetail(const PlugInStep& step, int recordCount, bool anywhere);

}  // namespace tovick
