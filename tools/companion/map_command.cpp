#include "map_command.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "car_input.h"
#include "car_map.h"
#include "car_report.h"
#include "text/text_lines.h"

namespace tovick::companion {

namespace {

constexpr const char* kMapUsage =
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

struct MapOptions {
  bool Anywhere = false;
  NameFiles Files;
  std::string OutputPath;  // empty: standard output
  std::string ScriptPath;
};

std::optional<int> ParseMapArguments(int argc, char** argv, MapOptions& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kMapUsage, stdout);
      return kExitOk;
    } else if (arg == "--anywhere") {
      options.Anywhere = true;
    } else if (arg == "--ide" || arg == "--zones" || arg == "-o") {
      if (i + 1 >= argc) return UsageError(std::string(arg) + " needs a file", kMapUsage);
      const std::string value = argv[++i];
      if (arg == "--ide") options.Files.IdePath = value;
      if (arg == "--zones") options.Files.ZonePath = value;
      if (arg == "-o") options.OutputPath = value;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option: " + std::string(arg), kMapUsage);
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() != 1) return UsageError("expected one mission script", kMapUsage);
  options.ScriptPath = positional[0];
  return std::nullopt;
}

}  // namespace

int RunMap(int argc, char** argv) {
  MapOptions options;
  if (const auto done = ParseMapArguments(argc, argv, options)) return *done;
  Names names;
  if (const auto failed = ReadNames(options.Files, names)) return *failed;
  ScriptTable table;
  if (const auto failed = ReadScriptTable(options.ScriptPath, options.Anywhere, table)) {
    return *failed;
  }

  CarReport report = BuildReport(options.ScriptPath, table, names.VehiclesOrNull(), names.Zones);
  const std::string svg = RenderCarMap(report, names.Zones);
  if (options.OutputPath.empty()) {
    std::fwrite(svg.data(), 1, svg.size(), stdout);
  } else if (!WriteOutputFile(options.OutputPath, svg)) {
    return CannotWrite("output", options.OutputPath);
  }
  return ScanOutcome(table);
}

}  // namespace tovick::companion
