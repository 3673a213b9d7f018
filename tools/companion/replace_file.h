#pragma once
// Replacing a file's contents in one step, so that an interrupted or failed run leaves it as it
// was.

#include <string>
#include <string_view>

namespace tovick::companion {

// Writes contents to a new file beside path (a symbolic link is followed to the file it names),
// gives it the old file's permissions (and, on POSIX, its owner where allowed), and renames it
// over the old file. On failure the old file is untouched, no new file is left, and problem says
// what went wrong.
bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string& problem);

}  // namespace tovick::companion
