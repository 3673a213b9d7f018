// tovick-cars map: the car table as an SVG picture.

#include <string>

#include "command_files.h"
#include "commands.h"
#include "plugin/car_map.h"
#include "plugin/car_report.h"

namespace tovick::companion {

const char* const kMapHelp =
    "Usage: tovick-cars map [--anywhere] [--ide DEFAULT.IDE] [--zones TovickZon.txt] "
    "[-o FILE.svg] MAIN.SCM\n"
    "\n"
    "Draws the car table as one self-contained SVG file (standard output, or FILE.svg): world\n"
    "coordinates (the stored value / 16) with north up and a grid every 500 units, one marker\n"
    "per block pointing along its heading, shaped and coloured by id width and red when the id\n"
    "is unsafe for its width, a tooltip per marker, the zones as rectangles, and a legend.\n"
    "  --anywhere      draw the parked-car records found anywhere in the file\n"
    "  --ide FILE      name the vehicles in the tooltips\n"
    "  --zones FILE    draw the zones of this zone file\n"
    "  -o FILE.svg     write the picture to this file\n"
    "\n"
    "Exit codes: 0 drawn, 1 usage error, 2 a file could not be opened, 3 the script is shorter\n"
    "than 70204 bytes, 4 a malformed car table (the blocks before the fault are drawn), 6 the\n"
    "picture could not be written.\n";

int RunMap(const MapOptions& options) {
  Names names;
  if (const auto failed =
          ReadNamesBeside(options.ScriptPath, options.Files, options.OutputPath, names)) {
    return *failed;
  }
  ScriptTable table;
  if (const auto failed = ReadScript(options.ScriptPath, options.Anywhere, table)) return *failed;

  const CarReport report =
      BuildReport(options.ScriptPath, table, names.VehiclesOrNull(), names.Zones);
  const std::string svg = RenderCarMap(report, names.Zones);
  if (const auto failed = WriteOutput("map", options.OutputPath, svg)) return *failed;
  return ScanOutcome(table);
}

}  // namespace tovick::companion
