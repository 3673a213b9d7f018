#pragma once
// tovick-cars save list and save sync: the parked-car generators of GTA III PC saves, and a
// script's parked cars carried into them.

#include <optional>
#include <string>
#include <vector>

#include "save/save_layout.h"

namespace tovick::companion {

constexpr int kExitNotASave = 5;  // not a GTA III PC save, or not made with this script

// argv[0] is "save". Returns the exit code.
int RunSave(int argc, char** argv);
int RunSaveList(int argc, char** argv);  // argv[0] is "list"
int RunSaveSync(int argc, char** argv);  // argv[0] is "sync"

struct SaveImage {
  std::string Path;
  std::vector<std::uint8_t> Bytes;
  SaveLayout Layout;
};

// Reads a save, a regular file. Says why on standard error and returns the exit code when it
// cannot be opened (kExitCannotOpen) or is no GTA III PC save (kExitNotASave); a damaged
// checksum is refused too unless acceptDamaged, and then said on standard error.
std::optional<int> LoadSave(const std::string& path, bool acceptDamaged, SaveImage& image);

}  // namespace tovick::companion
