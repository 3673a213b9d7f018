#include "plugin/diff_report.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "plugin/plugin_format.h"
#include "plugin/script_reader.h"
#include "text/json_writer.h"

namespace tovick {

DiffSide DiffSideOf(ScriptTable& table) {
  DiffSide side;
  if (table.Anywhere) {
    side.Instructions = std::move(table.Instructions);
    return side;
  }
  const ScriptReader read = ReaderOf(table.Bytes);
  for (const std::int64_t address : table.Addresses) {
    std::array<std::uint8_t, kMaxBlockBytes> bytes{};
    read(address, bytes.data(), bytes.size());
    const std::optional<CarBlock> block = DecodeCarBlock(address, bytes);
    // The scan has checked every block's width marker.
    if (!block) continue;
    BlockImage image{*block, std::vector<std::uint8_t>(CarBlockSize(block->HiCar))};
    std::copy_n(bytes.begin(), image.Bytes.size(), image.Bytes.begin());
    side.Blocks.push_back(std::move(image));
  }
  return side;
}

TableDiff DiffSides(const DiffSide& original, const DiffSide& changed, bool anywhere) {
  return anywhere ? DiffGeneratorInstructions(original.Instructions, changed.Instructions)
                  : DiffCarTables(original.Blocks, changed.Blocks);
}

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

std::string RenderDiffTable(const DiffNames& names, const TableDiff& diff, std::size_t count) {
  std::string text = names.Original + " -> " + names.Changed + ": " + std::to_string(count) +
                     " block(s), " + std::to_string(diff.Changes.size()) + " changed\n";
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

std::string RenderDiffJson(const DiffNames& names, const TableDiff& diff, std::size_t originalCount,
                           std::size_t changedCount) {
  std::vector<JsonObject> rows;
  for (const BlockChange& block : diff.Changes) {
    std::vector<JsonObject> changes;
    for (const FieldChange& field : block.Fields) {
      changes.emplace_back()
          .String("field", field.Field)
          .Number("old", field.Old)
          .Number("new", field.New)
          .Bool("carried", field.Carried);
    }
    rows.emplace_back()
        .Number("block", block.Number)
        .Number("address", block.Address)
        .Objects("changes", changes);
  }
  JsonObject document;
  document.String("original", names.Original)
      .String("changed", names.Changed)
      .Number("originalBlockCount", static_cast<std::int64_t>(originalCount))
      .Number("changedBlockCount", static_cast<std::int64_t>(changedCount))
      .Bool("comparable", diff.Comparable());
  if (diff.Comparable()) {
    document.Exact("parting", "null");
  } else {
    document.String("parting", diff.Parting);
  }
  document.Bool("allCarried", diff.AllCarried());
  if (names.PlugIn) {
    document.String("plugin", *names.PlugIn);
  } else {
    document.Exact("plugin", "null");
  }
  return document.Document("blocks", rows);
}

std::string DiffPlugInText(const TableDiff& diff, const DiffSide& changed, bool anywhere) {
  std::string text = PlugInPreamble();
  for (const BlockChange& block : diff.Changes) {
    const auto index = static_cast<std::size_t>(block.Number - 1);
    text += anywhere ? RenderPlugInRecord(PlugInRecordOf(block.Number, changed.Instructions[index]))
                     : RenderPlugInRecord(block.Number, changed.Blocks[index].Block);
  }
  return text;
}

}  // namespace tovick
