// tovick-cars export: the plug-in the editor would create with exactly the listed blocks marked.

#include <cstdio>
#include <string>
#include <vector>

#include "command_files.h"
#include "commands.h"
#include "plugin/plugin_create.h"
#include "plugin/plugin_messages.h"
#include "plugin/plugin_patch.h"
#include "plugin/script_reader.h"
#include "text/block_list.h"

namespace tovick::companion {

const char* const kExportHelp =
    "Usage: tovick-cars export [--anywhere] --blocks LIST [-o FILE] MAIN.SCM\n"
    "\n"
    "Writes the plug-in (*.TOVICK1) that the editor creates with exactly the listed blocks\n"
    "marked, byte for byte, to FILE (used as given) or to standard output.\n"
    "  --anywhere      the records are the parked-car generator instructions found anywhere in\n"
    "                  the file, numbered in file order, each at its opcode's offset less 7, with\n"
    "                  the values the listing gives (HICAR ID the model's type byte, CAR ID its\n"
    "                  low byte); no minimum script length. A record that apply --anywhere\n"
    "                  could not write back (an instruction whose alarm or lock is wider than a\n"
    "                  byte) is named on standard error and left out\n"
    "  --blocks LIST   block numbers and ranges, e.g. 3,7,12 or 1-20,31, or all\n"
    "  -o FILE         write the plug-in to FILE\n"
    "\n"
    "Exit codes: 0 written, 1 usage error (also a block number outside the car table), 2 a file\n"
    "could not be opened (or the script is larger than 64 MiB), 3 the script is shorter than\n"
    "70204 bytes, 4 a malformed car table, 5 --anywhere found no instruction (nothing written),\n"
    "6 writing the plug-in failed.\n";

namespace {

// Unmarks the instructions that apply --anywhere would refuse to write, naming each, so that
// what is exported always applies back.
void LeaveOutUnwritable(const ScriptTable& script, std::vector<std::uint8_t>& marks) {
  for (std::size_t n = 1; n < marks.size(); ++n) {
    if (marks[n] != 1) continue;
    if (const auto field = UnwritableField(script.Instructions[n - 1])) {
      marks[n] = 0;
      const std::string line =
          "tovick-cars: block " + std::to_string(n) + " left out: " + UnwritableText(*field) + "\n";
      std::fputs(line.c_str(), stderr);
    }
  }
}

}  // namespace

int RunExport(const ExportOptions& options) {
  const std::optional<BlockList> blocks = ParseBlockList(options.Blocks);
  if (!blocks) return UsageError("export", "not a block list: " + options.Blocks);
  FileUses uses;
  uses.Input(options.ScriptPath);
  if (options.OutputPath) uses.Output(*options.OutputPath);
  if (const auto refused = RefuseOverlap(uses)) return *refused;

  const bool anywhere = options.Anywhere;
  ScriptTable script;
  if (const auto failed = ReadScript(options.ScriptPath, anywhere, script)) return *failed;
  if (const int outcome = ScanOutcome(script); outcome != kExitOk) return outcome;
  if (const auto refused = RefuseEmpty(options.ScriptPath, script)) return *refused;
  const int blockCnt = static_cast<int>(script.Addresses.size());
  if (const auto outside = FirstOutside(*blocks, blockCnt)) {
    return UsageError("export", "block " + std::to_string(*outside) +
                                    " is not in the car table (blocks 1 to " +
                                    std::to_string(blockCnt) + ")");
  }
  std::vector<std::uint8_t> marks = MarksOf(*blocks, blockCnt);
  if (!anywhere && CountMarkedBlocks(script.Table, marks) == 0) {
    return UsageError("export", "the car table has no blocks to export");
  }
  if (anywhere) LeaveOutUnwritable(script, marks);

  const PlugInCreation creation =
      anywhere ? PlanPlugInCreation(script.Instructions, marks)
               : PlanPlugInCreation(script.Table, marks, ReaderOf(script.Bytes));
  if (!creation.Complete()) {
    std::fprintf(stderr, "tovick-cars: %s (block %d)\n", InvalidHiCarIdNotice().Text.c_str(),
                 *creation.InvalidMarkerBlock);
    return kExitMalformed;
  }
  return WriteOutput("plug-in", options.OutputPath, creation.Content).value_or(kExitOk);
}

}  // namespace tovick::companion
