#pragma once
// What the commands of tovick-cars share: the files they read and write, with the messages and exit
// codes of each failure, and the usage error.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "plugin/script_table.h"
#include "save/save_layout.h"
#include "save/save_listing.h"
#include "scm/file_uses.h"
#include "scm/whole_file.h"
#include "vehicles/definitions.h"
#include "zones/zones.h"

namespace tovick::companion {

// "tovick-cars COMMAND: problem (see tovick-cars COMMAND --help)" on standard error (command is
// empty for the listing); returns kExitUsage.
int UsageError(const std::string& command, const std::string& problem);

// "tovick-cars: A and B are the same file; nothing written" and kExitUsage when an output of the
// run is one of its inputs or another output.
std::optional<int> RefuseOverlap(const FileUses& uses);

// Reads a regular text file of at most kMaxTextFileBytes (definitions, zones, a plug-in); says why
// on standard error and returns kExitCannotOpen when it cannot.
std::optional<int> ReadInputFile(const std::string& what, const std::string& path,
                                 std::string& contents);

// The name files given (definitions, zones), as inputs of the run.
void AddNameFileInputs(FileUses& uses, const NameFiles& files);

struct Names {
  VehicleTable Vehicles;
  bool HaveVehicles = false;
  ZoneTable Zones;

  const VehicleTable* VehiclesOrNull() const { return HaveVehicles ? &Vehicles : nullptr; }
};
std::optional<int> ReadNames(const NameFiles& files, Names& names);
// The opening of a command that reads input and the name files and writes at most output: an
// output that is also an input refused (RefuseOverlap), then the name files read.
std::optional<int> ReadNamesBeside(const std::string& input, const NameFiles& files,
                                   const std::optional<std::string>& output, Names& names);

// Reads the script and finds its records, with the messages of each refusal. Says on standard
// error when no record is found. A malformed car table is left to ScanOutcome, so that a listing
// still shows the blocks before the fault.
std::optional<int> ReadScript(const std::string& path, bool anywhere, ScriptTable& table);
// For the commands that must write: kExitDoesNotFit when an anywhere table is empty.
std::optional<int> RefuseEmpty(const std::string& path, const ScriptTable& table);
// The malformed-table message and kExitMalformed, or kExitOk.
int ScanOutcome(const ScriptTable& table);

struct SaveImage {
  std::string Path;
  std::unique_ptr<WholeFile> File;      // mapped where it can be: no copy of 200 KB per save
  std::span<const std::uint8_t> Bytes;  // File's
  SaveLayout Layout;
};
// Reads a save; an exit code when it cannot be opened (kExitCannotOpen) or is no GTA III save
// (kExitDoesNotFit; an empty file included). A damaged checksum is refused too unless
// acceptDamaged, and said on standard error.
std::optional<int> LoadSave(const std::string& path, bool acceptDamaged, SaveImage& image);

// For the commands that patch saves: LoadSave refusing a damaged save, and unless check an Xbox
// save too (signed by the console), said with kExitDoesNotFit.
std::optional<int> LoadSaveToPatch(const std::string& path, bool check, SaveImage& image);

// A save of a run, checked and planned.
struct PlannedSave {
  const SaveImage& Save;
  const std::vector<std::string>& Notes;  // said on standard error
  std::span<const std::uint8_t> Patched;
  bool Changes;        // Patched differs from the save
  std::string Report;  // printed on standard output
};
// Ends a run over its planned saves, in order. Unless check, each save that changes is first
// asked whether it may be written (read-only, another's), so that a refusal (said, and
// kExitWriteFailed) stops the run before its first write. Then per save: its notes, the save kept
// as SAVE.b.bak and Patched written over it when it changes and not check, its report. A failed
// write is said ("it is unchanged") and ends the run with kExitWriteFailed.
std::optional<int> WritePlannedSaves(const std::vector<PlannedSave>& saves, bool check);

// Writes a whole output in one step to the file path names, or byte for byte to standard output
// when there is none (binary on Windows, where a plug-in's CR LF must stay as it is); on failure
// says why and returns kExitWriteFailed.
std::optional<int> WriteOutput(const std::string& what, const std::optional<std::string>& path,
                               std::string_view contents);
// The saves a command patches: each replaced in place and its .bak written, or with check only
// read.
void AddSaves(FileUses& uses, const std::vector<std::string>& saves, bool check);
// The listing of a loaded save, its models named when names has vehicles.
SaveListing ListingOf(const SaveImage& save, const Names& names);

}  // namespace tovick::companion
