#pragma once
// Writing a patched save so that the player never loses the old one: the file as it was is kept
// beside it as SAVE.b.bak, and only then is the patched copy renamed over it.

#include <string>
#include <string_view>

#include "scm/file_in_one_step.h"

namespace tovick {

enum class SaveWrite {
  Written,
  BackupFailed,  // SAVE.b.bak could not be written; the save is as it was
  SaveFailed,    // the patched copy could not be written; the save is as it was, its .bak made
};

// The name of the copy kept of the save at path.
std::string BackupPath(const std::string& path);

// Writes original to BackupPath(path) in one step (replacing an older one), then patched over path
// in one step. On failure, why holds the failed step's result, for OneStepProblem.
SaveWrite WriteSaveWithBackup(FileIo& io, const std::string& path, std::string_view original,
                              std::string_view patched, OneStepWrite* why = nullptr);

}  // namespace tovick
