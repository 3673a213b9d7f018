#pragma once
// The report of a mission script's car table: one row per block found, rendered as
// an aligned text table or as JSON.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/script_table.h"
#include "scm/car_block.h"
#include "scm/car_table.h"
#include "scm/generator_instruction.h"
#include "vehicles/definitions.h"
#include "zones/zones.h"

namespace tovick {

struct CarRow {
  int Number = 0;
  CarBlock Block;  // with anywhere, the editor's view of the instruction
  std::optional<GeneratorInstruction> Instruction;  // with anywhere
  std::string Name;  // empty without definitions or for an unnamed id
  bool Unsafe = false;
  std::vector<std::string> Zones;
};

struct CarReport {
  std::string ScriptPath;
  std::int64_t Length = 0;
  ScanResult Scan;
  // The rows are the parked-car records of the whole file, not the editor's blocks.
  bool Anywhere = false;
  std::vector<CarRow> Rows;
};

// One row per record of the table (numbered from 1): the editor's blocks, or with anywhere its
// instructions. vehicles may be null (no names).
CarReport BuildReport(const std::string& scriptPath, const ScriptTable& table,
                      const VehicleTable* vehicles, const ZoneTable& zones);

std::string RenderTable(const CarReport& report);
std::string RenderJson(const CarReport& report);

}  // namespace tovick
