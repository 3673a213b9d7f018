#pragma once
// The companion's report of a mission script's car table: one row per block found, rendered as
// an aligned text table or as JSON.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scm/car_block.h"
#include "scm/car_table.h"
#include "vehicles/definitions.h"
#include "zones/zones.h"

namespace tovick {

class ScriptFile;

namespace companion {

struct CarRow {
  int Number = 0;
  CarBlock Block;
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

// Reads the block at each address (numbered from 1) from the file. vehicles may be null (no names).
CarReport BuildReport(const std::string& scriptPath, const ScriptFile& file,
                      std::span<const std::int64_t> addresses, const ScanResult& scan,
                      const VehicleTable* vehicles, const ZoneTable& zones);

std::string RenderTable(const CarReport& report);
std::string RenderJson(const CarReport& report);

// A JSON string literal; bytes from 0x80 are written as the code points U+0080..U+00FF.
std::string JsonString(const std::string& text);

}  // namespace companion
}  // namespace tovick
