#include "editor/remembered_paths.h"

#include "text/text_lines.h"

namespace tovick {

std::optional<std::string> ReadRememberedPath(const std::string& file) {
  std::string contents;
  if (!ReadWholeFile(file, contents)) return std::nullopt;
  LineReader reader(contents);
  // An empty file reads as an empty path, which the loader then fails to open.
  if (reader.AtEnd()) return std::string();
  return reader.ReadLine(kMaxPathBytes);
}

bool RememberPath(const std::string& file, const std::string& path) {
  std::string contents;
  WriteLine(contents, path);
  return WriteWholeFile(file, contents);
}

}  // namespace tovick
