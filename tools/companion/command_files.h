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

struct Names {
  VehicleTable Vehicles;
  bool HaveVehicles = false;
  ZoneTable Zones;

  const VehicleTable* VehiclesOrNull() const { return HaveVehicles ? &Vehicles : nullptr; }
};
std::optional<int> ReadNames(const NameFiles& files, Names& names);

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

// For the commands that patch saves. An Xbox save (signed by the console): the refusal said and
// kExitDoesNotFit.
std::optional<int> RefuseSignedSave(const SaveImage& save);
// A save that may not be written (read-only, another's), asked before the first save is written:
// said, and kExitWriteFailed.
std::optional<int> RefuseUnwritableSave(const std::string& path);
// The save kept as SAVE.b.bak, then patched written over it; on failure said ("it is unchanged")
// and kExitWriteFailed.
std::optional<int> WritePatchedSave(const SaveImage& save, std::span<const std::uint8_t> patched);

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
