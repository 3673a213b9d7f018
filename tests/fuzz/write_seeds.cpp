// Writes the seed inputs of the fuzz targets from the demo data: scan windows of generated
// scripts, definitions and zone files, plug-ins created from a script, a few telling numbers.
// Usage: fuzz-seeds DIR (one folder per target below it).

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "gen/foreign_script.h"
#include "plugin/plugin_create.h"
#include "plugin/script_reader.h"
#include "save/save_layout.h"
#include "scm/car_table.h"

namespace {

using namespace tovick;
namespace fs = std::filesystem;

using Bytes = std::string;

Bytes WindowOf(const std::vector<std::uint8_t>& script) {
  Bytes window(kScanWindowSize, '\0');
  ReaderOf(script)(kScanFirst, reinterpret_cast<std::uint8_t*>(window.data()), window.size());
  return window;
}

Bytes PlugInOf(const std::vector<std::uint8_t>& script, int firstBlock, int lastBlock) {
  const Bytes window = WindowOf(script);
  CarTable table;
  ScanCarTable(std::span(reinterpret_cast<const std::uint8_t*>(window.data()), window.size()),
               table);
  std::vector<std::uint8_t> marks(static_cast<std::size_t>(table.BlockCnt) + 1, 0);
  for (int n = firstBlock; n <= lastBlock && n <= table.BlockCnt; ++n) {
    marks[static_cast<std::size_t>(n)] = 1;
  }
  return PlanPlugInCreation(table, marks, ReaderOf(script)).Content;
}

// The plug-in's last line, without its CR LF.
Bytes LastLine(const Bytes& text) {
  const std::size_t end = text.size() - 2;
  return text.substr(text.rfind("\r\n", end - 1) + 2, end - text.rfind("\r\n", end - 1) - 2);
}

Bytes DoubleBytes(double value) {
  Bytes bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

bool Write(const fs::path& dir, const std::string& target, const std::string& name,
           const Bytes& bytes) {
  fs::create_directories(dir / target);
  std::ofstream out(dir / target / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: fuzz-seeds DIR\n", stderr);
    return 1;
  }
  const fs::path dir = argv[1];
  const std::vector<std::uint8_t> plain = demo::GenerateScript(1);
  const std::vector<std::uint8_t> full =
      demo::GenerateScript(2, {.Length = demo::FullTableLength(2, demo::kMaxDemoBlockCount),
                               .BlockCount = demo::kMaxDemoBlockCount});
  const std::vector<std::uint8_t> broken = demo::GenerateScript(3, {.BreakStrict = true});
  const std::vector<std::uint8_t> foreign = demo::GenerateForeignScript(1);
  // The foreign script's first run of instructions, and its end with the cut-off instruction.
  const Bytes foreignRun(foreign.begin() + 19990, foreign.begin() + 20400);
  const Bytes foreignEnd(foreign.end() - 400, foreign.end());
  const Bytes definitions = demo::GenerateDefinitions(1);
  const Bytes zones = demo::GenerateZones(1);
  // show_apply: block choice, flags, vehicle position, six typed texts, then the window.
  const Bytes unchanged = Bytes(3, '\0') + Bytes(6, '\0') + WindowOf(plain);
  const Bytes typed = Bytes("\x03\x06\x05", 3) + "\x04 100" + "\x03-16" +
                      "\x04"
                      "F9C0" +
                      "\x04"
                      "5760" +
                      "\x03"
                      "101" +
                      "\x01"
                      "0" +
                      WindowOf(plain);

  const struct {
    const char* Target;
    const char* Name;
    Bytes Contents;
  } seeds[] = {
      {"car_table", "plain", WindowOf(plain)},
      {"car_table", "full", WindowOf(full)},
      {"car_table", "broken", WindowOf(broken)},
      {"generator_instruction", "demo-window", WindowOf(plain)},
      {"generator_instruction", "foreign-run", foreignRun},
      {"generator_instruction", "foreign-end", foreignEnd},
      {"show_apply", "unchanged", unchanged},
      {"show_apply", "typed", typed},
      {"definitions", "crlf", definitions},
      {"definitions", "lf-only", demo::GenerateDefinitions(2, demo::kDemoVehicleCount, true)},
      {"zones", "demo", zones},
      {"line_reader", "definitions", "\x0D" + definitions},
      {"line_reader", "zones", "\x05" + zones},
      {"plugin_apply", "first-five", PlugInOf(plain, 1, 5)},
      {"plugin_apply", "all", PlugInOf(plain, 1, demo::kDemoBlockCount)},
      {"plugin_apply", "other-script", PlugInOf(full, 1, 20)},
      {"plugin_record", "demo", Bytes(18, '\x04') + LastLine(PlugInOf(plain, 2, 2))},
      {"number_to_text", "tenth", DoubleBytes(0.1)},
      {"number_to_text", "third", DoubleBytes(1.0 / 3)},
      {"number_to_text", "sixteenth", DoubleBytes(-32768 / 16.0)},
      {"number_to_text", "largest", DoubleBytes(DBL_MAX)},
      {"number_to_text", "smallest", DoubleBytes(4.9406564584124654e-324)},
      {"number_to_text", "length", DoubleBytes(70204)},
  };
  for (const auto& seed : seeds) {
    if (!Write(dir, seed.Target, seed.Name, seed.Contents)) {
      std::fprintf(stderr, "fuzz-seeds: cannot write %s/%s\n", seed.Target, seed.Name);
      return 2;
    }
  }
  // save_reader: the demo save of each platform as it is, and with slot 1's alarm changed and the
  // checksum renewed (the first byte of the input chooses, its bits 2 and up the platform).
  for (std::size_t p = 0; p < kSavePlatforms.size(); ++p) {
    const std::vector<std::uint8_t> save = demo::GenerateSave(1, plain, kSavePlatforms[p].Platform);
    const SaveLayout layout = *ReadSaveLayout(save).Layout;
    const auto alarm = static_cast<std::uint32_t>(layout.SlotsOffset + kGeneratorSlotSize + 0x19);
    Bytes edited(1, static_cast<char>(p << 2 | 2));
    for (int i = 0; i < 4; ++i) edited += static_cast<char>(alarm >> (8 * i));
    edited += '\x05';
    const std::string n = std::to_string(p);
    if (!Write(dir, "save_reader", "raw-" + n, "\x01" + Bytes(save.begin(), save.end())) ||
        !Write(dir, "save_reader", "edited-" + n, edited)) {
      std::fprintf(stderr, "fuzz-seeds: cannot write the save seeds of platform %s\n", n.c_str());
      return 2;
    }
  }
  return 0;
}
