#pragma once
// What creating a plug-in writes: the header, the comment lines and one record per marked block,
// read from the mission script, worked out before the file is touched.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "plugin/script_reader.h"
#include "scm/car_table.h"
#include "scm/generator_instruction.h"

namespace tovick {

inline constexpr std::string_view kPlugInExtension = ".TOVICK1";

// The blocks 1..BlockCnt whose mark is exactly 1 (marks[n] is block n's; a missing entry is 0).
int CountMarkedBlocks(const CarTable& table, std::span<const std::uint8_t> marks);

struct PlugInCreation {
  // The whole file; after the guard, only as far as it got.
  std::string Content;
  // The records in Content.
  int RecordCount = 0;
  // Set when a marked block's width marker was neither 4 nor 5 (the table admits none, so this
  // is a guard): the block it stopped at.
  std::optional<int> InvalidMarkerBlock;

  bool Complete() const { return !InvalidMarkerBlock; }
};

// One record per marked block, in ascending block number, with the values the script holds now.
PlugInCreation PlanPlugInCreation(const CarTable& table, std::span<const std::uint8_t> marks,
                                  const ScriptReader& read);

// One record per marked instruction (marks[n] is instruction n's, numbered from 1 in file order),
// in ascending number, as PlugInRecordOf gives it. Always complete: every model type is a HICAR ID.
PlugInCreation PlanPlugInCreation(std::span<const GeneratorInstruction> instructions,
                                  std::span<const std::uint8_t> marks);

// The name a plug-in is saved under: the chosen name, with ".TOVICK1" appended unless its last
// eight characters spell it already in any mix of cases ("cars" gives "cars.TOVICK1", "cars.txt"
// gives "cars.txt.TOVICK1", "x.ToViCk1" stays). The caller cuts it to its path buffer.
std::string PlugInFileName(std::string_view chosen);

}  // namespace tovick
