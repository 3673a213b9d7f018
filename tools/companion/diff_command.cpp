// tovick-cars diff: the car tables of two copies of a script compared, and turned into a plug-in.

#include <cstdio>
#include <string>

#include "command_files.h"
#include "commands.h"
#include "plugin/diff_report.h"

namespace tovick::companion {

const char* const kDiffHelp =
    "Usage: tovick-cars diff [--json] [--anywhere] [--plugin FILE.TOVICK1] ORIGINAL.SCM "
    "CHANGED.SCM\n"
    "\n"
    "Compares the car tables of two copies of a mission script: the blocks whose fields differ,\n"
    "field by field (old -> new; raw values as stored), as a table or as JSON. The tables must\n"
    "have the same block count and addresses. Bytes of a block that a plug-in cannot carry (the\n"
    "width marker, the high byte of a two-byte id, the unused bytes and the follow byte) are\n"
    "compared too and reported as such.\n"
    "  --json          JSON instead of the table\n"
    "  --anywhere      compare the parked-car generator instructions found anywhere in the\n"
    "                  files (numbered in file order, each at its opcode's offset less 7): every\n"
    "                  value that differs, a plug-in carrying CAR ID (the model's low byte),\n"
    "                  X-POS, Y-POS, UTELLME (Z), HEADING, and ALARM and LOCK where 8-bit\n"
    "  --plugin FILE   also write a plug-in of exactly the changed blocks, with their values in\n"
    "                  CHANGED.SCM; not written when a change cannot be carried\n"
    "\n"
    "Exit codes:\n"
    "  0  the tables are the same, or the plug-in was written\n"
    "  1  usage error\n"
    "  2  a file could not be opened, or a script is larger than 64 MiB\n"
    "  3  a script is shorter than 70204 bytes\n"
    "  4  a car table is malformed\n"
    "  5  the tables part (block count or addresses differ), or a change cannot be carried by\n"
    "     a plug-in (then no plug-in is written), or --anywhere with --plugin found no\n"
    "     instruction in a script\n"
    "  6  the plug-in could not be written\n"
    "  7  the tables differ (no plug-in asked for)\n";

int RunDiff(const DiffOptions& options) {
  FileUses uses;
  uses.Input(options.OriginalPath);
  uses.Input(options.ChangedPath);
  if (options.PlugInPath) uses.Output(*options.PlugInPath);
  if (const auto refused = RefuseOverlap(uses)) return *refused;

  const bool anywhere = options.Anywhere;
  DiffSide sides[2];
  const std::string* paths[2] = {&options.OriginalPath, &options.ChangedPath};
  for (int i = 0; i < 2; ++i) {
    // One script at a time: both may be one file.
    ScriptTable table;
    if (const auto failed = ReadScript(*paths[i], anywhere, table)) return *failed;
    if (const int outcome = ScanOutcome(table); outcome != kExitOk) return outcome;
    if (options.PlugInPath) {
      if (const auto refused = RefuseEmpty(*paths[i], table)) return *refused;
    }
    sides[i] = DiffSideOf(table);
  }
  const TableDiff diff = DiffSides(sides[0], sides[1], anywhere);

  int exitCode = diff.Changes.empty() ? kExitOk : kExitDiffer;
  DiffNames names{options.OriginalPath, options.ChangedPath, std::nullopt};
  if (!diff.Comparable()) {
    std::fprintf(stderr, "tovick-cars: %s\n", diff.Parting.c_str());
    exitCode = kExitDoesNotFit;
  } else if (options.PlugInPath) {
    if (!diff.AllCarried()) {
      std::fprintf(stderr, "tovick-cars: %s; no plug-in written\n", NotCarriedText(diff).c_str());
      exitCode = kExitDoesNotFit;
    } else if (const auto failed = WriteOutput("plug-in", *options.PlugInPath,
                                               DiffPlugInText(diff, sides[1], anywhere))) {
      return *failed;
    } else {
      names.PlugIn = options.PlugInPath;
      exitCode = kExitOk;
    }
  }

  std::string text =
      options.Json ? RenderDiffJson(names, diff, sides[0].Count(anywhere), sides[1].Count(anywhere))
      : diff.Comparable() ? RenderDiffTable(names, diff, sides[0].Count(anywhere))
                          : std::string();
  if (names.PlugIn && !options.Json) {
    text += "plug-in written: " + *names.PlugIn + " (" + std::to_string(diff.Changes.size()) +
            " block(s))\n";
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  return exitCode;
}

}  // namespace tovick::companion
