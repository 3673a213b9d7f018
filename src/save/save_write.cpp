#include "save/save_write.h"

#include "scm/file_in_one_step.h"

namespace tovick {

std::string BackupPath(const std::string& path) {
  return path + ".bak";
}

SaveWrite WriteSaveWithBackup(FileIo& io, const std::string& path, std::string_view original,
                              std::string_view patched, OneStepWrite* why) {
  // A save that may not be written is refused before its backup is made.
  OneStepWrite result = CheckWritable(io, path);
  SaveWrite outcome = SaveWrite::SaveFailed;
  if (result == OneStepWrite::Written) {
    result = WriteFileInOneStep(io, BackupPath(path), original);
    outcome = SaveWrite::BackupFailed;
  }
  if (result == OneStepWrite::Written) {
    result = WriteFileInOneStep(io, path, patched);
    outcome = result == OneStepWrite::Written ? SaveWrite::Written : SaveWrite::SaveFailed;
  }
  if (why != nullptr) *why = result;
  return outcome;
}

}  // namespace tovick
