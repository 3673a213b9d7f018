// tovick-cars save: the commands on saved games. save list: the car generators in use in a GTA III
// save of any platform, as an aligned table or JSON.

#include <cstdio>
#include <string>

#include "command_files.h"
#include "commands.h"
#include "save/save_listing.h"

namespace tovick::companion {

const char* const kSaveHelp =
    "Usage: tovick-cars save list [--json] [--ide DEFAULT.IDE] SAVE.b\n"
    "       tovick-cars save sync [--check] [--force] MAIN.SCM SAVE.b [SAVE.b...]\n"
    "       tovick-cars save map [--ide DEFAULT.IDE] [--zones TovickZon.txt] [-o FILE.svg] SAVE.b\n"
    "       tovick-cars save export [--csv] [--ide DEFAULT.IDE] [-o FILE] SAVE.b\n"
    "       tovick-cars save import [--check] [--ide DEFAULT.IDE] FILE SAVE.b [SAVE.b...]\n"
    "\n"
    "A saved game keeps its own copy of every parked-car generator, so a changed script shows in\n"
    "it only in a new game. list prints the generators of a GTA III save (PC, Android, iOS, PS2,\n"
    "PS2 Australia, PS2 Japan or Xbox); sync carries the script's parked cars into saves made\n"
    "with it (every platform but Xbox); export writes a save's generators as JSON or CSV, and\n"
    "import writes such a file, edited, into saves (every platform but Xbox).\n"
    "\"tovick-cars save COMMAND --help\" says more.\n"
    "\n"
    "Exit codes: 0 done, 1 usage error, 2 a file could not be opened (or is no regular file),\n"
    "5 not a GTA III save (or a damaged one, or an Xbox save to write), or not made with this\n"
    "script, or an import file in error (nothing written), 6 writing failed.\n";

const char* const kSaveListHelp =
    "Usage: tovick-cars save list [--json] [--ide DEFAULT.IDE] SAVE.b\n"
    "\n"
    "Prints the parked-car generators in use in a GTA III save of any platform (PC, Android, iOS,\n"
    "PS2, PS2 Australia, PS2 Japan, Xbox: told from the file alone; any file name, the game's\n"
    "are GTA3sf1.b to GTA3sf8.b), one row each: slot (from 0), model (and its name with --ide),\n"
    "X, Y, Z, heading in degrees, colours, force spawn, alarm, lock, the two delays and the uses\n"
    "remaining (65535 for ever). Floats are shown exactly as stored.\n"
    "  --json      JSON instead of the table: save, platform, length, checksumOk,\n"
    "              generatorCount, slots\n"
    "  --ide FILE  name the models from this definitions file\n"
    "A save whose checksum does not match (a damaged save) is listed all the same, and the run\n"
    "exits 5.\n"
    "\n"
    "Exit codes: 0 listed, 1 usage error, 2 a file could not be opened (or is no regular file),\n"
    "5 not a GTA III save, or a damaged one.\n";

int RunSaveList(const SaveListOptions& options) {
  Names names;
  if (const auto failed = ReadNames(options.Files, names)) return *failed;
  SaveImage save;
  if (const auto failed = LoadSave(options.SavePath, true, save)) return *failed;
  const SaveListing listing = ListingOf(save, names);
  const std::string text = options.Json ? RenderSaveJson(listing) : RenderSaveTable(listing);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return save.Layout.ChecksumOk ? kExitOk : kExitDoesNotFit;
}

}  // namespace tovick::companion
