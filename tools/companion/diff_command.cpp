#include "diff_command.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "car_input.h"
#include "car_report.h"
#include "plugin/plugin_format.h"
#include "plugin/script_reader.h"
#include "scm/block_diff.h"
#include "text/text_lines.h"

namespace tovick::companion {

namespace {

constexpr const char* kDiffUsage =
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

struct DiffOptions {
  bool Json = false;
  bool Anywhere = false;
  std::optional<std::string> PlugInPath;
  std::string OriginalPath;
  std::string ChangedPath;
};

std::optional<int> ParseDiffArguments(int argc, char** argv, DiffOptions& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kDiffUsage, stdout);
      return kExitOk;
    } else if (arg == "--json") {
      options.Json = true;
    } else if (arg == "--anywhere") {
      options.Anywhere = true;
    } else if (arg == "--plugin") {
      if (i + 1 >= argc) return UsageError("--plugin needs a file", kDiffUsage);
      options.PlugInPath = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option: " + std::string(arg), kDiffUsage);
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() != 2) return UsageError("expected two mission scripts", kDiffUsage);
  options.OriginalPath = positional[0];
  options.ChangedPath = positional[1];
  return std::nullopt;
}

std::vector<BlockImage> ReadImages(const ScriptTable& table) {
  std::vector<BlockImage> images;
  const ScriptReader read = ReaderOf(table.Bytes);
  for (const std::int64_t address : table.Addresses) {
    std::array<std::uint8_t, kMaxBlockBytes> bytes{};
    read(address, bytes.data(), bytes.size());
    const std::optional<CarBlock> block = DecodeCarBlock(address, bytes);
    // The scan has checked every block's width marker.
    if (!block) continue;
    BlockImage image{*block, std::vector<std::uint8_t>(CarBlockSize(block->HiCar))};
    std::copy_n(bytes.begin(), image.Bytes.size(), image.Bytes.begin());
    images.push_back(std::move(image));
  }
  return images;
}

// What a script holds for the diff: the editor's blocks, or with anywhere its instructions.
struct DiffSide {
  std::vector<BlockImage> Blocks;
  std::vector<GeneratorInstruction> Instructions;
  std::size_t Count(bool anywhere) const { return anywhere ? Instructions.size() : Blocks.size(); }
};

std::string NotCarriedText(const TableDiff& diff) {
  std::string text;
  int count = 0;
  for (const BlockChange& block : diff.Changes) {
    for (const FieldChange& field : block.Fields) {
      if (field.Carried) continue;
      text += (count++ == 0 ? "" : ", ") + std::string("block ") + std::to_string(block.Number) +
              " " + field.Field;
    }
  }
  return std::to_string(count) + " change(s) a plug-in cannot carry (" + text + ")";
}

std::string RenderDiffTable(const DiffOptions& options, const TableDiff& diff,
                            std::size_t blockCount) {
  std::string text = options.OriginalPath + " -> " + options.ChangedPath + ": " +
                     std::to_string(blockCount) + " block(s), " +
                     std::to_string(diff.Changes.size()) + " changed\n";
  if (diff.Changes.empty()) return text;
  char line[160];
  std::snprintf(line, sizeof line, "%5s  %7s  %-12s  %6s     %6s\n", "BLOCK", "ADDRESS", "FIELD",
                "OLD", "NEW");
  text += line;
  for (const BlockChange& block : diff.Changes) {
    for (const FieldChange& field : block.Fields) {
      std::snprintf(line, sizeof line, "%5d  %7lld  %-12s  %6lld  -> %6lld%s\n", block.Number,
                    static_cast<long long>(block.Address), field.Field.c_str(),
                    static_cast<long long>(field.Old), static_cast<long long>(field.New),
                    field.Carried ? "" : "  (no plug-in carries this)");
      text += line;
    }
  }
  return text;
}

std::string RenderDiffJson(const DiffOptions& options, const TableDiff& diff,
                           std::size_t originalCount, std::size_t changedCount,
                           bool plugInWritten) {
  auto number = [](auto value) { return std::to_string(value); };
  auto boolean = [](bool value) { return std::string(value ? "true" : "false"); };
  std::string json = "{\n";
  json += "  \"original\": " + JsonString(options.OriginalPath) + ",\n";
  json += "  \"changed\": " + JsonString(options.ChangedPath) + ",\n";
  json += "  \"originalBlockCount\": " + number(originalCount) + ",\n";
  json += "  \"changedBlockCount\": " + number(changedCount) + ",\n";
  json += "  \"comparable\": " + boolean(diff.Comparable()) + ",\n";
  json += "  \"parting\": " + (diff.Comparable() ? std::string("null") : JsonString(diff.Parting)) +
          ",\n";
  json += "  \"allCarried\": " + boolean(diff.AllCarried()) + ",\n";
  json +=
      "  \"plugin\": " + (plugInWritten ? JsonString(*options.PlugInPath) : std::string("null")) +
      ",\n";
  json += "  \"blocks\": [";
  for (std::size_t i = 0; i < diff.Changes.size(); ++i) {
    const BlockChange& block = diff.Changes[i];
    json += i == 0 ? "\n" : ",\n";
    json += "    {\"block\": " + number(block.Number) + ", \"address\": " + number(block.Address) +
            ", \"changes\": [";
    for (std::size_t f = 0; f < block.Fields.size(); ++f) {
      const FieldChange& field = block.Fields[f];
      json += (f == 0 ? "" : ", ") + std::string("{\"field\": ") + JsonString(field.Field) +
              ", \"old\": " + number(field.Old) + ", \"new\": " + number(field.New) +
              ", \"carried\": " + boolean(field.Carried) + "}";
    }
    json += "]}";
  }
  json += diff.Changes.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return json;
}

// The plug-in of the changed blocks, as the editor writes one: preamble, then one record per
// block in ascending number, with the values of the changed script.
std::string PlugInText(const TableDiff& diff, const DiffSide& changed, bool anywhere) {
  std::string text = PlugInPreamble();
  for (const BlockChange& block : diff.Changes) {
    const auto index = static_cast<std::size_t>(block.Number - 1);
    text += anywhere ? RenderPlugInRecord(PlugInRecordOf(block.Number, changed.Instructions[index]))
                     : RenderPlugInRecord(block.Number, changed.Blocks[index].Block);
  }
  return text;
}

}  // namespace

int RunDiff(int argc, char** argv) {
  DiffOptions options;
  if (const auto done = ParseDiffArguments(argc, argv, options)) return *done;
  const bool anywhere = options.Anywhere;
  DiffSide sides[2];
  const std::string* paths[2] = {&options.OriginalPath, &options.ChangedPath};
  for (int i = 0; i < 2; ++i) {
    // One script at a time: Windows opens a script without sharing, and both may be one file.
    ScriptTable table;
    if (const auto failed = ReadScriptTable(*paths[i], anywhere, table)) return *failed;
    if (const int outcome = ScanOutcome(table); outcome != kExitOk) return outcome;
    if (options.PlugInPath) {
      if (const auto refused = RefuseEmpty(*paths[i], table)) return *refused;
    }
    if (anywhere) {
      sides[i].Instructions = std::move(table.Instructions);
    } else {
      sides[i].Blocks = ReadImages(table);
    }
  }
  const DiffSide& from = sides[0];
  const DiffSide& to = sides[1];
  const TableDiff diff = anywhere ? DiffGeneratorInstructions(from.Instructions, to.Instructions)
                                  : DiffCarTables(from.Blocks, to.Blocks);

  int exitCode = diff.Changes.empty() ? kExitOk : kExitDiffer;
  bool plugInWritten = false;
  if (!diff.Comparable()) {
    std::fprintf(stderr, "tovick-cars: %s\n", diff.Parting.c_str());
    exitCode = kExitTablesPart;
  } else if (options.PlugInPath) {
    if (!diff.AllCarried()) {
      std::fprintf(stderr, "tovick-cars: %s; no plug-in written\n", NotCarriedText(diff).c_str());
      exitCode = kExitTablesPart;
    } else if (!WriteOutputFile(*options.PlugInPath, PlugInText(diff, to, anywhere))) {
      return CannotWrite("plug-in", *options.PlugInPath);
    } else {
      plugInWritten = true;
      exitCode = kExitOk;
    }
  }

  std::string text = options.Json        ? RenderDiffJson(options, diff, from.Count(anywhere),
                                                          to.Count(anywhere), plugInWritten)
                     : diff.Comparable() ? RenderDiffTable(options, diff, from.Count(anywhere))
                                         : std::string();
  if (plugInWritten && !options.Json) {
    text += "plug-in written: " + *options.PlugInPath + " (" + std::to_string(diff.Changes.size()) +
            " block(s))\n";
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  return exitCode;
}

}  // namespace tovick::companion
