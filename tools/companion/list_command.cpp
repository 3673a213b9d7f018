// tovick-cars MAIN.SCM: the car table of a mission script, as a table or as JSON.

#include <cstdio>
#include <string>

#include "command_files.h"
#include "commands.h"
#include "plugin/car_report.h"

namespace tovick::companion {

const char* const kListHelp =
    "Usage: tovick-cars [--json] [--anywhere] [--ide DEFAULT.IDE] [--zones TovickZon.txt] "
    "MAIN.SCM\n"
    "       tovick-cars map [--anywhere] [--ide DEFAULT.IDE] [--zones TovickZon.txt] [-o FILE.svg] "
    "MAIN.SCM\n"
    "       tovick-cars diff [--json] [--anywhere] [--plugin FILE.TOVICK1] ORIGINAL.SCM "
    "CHANGED.SCM\n"
    "       tovick-cars export [--anywhere] --blocks LIST [-o FILE] MAIN.SCM\n"
    "       tovick-cars apply [--check] PLUGIN MAIN.SCM\n"
    "       tovick-cars apply --anywhere [--check] PLUGIN MAIN.SCM\n"
    "       tovick-cars save list [--json] [--ide DEFAULT.IDE] SAVE.b\n"
    "       tovick-cars save sync [--check] [--force] MAIN.SCM SAVE.b [SAVE.b...]\n"
    "       tovick-cars save export [--csv] [--ide DEFAULT.IDE] [-o FILE] SAVE.b\n"
    "       tovick-cars save import [--check] [--ide DEFAULT.IDE] FILE SAVE.b [SAVE.b...]\n"
    "\n"
    "Prints the parked-car table of a mission script: block number, address, id width (1 or 2\n"
    "bytes), vehicle id and name, X-POS, Y-POS, HEADING, UTELLME (hexadecimal in the table),\n"
    "ALARM, LOCK, whether the id is unsafe for its width, and the zones containing the car.\n"
    "Positions and headings are the raw values stored in the file (1/16 units).\n"
    "  --json          JSON instead of the table: every block found with its raw field values,\n"
    "                  and whether the scan met a malformed table (and at which offset)\n"
    "  --anywhere      list every parked-car generator instruction (opcode 0x014B) found\n"
    "                  anywhere in the file, not only the editor's blocks: numbered in file\n"
    "                  order, each at its opcode's offset less 7, with its colours and force\n"
    "                  spawn (the JSON also gives model, colour1, colour2, forceSpawn, minDelay,\n"
    "                  maxDelay as the game reads them, handleVariable and handleLocal). export,\n"
    "                  apply and diff take --anywhere too, so such a script can be edited through\n"
    "                  plug-ins. No minimum script length.\n"
    "  --ide FILE      name the vehicles from this definitions file\n"
    "  --zones FILE    list the zones of this zone file that contain each car\n"
    "  --version       print the version of tovick-cars\n"
    "An option takes its value as --ide FILE or --ide=FILE; -- ends the options, so that a file\n"
    "name may start with a dash.\n"
    "When the scan window holds no block, a note on standard error says how many generator\n"
    "instructions lie elsewhere in the file. 'tovick-cars map --help' and\n"
    "'tovick-cars diff --help' describe the commands.\n"
    "\n"
    "export writes the plug-in the editor creates with the listed blocks marked (LIST: 3,7,12 or\n"
    "1-20,31 or all); apply checks every record of a plug-in and then patches the script in one\n"
    "step, or with --check only prints what would change. save list prints the parked-car\n"
    "generators of a GTA III save of any platform; save sync carries the script's parked cars\n"
    "into saves made with it (each kept as SAVE.b.bak first; never an Xbox save); save export\n"
    "writes a save's generators as JSON or CSV, and save import writes such a file, edited,\n"
    "into saves (new generators added after those in use).\n"
    "\"tovick-cars COMMAND --help\" says more.\n"
    "\n"
    "Exit codes:\n"
    "  0  done: the table was printed, the plug-in written or applied\n"
    "  1  usage error (also an output named that is one of the files read or written)\n"
    "  2  a file could not be opened, a text file is larger than 16 MiB, or a script is larger\n"
    "     than 64 MiB\n"
    "  3  the script is shorter than 70204 bytes (not with --anywhere, nor for save sync)\n"
    "  4  the car table is malformed (the listing still prints the blocks found before the fault)\n"
    "  5  the plug-in does not fit: not a plug-in, or a record that does not match the script\n"
    "     (nothing written); diff: the two car tables part, or a change no plug-in can carry;\n"
    "     export, apply, diff --plugin with --anywhere: the script holds no instruction;\n"
    "     save: not a GTA III save (or a damaged one), or not made with this script;\n"
    "     save import: a file that is neither JSON nor CSV, or a record in error\n"
    "  6  writing failed (the script is unchanged; save sync: that save is unchanged)\n"
    "  7  diff: the two car tables differ\n";

int RunList(const ListOptions& options) {
  Names names;
  if (const auto failed = ReadNames(options.Files, names)) return *failed;
  ScriptTable table;
  if (const auto failed = ReadScript(options.ScriptPath, options.Anywhere, table)) return *failed;

  const CarReport report =
      BuildReport(options.ScriptPath, table, names.VehiclesOrNull(), names.Zones);
  const std::string text = options.Json ? RenderJson(report) : RenderTable(report);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return ScanOutcome(table);
}

}  // namespace tovick::companion
