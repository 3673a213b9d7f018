// tovick-cars export: the plug-in the editor would create with exactly the listed blocks marked.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "block_list.h"
#include "car_input.h"
#include "commands.h"
#include "exit_codes.h"
#include "plugin/plugin_create.h"
#include "plugin/plugin_messages.h"
#include "plugin/script_reader.h"

namespace tovick::companion {

namespace {

constexpr const char* kExportUsage =
    "Usage: tovick-cars export [--anywhere] --blocks LIST [-o FILE] MAIN.SCM\n"
    "\n"
    "Writes the plug-in (*.TOVICK1) that the editor creates with exactly the listed blocks\n"
    "marked, byte for byte, to FILE (used as given) or to standard output.\n"
    "  --anywhere      the records are the parked-car generator instructions found anywhere in\n"
    "                  the file, numbered in file order, each at its opcode's offset less 7, with\n"
    "                  the values the listing gives (HICAR ID the model's type byte, CAR ID its\n"
    "                  low byte); no minimum script length\n"
    "  --blocks LIST   block numbers and ranges, e.g. 3,7,12 or 1-20,31, or all\n"
    "  -o FILE         write the plug-in to FILE\n"
    "\n"
    "Exit codes: 0 written, 1 usage error (also a block number outside the car table), 2 a file\n"
    "could not be opened (or the script is larger than 64 MiB), 3 the script is shorter than\n"
    "70204 bytes, 4 a malformed car table, 5 --anywhere found no instruction (nothing written),\n"
    "6 writing the plug-in failed.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tovick-cars export: %s\n%s", problem.c_str(), kExportUsage);
  return kExitUsage;
}

bool WriteToStandardOutput(std::string_view contents) {
#ifdef _WIN32
  // The plug-in's CR LF must reach the file as they are.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const bool written = std::fwrite(contents.data(), 1, contents.size(), stdout) == contents.size();
  return std::fflush(stdout) == 0 && written;
}

}  // namespace

int RunExport(int argc, char** argv) {
  bool anywhere = false;
  std::optional<BlockList> blocks;
  std::optional<std::string> outputPath;
  std::vector<std::string> positional;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kExportUsage, stdout);
      return kExitOk;
    } else if (arg == "--anywhere") {
      anywhere = true;
    } else if (arg == "--blocks") {
      if (i + 1 >= argc) return Usage("--blocks needs a list");
      blocks = ParseBlockList(argv[++i]);
      if (!blocks) return Usage("not a block list: " + std::string(argv[i]));
    } else if (arg == "-o") {
      if (i + 1 >= argc) return Usage("-o needs a file");
      outputPath = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option: " + std::string(arg));
    } else {
      positional.emplace_back(arg);
    }
  }
  if (!blocks) return Usage("--blocks is required");
  if (positional.size() != 1) return Usage("expected one mission script");
  const std::string& scriptPath = positional[0];

  ScriptTable script;
  if (const auto failed = ReadScriptTable(scriptPath, anywhere, script)) return *failed;
  if (const int outcome = ScanOutcome(script); outcome != kExitOk) return outcome;
  if (const auto refused = RefuseEmpty(scriptPath, script)) return *refused;
  const int blockCnt = static_cast<int>(script.Addresses.size());
  if (const auto outside = FirstOutside(*blocks, blockCnt)) {
    return Usage("block " + std::to_string(*outside) + " is not in the car table (blocks 1 to " +
                 std::to_string(blockCnt) + ")");
  }
  const std::vector<std::uint8_t> marks = MarksOf(*blocks, blockCnt);
  if (!anywhere && CountMarkedBlocks(script.Table, marks) == 0) {
    return Usage("the car table has no blocks to export");
  }

  const PlugInCreation creation =
      anywhere ? PlanPlugInCreation(script.Instructions, marks)
               : PlanPlugInCreation(script.Table, marks, ReaderOf(script.Bytes));
  if (!creation.Complete()) {
    std::fprintf(stderr, "tovick-cars: %s (block %d)\n", InvalidHiCarIdNotice().Text.c_str(),
                 *creation.InvalidMarkerBlock);
    return kExitMalformed;
  }
  const bool written = outputPath ? WriteOutputFile(*outputPath, creation.Content)
                                  : WriteToStandardOutput(creation.Content);
  if (!written) return CannotWrite("plug-in", outputPath ? *outputPath : "(standard output)");
  return kExitOk;
}

}  // namespace tovick::companion
