// tovick-cars save list: the car generators in use in a GTA III PC save, as an aligned table or
// JSON.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "car_input.h"
#include "car_report.h"
#include "save/generator_match.h"
#include "save/generator_slot.h"
#include "save_commands.h"

namespace tovick::companion {

namespace {

constexpr const char* kListUsage =
    "Usage: tovick-cars save list [--json] [--ide DEFAULT.IDE] SAVE.b\n"
    "\n"
    "Prints the parked-car generators in use in a GTA III PC save (any file name: the game's are\n"
    "GTA3sf1.b to GTA3sf8.b), one row each: slot (from 0), model (and its name with --ide), X, Y,\n"
    "Z, heading in degrees, colours, force spawn, alarm, lock, the two delays and the uses\n"
    "remaining (65535 for ever). Floats are shown exactly as stored.\n"
    "  --json      JSON instead of the table: save, length, checksumOk, generatorCount, slots\n"
    "  --ide FILE  name the models from this definitions file\n"
    "A save whose checksum does not match (a damaged save) is listed all the same, and the run\n"
    "exits 5.\n"
    "\n"
    "Exit codes: 0 listed, 1 usage error, 2 a file could not be opened (or is no regular file),\n"
    "5 not a GTA III PC save, or a damaged one.\n";

constexpr SlotField kColumns[] = {
    SlotField::Model,   SlotField::X,       SlotField::Y,        SlotField::Z,
    SlotField::Heading, SlotField::Colour1, SlotField::Colour2,  SlotField::ForceSpawn,
    SlotField::Alarm,   SlotField::Lock,    SlotField::MinDelay, SlotField::MaxDelay,
};
constexpr const char* kJsonNames[] = {"model",   "x",       "y",        "z",
                                      "heading", "colour1", "colour2",  "forceSpawn",
                                      "alarm",   "lock",    "minDelay", "maxDelay"};

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tovick-cars save list: %s\n%s", problem.c_str(), kListUsage);
  return kExitUsage;
}

std::string ModelName(const Names& names, std::int32_t model) {
  if (!names.HaveVehicles || model < 0 ||
      static_cast<std::size_t>(model) >= names.Vehicles.VehicleNames.size()) {
    return "";
  }
  return names.Vehicles.VehicleNames[static_cast<std::size_t>(model)];
}

// JSON has no NaN or infinity: such a float (a damaged slot) is null.
std::string JsonNumber(const GeneratorSlot& slot, SlotField field) {
  const std::string text = SlotFieldText(slot, field);
  return text == "nan" || text == "inf" || text == "-inf" ? "null" : text;
}

std::string RenderTable(const SaveImage& save, const std::vector<GeneratorSlot>& slots,
                        const Names& names) {
  std::vector<std::string> titles = {"SLOT", "MODEL"};
  if (names.HaveVehicles) titles.emplace_back("NAME");
  for (std::size_t i = 1; i < std::size(kColumns); ++i) {
    titles.emplace_back(SlotFieldName(kColumns[i]));
  }
  titles.emplace_back("USES");
  std::vector<std::vector<std::string>> rows;
  for (std::size_t s = 0; s < slots.size(); ++s) {
    std::vector<std::string> row = {std::to_string(s), SlotFieldText(slots[s], SlotField::Model)};
    if (names.HaveVehicles) row.push_back(ModelName(names, slots[s].Model));
    for (std::size_t i = 1; i < std::size(kColumns); ++i) {
      row.push_back(SlotFieldText(slots[s], kColumns[i]));
    }
    row.push_back(std::to_string(slots[s].UsesRemaining));
    rows.push_back(std::move(row));
  }
  std::vector<std::size_t> widths(titles.size());
  for (std::size_t c = 0; c < titles.size(); ++c) {
    widths[c] = titles[c].size();
    for (const auto& row : rows) widths[c] = std::max(widths[c], row[c].size());
  }
  const std::size_t nameColumn = names.HaveVehicles ? 2 : titles.size();
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) text += "  ";
      const std::string pad(widths[c] - cells[c].size(), ' ');
      text += c == nameColumn ? cells[c] + pad : pad + cells[c];
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text + "\n";
  };
  std::string text = save.Path + ": " + std::to_string(save.Bytes.size()) + " bytes, " +
                     std::to_string(slots.size()) + " car generator(s) in use" +
                     (save.Layout.ChecksumOk ? "" : ", checksum does not match") + "\n";
  text += line(titles);
  for (const auto& row : rows) text += line(row);
  return text;
}

std::string RenderJson(const SaveImage& save, const std::vector<GeneratorSlot>& slots,
                       const Names& names) {
  std::string json = "{\n";
  json += "  \"save\": " + JsonString(save.Path) + ",\n";
  json += "  \"length\": " + std::to_string(save.Bytes.size()) + ",\n";
  json += std::string("  \"checksumOk\": ") + (save.Layout.ChecksumOk ? "true" : "false") + ",\n";
  json += "  \"generatorCount\": " + std::to_string(slots.size()) + ",\n";
  json += "  \"slots\": [";
  for (std::size_t s = 0; s < slots.size(); ++s) {
    json += s == 0 ? "\n" : ",\n";
    json += "    {\"slot\": " + std::to_string(s) +
            ", \"model\": " + JsonNumber(slots[s], SlotField::Model) +
            ", \"name\": " + JsonString(ModelName(names, slots[s].Model));
    for (std::size_t i = 1; i < std::size(kColumns); ++i) {
      json += std::string(", \"") + kJsonNames[i] + "\": " + JsonNumber(slots[s], kColumns[i]);
    }
    json += ", \"usesRemaining\": " + std::to_string(slots[s].UsesRemaining) + "}";
  }
  json += slots.empty() ? "]\n" : "\n  ]\n";
  return json + "}\n";
}

}  // namespace

int RunSaveList(int argc, char** argv) {
  bool json = false;
  NameFiles files;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kListUsage, stdout);
      return kExitOk;
    } else if (arg == "--json") {
      json = true;
    } else if (arg == "--ide") {
      if (i + 1 >= argc) return Usage("--ide needs a file");
      files.IdePath = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option: " + std::string(arg));
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() != 1) return Usage("expected one save");

  Names names;
  if (const auto failed = ReadNames(files, names)) return *failed;
  SaveImage save;
  if (const auto failed = LoadSave(positional[0], true, save)) return *failed;
  std::vector<GeneratorSlot> slots;
  for (int s = 0; s < static_cast<int>(save.Layout.GeneratorCount); ++s) {
    slots.push_back(ReadSlot(save.Bytes, save.Layout, s));
  }
  const std::string text = json ? RenderJson(save, slots, names) : RenderTable(save, slots, names);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return save.Layout.ChecksumOk ? kExitOk : kExitNotASave;
}

}  // namespace tovick::companion
