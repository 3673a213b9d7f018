#include "scm/file_in_one_step.h"

#include <cstdint>

namespace tovick {

namespace {

// Names tried for the new file: path.new, path.new1, ... (one may be left over from a crash).
constexpr int kNameAttempts = 10;

std::string NewFileName(const std::string& path, int attempt) {
  return path + ".new" + (attempt == 0 ? std::string() : std::to_string(attempt));
}

}  // namespace

OneStepWrite WriteFileInOneStep(FileIo& io, const std::string& path, std::string_view contents) {
  std::string newName;
  FileIo::Handle file = FileIo::kNoFile;
  for (int attempt = 0; attempt < kNameAttempts && file == FileIo::kNoFile; ++attempt) {
    newName = NewFileName(path, attempt);
    file = io.Create(newName);
  }
  if (file == FileIo::kNoFile) return OneStepWrite::NotCreated;

  const bool written =
      contents.empty() ||
      io.WriteAt(file, 0, reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size());
  const bool flushed = written && io.Flush(file);
  io.Close(file);
  if (!flushed) {
    io.Remove(newName);
    return OneStepWrite::NotWritten;
  }
  if (!io.Replace(newName, path)) {
    io.Remove(newName);
    return OneStepWrite::NotCreated;
  }
  return OneStepWrite::Written;
}

}  // namespace tovick
