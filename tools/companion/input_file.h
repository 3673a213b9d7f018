#pragma once
// The text files the commands are given besides the script: definitions, zones, plug-ins.

#include <optional>
#include <string>

namespace tovick::companion {

// Prints "Couldn't open the WHAT file: PATH" on standard error and returns the exit code.
int CannotOpen(const std::string& what, const std::string& path);

// Reads a regular text file of at most kMaxTextFileBytes. On failure it says why on standard error
// (it cannot be opened, or it is too large) and returns the exit code.
std::optional<int> ReadInputFile(const std::string& what, const std::string& path,
                                 std::string& contents);

}  // namespace tovick::companion
