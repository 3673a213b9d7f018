#pragma once
// The two remembered-path files, "DEFIDE.txt" and "MAINSCM.txt", in the start directory.

#include <string>
#include <string_view>

#include "text/text_lines.h"

namespace tovick {

inline constexpr const char* kDefinitionsPathFile = "DEFIDE.txt";
inline constexpr const char* kScriptPathFile = "MAINSCM.txt";
inline constexpr const char* kZoneFile = "TovickZon.txt";
constexpr std::size_t kMaxPathBytes = 299;

// A path as the program's 300-byte path buffers hold it: cut to 299 bytes.
inline std::string CutToPathBuffer(std::string path) {
  if (path.size() > kMaxPathBytes) path.resize(kMaxPathBytes);
  return path;
}

// The path a remembered-path file's bytes hold: the first line, cut to 299 bytes.
std::string RememberedPathOf(std::string_view contents);
// Puts the path the file holds into path when the file is read.
TextFileRead ReadRememberedPath(const std::string& file, std::string& path);
// What the user is told about a text file too large to be used (a definitions file, the zone file,
// a remembered-path file): the reason and the file's path.
std::string FileTooLargeText(const std::string& file);
// Writes the path as the file's one line (CR LF); false when the file could not be written.
bool RememberPath(const std::string& file, const std::string& path);

}  // namespace tovick
