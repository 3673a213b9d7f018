// tovick-cars save map: a save's generators in use as an SVG picture, drawn as the script's map.

#include <string>

#include "command_files.h"
#include "commands.h"
#include "save/save_listing.h"
#include "save/save_map.h"

namespace tovick::companion {

const char* const kSaveMapHelp =
    "Usage: tovick-cars save map [--ide DEFAULT.IDE] [--zones TovickZon.txt] [-o FILE.svg] "
    "SAVE.b\n"
    "\n"
    "Draws the parked-car generators in use in a GTA III save of any platform as one\n"
    "self-contained SVG file (standard output, or FILE.svg), as \"tovick-cars map\" draws a\n"
    "script's: world coordinates with north up and a grid every 500 units, one marker per\n"
    "generator pointing along its heading, grey when switched off (no uses remaining), a\n"
    "tooltip per marker (slot, model, position, heading, alarm, lock, uses), the zones as\n"
    "rectangles, and a legend. A damaged save (its checksum does not match) is drawn all the\n"
    "same, and the run exits 5.\n"
    "  --ide FILE      name the models in the tooltips\n"
    "  --zones FILE    draw the zones of this zone file\n"
    "  -o FILE.svg     write the picture to this file\n"
    "\n"
    "Exit codes: 0 drawn, 1 usage error (also an output that is one of the inputs), 2 a file\n"
    "could not be opened (or is no regular file), 5 not a GTA III save, or a damaged one, 6 the\n"
    "picture could not be written.\n";

int RunSaveMap(const SaveMapOptions& options) {
  Names names;
  if (const auto failed =
          ReadNamesBeside(options.SavePath, options.Files, options.OutputPath, names)) {
    return *failed;
  }
  SaveImage save;
  if (const auto failed = LoadSave(options.SavePath, true, save)) return *failed;
  const SaveListing listing = ListingOf(save, names);
  const std::string svg = RenderSaveMap(listing, names.Zones);
  if (const auto failed = WriteOutput("save map", options.OutputPath, svg)) return *failed;
  return save.Layout.ChecksumOk ? kExitOk : kExitDoesNotFit;
}

}  // namespace tovick::companion
