#pragma once
// A mission script read whole into memory with its parked-car records: the blocks of the editor's
// scan window, or every generator instruction anywhere in the file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scm/car_table.h"
#include "scm/file_io.h"
#include "scm/generator_instruction.h"
#include "scm/whole_file.h"

namespace tovick {

enum class ScriptTableRead {
  Read,        // also with a malformed car table: the blocks before the fault are there
  CannotOpen,  // see WholeFileRead
  TooLarge,    // more than kMaxScriptFileBytes
  TooShort,    // without anywhere: shorter than the editor's minimum
};

struct ScriptTable {
  WholeFile File;
  std::span<const std::uint8_t> Bytes;  // File's
  bool Anywhere = false;
  ScanResult Scan;  // the editor's scan; never an error with anywhere
  CarTable Table;   // the editor's blocks; empty with anywhere
  // With anywhere: record n is instruction [n - 1], in file order.
  std::vector<GeneratorInstruction> Instructions;
  // Record n's address at [n - 1]: the block's, or the instruction's opcode offset less 7.
  std::vector<std::int64_t> Addresses;
  // Without anywhere, when the window holds no block: the records that lie elsewhere in the file.
  std::vector<std::int64_t> Elsewhere;
};

ScriptTableRead ReadScriptTable(FileIo& io, const std::string& path, bool anywhere,
                                ScriptTable& table);

}  // namespace tovick
