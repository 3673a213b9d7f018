// tovick-cars save: the commands on saved games, and reading a save with its checks.

#include <cstdio>
#include <string>
#include <string_view>

#include "car_input.h"
#include "save_commands.h"
#include "text/text_lines.h"

namespace tovick::companion {

namespace {

constexpr const char* kSaveUsage =
    "Usage: tovick-cars save list [--json] [--ide DEFAULT.IDE] SAVE.b\n"
    "       tovick-cars save sync [--check] [--force] MAIN.SCM SAVE.b [SAVE.b...]\n"
    "\n"
    "A saved game keeps its own copy of every parked-car generator, so a changed script shows in\n"
    "it only in a new game. list prints the generators of a GTA III PC save; sync carries the\n"
    "script's parked cars into saves made with it. \"tovick-cars save list --help\" and\n"
    "\"tovick-cars save sync --help\" say more.\n"
    "\n"
    "Exit codes: 0 done, 1 usage error, 2 a file could not be opened (or is no regular file), 3\n"
    "the script is shorter than 70204 bytes, 5 not a GTA III PC save (or a damaged one), or not\n"
    "made with this script (nothing written), 6 writing failed.\n";

}  // namespace

int RunSave(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "list") return RunSaveList(argc - 1, argv + 1);
  if (command == "sync") return RunSaveSync(argc - 1, argv + 1);
  if (command == "--help" || command == "-h") {
    std::fputs(kSaveUsage, stdout);
    return kExitOk;
  }
  return UsageError(command.empty() ? "save needs a command: list or sync"
                                    : "unknown save command: " + std::string(command),
                    kSaveUsage);
}

std::optional<int> LoadSave(const std::string& path, bool acceptDamaged, SaveImage& image) {
  image.Path = path;
  // Only the commands that write say so; a listing never writes.
  const char* written = acceptDamaged ? "" : "; nothing written";
  std::string contents;
  switch (ReadTextFile(path, contents)) {
    case TextFileRead::Read:
      break;
    case TextFileRead::CannotOpen:
      return CannotOpen("save", path);
    case TextFileRead::TooLarge:
      std::fprintf(stderr, "tovick-cars: %s is not a GTA III PC save (%s)%s\n", path.c_str(),
                   TooLargeReason().c_str(), written);
      return kExitNotASave;
  }
  image.Bytes.assign(contents.begin(), contents.end());
  const SaveRead read = ReadSaveLayout(image.Bytes);
  if (!read.Layout) {
    std::fprintf(stderr, "tovick-cars: %s is not a GTA III PC save (%s)%s\n", path.c_str(),
                 read.Problem.c_str(), written);
    return kExitNotASave;
  }
  image.Layout = *read.Layout;
  if (!image.Layout.ChecksumOk) {
    std::fprintf(stderr, "tovick-cars: %s: %s%s\n", path.c_str(), read.Problem.c_str(), written);
    if (!acceptDamaged) return kExitNotASave;
  }
  return std::nullopt;
}

}  // namespace tovick::companion
