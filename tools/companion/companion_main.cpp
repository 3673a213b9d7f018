// tovick-cars: prints the car table of a mission script, for people and for scripts; exports and
// applies plug-ins.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "car_report.h"
#include "commands.h"
#include "exit_codes.h"
#include "input_file.h"
#include "scm/script_file.h"
#include "text/number_text.h"

namespace {

using namespace tovick;
using namespace tovick::companion;

constexpr const char* kUsage =
    "Usage: tovick-cars [--json] [--ide DEFAULT.IDE] [--zones TovickZon.txt] MAIN.SCM\n"
    "       tovick-cars export --blocks LIST [-o FILE] MAIN.SCM\n"
    "       tovick-cars apply [--check] PLUGIN MAIN.SCM\n"
    "\n"
    "Prints the parked-car table of a mission script: block number, address, id width (1 or 2\n"
    "bytes), vehicle id and name, X-POS, Y-POS, HEADING, UTELLME (hexadecimal in the table),\n"
    "ALARM, LOCK, whether the id is unsafe for its width, and the zones containing the car.\n"
    "Positions and headings are the raw values stored in the file (1/16 units).\n"
    "  --json          JSON instead of the table: every block found with its raw field values,\n"
    "                  and whether the scan met a malformed table (and at which offset)\n"
    "  --ide FILE      name the vehicles from this definitions file\n"
    "  --zones FILE    list the zones of this zone file that contain each car\n"
    "\n"
    "export writes the plug-in the editor creates with the listed blocks marked (LIST: 3,7,12 or\n"
    "1-20,31 or all); apply checks every record of a plug-in and then patches the script in one\n"
    "step, or with --check only prints what would change. \"tovick-cars COMMAND --help\" says "
    "more.\n"
    "\n"
    "Exit codes:\n"
    "  0  done: the table was printed, the plug-in written or applied\n"
    "  1  usage error\n"
    "  2  a file could not be opened, or a text file is larger than 16 MiB\n"
    "  3  the script is shorter than 70204 bytes\n"
    "  4  the car table is malformed (the listing still prints the blocks found before the fault)\n"
    "  5  the plug-in does not fit: not a plug-in, or a record that does not match the script\n"
    "     (nothing written)\n"
    "  6  writing failed (the script is unchanged)\n";

struct Options {
  bool Json = false;
  std::optional<std::string> IdePath;
  std::optional<std::string> ZonePath;
  std::string ScriptPath;
};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tovick-cars: %s\n%s", problem.c_str(), kUsage);
  return kExitUsage;
}

// Returns an exit code when the arguments end the run, nullopt to go on.
std::optional<int> ParseArguments(int argc, char** argv, Options& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == "--json") {
      options.Json = true;
    } else if (arg == "--ide" || arg == "--zones") {
      if (i + 1 >= argc) return Usage(std::string(arg) + " needs a file");
      (arg == "--ide" ? options.IdePath : options.ZonePath) = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option: " + std::string(arg));
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() != 1) return Usage("expected one mission script");
  options.ScriptPath = positional[0];
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string_view(argv[1]) == "export") return RunExport(argc - 2, argv + 2);
  if (argc > 1 && std::string_view(argv[1]) == "apply") return RunApply(argc - 2, argv + 2);

  Options options;
  if (const auto done = ParseArguments(argc, argv, options)) return *done;

  VehicleTable vehicles;
  if (options.IdePath) {
    std::string contents;
    if (const auto failed = ReadInputFile(".IDE", *options.IdePath, contents)) return *failed;
    const DefinitionsRead read = ReadDefinitions(contents, vehicles);
    // The editor refuses such a file; the listing goes on with the names it has.
    if (read.AcceptedLines < kRequiredVehicleLines) {
      std::fprintf(stderr, "tovick-cars: warning: %s:%s\n", options.IdePath->c_str(),
                   MissingCarsText(read.AcceptedLines).c_str());
    }
  }
  ZoneTable zones;
  if (options.ZonePath) {
    std::string contents;
    if (const auto failed = ReadInputFile("zone", *options.ZonePath, contents)) return *failed;
    zones = ParseZones(contents);
  }

  ScriptFile file;
  if (!file.Open(options.ScriptPath)) return CannotOpen(".SCM", options.ScriptPath);
  const std::int64_t length = file.Length();
  if (length < kMinScriptLength) {
    std::fprintf(stderr, "tovick-cars: Length of %s (%s) too short: at least %s bytes needed\n",
                 options.ScriptPath.c_str(), NumberToText(static_cast<double>(length)).c_str(),
                 Trim(NumberToText(static_cast<double>(kMinScriptLength))).c_str());
    return kExitTooShort;
  }

  std::vector<std::uint8_t> window(kScanWindowSize);
  file.ReadBytes(kScanFirst, window.data(), window.size());
  CarTable table;
  const ScanResult scan = ScanCarTable(window, table);
  const companion::CarReport report = companion::BuildReport(
      options.ScriptPath, file, table, scan, options.IdePath ? &vehicles : nullptr, zones);
  const std::string text = options.Json ? RenderJson(report) : RenderTable(report);
  std::fwrite(text.data(), 1, text.size(), stdout);

  if (scan.CarTableError) {
    std::fprintf(stderr,
                 "tovick-cars: Error in car table. Please replace MAIN.SCM. (a signature byte at "
                 "offset %lld does not match; %d block(s) found before it)\n",
                 static_cast<long long>(scan.ErrorOffset), table.BlockCnt);
    return kExitMalformed;
  }
  return kExitOk;
}
