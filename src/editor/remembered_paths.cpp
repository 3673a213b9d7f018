#include "editor/remembered_paths.h"

namespace tovick {

std::string RememberedPathOf(std::string_view contents) {
  LineReader reader(contents);
  // An empty file reads as an empty path, which the loader then fails to open.
  return reader.AtEnd() ? std::string() : reader.ReadLine(kMaxPathBytes);
}

TextFileRead ReadRememberedPath(const std::string& file, std::string& path) {
  std::string contents;
  const TextFileRead read = ReadTextFile(file, contents);
  if (read == TextFileRead::Read) path = RememberedPathOf(contents);
  return read;
}

std::string FileTooLargeText(const std::string& file) {
  return "Couldn't use the file (" + TooLargeReason() + ")\r\n" + file;
}

bool RememberPath(const std::string& file, const std::string& path) {
  std::string contents;
  WriteLine(contents, path);
  return WriteWholeFile(file, contents);
}

}  // namespace tovick
