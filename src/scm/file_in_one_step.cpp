#include "scm/file_in_one_step.h"

#include <cstdint>

namespace tovick {

std::string NewFileName(FileIo& io, const std::string& path) {
  // One fixed name, created exclusively: two runs on one file cannot interleave, and one left by
  // a run killed outright is found and named instead of piling up beside it.
  return io.Resolve(path) + ".new";
}

OneStepWrite CheckWritable(FileIo& io, const std::string& path) {
  const std::string target = io.Resolve(path);
  const FileIo::Kind kind = io.KindOf(target);
  if (kind == FileIo::Kind::Other) return OneStepWrite::NotPermitted;
  // The rename would replace a read-only file all the same: the file's own rights decide.
  if (kind == FileIo::Kind::Regular && !io.MayWrite(target)) return OneStepWrite::NotPermitted;
  if (io.Exists(target + ".new")) return OneStepWrite::InTheWay;
  return OneStepWrite::Written;
}

OneStepWrite WriteFileInOneStep(FileIo& io, const std::string& path, std::string_view contents) {
  const std::string target = io.Resolve(path);
  const FileIo::Kind kind = io.KindOf(target);
  if (kind == FileIo::Kind::Other) return OneStepWrite::NotPermitted;
  const bool replacing = kind == FileIo::Kind::Regular;
  if (replacing && !io.MayWrite(target)) return OneStepWrite::NotPermitted;

  const std::string newName = target + ".new";
  const FileIo::Handle file = io.Create(newName);
  if (file == FileIo::kNoFile) {
    return io.Exists(newName) ? OneStepWrite::InTheWay : OneStepWrite::NotCreated;
  }
  const bool written =
      contents.empty() ||
      io.WriteAt(file, 0, reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size());
  const bool kept = written && (!replacing || io.CopyAccess(file, target));
  const bool flushed = kept && io.Flush(file);
  io.Close(file);
  if (!flushed) {
    io.Remove(newName);
    return OneStepWrite::NotWritten;
  }
  if (!io.Replace(newName, target)) {
    io.Remove(newName);
    return OneStepWrite::NotCreated;
  }
  io.FlushFolder(target);
  return OneStepWrite::Written;
}

std::string OneStepProblem(FileIo& io, OneStepWrite result, const std::string& path) {
  switch (result) {
    case OneStepWrite::Written:
      break;
    case OneStepWrite::NotPermitted:
      return path + " may not be written (read-only, another user's, or no regular file)";
    case OneStepWrite::InTheWay: {
      const std::string newName = NewFileName(io, path);
      return newName + " is in the way: another run is writing " + path +
             ", or one was stopped before it could remove it (delete it if no other run is going)";
    }
    case OneStepWrite::NotCreated:
      return "cannot make a new file beside " + path + " or rename it over " + path;
    case OneStepWrite::NotWritten:
      return "cannot write the new file " + NewFileName(io, path) + " completely";
  }
  return {};
}

}  // namespace tovick
