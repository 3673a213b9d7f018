#pragma once
// A generated mission script held in memory with its scanned car table, for the plug-in tests.

#include <cstdint>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "plugin/plugin_apply.h"
#include "plugin/script_reader.h"
#include "scm/car_block.h"
#include "scm/car_table.h"

namespace tovick::testing {

struct GeneratedScript {
  std::vector<std::uint8_t> Bytes;
  CarTable Table;
  std::vector<CarBlock> Plan;  // block n is Plan[n - 1]

  const CarBlock& Block(int n) const { return Plan[static_cast<std::size_t>(n - 1)]; }
};

inline GeneratedScript Generate(std::uint32_t seed = 1, int blockCount = demo::kDemoBlockCount) {
  GeneratedScript script;
  script.Bytes = demo::GenerateScript(
      seed, {.Length = demo::FullTableLength(seed, blockCount), .BlockCount = blockCount});
  script.Plan = demo::PlanCarTable(seed, {.BlockCount = blockCount});
  std::vector<std::uint8_t> window(kScanWindowSize);
  ReaderOf(script.Bytes)(kScanFirst, window.data(), window.size());
  ScanCarTable(window, script.Table);
  return script;
}

// Writes a step's values into the bytes, as the editor writes them into the script.
inline void WriteStep(std::vector<std::uint8_t>& bytes, const PlugInStep& step) {
  for (const PlugInWrite& write : step.Writes) {
    const auto at = static_cast<std::size_t>(write.Offset);
    bytes.at(at) = static_cast<std::uint8_t>(write.Value & 0xFF);
    if (write.Width == 2) bytes.at(at + 1) = static_cast<std::uint8_t>(write.Value >> 8);
  }
}

}  // namespace tovick::testing
