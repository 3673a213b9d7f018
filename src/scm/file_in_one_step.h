#pragma once
// Writing a whole file so that it is never seen half written: the contents go to a new file beside
// it, which replaces the old one only once it is complete and on the disk.

#include <string>
#include <string_view>

#include "scm/file_io.h"

namespace tovick {

enum class OneStepWrite {
  Written,
  NotCreated,  // no file could be made beside it, or it could not be replaced (read-only, say)
  NotWritten,  // the new file could not be written completely (a full disk, say)
};

// On failure the file named path is as it was and nothing new is left beside it.
OneStepWrite WriteFileInOneStep(FileIo& io, const std::string& path, std::string_view contents);

}  // namespace tovick
