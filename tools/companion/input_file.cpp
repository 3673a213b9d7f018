#include "input_file.h"

#include <cstdio>

#include "exit_codes.h"
#include "text/text_lines.h"

namespace tovick::companion {

int CannotOpen(const std::string& what, const std::string& path) {
  std::fprintf(stderr, "tovick-cars: Couldn't open the %s file: %s\n", what.c_str(), path.c_str());
  return kExitCannotOpen;
}

std::optional<int> ReadInputFile(const std::string& what, const std::string& path,
                                 std::string& contents) {
  switch (ReadTextFile(path, contents)) {
    case TextFileRead::Read:
      return std::nullopt;
    case TextFileRead::CannotOpen:
      return CannotOpen(what, path);
    case TextFileRead::TooLarge:
      std::fprintf(stderr, "tovick-cars: Couldn't use the %s file (%s): %s\n", what.c_str(),
                   TooLargeReason().c_str(), path.c_str());
      return kExitCannotOpen;
  }
  return kExitCannotOpen;
}

}  // namespace tovick::companion
