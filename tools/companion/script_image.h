#pragma once
// A mission script read whole into memory with its car table scanned, for the commands that
// export from it or patch a copy of it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scm/car_table.h"

namespace tovick::companion {

struct ScriptImage {
  std::vector<std::uint8_t> Bytes;
  CarTable Table;
  bool Writable = false;  // the file could be opened for writing
};

// Reads the script and scans its car table. On failure it prints the reason on standard error and
// returns the exit code: could not be opened, too short, or a malformed car table.
std::optional<int> LoadScriptImage(const std::string& path, ScriptImage& image);

}  // namespace tovick::companion
