#pragma once
// The one way a file is written, whether it is replaced (a script, a save) or made (a plug-in, a
// map, a backup): the contents go to a new file beside it, which replaces the old one only once it
// is complete and on the disk; a symbolic link is followed and its target replaced; the old
// file's mode (and owner where allowed; on Windows its attributes and ACL) carry over; a file
// this user may not write is refused before anything is written.

#include <string>
#include <string_view>

#include "scm/file_io.h"

namespace tovick {

enum class OneStepWrite {
  Written,
  NotPermitted,  // the file may not be written (read-only, another user's) or is no regular file
  InTheWay,      // the new file's name is taken: another run is writing, or one was killed
  NotCreated,    // no file could be made beside it, or it could not be replaced
  NotWritten,    // the new file could not be written completely (a full disk, say)
};

// On failure the file named path is as it was and nothing new is left beside it (a file in the
// way is another's and stays).
OneStepWrite WriteFileInOneStep(FileIo& io, const std::string& path, std::string_view contents);

// What WriteFileInOneStep would refuse before writing, asked ahead so a run of several files
// writes none when one of them is refused: NotPermitted, InTheWay, or Written when it would go on.
OneStepWrite CheckWritable(FileIo& io, const std::string& path);

// The name of the new file beside the file path stands for: PATH.new, links followed.
std::string NewFileName(FileIo& io, const std::string& path);

// Why a write failed, in a few words naming the file (and the file in the way), for messages.
std::string OneStepProblem(FileIo& io, OneStepWrite result, const std::string& path);

}  // namespace tovick
