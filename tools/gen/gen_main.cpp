// tovick-gen: writes synthetic MAIN.SCM, DEFAULT.IDE and TovickZon.txt for the demo and the tests.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "gen/foreign_script.h"
#include "save/save_layout.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitWrite = 2;

constexpr std::int64_t kMaxLength = 16 * 1024 * 1024;
constexpr std::int64_t kMaxVehicles = 200;

constexpr const char* kUsage =
    "Usage: tovick-gen --dir DIR [--seed N] [--length N] [--blocks N] [--break-strict]\n"
    "                 [--table-at N] [--changed] [--vehicles N] [--lf-only] [--save]\n"
    "                 [--foreign] [--platform NAME]\n"
    "\n"
    "Writes DIR/MAIN.SCM, DIR/DEFAULT.IDE and DIR/TovickZon.txt, the same bytes for the same "
    "seed.\n"
    "  --seed N        seed of the generated values (default 1)\n"
    "  --length N      MAIN.SCM is N bytes (default 70204; below 70204 is too short to load,\n"
    "                  and a length ending inside the car table cuts it there)\n"
    "  --blocks N      blocks in the car table, 1 to 147 (default 100; above 100 they fill the\n"
    "                  scan window back to back, and the default length grows to hold them)\n"
    "  --break-strict  block 10 gets the width marker 0x06: a malformed car table\n"
    "  --table-at N    the car table starts at offset N (default 65300; the editor scans\n"
    "                  65224 to 70239, so a table before that holds no block for it)\n"
    "  --changed       the same script after known edits to blocks 1, 2, 7, 60 and 100\n"
    "  --vehicles N    vehicle lines in DEFAULT.IDE, ids from 90 (default 61: 90 to 150)\n"
    "  --lf-only       DEFAULT.IDE ends its lines in LF alone (the editor refuses such a file)\n"
    "  --foreign       MAIN.SCM is a script compiled elsewhere instead: 460528 bytes with 149\n"
    "                  parked-car generator instructions outside the scan window, some behind\n"
    "                  other instructions, with 16-bit and 32-bit values and a local handle;\n"
    "                  --length, --blocks, --break-strict, --table-at, --changed do not apply\n"
    "  --save          also DIR/GTA3sf1.b: a GTA III save made with this MAIN.SCM, its\n"
    "                  parked-car generators in the order they ran (the first two last)\n"
    "  --platform NAME the save's platform, with that platform's layout (implies --save):\n"
    "                  PC (the default), Android, iOS, PS2, PS2-Australia, PS2-Japan or Xbox;\n"
    "                  any case, with or without spaces, hyphens or underscores (ps2_japan).\n"
    "                  On Android and iOS the script's variables sit 16 bytes further in the\n"
    "                  save's copy, as with the phones' own script\n"
    "\n"
    "Exit codes: 0 written, 1 usage error, 2 a file could not be written.\n";

std::optional<std::int64_t> ParseCount(std::string_view text, std::int64_t max) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > max) {
    return std::nullopt;
  }
  return value;
}

bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "tovick-gen: cannot write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "tovick-gen: %s\n%s", problem, kUsage);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::filesystem::path> dir;
  std::uint32_t seed = 1;
  tovick::demo::ScriptOptions script;
  bool lengthGiven = false;
  int vehicles = tovick::demo::kDemoVehicleCount;
  bool lfOnly = false;
  bool foreign = false;
  bool save = false;
  tovick::SavePlatform platform = tovick::SavePlatform::Pc;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::int64_t max) -> std::optional<std::int64_t> {
      if (i + 1 >= argc) return std::nullopt;
      return ParseCount(argv[++i], max);
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == "--dir") {
      if (i + 1 >= argc) return Usage("--dir needs a directory");
      dir = argv[++i];
    } else if (arg == "--seed") {
      const auto n = value(UINT32_MAX);
      if (!n) return Usage("--seed needs a number from 0 to 4294967295");
      seed = static_cast<std::uint32_t>(*n);
    } else if (arg == "--length") {
      const auto n = value(kMaxLength);
      if (!n) return Usage("--length needs a number from 0 to 16777216");
      script.Length = *n;
      lengthGiven = true;
    } else if (arg == "--blocks") {
      const auto n = value(tovick::demo::kMaxDemoBlockCount);
      if (!n || *n < 1) return Usage("--blocks needs a number from 1 to 147");
      script.BlockCount = static_cast<int>(*n);
    } else if (arg == "--vehicles") {
      const auto n = value(kMaxVehicles);
      if (!n) return Usage("--vehicles needs a number from 0 to 200");
      vehicles = static_cast<int>(*n);
    } else if (arg == "--table-at") {
      const auto n = value(kMaxLength);
      if (!n) return Usage("--table-at needs a number from 0 to 16777216");
      script.TableStart = *n;
    } else if (arg == "--changed") {
      script.Changed = true;
    } else if (arg == "--break-strict") {
      script.BreakStrict = true;
    } else if (arg == "--save") {
      save = true;
    } else if (arg == "--platform") {
      const auto named = i + 1 < argc ? tovick::SavePlatformNamed(argv[++i])
                                      : std::optional<tovick::SavePlatform>();
      if (!named) {
        return Usage("--platform needs PC, Android, iOS, PS2, PS2-Australia, PS2-Japan or Xbox");
      }
      platform = *named;
      save = true;
    } else if (arg == "--lf-only") {
      lfOnly = true;
    } else if (arg == "--foreign") {
      foreign = true;
    } else {
      return Usage(("unknown argument: " + std::string(arg)).c_str());
    }
  }
  if (!dir) return Usage("--dir is required");
  if (!lengthGiven) script.Length = tovick::demo::FullTableLength(seed, script.BlockCount);

  std::error_code error;
  std::filesystem::create_directories(*dir, error);
  const std::vector<std::uint8_t> bytes = foreign ? tovick::demo::GenerateForeignScript(seed)
                                                  : tovick::demo::GenerateScript(seed, script);
  const bool written =
      WriteFile(*dir / "MAIN.SCM",
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())) &&
      WriteFile(*dir / "DEFAULT.IDE", tovick::demo::GenerateDefinitions(seed, vehicles, lfOnly)) &&
      WriteFile(*dir / "TovickZon.txt", tovick::demo::GenerateZones(seed));
  if (written && save) {
    const std::vector<std::uint8_t> saveBytes = tovick::demo::GenerateSave(seed, bytes, platform);
    if (!WriteFile(
            *dir / "GTA3sf1.b",
            std::string_view(reinterpret_cast<const char*>(saveBytes.data()), saveBytes.size()))) {
      return kExitWrite;
    }
  }
  return written ? kExitOk : kExitWrite;
}
