#pragma once
// The program's shared state, grouped by owner and passed by reference to every operation.

#include <array>
#include <cstdint>
#include <string>

#include "scm/car_table.h"
#include "scm/script_file.h"
#include "scroller/scroller_shared.h"
#include "vehicles/definitions.h"
#include "zones/zones.h"

namespace tovick {

constexpr int kMaxPlugInMark = 5000;

// Outcome flags of the loads.
struct ShellFlags {
  bool MustQuit = false;  // never cleared once set
  bool LoadSucceeded = false;
  bool CarTableError = false;
};

struct ShellPaths {
  std::string DefinitionsPath;       // at most 299 bytes
  std::string MissionScriptPath;     // at most 299 bytes
  std::string DialogStartDirectory;  // current directory at start, as read
  std::string StartDirectory;        // the same with a trailing "\" (or "/" natively)
};

// What the block view last showed; ApplyChanges and the search work from it.
struct CurrentBlockState {
  std::int64_t Address = 0;
  int HiCar = 0;
  std::uint8_t CarId = 0;
  std::int16_t XPos = 0;
  std::int16_t YPos = 0;
  // True only when the block view completed for Address, so the controls hold this block's values.
  bool Complete = false;
};

struct AppState {
  ShellFlags Flags;
  ShellPaths Paths;
  ScriptFile Script;
  CarTable Cars;
  VehicleTable Vehicles;
  ZoneTable Zones;
  CurrentBlockState CurrentBlock;
  std::array<std::uint8_t, kMaxPlugInMark + 1> PlugInMarks{};
  // The file calls for the files written whole (plug-ins); tests put their own in.
  FileIo* Files = &PlatformFileIo();
  bool UnsafeVehiclesEnabled = false;
  ScrollerShared Scroller;
};

}  // namespace tovick
