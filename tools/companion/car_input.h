#pragma once
// What the commands of tovick-cars read first, with the messages and exit codes they share: the
// optional definitions and zone files, and a mission script with the addresses of its blocks.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exit_codes.h"
#include "scm/car_table.h"
#include "scm/generator_instruction.h"
#include "scm/script_bytes.h"
#include "vehicles/definitions.h"
#include "zones/zones.h"

namespace tovick::companion {

// "tovick-cars: problem" and the usage text on standard error; returns kExitUsage.
int UsageError(const std::string& problem, const char* usage);
// "tovick-cars: Couldn't open the <what> file: <path>" on standard error; returns kExitCannotOpen.
int CannotOpen(const std::string& what, const std::string& path);
// Reads a regular text file of at most kMaxTextFileBytes (definitions, zones, a plug-in). When it
// cannot, says why on standard error (it cannot be opened, or it is too large) and returns
// kExitCannotOpen.
std::optional<int> ReadInputFile(const std::string& what, const std::string& path,
                                 std::string& contents);
// Writes an output file as given: unlike the editor's own files it may be a pipe or a device.
bool WriteOutputFile(const std::string& path, std::string_view contents);
// "tovick-cars: cannot write the <what> file: <path>" on standard error; returns kExitWriteFailed.
int CannotWrite(const std::string& what, const std::string& path);
// "tovick-cars: Couldn't use the .SCM file (larger than 64 MiB): <path>" on standard error;
// returns kExitCannotOpen.
int ScriptTooLarge(const std::string& path);
// The script's length below the least the editor loads, on standard error; returns kExitTooShort.
int TooShort(const std::string& path, std::int64_t length);
// The editor's car-table message with the offending offset, on standard error; returns
// kExitMalformed.
int MalformedTable(const ScanResult& scan, int blocksFound);

struct NameFiles {
  std::optional<std::string> IdePath;
  std::optional<std::string> ZonePath;
};

struct Names {
  VehicleTable Vehicles;
  bool HaveVehicles = false;
  ZoneTable Zones;

  const VehicleTable* VehiclesOrNull() const { return HaveVehicles ? &Vehicles : nullptr; }
};

// Reads the files given; an exit code when one cannot be opened.
std::optional<int> ReadNames(const NameFiles& files, Names& names);

// A mission script read whole into memory (at most kMaxScriptFileBytes), with its records: the
// blocks of the editor's scan window, or with anywhere every generator instruction in the file.
struct ScriptTable {
  ScriptBytes File;
  std::span<const std::uint8_t> Bytes;  // File's
  bool Anywhere = false;
  ScanResult Scan;  // the editor's scan; never an error with anywhere
  CarTable Table;   // the editor's blocks; empty with anywhere
  // With anywhere: record n is instruction [n - 1], in file order.
  std::vector<GeneratorInstruction> Instructions;
  // Record n's address at [n - 1]: the block's, or the instruction's opcode offset less 7.
  std::vector<std::int64_t> Addresses;
};

// Opens the script, checks its size (at most kMaxScriptFileBytes; and without anywhere at least
// the editor's minimum), reads it and finds its records. Without anywhere, when the window holds no
// block, says so on standard error with the instructions that lie elsewhere; with anywhere, says
// so when the file holds none. An exit code when the script cannot be read; a malformed car table
// is left to ScanOutcome, so that a listing still shows the blocks before the fault.
std::optional<int> ReadScriptTable(const std::string& path, bool anywhere, ScriptTable& table);

// For the commands that must write: "the script holds no parked-car generator instruction;
// nothing written" on standard error and kExitPlugInMisfit, when an anywhere table is empty.
std::optional<int> RefuseEmpty(const std::string& path, const ScriptTable& table);

// After the output: the malformed-table message and kExitMalformed, or kExitOk.
int ScanOutcome(const ScriptTable& table);

}  // namespace tovick::companion
