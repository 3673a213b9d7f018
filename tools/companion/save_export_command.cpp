// tovick-cars save export: a save's generators in use as JSON (the listing's document) or CSV, to
// edit in a spreadsheet or carry into another save with save import.

#include <cstdio>
#include <string>

#include "command_files.h"
#include "commands.h"
#include "save/save_listing.h"

namespace tovick::companion {

const char* const kSaveExportHelp =
    "Usage: tovick-cars save export [--csv] [--ide DEFAULT.IDE] [-o FILE] SAVE.b\n"
    "\n"
    "Writes the parked-car generators in use in a GTA III save of any platform, to edit and\n"
    "bring back with save import, or to carry into another save. JSON: the document of\n"
    "save list --json. CSV: a header row, then a row per generator, the columns slot, model,\n"
    "name, x, y, z, heading, colour1, colour2, forceSpawn, alarm, lock, minDelay, maxDelay,\n"
    "usesRemaining; commas, '.' as the decimal point, CR LF line ends, floats exactly as stored.\n"
    "  --csv       CSV instead of JSON\n"
    "  --ide FILE  name the models from this definitions file\n"
    "  -o FILE     write to FILE (in one step) instead of standard output\n"
    "\n"
    "Exit codes: 0 written, 1 usage error, 2 a file could not be opened (or is no regular file),\n"
    "5 not a GTA III save, or a damaged one (nothing written), 6 the file could not be written.\n";

int RunSaveExport(const SaveExportOptions& options) {
  Names names;
  if (const auto failed =
          ReadNamesBeside(options.SavePath, options.Files, options.OutputPath, names)) {
    return *failed;
  }
  SaveImage save;
  if (const auto failed = LoadSave(options.SavePath, false, save)) return *failed;
  const SaveListing listing = ListingOf(save, names);
  const std::string text = options.Csv ? RenderSaveCsv(listing) : RenderSaveJson(listing);
  return WriteOutput(options.Csv ? "CSV" : "JSON", options.OutputPath, text).value_or(kExitOk);
}

}  // namespace tovick::companion
