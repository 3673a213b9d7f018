#include "save/save_write.h"

#include "scm/file_in_one_step.h"

namespace tovick {

std::string BackupPath(const std::string& path) {
  return path + ".bak";
}

SaveWrite WriteSaveWithBackup(FileIo& io, const std::string& path, std::string_view original,
                              std::string_view patched) {
  if (WriteFileInOneStep(io, BackupPath(path), original) != OneStepWrite::Written) {
    return SaveWrite::BackupFailed;
  }
  if (WriteFileInOneStep(io, path, patched) != OneStepWrite::Written) return SaveWrite::SaveFailed;
  return SaveWrite::Written;
}

}  // namespace tovick
